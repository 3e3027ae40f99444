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

// Each test writes its catalogue into a fresh program directory and looks at
// selecao, "Selecao Data" and the messages.
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
    std::vector<QString> Texts() const { return op.MessageTexts(); }

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
        {1, 1, {1, 3}}, {1, 2, {3}},  {1, 3, {1, 3}}, {10, 1, {2}}, {10, 2, {2}},
        {10, 3, {}},    {11, 1, {1}}, {11, 2, {1}},   {11, 3, {}},  {31, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "day " << c.day << ", type " << c.tipo);
        op.ClearMessages();
        Sql("insert into selecao values (2)"); // what an earlier selection left
        op.QueueTipo(c.tipo);
        SelectByDate(op, March(c.day));
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Texts(), Count(c.selected.size()));
        EXPECT_EQ(Setting(settings::SelecaoData.key), DateToStr(March(c.day)));
    }
    const std::vector<QString> lastStatus(op.StatusTexts().end() - 3, op.StatusTexts().end());
    EXPECT_EQ(lastStatus,
              (std::vector<QString>{"Limpando seleção", "Selecionando - 31/03/2026", ""}));
}

TEST_F(SelectionTest, DateSelectionDropsNoBarcodeBelowMinBalancaAndBoxesUnlessAtacado)
{
    Sql("insert into produto (produto_key, descricao, data_alteracao, pai, caixa) values "
        "(10, 'DOIS CODIGOS', '2026-03-01', null, 0), (11, 'CODIGO 1000', '2026-03-01', null, 0), "
        "(12, 'SEM CODIGO', '2026-03-01', null, 0), (13, 'CAIXA DO 11', '2026-03-01', 11, 1), "
        "(14, 'CODIGO COM BRANCOS', '2026-03-01', null, 0);"
        "insert into item values ('999', 10), ('2000', 10), ('1000', 11), "
        "('7890000000013', 13), ('  1500', 14)");
    // minBalanca nullptr: not set
    const struct { const char *minBalanca, *atacado; std::vector<int> selected; } cases[] = {
        {nullptr, nullptr, {10, 11, 14}}, {"1000", "0", {11, 14}},      {"1000", "1", {11, 13, 14}},
        {"abc", "2", {10, 11, 13, 14}},   {"7890000000013", "1", {13}}, // beyond 32 bits
    };
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

// Department "BEBIDAS" (2) holds sections 99 "ÁGUAS" and 110 "CERVEJAS" (by
// key and by name 99 first, but 110 hashes to an earlier bucket) and 30
// "ALFA" and 20 "ZETA", which share a bucket and so keep the query's name
// order. Subgroup 9911 "SEM GÁS" hashes before 9912 "COM GÁS". "AÇOUGUE" (1)
// has no sections.
TEST_F(SelectionTest, TheTreeShowsDepartmentsByNameAndChildrenInTheirTablesIterationOrder)
{
    TArvore arvore;
    arvore.Load(*OpenDatabase());
    EXPECT_TRUE(arvore.AttachOrder().empty());

    Sql("insert into depto values (2, 'BEBIDAS'), (1, 'A\xC3\x87OUGUE');"
        "insert into secao values (99, 2, '\xC3\x81GUAS'), (110, 2, 'CERVEJAS'), "
        "(20, 2, 'ZETA'), (30, 2, 'ALFA');"
        "insert into grupo values (991, 99, 'MINERAL'), (1101, 110, 'LATA');"
        "insert into sub_grupo values (9911, 991, 'SEM G\xC3\x81S'), "
        "(9912, 991, 'COM G\xC3\x81S'), (11011, 1101, 'PILSEN');"
        "insert into produto (produto_key, descricao, sub_grupo_key) values "
        "(1, 'SEM GAS', 9911), (2, 'COM GAS', 9912), (3, 'PILSEN', 11011), (4, 'SEM GRUPO', null)");
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
        {{'U', 9912}, {2}},    {{'D', 1}, {}}, // no sections
        {{'X', 2}, {}},                        // no branch ever confirmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.choice.nivel << c.choice.key);
        op.ClearMessages();
        SetSetting(settings::SelecaoData.key, "01/01/2020");
        Sql("insert into selecao values (4)");
        op.QueueArvore(c.choice);
        SelectFromTree(op);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Texts(), Count(c.selected.size()));
        EXPECT_EQ(Setting(settings::SelecaoData.key), DateToStr(Today()));
    }
    EXPECT_EQ(op.StatusTexts().front(), "Limpando selecao...");
}

