#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "tests/cli/RunCli.h"
#include "tests/support/Catalogue.h"

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

// Each way of selecting reaches its operation with the arguments given:
// today's product is not tomorrow's two, and the type picks offers or not.
TEST(SelectCommandsTest, SelectionsWithTheirCountAndTheEditorsListingAddAndRemove)
{
    TProgramDirFixture home;
    CreateDatabase();
    AddBranch({1, 1, 1, 1});
    Sql("insert into produto (produto_key, descricao, sub_grupo_key, preco_normal, preco_oferta, "
        "data_inicial, data_final, data_alteracao) values "
        "(1, 'HOJE', 1, 2, null, null, null, date('now', 'localtime')),"
        "(2, 'AMANHÃ', null, 3, null, null, null, date('now', 'localtime', '+1 day')),"
        "(3, 'OFERTA', null, 5, 4.5, '2026-03-01', '2026-03-10', '2026-01-01'),"
        "(4, 'DEPOIS', null, 6, null, null, null, date('now', 'localtime', '+1 day'));"
        "insert into item values ('111', 1), ('222', 2), ('7890000000033', 3), ('444', 4);"
        "insert into produto_antigo values (2, 2.5, null)");
    WriteFileBytes(home.File("PLU.TXT"), "111\r\n222\r\n");
    WriteFileBytes(home.File("TARVO.TXT"), "00017890000000033\r\n");
    const std::string usage = "\nuso: zev-cli select today | tomorrow";
    const std::string one = "Selecionado 1 item(s)\n";
    // clang-format off
    RunCases(home.Path(), {
        {"select today", 0, one, ""},
        {"select tomorrow", 0, "Selecionado 2 item(s)\n", ""},
        {"select date 01/03/2026", 0, one, ""},
        {"select date 2026-03-01 --type normal", 0, "Selecionado 0 item(s)\n", ""},
        {"select barcodes ~/PLU.TXT", 0, "Selecionado 2 item(s)\n", ""},
        {"select barcodes ~/TARVO.TXT --tarvo9000", 0, one, ""},
        {"select tree D 1", 0, one, ""},
        {"select changed", 0, one, ""},
        {"select barcodes ~/NADA.TXT", 1, "", "NADA.TXT"},
        {"select", 2, "", "informe o tipo de seleção" + usage},
        {"select ontem", 2, "", "tipo de seleção desconhecido: ontem" + usage},
        {"select today --type todos", 2, "", "--type precisa de all, normal ou offers" + usage},
        {"select date 2026-03-01 --type offers", 0, one, ""},
        {"selection add 222", 0, "", ""},
        {"selection add abc", 1, "", "Somente cóidogo interno ou de barra\n"},
        {"selection add 1", 0, "", ""},
        {"selection remove 1", 0, "", ""},
        {"selection remove x", 2, "", "chave inválida: 'x'\nuso: zev-cli selection [add CODIGO"},
        {"selection add", 2, "", "informe add CODIGO ou remove CHAVE"},
        // On "Selecao Data", the 1st of March, product 3 is on offer.
        {"selection", 0, "Código\tDescrição\tData Alt.\tPreço\n2\tAMANHÃ\t" +
                         DateToStr(Today() + 1) + "\t3,00\n3\tOFERTA\t01/01/2026\t4,50\n", ""},
    });
    // clang-format on
}

// The selection and "Selecao Data" are one change: killed before the
// commit both stay, after it both move, even before zev.ini was written.
TEST(SelectCommandsTest, TheSelectionAndItsDateChangeTogetherWhereverTheProgramIsKilled)
{
    const struct
    {
        const char* point;
        std::vector<int> selected;
        const char* date;
    } cases[] = {{"selecao-antes-do-commit", {1}, "05/03/2026"},
                 {"selecao-gravada", {1, 2}, "07/03/2026"},
                 {"selecao-data-no-ini", {1, 2}, "07/03/2026"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.point);
        TProgramDirFixture home;
        CreateDatabase();
        Sql("insert into produto (produto_key, descricao, preco_normal, data_alteracao) values "
            "(1, 'UM', 5, '2026-03-05'), (2, 'DOIS', 3, '2026-03-07');"
            "update produto set preco_oferta = 4, data_inicial = '2026-03-07', "
            "data_final = '2026-03-10' where produto_key = 1;"
            "insert into item values ('111', 1), ('222', 2)");
        const QStringList select = {"--home", home.Path(), "select", "date"};
        ASSERT_EQ(RunCli(select + QStringList{"2026-03-05"}).status, 0);
        const Result killed = RunCli(select + QStringList{"2026-03-07"}, {},
                                     {QStringLiteral("ZEV_FAULT_POINT=") + c.point});
        EXPECT_EQ(killed.status, -1) << "not killed: " << killed.out << killed.err;
        // The next run mends zev.ini from the committed record.
        EXPECT_EQ(RunCli({"--home", home.Path(), "selection"}).status, 0);
        EXPECT_EQ(IntColumn("select produto_key from selecao order by 1"), c.selected);
        EXPECT_EQ(TIniFile(SettingsPath()).ReadString(settings::Geral, settings::SelecaoData.key),
                  c.date);
    }
}

} // namespace
