#include "catalogue/Database.h"
#include "platform/AnsiText.h"
#include "tests/cli/RunCli.h"
#include "tests/support/Catalogue.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

using namespace zev;
using namespace zev::test;

namespace {

TEST(CliTest, OptionsCommandsAndTheirStatusAndStreams)
{
    TProgramDirFixture home;
    CreateDatabase();
    Sql("insert into produto (produto_key, descricao, preco_normal, preco_oferta, data_inicial, "
        "data_final, quantidade_etiquetas, caixa, pai, fator_preco) values "
        "(100, 'CERVEJA PILSEN LATA 350ML', 3.49, 2.99, '2000-01-01', '2999-12-31', 1, 0, null, 1),"
        "(112, 'CERVEJA PILSEN CX 12', 39.9, null, null, null, 1, 1, 100, 12),"
        "(200, 'AÇÚCAR CRISTAL 1KG', 4.99, null, null, null, 2, 0, null, 1);"
        "insert into item values ('7890000000100', 100), ('17890000000112', 112), ('12345', 200),"
        "('7891000100103', 200);"
        "with recursive n(k) as (select 1000 union all select k + 1 from n where k < 1500) "
        "insert into produto (produto_key, descricao) select k, 'FEIJAO' from n");
    // zev.ini is in the store's code page, the folder's name too.
    QDir().mkpath(home.File("Preços"));
    WriteFileBytes(home.File("zev.ini"),
                   "[Geral]\r\nPath Modelos=" + Utf8ToAnsi(home.File("Preços").toStdString()) +
                       "\r\n");
    WriteFileBytes(home.File("Preços/lata.lbl"),
                   "[geral]\r\nname=lata\r\ndescription=Pre\xE7o da lata\r\nversion=3\r\n"
                   "printer=Zebra\r\n[pre_label]\r\n1={STX}CAB\r\n"
                   "[normal]\r\n1={Produto.key} {Produto.preco} \xC7\r\n"
                   "[oferta]\r\n1=OFERTA {Produto.preco}\r\n"
                   "[bottom_middle]\r\n1=M\r\n[bottom_last]\r\n1=L\r\n");
    WriteFileBytes(home.File("ZEV.TXT"), "0;4\r\n");
    QDir().mkpath(home.File("vazia"));
    const std::string fresh = "--home " + home.File("vazia").toStdString() + " produto 1";
    const std::string example = "import " ZEV_SOURCE_DIR "/examples/ZEV.TXT";

    // clang-format off
    RunCases({}, {
        {"--help", 0, "Comandos:\n  import ARQUIVO\n      importa o pacote", ""},
        {"--version", 0, std::string("zev-cli ") + ZEV_VERSION + "\n", ""},
        {"", 2, "", "zev-cli: falta o comando\nuso: zev-cli [--home PASTA] COMANDO"},
        {"vender 1", 2, "", "comando desconhecido: vender"},
        {"--cor produto 1", 2, "", "opção desconhecida: --cor"},
        {"--home", 2, "", "--home precisa de uma pasta"},
        {"--home /nao/existe/zev produto 1", 2, "", "\"/nao/existe/zev\" não existe"},
        // A missing catalogue is created, as the program does at start.
        {fresh, 1, "", "Produto não cadastrado\n"},
    });
    RunCases(home.Path(), {
        {"produto 200", 0, "Produto: 200\nDescrição: AÇÚCAR CRISTAL 1KG\nPreço normal: 4,99\n", ""},
        {"produto --barra 17890000000112", 0, "Pai: 100 CERVEJA PILSEN LATA 350ML\n", ""},
        {"produto 999", 1, "", "Produto não cadastrado\n"},
        {"produto", 2, "", "informe a chave ou o código de barras\nuso: zev-cli produto CHAVE"},
        {"labels", 0, "null\tNull Label - For Testing\t1.1.0\tNull Printer\n"
                      "lata\tPreço da lata\t3\tZebra\n", ""},
        // The rendered bytes unchanged, in the store's code page.
        {"render --label lata --barra 7891000100103 --single", 0, "000200 4,99 \xC7\r\nL\r\n", ""},
        {"render --label lata --key 200 --next --header", 0,
         "\x02" "CAB\r\n000200 4,99 \xC7\r\nM\r\n", ""},
        {"render --label lata --key 100 --date 2999-12-31", 0, "OFERTA 2,99\r\nM\r\n", ""},
        {"render --label sumiu --key 200", 1, "",
         "zev-cli: A etiqueta \"sumiu\" não foi encontrada: nenhum modelo"},
        {"render --key 200", 2, "", "informe a etiqueta com --label\nuso: zev-cli render --label"},
        {"search acucar", 0, "200\tAÇÚCAR CRISTAL 1KG\t4,99\n", ""},
        {"search feijao", 1, "", "Número de resultados muito grande (501) Melhore sua busca\n"},
        {"search", 2, "", "informe o texto a buscar\nuso: zev-cli search"},
        {"import ~/ZEV.TXT", 1, "", "Versão do arquivo de importação inválida: 4 <> 5"},
        {"import", 2, "", "informe o arquivo de importação\nuso: zev-cli import"},
        {example, 0, "Arquivo importado com sucesso\n", ""},
    });
    // clang-format on
    EXPECT_TRUE(QFile::exists(home.File("vazia/zev.mdb")));

    // Output that never arrived is no success.
    const Result full = RunCli({"--home", home.Path(), "produto", "1091"}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "zev-cli: não foi possível escrever a saída\n");
}

// Addresses are only read: neither command connects. A damaged path is
// refused by its setting's name, or the port left out.
TEST(PortCommandsTest, PortsListsEveryPortAndSendCarriesAFileToOne)
{
    TProgramDirFixture home;
    const std::string tty = home.File("tty9").toStdString();
    const std::string lpt = home.File("lpt9.prn").toStdString();
    WriteFileBytes(home.File("tty9"), "");
    WriteFileBytes(home.File("lpt9.prn"), "");
    WriteFileBytes(home.File("zev.ini"), "[Geral]\r\nPath Modelos=/tmp/a" + std::string(1, '\0') +
                                             "b\r\n[Portas]\r\nLPT7:=/tmp" + std::string(1, '\0') +
                                             "/x\r\nCOM9:=" + tty + "\r\nLPT9:=" + lpt +
                                             "\r\n[Rede]\r\nZEBRA1:=127.0.0.1:9101\r\nBALCAO:=[::1]"
                                             "\r\nLOJA:=10.0.0.5\r\nRUIM:=nome errado\r\n");
    const std::string label = std::string("^XA\r\n^FD\xC1gua\x00\x1b^XZ\r\n", 17);
    WriteFileBytes(home.File("etiqueta.zpl"), label);
    // clang-format off
    RunCases(home.Path(), {
        {"ports", 0, "BALCAO:\tNetwork Driver\t[::1]:9100\n", ""},
        {"ports", 0, "COM9:\tSerial Driver\t" + tty + "\nFILE:\tFile Driver\n"
                     "LOJA:\tNetwork Driver\t10.0.0.5:9100\nLPT9:\tParallel Driver\t" + lpt +
                     "\nNULL:\tNull Driver\nRUIM:\tNetwork Driver\tnome errado\n"
                     "ZEBRA1:\tNetwork Driver\t127.0.0.1:9101\n", ""},
        {"send FILE: ~/etiqueta.zpl --output ~/saida.prn", 0, "Enviados 17 bytes para FILE:\n", ""},
        {"send NULL: ~/etiqueta.zpl", 0, "Enviados 17 bytes para NULL:\n", ""},
        // FILE: without --output and without a default file is cancelled.
        {"send FILE: ~/etiqueta.zpl", 1, "", "Não foi possível enviar dados\n"},
        {"send FILE: ~/etiqueta.zpl --output /dev/full", 1, "",
         "zev-cli: Erro de entrada/saída em FILE: (/dev/full)"},
        {"send COM42: ~/etiqueta.zpl", 1, "", "zev-cli: Key \"COM42:\" not found\n"},
        {"send", 2, "", "informe a porta e o arquivo\nuso: zev-cli send PORTA ARQUIVO"},
        {"labels", 1, "", "Path Modelos"},
    });
    // clang-format on
    EXPECT_EQ(ReadFileBytes(home.File("saida.prn")), label);
}

TEST(CliTest, CtrlCStopsTheImportAndNothingChanges)
{
    TProgramDirFixture home;
    const QString package = home.File("ZEV.TXT");
    QProcess generator;
    generator.start(qEnvironmentVariable("ZEV_GENCAT"),
                    {"--package", package, "--produtos", "40000"});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0);
    CreateDatabase();
    const std::string database = ReadFileBytes(home.File("zev.mdb"));

    QProcess cli;
    cli.start(qEnvironmentVariable("ZEV_CLI"), {"--home", home.Path(), "import", package});
    ASSERT_TRUE(cli.waitForStarted());
    // The staged files appear once the import listens for Ctrl+C.
    for (int i = 0;
         i < 6000 && !QFile::exists(home.File("tmp/depto.csv")) && cli.state() == QProcess::Running;
         ++i)
        QThread::msleep(5);
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));

    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_EQ(cli.readAllStandardOutput().toStdString(), "");
    EXPECT_EQ(cli.readAllStandardError().toStdString(),
              "Importação cancelada: o cadastro não foi alterado\n");
    EXPECT_TRUE(ReadFileBytes(home.File("zev.mdb")) == database);
    EXPECT_FALSE(QDir(home.File("tmp")).exists());
}

} // namespace
