#include "catalogue/Database.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace zev;
using zev::test::Contains;
using zev::test::Result;
using zev::test::RunCli;
using zev::test::TProgramDirFixture;

namespace {

class CliTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CreateDatabase();
        auto connection = OpenDatabase();
        connection->Execute(
            "insert into produto (produto_key, descricao, preco_normal, preco_oferta, "
            "data_inicial, data_final, embalagem_key, fator_preco, quantidade_etiquetas) values "
            "(100, 'CERVEJA PILSEN LATA 350ML', 3.49, 2.99, '2000-01-01', '2999-12-31', 'UN', 1, "
            "1), "
            "(112, 'CERVEJA PILSEN CX 12', 39.9, 0, null, null, 'CX', 12, 1), "
            "(200, 'A\xC3\x87\xC3\x9A"
            "CAR CRISTAL 1KG', 4.99, 0, null, null, 'UN', 1, 2)");
        connection->Execute("update produto set pai = 100, caixa = 1 where produto_key = 112");
        connection->Execute("insert into item values ('7890000000100', 100), "
                            "('17890000000112', 112), ('12345', 200), ('7891000100103', 200)");
    }

    QStringList WithHome(const QStringList& arguments) const
    {
        return QStringList{"--home", home.Path()} + arguments;
    }

    TProgramDirFixture home;
};

TEST_F(CliTest, ShowsAProductAsTheLabelsWillSeeItWithItsFamilyAndTodaysPrice)
{
    const std::pair<QStringList, std::vector<std::string>> cases[] = {
        {{"produto", "200"},
         {"Produto: 200\n", "Descrição: AÇÚCAR CRISTAL 1KG\n", "Preço normal: 4,99\n",
          "Oferta: nenhuma\n", "Códigos de barras: 12345 7891000100103\n", "Etiquetas: 2\n",
          "Pai: nenhum\n"}},
        {{"produto", "100"},
         {"Oferta: de 01/01/2000 a 31/12/2999\n", "): 2,99 (em oferta)\n",
          "Filho: 112 CERVEJA PILSEN CX 12 (fator 12)\n"}},
        {{"produto", "--barra", "017890000000112"},
         {"Produto: 112\n", "Pai: 100 CERVEJA PILSEN LATA 350ML\n"}},
    };
    for (const auto& [arguments, lines] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = RunCli(WithHome(arguments));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        for (const std::string& line : lines)
            EXPECT_TRUE(Contains(result.out, line)) << line << "\n" << result.out;
    }
}

TEST_F(CliTest, OutputThatCannotBeWrittenIsAFailure)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const Result result = RunCli(WithHome({"produto", "200"}), "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "não foi possível escrever")) << result.err;
}

TEST_F(CliTest, HelpAndVersion)
{
    const Result help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "produto CHAVE")) << help.out;
    EXPECT_TRUE(Contains(help.out, "--home PASTA")) << help.out;

    const Result version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("zev-cli ") + ZEV_VERSION + "\n");
}

