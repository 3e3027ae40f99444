#include "output/Seriald.h"
#include "tests/cli/RunCli.h"
#include "tests/support/LoopbackPrinter.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

// zev-cli on a home whose "Portas" maps COM9: to a pseudo-terminal and LPT9:
// to a plain file.
class PortCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteFileBytes(home.File("lpt9.prn"), "");
        WriteFileBytes(home.File("zev.ini"),
                       "[Portas]\r\nCOM9:=" + line.Device().toStdString() +
                           "\r\nLPT9:=" + home.File("lpt9.prn").toStdString() +
                           "\r\n[COM9:]\r\nFLOWCONTROL=0\r\n[Rede]\r\nZEBRA1:=127.0.0.1:" +
                           std::to_string(printer.Port()) +
                           "\r\nBALCAO:=[::1]\r\nRECUSA:=127.0.0.1:" +
                           std::to_string(refusing.Port()) + "\r\n");
    }

    Result Cli(const QStringList& arguments) const
    {
        return RunCli(QStringList{"--home", home.Path()} + arguments);
    }

    TProgramDirFixture home;
    TPseudoTerminal line;
    TLoopbackPrinter printer;
    TLoopbackPrinter refusing{AF_INET, 0, false};
};

TEST_F(PortCommandsTest, PortsListsEveryPortWithItsDriverAndDevice)
{
    const Result result = Cli({"ports"});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const std::string& portLine :
         {"COM9:\tSerial Driver\t" + line.Device().toStdString() + "\n",
          "LPT9:\tParallel Driver\t" + home.File("lpt9.prn").toStdString() + "\n",
          std::string("FILE:\tFile Driver\n"), std::string("NULL:\tNull Driver\n"),
          "ZEBRA1:\tNetwork Driver\t127.0.0.1:" + std::to_string(printer.Port()) + "\n",
          std::string("BALCAO:\tNetwork Driver\t[::1]:9100\n")})
        EXPECT_TRUE(Contains(result.out, portLine)) << portLine << result.out;
    EXPECT_LT(result.out.find("COM9:"), result.out.find("FILE:"));
    EXPECT_LT(result.out.find("LPT9:"), result.out.find("NULL:"));
    EXPECT_EQ(result.err, "");
}

