#include "catalogue/Database.h"
#include "tests/cli/RunCli.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/LoopbackPrinter.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

using namespace zev;
using namespace zev::test;

namespace {

TEST(PrintCommandsTest, PrintsTheSelectionABarcodeFileAndASequenceThroughTheLabelsPort)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(std::string(Loja) +
                            "; delete from selecao where produto_key not in (1, 2)");
    const QString padrao = home.File("padrao.prn");
    WriteFileBytes(home.File("zev.ini"),
                   "[Geral]\r\nPath Modelos=" + SourceFile("tests/printing/data").toStdString() +
                       "\r\nSelecao Data=01/03/2026\r\n[Labels]\r\nlinha=FILE:\r\n"
                       "[FILE:]\r\nFilename=" +
                       padrao.toStdString() + "\r\n");
    WriteFileBytes(home.File("PLU.TXT"), "0001000\r\n55555\r\n");
    const std::string cafe = "000001 CAFE 10,00 01/03/2026 00001000\r\n.\r\n";
    const std::string dois = "2 etiqueta(s) enviada(s)\n";

    // Arguments after "print", status, standard output, part of standard
    // error, the file the FILE: port wrote and what it holds.
    const std::tuple<QStringList, int, std::string, std::string, QString, std::string> cases[] = {
        // Without --yes the question is answered No; without --output the
        // port's default file.
        // The answer No leaves the port's file unmade.
        {{"selection", "--label", "linha"}, 1, "", "etiquetas selecionadas (2) ? Não", padrao, "-"},
        {{"selection", "--label", "linha", "--yes", "--output", home.File("s.prn")},
         0,
         dois,
         "",
         home.File("s.prn"),
         "H\r\n000002 ARROZ 5,50 01/03/2026 07891000000011\r\n.\r\n" + cafe},
        {{"file", home.File("PLU.TXT"), "--label", "linha"},
         0,
         dois,
         "",
         padrao,
         "H\r\n" + cafe + "000000 PRODUTO NAO CADASTRADO 0,00 01/03/2026 00055555\r\n.\r\n"},
        {{"sequence", "9", "10", "--label", "linha", "--date", "2026-03-05"},
         0,
         dois,
         "",
         padrao,
         "H\r\n000009   1,00 05/03/2026 00000000\r\n.\r\n000010   1,00 05/03/2026 "
         "00000000\r\n.\r\n"},
        {{"selection", "--label", "nenhuma", "--yes"},
         1,
         "",
         "A etiqueta \"nenhuma\" não foi encontrada: nenhum modelo (arquivo .lbl) da pasta",
         {},
         ""},
        {{"file", home.File("NADA.TXT"), "--label", "linha"}, 1, "", "NADA.TXT", {}, ""},
        {{"selection"}, 2, "", "informe a etiqueta com --label", {}, ""},
        {{"selection", "x", "--label", "linha"}, 2, "", "argumento inesperado: x", {}, ""},
        {{"sequence", "1", "x", "--label", "linha"}, 2, "", "número inválido: 'x'", {}, ""},
        {{"sequence", "1", "2", "--label", "linha", "--yes"},
         2,
         "",
         "opção desconhecida: --yes",
         {},
         ""},
        {{"item", "--label", "linha"}, 2, "", "informe os códigos", {}, ""},
    };
    for (const auto& [arguments, status, out, err, file, printed] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = RunCli(QStringList{"--home", home.Path(), "print"} + arguments);
        EXPECT_EQ(result.status, status) << result.err;
        EXPECT_EQ(result.out, out);
        EXPECT_TRUE(Contains(result.err, err)) << result.err;
        if (printed == "-") {
            EXPECT_FALSE(QFile::exists(file));
        } else if (!file.isEmpty()) {
            EXPECT_EQ(ReadFileBytes(file), printed);
        }
    }
}

