#include "catalogue/Database.h"
#include "tests/cli/RunCli.h"
#include "tests/support/Catalogue.h"
#include "tests/support/LoopbackPrinter.h"

#include <QFile>

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

using namespace zev;
using namespace zev::test;

namespace {

TEST(PrintCommandsTest, EveryJobKindPrintsThroughTheLabelsPortAndTheHistoryShowsIt)
{
    TProgramDirFixture home;
    CreateDatabase();
    AddBranch({1, 1, 1, 1});
    Sql("insert into produto (produto_key, descricao, sub_grupo_key, preco_normal, "
        "quantidade_etiquetas) values (1, 'CAFE', 1, 10, 1), (2, 'ARROZ', 1, 5.5, 1);"
        "insert into item values ('1000', 1), ('7891000000028', 2);"
        "insert into selecao values (1), (2)");
    WriteFileBytes(home.File("linha.lbl"), "[geral]\r\nname=linha\r\n[pre_label]\r\n01=H\r\n"
                                           "[normal]\r\n01={Produto.key} {Produto.preco} "
                                           "{Produto.data}\r\n");
    WriteFileBytes(home.File("procon.lbl"),
                   "[geral]\r\nname=procon\r\n[normal]\r\n01="
                   "{Produto.fornecedorDescricao}|{Produto.fabricacao}\r\n");
    const QString padrao = home.File("padrao.prn");
    WriteFileBytes(home.File("zev.ini"), "[Geral]\r\nPath Modelos=" + home.Path().toStdString() +
                                             "\r\nSelecao Data=01/03/2026\r\n[Labels]\r\nlinha="
                                             "FILE:\r\nprocon=FILE:\r\n[FILE:]\r\nFilename=" +
                                             padrao.toStdString() + "\r\n");
    WriteFileBytes(home.File("PLU.TXT"), "1000\r\n55555\r\n");
    // The answer No, without --yes, leaves the port's file unmade.
    RunCases(home.Path(), {{"print selection --label linha", 1, "",
                            "etiquetas selecionadas (2) ? Não (use --yes para confirmar)\n"}});
    EXPECT_FALSE(QFile::exists(padrao));

    const std::string two = "2 etiqueta(s) enviada(s)\n";
    const std::string one = "1 etiqueta(s) enviada(s)\n";
    const std::string usage = "\nuso: zev-cli print selection --label NOME";
    // clang-format off
    RunCases(home.Path(), {
        {"print selection --label linha --yes --output ~/s.prn", 0, two,
         "etiquetas selecionadas (2) ? Sim (--yes)\n"},
        {"print file ~/PLU.TXT --label linha", 0, two, ""},
        {"print sequence 9 10 --label linha --date 2026-03-05 --output ~/q.prn", 0, two, ""},
        {"print item 1000 7891000000028 --label linha --count 2 --output ~/i.prn", 0,
         "4 etiqueta(s) enviada(s)\n", ""},
        // A code not found is told, the rest still prints, the run failed.
        {"print item 1000 55555 --label linha --output ~/n.prn", 1, one, "*** NÃO ENCONTRADO ***\n"},
        {"print item 1000 --label procon --procon Irmãos 12.345.678/0001-99 2026-02-27 --output "
         "~/p.prn", 0, one, ""},
        {"print item 1000 --label sumida", 1, "",
         "Não foi possível inicializar a impressora A etiqueta \"sumida\" não foi encontrada"},
        {"print", 2, "", "informe o que imprimir" + usage},
        {"print lista", 2, "", "impressão desconhecida: lista" + usage},
        {"print selection", 2, "", "informe a etiqueta com --label" + usage},
        // Newest first.
        {"history", 0, "  sequencial  linha  FILE:  2 planejada(s), 2 enviada(s), 0 recusada(s)  "
                       "concluído\n2  ", ""},
        {"history show 2", 0, "Itens:\n1  1000  CAFE  1 etiqueta(s), 1 enviada(s)\n"
                              "2  55555  -  1 etiqueta(s), 1 enviada(s)\n", ""},
        {"history show 99", 1, "", "O trabalho 99 não está no histórico.\n"},
        {"history --limit x", 2, "", "--limit precisa de um número\nuso: zev-cli history"},
        {"reprint 2 --yes --output ~/r.prn", 0, two,
         "Confirma imprimir novamente o trabalho 2 (2 etiqueta(s)) ? Sim (--yes)\n"},
        {"reprint", 2, "", "informe o número do trabalho\nuso: zev-cli reprint TRABALHO"},
    });
    // clang-format on

    const std::string cafe = "000001 10,00 01/03/2026\r\n";
    const std::string file = "H\r\n" + cafe + "000000 0,00 01/03/2026\r\n";
    const std::pair<const char*, std::string> printed[] = {
        {"s.prn", "H\r\n000002 5,50 01/03/2026\r\n" + cafe},
        {"padrao.prn", file},
        {"q.prn", "H\r\n000009 1,00 05/03/2026\r\n000010 1,00 05/03/2026\r\n"},
        {"p.prn", "Irm\xE3os (12.345.678/0001-99)|27/02/2026\r\n"},
        {"r.prn", file},
    };
    for (const auto& [name, bytes] : printed)
        EXPECT_EQ(ReadFileBytes(home.File(name)), bytes) << name;
}

// Ctrl+C stops a network job while the printer still reads it; the
// connection is reset, so the printer gets no more of it.
TEST(PrintCommandsTest, CtrlCStopsANetworkJobAndCountsWhatWasSent)
{
    TProgramDirFixture home;
    CreateDatabase();
    TLoopbackPrinter printer(AF_INET, 4096);
    // About 2 KB a label: the job is far more than the connection holds.
    std::string label = "[geral]\r\nname=grande\r\n[pre_label]\r\n01=H\r\n[normal]\r\n"
                        "01=#{Produto.key}\r\n";
    for (int line = 2; line <= 40; ++line)
        label += std::to_string(line) + "=" + std::string(50, 'Z') + "\r\n";
    WriteFileBytes(home.File("grande.lbl"), label);
    WriteFileBytes(home.File("zev.ini"), "[Geral]\r\nPath Modelos=" + home.Path().toStdString() +
                                             "\r\n[Labels]\r\ngrande=ZEBRA1:\r\n[Rede]\r\n"
                                             "ZEBRA1:=127.0.0.1:" +
                                             std::to_string(printer.Port()) + "\r\n");

    std::string bytes; // what the printer read, once the reader has ended
    std::atomic<std::size_t> received = 0;
    bool reset = false;
    // A slow printer: about 100 KB a second.
    std::thread reader([&] {
        const int fd = printer.Accept();
        char buffer[1024];
        ssize_t got = 0;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
            received = bytes.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        reset = got < 0 && errno == ECONNRESET;
    });
    QProcess zev;
    zev.start(qEnvironmentVariable("ZEV_CLI"),
              {"--home", home.Path(), "print", "sequence", "1", "500", "--label", "grande"});
    ASSERT_TRUE(zev.waitForStarted());
    // Labels have reached the printer: the job listens for Ctrl+C.
    for (int i = 0; i < 6000 && received < 20000 && zev.state() == QProcess::Running; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(zev.state(), QProcess::Running);
    kill(static_cast<pid_t>(zev.processId()), SIGINT);
    ASSERT_TRUE(zev.waitForFinished(60000));
    reader.join();

    EXPECT_EQ(zev.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(zev.exitCode(), 1);
    const std::string out = zev.readAllStandardOutput().toStdString();
    const std::string err = zev.readAllStandardError().toStdString();
    ASSERT_TRUE(out.starts_with("Impressão cancelada: ")) << out << err;
    EXPECT_TRUE(Contains(out, " etiqueta(s) enviada(s).")) << out;
    EXPECT_FALSE(Contains(err, "não recebeu")) << err;
    EXPECT_TRUE(reset);
    EXPECT_LT(bytes.size(), 500u * 2000u);
    // Acknowledged, not only queued (the printer may hold a segment more).
    const auto sent = std::stoll(out.substr(out.find(": ") + 2));
    EXPECT_GT(sent, 0);
    EXPECT_LE(sent, std::count(bytes.begin(), bytes.end(), '#'));
}

} // namespace