// zev.ini opened while `zev-cli ports` lists `count` ports of "Portas",
// each a plain file, or as many network ports of "Rede".
int SettingsOpensListing(const TProgramDirFixture& home, int count, bool network)
{
    std::string ini = network ? "[Rede]\r\n" : "[Portas]\r\n";
    for (int i = 0; i < count; ++i) {
        if (network) {
            ini += "IMP" + std::to_string(i) + ":=10.0.0." + std::to_string(i + 1) + "\r\n";
            continue;
        }
        const QString device = home.File(QString("lpt%1.prn").arg(i));
        WriteFileBytes(device, "");
        ini += "LPT" + std::to_string(10 + i) + ":=" + device.toStdString() + "\r\n";
    }
    WriteFileBytes(home.File("zev.ini"), ini);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Closes between the opens keep the kernel from merging them into one event.
    EXPECT_GE(
        inotify_add_watch(watch, home.File("zev.ini").toUtf8().constData(), IN_OPEN | IN_CLOSE), 0);
    const Result result = RunCli({"--home", home.Path(), "ports"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, network ? "IMP" + std::to_string(count - 1) +
                                                   ":\tNetwork Driver\t10.0.0." +
                                                   std::to_string(count) + ":9100\n"
                                             : "LPT" + std::to_string(9 + count) + ":"))
        << result.out;
    int opens = 0;
    alignas(inotify_event) char events[64 * 1024];
    for (ssize_t size; (size = read(watch, events, sizeof events)) > 0;)
        for (char* at = events; at < events + size;
             at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            opens += (reinterpret_cast<inotify_event*>(at)->mask & IN_OPEN) != 0;
    close(watch);
    return opens;
}

TEST(PortsCommandTest, ReadsTheSettingsAsOftenForFortyPortsAsForOne)
{
    const TProgramDirFixture home;
    for (const bool network : {false, true})
        EXPECT_EQ(SettingsOpensListing(home, 40, network), SettingsOpensListing(home, 1, network))
            << (network ? "Rede" : "Portas");
}

TEST_F(PortCommandsTest, SendCarriesAFileToAPort)
{
    const std::string label = std::string("^XA\r\n^FD\xC1gua\x00\x1b^XZ\r\n", 17);
    WriteFileBytes(home.File("etiqueta.zpl"), label);
    auto send = [&](const QString& port, const QStringList& more = {}) {
        const Result result = Cli(QStringList{"send", port, home.File("etiqueta.zpl")} + more);
        EXPECT_EQ(result.status, 0) << port.toStdString() << ": " << result.err;
        return result;
    };
    send("FILE:", {"--output", home.File("saida.prn")});
    EXPECT_EQ(ReadFileBytes(home.File("saida.prn")), label);
    send("COM9:");
    EXPECT_EQ(line.Read(label.size()), label);
    send("LPT9:");
    EXPECT_EQ(ReadFileBytes(home.File("lpt9.prn")), label);
    EXPECT_EQ(send("NULL:").out, "Enviados 17 bytes para NULL:\n");
    std::future<std::string> job = printer.ReadJob();
    EXPECT_EQ(send("ZEBRA1:").out, "Enviados 17 bytes para ZEBRA1:\n");
    EXPECT_EQ(job.get(), label);
}

TEST_F(PortCommandsTest, SendReportsWhatStoppedTheJob)
{
    const QString file = home.File("etiqueta.zpl");
    WriteFileBytes(file, "^XA^XZ");
    auto failed = [&](const QStringList& arguments) {
        const Result result = Cli(QStringList{"send"} + arguments);
        EXPECT_EQ(result.status, 1) << arguments.join(' ').toStdString();
        return result;
    };

    // FILE: without --output and without a default file is cancelled.
    EXPECT_EQ(failed({"FILE:", file}).err, "Não foi possível enviar dados\n");

    // A serial line held by another process of ours is refused.
    TScriptedOperator op;
    TSerialPort held(op, "COM9:", line.Device());
    ASSERT_TRUE(held.StartData(home.File("zev.ini")));
    Result result = failed({"COM9:", file});
    EXPECT_EQ(result.out, "Erro: Invalid Handle Value\n");
    EXPECT_EQ(result.err, "Não foi possível enviar dados\n");
    EXPECT_TRUE(held.EndData());

    result = failed({"RECUSA:", file});
    EXPECT_EQ(result.err, "Não foi possível conectar à impressora da porta RECUSA: (127.0.0.1:" +
                              std::to_string(refusing.Port()) +
                              "): conexão recusada. Verifique se a impressora está ligada e na "
                              "rede e se o endereço está certo.\nNão foi possível enviar dados\n");

    EXPECT_EQ(failed({"COM42:", file}).err, "zev-cli: Key \"COM42:\" not found\n");

    // A full disk under FILE: is an error, reported once.
    if (QFile::exists("/dev/full")) {
        result = failed({"FILE:", file, "--output", "/dev/full"});
        EXPECT_TRUE(Contains(result.err, "zev-cli: Erro de entrada/saída em FILE:")) << result.err;
        EXPECT_FALSE(Contains(result.out, "Enviados")) << result.out;
    }
    for (const QStringList& arguments :
         {QStringList{"send"}, QStringList{"send", "NULL:"}, QStringList{"send", "NULL:", "a", "b"},
          QStringList{"send", "FILE:", "a", "--output"}, QStringList{"ports", "x"}}) {
        result = Cli(arguments);
        EXPECT_EQ(result.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(Contains(result.err, "uso: zev-cli")) << result.err;
    }
}

} // namespace