// Ctrl+C stops a network job at once, whether the printer has stopped
// taking data or is still acknowledging the end of the job, and the job
// says how many labels it sent; the printer gets no more of it.
TEST(PrintCommandsTest, CtrlCStopsANetworkJobAndCountsWhatWasSent)
{
    struct TCase
    {
        const char* name;
        bool reads; // slowly; otherwise never
    };
    for (const TCase c : {TCase{"stalled printer", false}, TCase{"printer still reading", true}}) {
        SCOPED_TRACE(c.name);
        TProgramDirFixture home;
        CreateDatabase();
        TLoopbackPrinter printer(AF_INET, 4096);
        // About 2 KB a label: the job is far more than the connection holds.
        std::string label = "[geral]\r\nname=grande\r\ndescription=Grande\r\n"
                            "[pre_label]\r\n01=H\r\n[normal]\r\n";
        label += "01=#{Produto.key}\r\n";
        for (int line = 2; line <= 40; ++line)
            label += std::to_string(line) + "=" + std::string(50, 'Z') + "\r\n";
        WriteFileBytes(home.File("grande.lbl"), label);
        WriteFileBytes(home.File("zev.ini"),
                       "[Geral]\r\nPath Modelos=" + home.Path().toStdString() +
                           "\r\n[Labels]\r\ngrande=ZEBRA1:\r\n[Rede]\r\n"
                           "ZEBRA1:=127.0.0.1:" +
                           std::to_string(printer.Port()) + "\r\n");

        std::atomic<std::size_t> received = 0;
        std::string bytes; // what the printer read, once the reader has ended
        std::atomic<bool> reset = false;
        std::atomic<bool> done = false;
        std::thread reader([&] {
            const int fd = printer.Accept();
            char buffer[1024];
            for (;;) {
                pollfd ready{fd, POLLIN, 0};
                const bool readable = c.reads && poll(&ready, 1, 100) > 0;
                if (!readable) {
                    if (done)
                        return;
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    continue;
                }
                const ssize_t got = read(fd, buffer, sizeof buffer);
                if (got <= 0) {
                    reset = got < 0 && errno == ECONNRESET;
                    return;
                }
                received += static_cast<std::size_t>(got);
                bytes.append(buffer, static_cast<std::size_t>(got));
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });

        QProcess zev;
        zev.start(qEnvironmentVariable("ZEV_CLI"),
                  {"--home", home.Path(), "print", "sequence", "1", "500", "--label", "grande"});
        ASSERT_TRUE(zev.waitForStarted());
        // Once the printer has the job's start, and then has stopped for a
        // while or goes on slowly.
        while (received < (c.reads ? 20000u : 0u) && zev.state() == QProcess::Running)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_EQ(zev.state(), QProcess::Running);
        kill(static_cast<pid_t>(zev.processId()), SIGINT);
        ASSERT_TRUE(zev.waitForFinished(60000));
        done = true;
        reader.join();

        EXPECT_EQ(zev.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(zev.exitCode(), 1);
        const std::string out = zev.readAllStandardOutput().toStdString();
        const std::string err = zev.readAllStandardError().toStdString();
        EXPECT_TRUE(out.starts_with("Impressão cancelada: ")) << out << err;
        EXPECT_TRUE(Contains(out, " etiqueta(s) enviada(s).")) << out;
        EXPECT_FALSE(Contains(err, "não recebeu")) << err;
        EXPECT_LT(received.load(), 500u * 2000u);
        if (c.reads) {
            EXPECT_TRUE(reset.load());
            // The count is what the printer acknowledged, never what was
            // only queued for it (it may have a segment more than it told).
            const auto sent = std::stoll(out.substr(out.find(": ") + 2));
            const auto begun = std::count(bytes.begin(), bytes.end(), '#');
            EXPECT_GT(sent, 0);
            EXPECT_LE(sent, begun);
        }

        // The history has what the printer took; Continuar prints the rest.
        const auto sent = std::stoll(out.substr(out.find(": ") + 2));
        const Result history = RunCli({"--home", home.Path(), "history"});
        EXPECT_TRUE(history.out.starts_with("1  ")) << history.out;
        EXPECT_TRUE(
            Contains(history.out, "500 planejada(s), " + std::to_string(sent) + " enviada(s)"))
            << history.out;
        EXPECT_TRUE(Contains(history.out, "cancelado")) << history.out;
        const QString rest = home.File("resto.prn");
        WriteFileBytes(home.File("zev.ini"),
                       "[Geral]\r\nPath Modelos=" + home.Path().toStdString() +
                           "\r\n[Labels]\r\ngrande=FILE:\r\n");
        const Result continued = RunCli(
            {"--home", home.Path(), "reprint", "1", "--from-stop", "--yes", "--output", rest});
        EXPECT_EQ(continued.status, 0) << continued.err;
        const std::string labels = ReadFileBytes(rest);
        EXPECT_EQ(std::count(labels.begin(), labels.end(), '#'), 500 - sent);
        EXPECT_TRUE(Contains(labels, "#000500"));
    }
}

// A program killed in the middle of a job leaves it interrupted, to be
// continued from its last saved label: nothing the printer never got is
// lost, at most half a second of labels prints twice.
TEST(PrintCommandsTest, AJobKilledInTheMiddleContinuesFromItsLastSavedLabel)
{
    TProgramDirFixture home;
    CreateDatabase();
    std::string label = "[geral]\r\nname=grande\r\ndescription=Grande\r\n"
                        "[pre_label]\r\n01=H\r\n[normal]\r\n01=#{Produto.key}\r\n";
    for (int line = 2; line <= 10; ++line)
        label += std::to_string(line) + "=" + std::string(50, 'Z') + "\r\n";
    WriteFileBytes(home.File("grande.lbl"), label);
    WriteFileBytes(home.File("zev.ini"), "[Geral]\r\nPath Modelos=" + home.Path().toStdString() +
                                             "\r\n[Labels]\r\ngrande=FILE:\r\n");
    // A printer that takes about 200 KB a second, behind a pipe that holds
    // little: the job waits on it from its first labels on.
    const QString printer = home.File("impressora");
    ASSERT_EQ(mkfifo(printer.toLocal8Bit().constData(), 0600), 0);
    std::atomic<std::size_t> received = 0;
    std::string bytes;
    std::thread reader([&] {
        const int fd = open(printer.toLocal8Bit().constData(), O_RDONLY);
        char buffer[2048];
        for (;;) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got <= 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(got));
            received += static_cast<std::size_t>(got);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        close(fd);
    });
    QProcess zev;
    zev.start(qEnvironmentVariable("ZEV_CLI"), {"--home", home.Path(), "print", "sequence", "1",
                                                "5000", "--label", "grande", "--output", printer});
    ASSERT_TRUE(zev.waitForStarted());
    // Long enough for a save or two.
    while (received < 300000u && zev.state() == QProcess::Running)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(static_cast<pid_t>(zev.processId()), SIGKILL);
    ASSERT_TRUE(zev.waitForFinished(60000));
    reader.join();
    ASSERT_EQ(zev.exitStatus(), QProcess::CrashExit);

    const Result history = RunCli({"--home", home.Path(), "history"});
    EXPECT_TRUE(Contains(history.out, "interrompido")) << history.out;
    const QString rest = home.File("resto.prn");
    const Result continued =
        RunCli({"--home", home.Path(), "reprint", "1", "--from-stop", "--yes", "--output", rest});
    EXPECT_EQ(continued.status, 0) << continued.err;
    const std::string labels = ReadFileBytes(rest);
    // It begins at or before the first label the printer never began.
    const std::size_t first = labels.find('#');
    ASSERT_NE(first, std::string::npos);
    const int from = std::stoi(labels.substr(first + 1, 6));
    EXPECT_GT(from, 1);
    EXPECT_LE(from, static_cast<int>(std::count(bytes.begin(), bytes.end(), '#')) + 1);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), '#'), 5000 - from + 1);
    EXPECT_TRUE(Contains(labels, "#005000"));
}

