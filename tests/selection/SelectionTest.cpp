#include "app/Settings.h"
#include "catalogue/Database.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "selection/Arvore.h"
#include "selection/BarcodeFile.h"
#include "selection/EditSelection.h"
#include "selection/SelecaoCommand.h"
#include "selection/SelectByDate.h"
#include "tests/support/Catalogue.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

using namespace zev;
using namespace zev::test;

namespace {

class SelectionTest : public testing::Test
{
protected:
    SelectionTest() { CreateDatabase(); }

    // The keys in selecao, sorted; a key selected twice is listed twice.
    static std::vector<int> Selected() { return IntColumn("select * from selecao order by 1"); }
    static std::string Setting(std::string_view key)
    {
        return TIniFile(SettingsPath()).ReadString(settings::Geral, key, "(none)");
    }
    static void SetSetting(std::string_view key, std::string_view value)
    {
        TIniFile(SettingsPath()).WriteString(settings::Geral, key, value);
    }
    static std::vector<QString> Count(std::size_t count)
    {
        return {QStringLiteral("Selecionado %1 item(s)").arg(count)};
    }

    TProgramDirFixture home;
    TScriptedOperator op;
};

double March(int day)
{
    return EncodeDate(2026, 3, day);
}

TEST_F(SelectionTest, DateSelectionTakesOfferStartsAndTheDayAfterOfferEndsUnderEachType)
{
    Sql("insert into produto (produto_key, descricao, data_alteracao, preco_normal, "
        "data_inicial, data_final, preco_oferta) values "
        "(1, 'OFERTA DE 1 A 10', '2026-02-01', 3, '2026-03-01', '2026-03-10', 2.5), "
        "(2, 'NOVO PRECO NO DIA 10', '2026-03-10', 4, null, null, null), "
        "(3, 'OFERTA SEM INICIO', '2026-03-01', 6, null, '2026-03-20', 5);"
        "insert into item values ('101', 1), ('102', 2), ('103', 3)");
    const struct { int day, tipo; std::vector<int> selected; } cases[] = {
        {1, 1, {1, 3}}, {1, 2, {3}}, {1, 3, {1, 3}}, {10, 1, {2}}, {11, 1, {1}}, {11, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "day " << c.day << ", type " << c.tipo);
        op.ClearMessages();
        Sql("insert into selecao values (2)"); // what an earlier selection left
        op.QueueTipo(c.tipo);
        SelectByDate(op, March(c.day));
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(op.MessageTexts(), Count(c.selected.size()));
        EXPECT_EQ(Setting(settings::SelecaoData.key), DateToStr(March(c.day)));
    }
}

TEST_F(SelectionTest, DateSelectionDropsNoBarcodeBelowMinBalancaAndBoxesUnlessAtacado)
{
    Sql("insert into produto (produto_key, descricao, data_alteracao, pai, caixa) values "
        "(10, 'DOIS CODIGOS', '2026-03-01', null, 0), (11, 'CODIGO 1000', '2026-03-01', null, 0), "
        "(12, 'SEM CODIGO', '2026-03-01', null, 0), (13, 'CAIXA DO 11', '2026-03-01', 11, 1), "
        "(14, 'CODIGO COM BRANCOS', '2026-03-01', null, 0);"
        "insert into item values ('999', 10), ('2000', 10), ('1000', 11), "
        "('7890000000013', 13), ('  1500', 14)");
    const struct { const char *minBalanca, *atacado; std::vector<int> selected; } cases[] = {
        {nullptr, nullptr, {10, 11, 14}}, {"1000", "0", {11, 14}}, {"1000", "1", {11, 13, 14}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minBalanca != nullptr ? c.minBalanca : "not set");
        if (c.minBalanca != nullptr) {
            SetSetting(settings::MinBalanca.key, c.minBalanca);
            SetSetting(settings::Atacado.key, c.atacado);
        }
        op.QueueTipo(1);
        SelectByDate(op, March(1));
        EXPECT_EQ(Selected(), c.selected);
    }
}

// 110 hashes before 99; 30 and 20 share a bucket and keep the name order.
TEST_F(SelectionTest, TheTreeShowsDepartmentsByNameAndChildrenInTheirTablesIterationOrder)
{
    Sql("insert into depto values (2, 'BEBIDAS'), (1, 'A\xC3\x87OUGUE');"
        "insert into secao values (99, 2, '\xC3\x81GUAS'), (110, 2, 'CERVEJAS'), "
        "(20, 2, 'ZETA'), (30, 2, 'ALFA');"
        "insert into grupo values (991, 99, 'MINERAL'), (1101, 110, 'LATA');"
        "insert into sub_grupo values (9911, 991, 'SEM G\xC3\x81S'), "
        "(9912, 991, 'COM G\xC3\x81S'), (11011, 1101, 'PILSEN');"
        "insert into produto (produto_key, descricao, sub_grupo_key) values "
        "(1, 'SEM GAS', 9911), (2, 'COM GAS', 9912), (3, 'PILSEN', 11011), (4, 'SEM GRUPO', null)");
    TArvore arvore;
    arvore.Load(*OpenDatabase());
    std::vector<std::string> shown;
    for (const TArvoreItem* item : arvore.AttachOrder())
        shown.push_back(item->nivel + std::to_string(item->key) + "<" +
                        (item->parent ? std::to_string(item->parent->key) : "") + " " +
                        AnsiToUtf8(item->nome));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "D1< AÇOUGUE", "D2< BEBIDAS", "S110<2 CERVEJAS", "S30<2 ALFA",
                         "S20<2 ZETA", "S99<2 ÁGUAS", "G991<99 MINERAL", "G1101<110 LATA",
                         "U9911<991 SEM GÁS", "U9912<991 COM GÁS", "U11011<1101 PILSEN"}));

    const struct { TArvoreChoice choice; std::vector<int> selected; } cases[] = {
        {{'D', 2}, {1, 2, 3}}, {{'S', 99}, {1, 2}}, {{'G', 1101}, {3}},
        {{'U', 9912}, {2}},    {{'X', 2}, {}}, // no branch ever confirmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.choice.nivel << c.choice.key);
        Sql("insert into selecao values (4)");
        op.QueueArvore(c.choice);
        SelectFromTree(op);
        EXPECT_EQ(Selected(), c.selected);
    }
}

