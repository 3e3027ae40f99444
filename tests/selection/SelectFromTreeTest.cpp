#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "selection/Arvore.h"
#include "tests/selection/SelectionTestSupport.h"

using namespace zev;
using namespace zev::test;

namespace {

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

    const struct
    {
        TArvoreChoice choice;
        std::vector<int> selected;
    } cases[] = {
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

} // namespace
