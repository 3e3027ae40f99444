#include "output/Networkd.h"
#include "printing/ItemSession.h"
#include "printing/PrintJobs.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/LoopbackPrinter.h"

using namespace zev;
using namespace zev::test;

namespace {

// The selection printed through a network port with no spooler: the job's
// bytes reach a printer on the loopback as a file port would have written
// them; a printer that refuses the connection stops the job before a label.
TEST_F(PrintTest, TheSelectionReachesANetworkPrinter)
{
    Sql(Loja);
    TLoopbackPrinter printer;
    TLoopbackPrinter refusing(AF_INET, 0, false);
    program.WriteSettings("[Rede]\r\nZEBRA1:=127.0.0.1:" + std::to_string(printer.Port()) +
                          "\r\nRECUSA:=127.0.0.1:" + std::to_string(refusing.Port()) + "\r\n");
    program.Registries().Ports->AddDriver(std::make_unique<TNetworkDriver>(op(), SettingsPath()));

    std::future<std::string> job = printer.ReadJob();
    program.WriteSettings("[Labels]\r\nmarca=ZEBRA1:\r\n[Rede]\r\nZEBRA1:=127.0.0.1:" +
                          std::to_string(printer.Port()) + "\r\n");
    op().QueueYesNo(true);
    EXPECT_TRUE(PrintSelecao(op(), registries(), "marca").Complete());
    EXPECT_EQ(job.get(), Marks("F9 N2 N3 N3 N3 N1 N7"));
    EXPECT_EQ(op().Messages().size(), 1u); // the question only

    op().ClearMessages();
    program.WriteSettings("[Labels]\r\nmarca=RECUSA:\r\n[Rede]\r\nRECUSA:=127.0.0.1:" +
                          std::to_string(refusing.Port()) + "\r\n");
    op().QueueYesNo(true);
    EXPECT_FALSE(PrintSelecao(op(), registries(), "marca").Complete());
    // The port's own message, then the job's.
    const auto& messages = op().Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back(),
              (TOperatorMessage{"error", QString::fromUtf8("Não foi possível enviar dados")}));
    EXPECT_EQ(
        messages[messages.size() - 2],
        (TOperatorMessage{"error",
                          QString::fromUtf8("Não foi possível conectar à impressora da porta "
                                            "RECUSA: (127.0.0.1:" +
                                            std::to_string(refusing.Port()) +
                                            "): conexão recusada. Verifique se a impressora "
                                            "está ligada e na rede e se o endereço está certo.")}));
}

// At the counter a label counts once the printer has it: one that resets
// the connection after the header gets the label refused at that Enter,
// and the next Enter connects again and prints.
TEST_F(PrintTest, TheCounterCountsOnlyWhatANetworkPrinterTookAndConnectsAgain)
{
    Sql(Loja);
    TLoopbackPrinter printer;
    program.WriteSettings("[Labels]\r\nmarca=ZEBRA1:\r\n[Geral]\r\nImp Autom=1\r\n[Rede]\r\n"
                          "ZEBRA1:=127.0.0.1:" +
                          std::to_string(printer.Port()) + "\r\n");
    program.Registries().Ports->AddDriver(std::make_unique<TNetworkDriver>(op(), SettingsPath()));
    TItemSession session(op(), registries(), "marca", {});
    const int first = printer.Accept();
    char header[3];
    ASSERT_EQ(read(first, header, sizeof header), 3);
    const linger reset{1, 0};
    setsockopt(first, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    printer.Close(first);

    struct TNoQuestions final : TItemQuestions
    {
        std::optional<TProconData> AskProcon() override { return std::nullopt; }
        std::optional<QString> AskCount() override { return std::nullopt; }
    } questions;
    const TItemPrinted refused = session.Enter("1000", questions);
    EXPECT_EQ(refused.sent, 0);
    EXPECT_EQ(refused.refused, 1);
    ASSERT_FALSE(op().Messages().empty());
    EXPECT_TRUE(op().Messages().back().text.contains("ZEBRA1:"))
        << op().Messages().back().text.toStdString();

    std::future<std::string> again = printer.ReadJob();
    const TItemPrinted printed = session.Enter("1000", questions);
    EXPECT_EQ(printed.sent, 1);
    EXPECT_EQ(printed.refused, 0);
    EXPECT_TRUE(session.End());
    EXPECT_EQ(again.get(), "H\r\nS1\r\n");
}

} // namespace