using Format = TBarcodeFileFormat;
constexpr auto Barras = TBarcodeFileFormat::Barras;
constexpr auto Tarvo = TBarcodeFileFormat::Tarvo9000;

TEST(BarcodeFileEntriesTest, OneEntryPerLineWhateverTheLineEnds)
{
    const struct { std::string bytes; Format f; std::vector<std::string> got; } cases[] = {
        {"12345\r\n12345\r\n\r\n", Barras, {"12345", "12345", ""}}, {"a\nb", Barras, {"a", "b"}},
        {"a\rb\r", Barras, {"a", "b"}}, {"a\r\r\nb\n\n", Barras, {"a", "", "b", ""}},
        {"", Barras, {}},
        {" 12 3 \xC7\r\n", Barras, {" 12 3 \xC7"}},
        {"0001789000000001799\r\n9999789\nABCD\nABC\n", Tarvo, {"7890000000017", "789", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BarcodeFileEntries(c.bytes, c.f), c.got)
            << testing::PrintToString(c.bytes);
}

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
        {"12345\r\n7890000000017\r\n", Barras, "0", {1, 2}},
        // Exactly as written: no zeros stripped, no blanks trimmed.
        {"012345\n12345 \n", Barras, "0", {}},
        {"\n\r\nABC\n", Tarvo, "0", {}},
        {"12345678901234\n", Barras, "0", {3}}, // as wide as the column
        {"XXXX7890000000017\nYYYY555", Tarvo, "0", {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.in) + " Atacado=" + c.at);
        op.ClearMessages();
        SetSetting(settings::Atacado.key, c.at);
        Select(c.in, c.f);
        EXPECT_EQ(Selected(), c.keys);
        EXPECT_EQ(Texts(), Count(c.keys.size()));
        EXPECT_EQ(Setting(settings::SelecaoData.key), DateToStr(Today()));
    }
    EXPECT_EQ(op.FileRequests().front().fileName, "PLU.TXT");
    EXPECT_EQ(op.FileRequests().front().filter, "Arquivos de seleção (*.TXT)|*.TXT");
    Sql("insert into selecao select rowid from selecao_barra"); // the scratch list is empty
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));
}

TEST_F(BarcodeFileTest, AFileThatCannotBeUsedChangesNothing)
{
    op.QueueFile(home.File("MISSING.TXT"));
    EXPECT_THROW(SelectFromBarcodeFile(op, Barras), EInOutError);
    EXPECT_THAT([&] { Select("12345\r\n123456789012345\r\n", Barras); },
                testing::ThrowsMessage<EZevError>(
                    testing::StrEq("Linha 2 do arquivo: o código \"123456789012345\" tem mais de "
                                   "14 caracteres. Nada foi selecionado.")));
    // A line of garbage is quoted by its start only.
    const std::string garbage = "7890" + std::string(20 * 1024 * 1024, '\xC7');
    EXPECT_THAT([&] { Select("12345\n" + garbage + "\n", Barras); },
                testing::ThrowsMessage<EZevError>(testing::StrEq(
                    "Linha 2 do arquivo: o código \"" + AnsiToUtf8(garbage.substr(0, 60)) +
                    "...\" tem mais de 14 caracteres. Nada foi selecionado.")));
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
    for (int run = 0; run < 2; ++run) { // no import in between: the same result
        op.ClearMessages();
        SelectChangedPrices(op);
        EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
        EXPECT_EQ(Texts(), Count(2));
    }
    EXPECT_EQ(Setting(settings::SelecaoData.key), "01/01/2020");
}

