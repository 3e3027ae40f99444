#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

TEST(SelectCommandsTest, SelectionsWithTheirCountAndTheEditorsListingAddAndRemove)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(
        "insert into depto values (1, 'D'); insert into secao values (1, 1, 'S');"
        "insert into grupo values (1, 1, 'G'); insert into sub_grupo values (1, 1, 'U');"
        "insert into produto (produto_key, descricao, data_alteracao, preco_normal, preco_oferta, "
        "data_inicial, data_final, sub_grupo_key) values "
        "(1, 'HOJE', '" +
        IsoDate(Today()) +
        "', 2, null, null, null, 1), "
        "(2, 'AMANH\xC3\x83', '" +
        IsoDate(Today() + 1) +
        "', 3, null, null, null, null), "
        "(3, 'OFERTA', '2026-01-01', 5, 4.5, '2026-03-01', '2026-03-10', null);"
        "insert into item values ('111', 1), ('222', 2), ('7890000000033', 3);"
        "insert into produto_antigo values (2, 2.5, null)");
    WriteFileBytes(home.File("PLU.TXT"), "111\r\n222\r\n");
    WriteFileBytes(home.File("TARVO.TXT"), "00017890000000033\r\n");
    const struct
    {
        QStringList arguments;
        int status;
        std::string out;
        std::string err; // a part of standard error
    } cases[] = {
        {{"select", "today"}, 0, "Selecionado 1 item(s)\n", ""},
        {{"select", "tomorrow", "--type", "normal"}, 0, "Selecionado 1 item(s)\n", ""},
        {{"select", "date", "11/03/2026", "--type", "offers"}, 0, "Selecionado 0 item(s)\n", ""},
        {{"select", "barcodes", home.File("PLU.TXT")}, 0, "Selecionado 2 item(s)\n", ""},
        {{"select", "barcodes", home.File("TARVO.TXT"), "--tarvo9000"},
         0,
         "Selecionado 1 item(s)\n",
         ""},
        {{"select", "tree", "D", "1"}, 0, "Selecionado 1 item(s)\n", ""},
        {{"select", "changed"}, 0, "Selecionado 1 item(s)\n", ""},
        {{"select", "barcodes", home.File("NADA.TXT")}, 1, "", "NADA.TXT"},
        {{"select", "date", "31/02/2026"}, 2, "", "data inválida"},
        {{"select", "today", "--type", "todos"}, 2, "", "--type precisa de all, normal ou offers"},
        {{"select", "tree", "X", "1"}, 2, "", "informe o nível"},
        {{"select", "date", "2026-03-01", "--type", "offers"}, 0, "Selecionado 1 item(s)\n", ""},
        {{"selection", "add", "222"}, 0, "", ""},
        {{"selection", "add", "2"}, 1, "", "Produto ja cadastrado\n"},
        {{"selection", "add", "abc"}, 1, "", "Somente cóidogo interno ou de barra\n"},
        {{"selection", "add", "1"}, 0, "", ""},
        {{"selection", "remove", "1"}, 0, "", ""},
        {{"selection", "remove", "x"}, 2, "", "chave inválida"},
        // On "Selecao Data", the 1st of March, product 3 is on offer.
        {{"selection"},
         0,
         "Código\tDescrição\tData Alt.\tPreço\n2\tAMANHÃ\t" + DateToStr(Today() + 1) +
             "\t3,00\n3\tOFERTA\t01/01/2026\t4,50\n",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Result result = RunCli(QStringList{"--home", home.Path()} + c.arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.out);
        EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    }
}

// What stops a selection is told in a line that names the file and the
// reason: a settings file whose folder cannot hold it (a link into a file
// where the folder should be: root, who runs the tests, passes every
// permission) and a barcode file with a line of 20 MB of garbage.
TEST(SelectCommandsTest, AFailureNamesTheFileAndTheReasonInOneShortLine)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute("insert into produto (produto_key, descricao) values (1, 'UM');"
                            "insert into item values ('111', 1)");
    WriteFileBytes(home.File("PLU.TXT"), "111\r\n");
    WriteFileBytes(home.File("LIXO.TXT"), "111\r\n" + std::string(20 * 1024 * 1024, 'x') + "\r\n");
    WriteFileBytes(home.File("loja"), "");

    const std::pair<QStringList, std::string> cases[] = {
        {{"select", "barcodes", home.File("PLU.TXT")},
         "Não foi possível gravar o arquivo \"" + home.File("zev.ini").toStdString() +
             "\": o caminho passa por um arquivo que não é uma pasta"},
        {{"select", "barcodes", home.File("LIXO.TXT")},
         "Linha 2 do arquivo: o código \"" + std::string(60, 'x') +
             "...\" tem mais de 14 caracteres. Nada foi selecionado.\n"},
    };
    ASSERT_TRUE(QFile::link(home.File("loja/zev.ini"), home.File("zev.ini")));
    for (const auto& [arguments, told] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = RunCli(QStringList{"--home", home.Path()} + arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Contains(result.err, told)) << result.err.substr(0, 1000);
        EXPECT_LT(result.err.size(), 1000u);
        QFile::remove(home.File("zev.ini"));
    }
}

} // namespace