// A missing catalogue is created as the program does at start; a file that
// is no catalogue fails with its name and stays as it was.
TEST(CliFreshHome, CreatesTheCatalogueOrNamesTheFileThatIsNone)
{
    TProgramDirFixture fresh;
    Result result = RunCli({"--home", fresh.Path(), "produto", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Produto não cadastrado\n");
    EXPECT_TRUE(QFile::exists(fresh.File("zev.mdb")));
    EXPECT_NO_THROW(OpenDatabase());

    TProgramDirFixture broken;
    test::WriteFileBytes(broken.File("zev.mdb"), "isto não é um banco de dados");
    result = RunCli({"--home", broken.Path(), "produto", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, broken.File("zev.mdb").toStdString())) << result.err;
    EXPECT_EQ(test::ReadFileBytes(broken.File("zev.mdb")), "isto não é um banco de dados");
}

class CliLabelTest : public CliTest
{
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        // zev.ini is in the store's code page, the folder's name too.
        QDir().mkpath(home.File("Preços"));
        test::WriteFileBytes(
            home.File("zev.ini"),
            "[Geral]\r\nPath Modelos=" + Utf8ToAnsi(home.File("Preços").toStdString()) + "\r\n");
        test::WriteFileBytes(home.File("Preços/lata.lbl"),
                             "[geral]\r\nname=lata\r\ndescription=Pre\xE7o da lata\r\nversion=3\r\n"
                             "printer=Zebra\r\n[pre_label]\r\n1={STX}CAB\r\n"
                             "[normal]\r\n1={Produto.key} {Produto.preco} \xC7\r\n"
                             "[oferta]\r\n1=OFERTA {Produto.preco}\r\n"
                             "[multiplo]\r\n1=CX{Caixa.fator} {Caixa.precoUnitario}\r\n"
                             "[bottom_middle]\r\n1=M\r\n[bottom_last]\r\n1=L\r\n");
    }
};

TEST_F(CliLabelTest, ListsTheLabelsInTheirOrder)
{
    const Result result = RunCli(WithHome({"labels"}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "null\tNull Label - For Testing\t1.1.0\tNull Printer\n"
                          "lata\tPreço da lata\t3\tZebra\n");
}

TEST_F(CliLabelTest, WritesTheRenderedLabelUnchanged)
{
    const std::pair<QStringList, std::string> cases[] = {
        {{"--barra", "7891000100103", "--single"}, "000200 4,99 \xC7\r\nL\r\n"},
        {{"--key", "200", "--next", "--header"},
         "\x02"
         "CAB\r\n000200 4,99 \xC7\r\nM\r\n"},
        {{"--key", "100", "--date", "31/12/2999"}, "OFERTA 2,99\r\nM\r\n"},
        {{"--key", "112", "--date", "2026-12-06"}, "CX 12 3,32\r\nM\r\n"},
    };
    for (const auto& [arguments, expected] : cases) {
        const Result result =
            RunCli(WithHome(QStringList{"render", "--label", "lata"} + arguments));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, expected) << arguments.join(' ').toStdString();
    }
}

// Usage errors (status 2) are checked by the start of their text, the
// others by their whole text; none writes to the standard output.
TEST_F(CliLabelTest, FailuresAreReportedWithTheirStatus)
{
    const std::string unknown = "Produto não cadastrado\n";
    const std::tuple<bool, const char*, int, std::string> cases[] = {
        {true, "produto 999", 1, unknown},
        {true, "produto --barra 0000", 1, unknown},
        {true, "produto --barra 7890000000101", 1, unknown},
        {true, "render --label sumiu --key 200", 1,
         "zev-cli: A etiqueta \"sumiu\" não foi encontrada: nenhum modelo (arquivo .lbl) da "
         "pasta \"" +
             home.File("Preços").toStdString() +
             "\" tem esse nome. Verifique se o arquivo do modelo está nessa pasta e se \"Path "
             "Modelos\" na seção [Geral] do zev.ini aponta para ela. O programa ZEV lê os "
             "modelos ao abrir: depois, feche-o e abra-o de novo.\n"},
        {true, "render --label lata --key 999", 1, unknown},
        {false, "", 2, "uso: zev-cli"},
        {false, "produto", 2, "uso: zev-cli"},
        {false, "produto abc", 2, "uso: zev-cli"},
        {false, "produto --barra", 2, "uso: zev-cli"},
        {false, "vender 1", 2, "uso: zev-cli"},
        {false, "--cor produto 1", 2, "uso: zev-cli"},
        {false, "--home", 2, "uso: zev-cli"},
        {false, "--home /nao/existe/zev produto 1", 2, "uso: zev-cli"},
        {true, "render --key 200", 2, "uso: zev-cli render"},
        {true, "render --label lata", 2, "uso: zev-cli render"},
        {true, "render --label lata --key 1 --date 32/12/2026", 2, "uso: zev-cli render"},
        {true, "render --label lata --key 1 --first --single", 2, "uso: zev-cli render"},
    };
    for (const auto& [withHome, line, status, err] : cases) {
        SCOPED_TRACE(line);
        const QStringList arguments = QString(line).split(' ', Qt::SkipEmptyParts);
        const Result result = RunCli(withHome ? WithHome(arguments) : arguments);
        EXPECT_EQ(result.status, status);
        if (status == 2)
            EXPECT_TRUE(Contains(result.err, err)) << result.err;
        else
            EXPECT_EQ(result.err, err);
        EXPECT_EQ(result.out, "");
    }
}

} // namespace