TEST_F(SelectionTest, TheListingShowsEachRowByDescriptionWithThePriceOnSelecaoData)
{
    Sql("insert into produto (produto_key, descricao, preco_normal, preco_oferta, data_inicial, "
        "data_final, data_alteracao) values "
        "(7, 'BANANA', 3.5, 2.999, '2026-03-01', '2026-03-10', '2026-02-27'), "
        "(12, '\xC3\x81GUA', 1.25, 0, null, null, null), (3, 'CAF\xC3\x89', 10, 0, null, null, "
        "null);"
        "insert into selecao values (7), (12), (7)");
    for (const auto& [selecaoData, banana] :
         {std::pair{"05/03/2026", "3,00"}, {"11/03/2026", "3,50"}}) {
        SetSetting(settings::SelecaoData.key, selecaoData);
        std::vector<std::array<QString, 4>> rows;
        for (const TSelectedItem& item : ListSelection())
            rows.push_back(SelectedItemTexts(item));
        EXPECT_EQ(rows,
                  (std::vector<std::array<QString, 4>>{{"12", "ÁGUA", "", "1,25"},
                                                       {"7", "BANANA", "27/02/2026", banana},
                                                       {"7", "BANANA", "27/02/2026", banana}}))
            << selecaoData;
    }
}

TEST_F(SelectionTest, AddingTakesAKeyFirstThenABarcodeAndRefusesWithTheEditorsWarnings)
{
    Sql("insert into produto (produto_key, descricao) values (1234, 'CHAVE 1234'), "
        "(2, 'CODIGO 1234'), (3, 'EAN'), (4, 'JA LISTADO');"
        "insert into item values ('1234', 2), ('7891000100103', 3), ('44', 4)");
    const char* const notANumber = "Somente cóidogo interno ou de barra";
    // warning nullptr: none; 7891000100103 is beyond the key range: a barcode only;
    // product 4 is listed
    const struct { const char* code; std::optional<int> added; const char* warn; } cases[] = {
        {"1234", 1234, nullptr}, {"7891000100103", 3, nullptr}, {"007891000100103", 3, nullptr},
        {"44", {}, "Produto ja cadastrado"}, {"abc", {}, notANumber}, {"-1", {}, notANumber},
        {"99999999999999999999", {}, notANumber}, {"555", {}, "Produto não cadastrado"},
        {"", {}, nullptr},
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

// A command that fails half-way, or whose dialog is cancelled, leaves the
// selection and its date as they were.
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
    const auto file = [&] { SelectFromBarcodeFile(op, Barras); };
    const std::pair<std::function<void()>, bool> cases[] = {
        {[&] { op.QueueTipo(1), SelectByDate(op, March(1)); }, true},
        {[&] { op.QueueTipo(-1), SelectByDate(op, March(1)); }, false},
        {[&] { op.QueueFile(home.File("PLU.TXT")), file(); }, true},
        {[&] { op.QueueCancel(), file(); }, false},
        {[&] { op.QueueArvore(TArvoreChoice{'D', 1}), SelectFromTree(op); }, true},
        {[&] { op.QueueArvore(std::nullopt), SelectFromTree(op); }, false},
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
        EXPECT_TRUE(op.StatusTexts().empty() || op.StatusTexts().back().isEmpty());
    }
}

TEST_F(SelectionTest, SelecaoDataIsZevInisUnlessTheDatabaseShowsItNeverGotTheSelectionsDate)
{
    const std::string today = DateToStr(Today());
    // ini: "Selecao Data" in zev.ini, null: no key; record: selecao_data's
    // (data, anterior), null: no row.
    const struct { const char *name, *ini, *record; std::string date, iniAfter; } cases[] = {
        {"a catalogue older than the record", "05/03/2026", nullptr, "05/03/2026", "05/03/2026"},
        {"nothing anywhere", nullptr, nullptr, today, "(none)"},
        {"stopped before zev.ini", "05/03/2026", "('2026-03-07', '05/03/2026')", "07/03/2026",
         "07/03/2026"},
        {"stopped before zev.ini had the key", nullptr, "('2026-03-07', null)", "07/03/2026",
         "07/03/2026"},
        {"stopped after zev.ini", "07/03/2026", "('2026-03-07', '05/03/2026')", "07/03/2026",
         "07/03/2026"},
        {"edited by hand", "09/03/2026", "('2026-03-07', '05/03/2026')", "09/03/2026",
         "09/03/2026"},
        {"edited by hand back to the date before", "05/03/2026", "('2026-03-07', '07/03/2026')",
         "05/03/2026", "05/03/2026"},
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