// The label's printer is a USB serial adapter that was unplugged, or its
// templates folder is gone: every path to a printer names what is missing.
TEST(PrintCommandsTest, AnUnpluggedPrinterOrAMissingTemplatesFolderIsNamed)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(Loja);
    const std::string adapter = home.File("dev/ttyUSB0").toStdString();
    const std::string modelos = SourceFile("tests/printing/data").toStdString();
    const std::string gone = home.File("modelos").toStdString();
    WriteFileBytes(home.File("etiqueta.zpl"), "^XA^XZ");
    const std::string unplugged =
        "A impressora da porta COM3: não está conectada: o dispositivo \"" + adapter + "\"";
    const std::string noFolder =
        "A etiqueta \"linha\" não foi encontrada: a pasta de modelos \"" + gone + "\" não existe.";

    // "Path Modelos", the command after --home, and the part of standard
    // error that names what is missing.
    const std::tuple<std::string, QStringList, std::string> cases[] = {
        {modelos, {"print", "selection", "--label", "linha", "--yes"}, unplugged},
        {modelos, {"send", "COM3:", home.File("etiqueta.zpl")}, unplugged},
        {gone, {"print", "item", "1", "--label", "linha"}, noFolder},
    };
    for (const auto& [pathModelos, arguments, told] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString() + " " + pathModelos);
        WriteFileBytes(home.File("zev.ini"),
                       "[Geral]\r\nPath Modelos=" + pathModelos +
                           "\r\n[Labels]\r\nlinha=COM3:\r\n[Portas]\r\nCOM3:=" + adapter + "\r\n");
        const Result result = RunCli(QStringList{"--home", home.Path()} + arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(Contains(result.err, told)) << result.err;
        EXPECT_FALSE(Contains(result.err, "not found")) << result.err;
    }
}

