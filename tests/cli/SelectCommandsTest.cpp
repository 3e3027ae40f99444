#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TestSupport.h"
#include "app/Settings.h"
#include "platform/Profile.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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

    // The selection itself commits before zev.ini is written: a zev.ini that
    // cannot take its date is a warning after it, the date kept in the
    // catalogue meanwhile.
    const std::tuple<QStringList, int, std::string, std::string> cases[] = {
        {{"select", "barcodes", home.File("PLU.TXT")},
         0,
         "Selecionado 1 item(s)\n",
         "Não foi possível gravar o arquivo \"" + home.File("zev.ini").toStdString() +
             "\": o caminho passa por um arquivo que não é uma pasta"},
        {{"select", "barcodes", home.File("LIXO.TXT")},
         1,
         "",
         "Linha 2 do arquivo: o código \"" + std::string(60, 'x') +
             "...\" tem mais de 14 caracteres. Nada foi selecionado.\n"},
    };
    ASSERT_TRUE(QFile::link(home.File("loja/zev.ini"), home.File("zev.ini")));
    for (const auto& [arguments, status, out, told] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = RunCli(QStringList{"--home", home.Path()} + arguments);
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.out, out);
        EXPECT_TRUE(Contains(result.err, told)) << result.err.substr(0, 1000);
        EXPECT_LT(result.err.size(), 1000u);
        QFile::remove(home.File("zev.ini"));
    }
}

// Product 1 changes price on the 5th and starts an offer on the 7th,
// product 2 changes on the 7th.
const char* const TwoDays =
    "insert into produto (produto_key, descricao, data_alteracao, preco_normal, preco_oferta, "
    "data_inicial, data_final) values (1, 'UM', '2026-03-05', 5, 4, '2026-03-07', '2026-03-10'), "
    "(2, 'DOIS', '2026-03-07', 3, null, null, null);"
    "insert into item values ('111', 1), ('222', 2)";

TEST(SelectCommandsTest, TheSelectionAndItsDateChangeTogetherWhereverTheProgramIsKilled)
{
    const std::string header = "Código\tDescrição\tData Alt.\tPreço\n";
    const std::string before = header + "1\tUM\t05/03/2026\t5,00\n";
    const std::string after = header + "2\tDOIS\t07/03/2026\t3,00\n1\tUM\t05/03/2026\t4,00\n";
    const struct
    {
        const char* point;
        const std::string& listing;
        const char* date;
    } cases[] = {
        {"selecao-antes-do-commit", before, "05/03/2026"},
        {"selecao-gravada", after, "07/03/2026"},
        {"selecao-data-no-ini", after, "07/03/2026"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.point);
        TProgramDirFixture home;
        CreateDatabase();
        OpenDatabase()->Execute(TwoDays);
        const QStringList select = {"--home", home.Path(), "select", "date"};
        ASSERT_EQ(RunCli(select + QStringList{"2026-03-05"}).status, 0);

        const Result killed = RunCli(select + QStringList{"2026-03-07"}, {},
                                     {QStringLiteral("ZEV_FAULT_POINT=") + c.point});
        EXPECT_EQ(killed.status, -1) << "not killed: " << killed.out << killed.err;

        const Result listing = RunCli({"--home", home.Path(), "selection"});
        EXPECT_EQ(listing.out, c.listing) << listing.err;
        EXPECT_EQ(TIniFile(SettingsPath()).ReadString(settings::Geral, settings::SelecaoData.key),
                  c.date);
    }
}

TEST(SelectCommandsTest, WritersAreToldOfABusyCatalogueInPortugueseAndReadersGoOn)
{
    TProgramDirFixture home;
    CreateDatabase();
    OpenDatabase()->Execute(std::string(TwoDays) + "; insert into selecao values (1)");
    WriteFileBytes(home.File("ZEV.TXT"), "0;5\r\n1;1;D\r\n");
    const QString path = home.File("zev.mdb");
    TConnection holder(path, TConnection::OpenMode::ExistingFile);
    holder.Execute("begin immediate; insert into selecao_barra values ('1')");

    // Each writer waits out the busy timeout: all at once.
    const QList<QStringList> writers = {{"select", "date", "2026-03-05"},
                                        {"select", "changed"},
                                        {"selection", "add", "222"},
                                        {"selection", "remove", "1"},
                                        {"import", home.File("ZEV.TXT")}};
    std::vector<std::unique_ptr<QProcess>> running;
    for (const QStringList& arguments : writers) {
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(qEnvironmentVariable("ZEV_CLI"),
                              QStringList{"--home", home.Path()} + arguments);
    }
    const Result listing = RunCli({"--home", home.Path(), "selection"});
    EXPECT_EQ(listing.status, 0) << listing.err;
    EXPECT_TRUE(Contains(listing.out, "1\tUM\t05/03/2026")) << listing.out;
    for (std::size_t i = 0; i < running.size(); ++i) {
        SCOPED_TRACE(writers[static_cast<qsizetype>(i)].join(' ').toStdString());
        ASSERT_TRUE(running[i]->waitForFinished(60000));
        const std::string err = running[i]->readAllStandardError().toStdString();
        EXPECT_EQ(running[i]->exitCode(), 1) << err;
        EXPECT_TRUE(Contains(err, "O banco de dados \"" + path.toStdString() +
                                      "\" está em uso por outro programa"))
            << err;
        EXPECT_TRUE(Contains(err, "Tente de novo quando ele terminar")) << err;
    }
    holder.Execute("rollback");
}

} // namespace
