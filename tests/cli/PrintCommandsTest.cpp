#include "catalogue/Database.h"
#include "tests/cli/RunCli.h"
#include "tests/printing/PrintTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <stdexcept>

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
        {{"selection", "--label", "linha"}, 1, "", "etiquetas selecionadas (2) ? Não", padrao, ""},
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
        {{"selection", "--label", "nenhuma", "--yes"}, 1, "", "Key \"nenhuma\" not found", {}, ""},
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
        if (!file.isEmpty()) {
            EXPECT_EQ(ReadFileBytes(file), printed);
        }
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