// A package of `count` products on one branch of the tree, each priced its
// key plus `cents`, with one barcode.
std::string PricedPackage(int count, int cents)
{
    std::string bytes = "0;5\r\n1;1;D\r\n2;1;1;S\r\n3;1;1;G\r\n4;1;1;U\r\n";
    for (int key = 1; key <= count; ++key) {
        const std::string k = std::to_string(key);
        bytes += "5;" + k + ";P" + k + ";;1;01/03/2026;" + k + "." + std::to_string(cents) +
                 ";;;;1;0;100;UN;;;1;UN;;;;0\r\n6;" + std::to_string(1000000 + key) + ";" + k +
                 "\r\n";
    }
    return bytes;
}

// Appends what the named pipe holds, waiting for it; false once the writer
// closed it.
bool ReadSome(int fd, std::string& into)
{
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 60000) <= 0)
        throw std::runtime_error("the job wrote nothing for a minute");
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0)
        into.append(buffer, static_cast<std::size_t>(got));
    return got > 0;
}

TEST(PrintCommandsTest, AJobPrintsTheCatalogueItBeganWithWholeWhileAnImportCommits)
{
    TProgramDirFixture home;
    constexpr int Products = 5000;
    WriteFileBytes(home.File("antigo.txt"), PricedPackage(Products, 10));
    // The new catalogue changes every price and drops the last hundred products.
    WriteFileBytes(home.File("novo.txt"), PricedPackage(Products - 100, 20));
    ASSERT_EQ(RunCli({"--home", home.Path(), "import", home.File("antigo.txt")}).status, 0);
    OpenDatabase()->Execute("insert into selecao select produto_key from produto");
    WriteFileBytes(home.File("zev.ini"),
                   "[Geral]\r\nPath Modelos=" + SourceFile("tests/printing/data").toStdString() +
                       "\r\nSelecao Data=01/03/2026\r\n[Labels]\r\nlinha=FILE:\r\n");
    const QByteArray fifo = QFile::encodeName(home.File("impressora"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const int printer = open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(printer, 0);
    fcntl(printer, F_SETFL, 0);

    QProcess job;
    job.start(qEnvironmentVariable("ZEV_CLI"),
              {"--home", home.Path(), "print", "selection", "--label", "linha", "--yes", "--output",
               home.File("impressora")});
    std::string printed;
    // The job has begun; a printer that takes nothing more holds it open.
    ASSERT_TRUE(ReadSome(printer, printed));
    const Result import = RunCli({"--home", home.Path(), "import", home.File("novo.txt")});
    EXPECT_EQ(import.status, 0) << import.err;
    // The job still holds the printer: the import did not wait for it.
    pollfd open{printer, POLLIN, 0};
    ASSERT_EQ(poll(&open, 1, 0), 1);
    EXPECT_EQ(open.revents & POLLHUP, 0) << "the import waited for the job";
    while (ReadSome(printer, printed)) {
    }
    close(printer);
    ASSERT_TRUE(job.waitForFinished(60000));

    EXPECT_EQ(job.exitCode(), 0) << job.readAllStandardError().toStdString();
    EXPECT_EQ(job.readAllStandardOutput().toStdString(),
              std::to_string(Products) + " etiqueta(s) enviada(s)\n");
    // "000042 P42 42,10 01/03/2026 01000042", by description: every product
    // of the old catalogue once, at its old price.
    std::set<int> keys;
    std::size_t labels = 0;
    for (std::size_t start = 0, end; (end = printed.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = printed.substr(start, end - start);
        if (line == "H" || line == ".")
            continue;
        ++labels;
        const int key = std::stoi(line.substr(0, 6));
        keys.insert(key);
        EXPECT_TRUE(Contains(line, " " + std::to_string(key) + ",10 ")) << line;
    }
    EXPECT_EQ(labels, static_cast<std::size_t>(Products));
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(Products));
    // Meanwhile the new catalogue went in.
    const auto connection = OpenDatabase();
    TQuery& count =
        connection->Query("select count(*), sum(abs(preco_normal - produto_key - 0.2) < 0.001) "
                          "from produto");
    count.Exec();
    ASSERT_TRUE(count.Next());
    EXPECT_EQ(count.Int(0), Products - 100);
    EXPECT_EQ(count.Int(1), Products - 100);
}

} // namespace
