#include "tests/output/OutputTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

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

// A queue missing, refusing jobs, or removed during the job; once mended, the next prints.
TEST_F(SpoolerPortTest, FailedStartOrEndLeavesThePortIdleForTheNextJob)
{
    TWindowsPort missing(op, "Fila0"), refusing(op, "Fila1"), removed(op, "Fila2");
    cups->AddQueue("Fila1");
    cups->SetAcceptingJobs("Fila1", false);
    cups->AddQueue("Fila2");
    EXPECT_FALSE(missing.StartData(Ini()));
    EXPECT_FALSE(refusing.StartData(Ini()));
    ASSERT_TRUE(removed.StartData(Ini()));
    EXPECT_TRUE(removed.SendData("perdido\r\n"));
    cups->RemoveQueue("Fila2");
    EXPECT_FALSE(removed.EndData());
    ExpectFailures({"Erro acessando impressora. Msg: ", "Erro iniciando impressão. Msg: ",
                    "Erro finalizando impressão. Msg: "});
    cups->AddQueue("Fila2");
    op.ClearMessages();
    ASSERT_TRUE(removed.StartData(Ini()));
    EXPECT_TRUE(removed.SendData("^XA^FDok^FS^XZ\r\n"));
    EXPECT_TRUE(removed.EndData());
    EXPECT_EQ(cups->WaitForJobs("Fila2"), (std::vector<TSpooledJob>{{"ZEV Job", true}}));
    EXPECT_TRUE(op.Messages().empty());
}

// Reported at every step; the job's later labels are refused without a box each.
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

TEST_F(SpoolerPortTest, DriverListsTheSpoolersQueues)
{
    TWindowsDriver driver(op);
    cups->AddQueue("Zebra");
    EXPECT_EQ(Names(driver.GetPorts()), std::vector<std::string>{"Zebra"});
    cups->Stop();
    EXPECT_TRUE(driver.GetPorts().empty());
    EXPECT_TRUE(op.Messages().empty());
}

} // namespace