using Format = TBarcodeFileFormat;
constexpr auto Barras = TBarcodeFileFormat::Barras;
constexpr auto Tarvo = TBarcodeFileFormat::Tarvo9000;

class BarcodeFileTest : public SelectionTest
{
protected:
    BarcodeFileTest()
    {
        Sql("insert into produto (produto_key, descricao, pai, caixa) values "
            "(1, 'UNIDADE', null, 0), (2, 'CAIXA DA UNIDADE', 1, 1), (3, 'OUTRO', null, 0), "
            "(4, 'ZEROS', null, 0);"
            // An empty barcode, as an older import kept "0000": no line finds it.
            "insert into item values ('12345', 1), ('7890000000017', 2), ('555', 3), ('', 4), "
            "('12345678901234', 3);"
            "insert into selecao values (3)");
        SetSetting(settings::SelecaoData.key, "01/01/2020");
    }
    void Select(const std::string& bytes, TBarcodeFileFormat format)
    {
        WriteFileBytes(home.File("PLU.TXT"), bytes);
        op.QueueFile(home.File("PLU.TXT"));
        SelectFromBarcodeFile(op, format);
    }
};

TEST_F(BarcodeFileTest, SelectsTheOwnersOfTheFilesBarcodesAndWithAtacadoTheirBoxes)
{
    const struct { std::string in; Format f; const char* at; std::vector<int> keys; } cases[] = {
        {"12345\r\n12345\r\n\r\n", Barras, "0", {1}},
        {"12345\r\n12345\r\n\r\n", Barras, "1", {1, 2}},
        // The box is in the file and is a child of the unit in it too.
        {"12345\r\n7890000000017\r\n", Barras, "1", {1, 2, 2}},
        // Exactly as written: no zeros stripped, no blanks trimmed.
        {"012345\n12345 \n", Barras, "0", {}},
        {"12345678901234\n", Barras, "0", {3}}, // as wide as the column
        {"555\r12345\r", Barras, "0", {1, 3}},
        {"XXXX7890000000017\nYYYY555", Tarvo, "0", {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.in) + " Atacado=" + c.at);
        SetSetting(settings::Atacado.key, c.at);
        Select(c.in, c.f);
        EXPECT_EQ(Selected(), c.keys);
        EXPECT_EQ(Setting(settings::SelecaoData.key), DateToStr(Today()));
    }
}

TEST_F(BarcodeFileTest, AFileThatCannotBeUsedChangesNothing)
{
    op.QueueFile(home.File("MISSING.TXT"));
    EXPECT_THROW(SelectFromBarcodeFile(op, Barras), EInOutError);
    EXPECT_THAT([&] { Select("12345\r\n123456789012345\r\n", Barras); },
                testing::ThrowsMessage<EZevError>(
                    testing::StrEq("Linha 2 do arquivo: o código \"123456789012345\" tem mais "
                                   "de 14 caracteres. Nada foi selecionado.")));
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Setting(settings::SelecaoData.key), "01/01/2020");
    EXPECT_TRUE(op.Messages().empty());
}

