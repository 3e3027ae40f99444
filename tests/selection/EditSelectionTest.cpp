#include "platform/Regional.h"
#include "selection/Arvore.h"
#include "selection/BarcodeFile.h"
#include "selection/EditSelection.h"
#include "selection/SelectByDate.h"
#include "tests/selection/SelectionTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

TEST_F(SelectionTest, ChangedPricesSelectsWhatDiffersFromBeforeTheLastImport)
{
    Sql("insert into produto (produto_key, descricao, preco_normal, preco_oferta) values "
        "(1, 'NORMAL MUDOU', 5, null), (2, 'OFERTA MUDOU', 5, 4), (3, 'IGUAL', 5, 4), "
        "(4, 'OFERTA NOVA', 5, 4), (5, 'OFERTA ACABOU', 5, null), (6, 'PRODUTO NOVO', 5, 4);"
        "insert into produto_antigo values (1, 6, null), (2, 5, 3), (3, 5, 4), (4, 5, null), "
        "(5, 5, 4), (99, 1, 1)");
    SetSetting(settings::SelecaoData.key, "01/01/2020");
    for (int run = 0; run < 2; ++run) { // no import in between: the same result
        SelectChangedPrices(op);
        EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    }
    EXPECT_EQ(Texts(), std::vector<QString>(2, "Selecionado 2 item(s)"));
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
    const struct
    {
        const char* code;
        std::optional<std::int32_t> added;
        const char* warning; // nullptr: none
    } cases[] = {
        {"1234", 1234, nullptr},
        {"7891000100103", 3, nullptr}, // beyond the key range: a barcode only
        {"007891000100103", 3, nullptr},
        {"44", {}, "Produto ja cadastrado"}, // product 4 is listed
        {"abc", {}, notANumber},
        {"-1", {}, notANumber},
        {"99999999999999999999", {}, notANumber},
        {"555", {}, "Produto não cadastrado"},
        {"", {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        op.ClearMessages();
        Sql("delete from selecao");
        EXPECT_EQ(AddCodeToSelection(op, c.code, {"1", "4"}), c.added);
        EXPECT_EQ(Selected(), c.added ? std::vector<int>{*c.added} : std::vector<int>{});
        const std::vector<TOperatorMessage> warning = {{"warning", QString::fromUtf8(c.warning)}};
        EXPECT_EQ(op.Messages(), c.warning ? warning : std::vector<TOperatorMessage>{});
    }
}

// A command that fails half-way, or whose dialog is cancelled, leaves the
// selection and its date as they were.
TEST_F(SelectionTest, ACommandThatFailsOrIsCancelledChangesNothing)
{
    Sql("insert into depto values (1, 'D'); insert into secao values (1, 1, 'S');"
        "insert into grupo values (1, 1, 'G'); insert into sub_grupo values (1, 1, 'U');"
        "insert into produto (produto_key, descricao, data_alteracao, sub_grupo_key, preco_normal) "
        "values (1, 'SELECIONADO', '2020-01-01', null, 1), (99, 'FALHA', '2026-03-01', 1, 2);"
        "insert into item values ('99', 99); insert into produto_antigo values (99, 1, null);"
        "insert into selecao values (1);"
        "create trigger falha before insert on selecao when new.produto_key = 99 "
        "begin select raise(abort, 'falha simulada'); end");
    WriteFileBytes(home.File("PLU.TXT"), "99\r\n");
    SetSetting(settings::SelecaoData.key, "01/01/2020");
    const double march = EncodeDate(2026, 3, 1);
    const auto file = [&] { SelectFromBarcodeFile(op, TBarcodeFileFormat::Barras); };
    const std::pair<std::function<void()>, bool> cases[] = {
        {[&] { op.QueueTipo(1), SelectByDate(op, march); }, true},
        {[&] { op.QueueTipo(-1), SelectByDate(op, march); }, false},
        {[&] { op.QueueFile(home.File("PLU.TXT")), file(); }, true},
        {[&] { op.QueueCancel(), file(); }, false},
        {[&] {
             op.QueueArvore(TArvoreChoice{'D', 1}), SelectFromTree(op);
         },
         true},
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

} // namespace
