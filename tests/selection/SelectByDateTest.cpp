#include "platform/Regional.h"
#include "selection/SelectByDate.h"
#include "tests/selection/SelectionTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

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
    const struct
    {
        int day, tipo;
        std::vector<int> selected;
    } cases[] = {
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
    const struct
    {
        const char* minBalanca; // nullptr: not set
        const char* atacado;
        std::vector<int> selected;
    } cases[] = {
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

} // namespace
