#include "output/Windowsd.h"

#include "tests/output/OutputTestSupport.h"
#include "tests/support/PrivateCups.h"

#include <functional>
#include <memory>
#include <numeric>

namespace zev::test {
namespace {

// The spooler port reads no settings; any path will do.
const QString Settings = "zev.ini";

const TSpooledJob PrintedJob{"ZEV Job", true};

class TWindowsPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!TPrivateCups::IsInstalled())
            GTEST_SKIP() << "cupsd is not installed (scripts/install-deps installs cups-daemon)";
        m_cups = std::make_unique<TPrivateCups>();
    }

    TPrivateCups& Cups() { return *m_cups; }

    // The whole job protocol; true when every step succeeded.
    bool RunJob(TPrinterPort& port, const std::vector<std::string>& blocks)
    {
        bool ok = port.StartData(Settings);
        for (const std::string& block : blocks)
            ok = port.SendData(block) && ok;
        return port.EndData() && ok;
    }

    // Failure messages: each the situation's text, then the spooler's own.
    void ExpectFailures(const std::vector<QString>& prefixes)
    {
        ASSERT_EQ(m_operator.Messages().size(), prefixes.size());
        for (std::size_t i = 0; i < prefixes.size(); ++i) {
            const TOperatorMessage& message = m_operator.Messages()[i];
            EXPECT_EQ(message.kind, "error");
            EXPECT_TRUE(message.text.startsWith(prefixes[i])) << message.text.toStdString();
            EXPECT_GT(message.text.size(), prefixes[i].size()) << "no text from the spooler";
        }
    }

    std::unique_ptr<TPrivateCups> m_cups;
    TScriptedOperator m_operator;
};

