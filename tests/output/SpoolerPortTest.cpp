#include "tests/output/OutputTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

const TSpooledJob Printed{"ZEV Job", true};

class SpoolerPortTest : public OutputTest
{
protected:
    void SetUp() override
    {
        if (!TPrivateCups::IsInstalled())
            GTEST_SKIP() << "cupsd is not installed (scripts/install-deps installs cups-daemon)";
        cups = std::make_unique<TPrivateCups>();
    }

    // Failure messages: each the situation's text, then the spooler's own.
    void ExpectFailures(const std::vector<QString>& prefixes)
    {
        ASSERT_EQ(op.Messages().size(), prefixes.size());
        for (std::size_t i = 0; i < prefixes.size(); ++i) {
            const TOperatorMessage& message = op.Messages()[i];
            EXPECT_EQ(message.kind, "error");
            EXPECT_TRUE(message.text.startsWith(prefixes[i])) << message.text.toStdString();
            EXPECT_GT(message.text.size(), prefixes[i].size()) << "no text from the spooler";
        }
    }

    std::unique_ptr<TPrivateCups> cups;
};

TEST_F(SpoolerPortTest, FailedStartOrEndLeavesThePortIdleForTheNextJob)
{
    using TChange = std::function<void(TPrivateCups&, const std::string&)>;
    const TChange none = [](TPrivateCups&, const std::string&) {};
    const TChange add = [](TPrivateCups& cups, const std::string& q) { cups.AddQueue(q); };
    const TChange refuse = [](TPrivateCups& c, const std::string& q) {
        c.AddQueue(q);
        c.SetAcceptingJobs(q, false);
    };
    const TChange accept = [](TPrivateCups& c, const std::string& q) {
        c.SetAcceptingJobs(q, true);
    };
    const TChange remove = [](TPrivateCups& c, const std::string& q) { c.RemoveQueue(q); };
    const struct
    {
        const char* what;
        TChange beforeStart, beforeEnd, mend;
        QString message;
    } cases[] = {
        {"printer that does not exist", none, none, add, "Erro acessando impressora. Msg: "},
        {"queue refusing jobs", refuse, none, accept, "Erro iniciando impressão. Msg: "},
        // The job goes with its queue before its document is complete.
        {"queue removed during the job", add, remove, add, "Erro finalizando impressão. Msg: "},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const std::string queue = "Fila" + std::to_string(i);
        op.ClearMessages();
        cases[i].beforeStart(*cups, queue);
        TWindowsPort port(op, queue);
        if (port.StartData(Ini())) {
            EXPECT_TRUE(port.SendData("perdido\r\n"));
            cases[i].beforeEnd(*cups, queue);
            EXPECT_FALSE(port.EndData());
        }
        ExpectFailures({cases[i].message});
        cases[i].mend(*cups, queue);
        op.ClearMessages();
        ASSERT_TRUE(port.StartData(Ini()));
        EXPECT_TRUE(port.SendData("^XA^FDok^FS^XZ\r\n"));
        EXPECT_TRUE(port.EndData());
        EXPECT_TRUE(op.Messages().empty());
        EXPECT_EQ(cups->WaitForJobs(queue), std::vector<TSpooledJob>{Printed});
        EXPECT_EQ(cups->OutputOf(queue), "^XA^FDok^FS^XZ\r\n");
    }
}

// Reported at every step; the later labels of the job are refused without
// a box each.
TEST_F(SpoolerPortTest, SpoolerGoneDuringAJobIsReportedAndThePortGoesIdle)
{
    cups->AddQueue("Zebra");
    TWindowsPort port(op, "Zebra");
    ASSERT_TRUE(port.StartData(Ini()));
    ASSERT_TRUE(port.SendData("^XA\r\n"));
    cups->Stop();
    // Large enough not to fit in any buffer on the way.
    EXPECT_FALSE(port.SendData(std::string(1 << 20, 'x')));
    EXPECT_FALSE(port.SendData("^XA\r\n"));
    EXPECT_FALSE(port.EndData());
    EXPECT_FALSE(port.StartData(Ini()));
    ExpectFailures({"Erro enviando dados da etiqueta. Msg: ", "Erro finalizando impressão. Msg: ",
                    "Erro acessando impressora. Msg: "});
}

TEST_F(SpoolerPortTest, PortReleasedWhileStartedCancelsItsJob)
{
    cups->AddQueue("Zebra");
    {
        TWindowsPort port(op, "Zebra");
        ASSERT_TRUE(port.StartData(Ini()));
        ASSERT_TRUE(port.SendData("^XA^FDmeio^FS\r\n"));
    }
    EXPECT_EQ(cups->WaitForJobs("Zebra"), (std::vector<TSpooledJob>{{"ZEV Job", false}}));
    EXPECT_EQ(cups->OutputOf("Zebra"), "");
}

// CUPS lists its destinations without regard to case.
TEST_F(SpoolerPortTest, DriverListsTheQueuesByTheirNamesInTheSpoolersOrder)
{
    TWindowsDriver driver(op);
    EXPECT_TRUE(driver.GetPorts().empty());
    for (const char* queue : {"Zebra", "abc", "Loja_2"})
        cups->AddQueue(queue);
    EXPECT_EQ(Names(driver.GetPorts()), (std::vector<std::string>{"abc", "Loja_2", "Zebra"}));
    cups->Stop();
    EXPECT_TRUE(driver.GetPorts().empty());
    EXPECT_TRUE(op.Messages().empty());
}

} // namespace