TEST_F(SelectionTest, ChangedPricesSelectsWhatDiffersFromBeforeTheLastImport)
{
    Sql("insert into produto (produto_key, descricao, preco_normal, preco_oferta) values "
        "(1, 'NORMAL MUDOU', 5, null), (2, 'OFERTA MUDOU', 5, 4), (3, 'IGUAL', 5, 4), "
        "(4, 'OFERTA NOVA', 5, 4), (5, 'OFERTA ACABOU', 5, null), (6, 'PRODUTO NOVO', 5, 4);"
        "insert into produto_antigo values (1, 6, null), (2, 5, 3), (3, 5, 4), (4, 5, null), "
        "(5, 5, 4), (99, 1, 1)");
    SetSetting(settings::SelecaoData.key, "01/01/2020");
    SelectChangedPrices(op);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Setting(settings::SelecaoData.key), "01/01/2020");
}

TEST_F(SelectionTest, AddingTakesAKeyFirstThenABarcodeAndRefusesWithTheEditorsWarnings)
{
    Sql("insert into produto (produto_key, descricao) values (1234, 'CHAVE 1234'), "
        "(2, 'CODIGO 1234'), (3, 'EAN'), (4, 'JA LISTADO');"
        "insert into item values ('1234', 2), ('7891000100103', 3), ('44', 4)");
    // 7891000100103 is beyond the key range: a barcode only; product 4 is listed
    const struct { const char* code; std::optional<int> added; const char* warn; } cases[] = {
        {"1234", 1234, nullptr},
        {"7891000100103", 3, nullptr},
        {"44", {}, "Produto ja cadastrado"},
        {"555", {}, "Produto não cadastrado"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        op.ClearMessages();
        Sql("delete from selecao");
        EXPECT_EQ(AddCodeToSelection(op, c.code, {"1", "4"}), c.added);
        EXPECT_EQ(Selected(), c.added ? std::vector<int>{*c.added} : std::vector<int>{});
        const std::vector<TOperatorMessage> warning = {{"warning", QString::fromUtf8(c.warn)}};
        EXPECT_EQ(op.Messages(), c.warn ? warning : std::vector<TOperatorMessage>{});
    }
}

TEST_F(SelectionTest, ACommandThatFailsOrIsCancelledChangesNothing)
{
    AddBranch({1, 1, 1, 1});
    Sql("insert into produto (produto_key, descricao, data_alteracao, sub_grupo_key, preco_normal) "
        "values (1, 'SELECIONADO', '2020-01-01', null, 1), (99, 'FALHA', '2026-03-01', 1, 2);"
        "insert into item values ('99', 99); insert into produto_antigo values (99, 1, null);"
        "insert into selecao values (1);"
        "create trigger falha before insert on selecao when new.produto_key = 99 "
        "begin select raise(abort, 'falha simulada'); end");
    WriteFileBytes(home.File("PLU.TXT"), "99\r\n");
    SetSetting(settings::SelecaoData.key, "01/01/2020");
    const std::pair<std::function<void()>, bool> cases[] = {
        {[&] { op.QueueTipo(1), SelectByDate(op, March(1)); }, true},
        {[&] { op.QueueFile(home.File("PLU.TXT")), SelectFromBarcodeFile(op, Barras); }, true},
        {[&] { op.QueueCancel(), SelectFromBarcodeFile(op, Barras); }, false},
        {[&] { op.QueueArvore(TArvoreChoice('D', 1)), SelectFromTree(op); }, true},
        {[&] { SelectChangedPrices(op); }, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& [run, fails] = cases[i];
        if (fails)
            EXPECT_THROW(run(), EDatabaseError);
        else
            run();
        EXPECT_EQ(Selected(), std::vector<int>{1});
        EXPECT_EQ(Setting(settings::SelecaoData.key), "01/01/2020");
        EXPECT_TRUE(op.Messages().empty());
    }
}

TEST_F(SelectionTest, SelecaoDataIsZevInisUnlessTheDatabaseShowsItNeverGotTheSelectionsDate)
{
    // ini: zev.ini's "Selecao Data"; record: selecao_data's (data, anterior); null: none.
    const struct { const char *name, *ini, *record; std::string date, iniAfter; } cases[] = {
        {"a catalogue older than the record", "05/03/2026", nullptr, "05/03/2026", "05/03/2026"},
        {"nothing anywhere", nullptr, nullptr, DateToStr(Today()), "(none)"},
        {"stopped before zev.ini", "05/03/2026", "('2026-03-07', '05/03/2026')", "07/03/2026",
         "07/03/2026"},
        {"edited by hand", "09/03/2026", "('2026-03-07', '05/03/2026')", "09/03/2026",
         "09/03/2026"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sql("delete from selecao_data");
        if (c.record != nullptr)
            Sql(std::string("insert into selecao_data (data, anterior) values ") + c.record);
        if (c.ini != nullptr)
            SetSetting(settings::SelecaoData.key, c.ini);
        else
            TIniFile(SettingsPath()).DeleteKey(settings::Geral, settings::SelecaoData.key);

        const TIniFile ini(SettingsPath());
        EXPECT_EQ(DateToStr(SelecaoDataOf(*OpenDatabase(), ini)), c.date);
        EXPECT_EQ(Setting(settings::SelecaoData.key), c.iniAfter);
    }
}

} // namespace