TEST_F(TWindowsPortTest, JobReachesThePrinterAsOneJobWithTheBytesUnchanged)
{
    struct TCase
    {
        const char* what;
        std::vector<std::string> blocks;
    };
    const std::vector<TCase> cases = {
        {"header and two labels: control bytes, CR LF, Windows-1252 text",
         {"\x02n\r\n\x02M0500\r\n^XA^CI0\r\n", "\x1b@^FDPre\xe7o R$ 9,99^FS\r\n^XZ\r\n",
          "^XA^FDCaf\xe9 \x80 1kg^FS^XZ\r\n"}},
        {"an empty block between two labels", {"^XA\r\n", "", "^FDdepois^FS^XZ\r\n"}},
        {"a one-mebibyte label with every byte value", {"^XA\r\n", EveryByte(1 << 20)}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const std::string queue = "Fila" + std::to_string(i);
        m_operator.ClearMessages();
        Cups().AddQueue(queue);
        TWindowsPort port(m_operator, queue);

        EXPECT_TRUE(RunJob(port, cases[i].blocks));

        EXPECT_TRUE(m_operator.Messages().empty());
        EXPECT_EQ(Cups().WaitForJobs(queue), std::vector<TSpooledJob>{PrintedJob});
        const std::string sent =
            std::accumulate(cases[i].blocks.begin(), cases[i].blocks.end(), std::string());
        EXPECT_EQ(Cups().OutputOf(queue), sent);
    }
}

TEST_F(TWindowsPortTest, SecondStartWhileStartedIsRefusedAndTheJobGoesOn)
{
    Cups().AddQueue("Zebra");
    TWindowsPort port(m_operator, "Zebra");
    ASSERT_TRUE(port.StartData(Settings));
    ASSERT_TRUE(port.SendData("^XA\r\n"));

    EXPECT_FALSE(port.StartData(Settings));

    EXPECT_EQ(m_operator.Messages(),
              (std::vector<TOperatorMessage>{{"error", "Impressão já iniciada"}}));
    EXPECT_TRUE(port.SendData("^FDum^FS^XZ\r\n"));
    EXPECT_TRUE(port.EndData());
    EXPECT_EQ(Cups().WaitForJobs("Zebra"), std::vector<TSpooledJob>{PrintedJob});
    EXPECT_EQ(Cups().OutputOf("Zebra"), "^XA\r\n^FDum^FS^XZ\r\n");
}

TEST_F(TWindowsPortTest, FailedStartOrEndLeavesThePortIdleForTheNextJob)
{
    using TQueueChange = std::function<void(TPrivateCups&, const std::string&)>;
    const TQueueChange nothing = [](TPrivateCups&, const std::string&) {};
    const TQueueChange add = [](TPrivateCups& cups, const std::string& queue) {
        cups.AddQueue(queue);
    };
    const struct
    {
        const char* what;
        TQueueChange beforeStart, beforeEnd, mend;
        QString message;
    } cases[] = {
        {"printer that does not exist", nothing, nothing, add, "Erro acessando impressora. Msg: "},
        {"queue refusing jobs",
         [](TPrivateCups& cups, const std::string& queue) {
             cups.AddQueue(queue);
             cups.SetAcceptingJobs(queue, false);
         },
         nothing,
         [](TPrivateCups& cups, const std::string& queue) { cups.SetAcceptingJobs(queue, true); },
         "Erro iniciando impressão. Msg: "},
        // The job goes with its queue before its document is complete.
        {"queue removed during the job", add,
         [](TPrivateCups& cups, const std::string& queue) { cups.RemoveQueue(queue); }, add,
         "Erro finalizando impressão. Msg: "},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const std::string queue = "Fila" + std::to_string(i);
        m_operator.ClearMessages();
        cases[i].beforeStart(Cups(), queue);
        TWindowsPort port(m_operator, queue);
        if (port.StartData(Settings)) {
            EXPECT_TRUE(port.SendData("perdido\r\n"));
            cases[i].beforeEnd(Cups(), queue);
            EXPECT_FALSE(port.EndData());
        }
        ExpectFailures({cases[i].message});
        cases[i].mend(Cups(), queue);
        m_operator.ClearMessages();
        EXPECT_TRUE(RunJob(port, {"^XA^FDok^FS^XZ\r\n"}));
        EXPECT_TRUE(m_operator.Messages().empty());
        EXPECT_EQ(Cups().WaitForJobs(queue), std::vector<TSpooledJob>{PrintedJob});
        EXPECT_EQ(Cups().OutputOf(queue), "^XA^FDok^FS^XZ\r\n");
    }
}

TEST_F(TWindowsPortTest, SpoolerGoneDuringAJobIsReportedAtEveryStepAndThePortGoesIdle)
{
    Cups().AddQueue("Zebra");
    TWindowsPort port(m_operator, "Zebra");
    ASSERT_TRUE(port.StartData(Settings));
    ASSERT_TRUE(port.SendData("^XA\r\n"));
    Cups().Stop();

    // Large enough not to fit in any buffer on the way.
    EXPECT_FALSE(port.SendData(std::string(1 << 20, 'x')));
    // The later labels of the job are refused without a box each.
    EXPECT_FALSE(port.SendData("^XA\r\n"));
    EXPECT_FALSE(port.EndData());
    EXPECT_FALSE(port.StartData(Settings));

    ExpectFailures({"Erro enviando dados da etiqueta. Msg: ", "Erro finalizando impressão. Msg: ",
                    "Erro acessando impressora. Msg: "});
}

TEST_F(TWindowsPortTest, PortReleasedWhileStartedCancelsItsJob)
{
    Cups().AddQueue("Zebra");
    {
        TWindowsPort port(m_operator, "Zebra");
        ASSERT_TRUE(port.StartData(Settings));
        ASSERT_TRUE(port.SendData("^XA^FDmeio^FS\r\n"));
    }

    EXPECT_EQ(Cups().WaitForJobs("Zebra"), (std::vector<TSpooledJob>{{"ZEV Job", false}}));
    EXPECT_EQ(Cups().OutputOf("Zebra"), "");
}

TEST_F(TWindowsPortTest, DriverListsTheQueuesByTheirNamesInTheSpoolersOrder)
{
    TWindowsDriver driver(m_operator);
    EXPECT_TRUE(driver.GetPorts().empty());
    for (const char* queue : {"Zebra", "abc", "Loja_2"})
        Cups().AddQueue(queue);
    // CUPS lists its destinations without regard to case.
    EXPECT_EQ(Names(driver.GetPorts()), (std::vector<std::string>{"abc", "Loja_2", "Zebra"}));
    Cups().Stop();
    EXPECT_TRUE(driver.GetPorts().empty());
    EXPECT_TRUE(m_operator.Messages().empty());
}

} // namespace
} // namespace zev::test
