#include "app/MainFrm.h"

#include "app/Registries.h"
#include "app/Windows.h"
#include "platform/Regional.h"
#include "printing/DateDlg.h"
#include "selection/EditFrm.h"
#include "tests/selection/SelectionTestSupport.h"
#include "tests/support/Catalogue.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QDateEdit>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

// Which products each selection takes is the selection's own rule; here
// each command runs its operation once, with the answers it asked for.
TEST_F(SelectionTest, EachSelectionCommandOfTheMenuRunsItsOperation)
{
    AddBranch({1, 1, 1, 1});
    const std::string today = IsoDate(Today()), tomorrow = IsoDate(Today() + 1);
    Sql("insert into produto (produto_key, descricao, sub_grupo_key, preco_normal, data_alteracao) "
        "values (1, 'HOJE', 1, 1, '" +
        today + "'), (2, 'AMANHA', null, 1, '" + tomorrow +
        "'), "
        "(3, 'NO DIA 1', null, 3, '2026-03-01');"
        "insert into item values ('111', 1), ('7890000000022', 2), ('333', 3);"
        "insert into produto_antigo values (3, 2.5, null)");
    WriteFileBytes(home.File("PLU.TXT"), "111\r\n");
    WriteFileBytes(home.File("TARVO.TXT"), "00017890000000022X\r\n");
    TWindows windows;
    const TRegistries registries;
    TMainForm form(windows, registries, op);
    windows.MainForm = &form;
    windows.DateDialog = new TDateDialog(&form);
    windows.EditForm = new TEditForm(op, &form);

    const auto date = [] {
        AnswerModal<TDateDialog>([](TDateDialog& dialog) {
            Child<QDateEdit>(dialog, "DateTimePicker")->setDate(QDate(2026, 3, 1));
            Answer(dialog, TAnswer::Ok);
        });
    };
    const struct
    {
        const char* item;
        std::function<void()> answer;
        std::vector<int> selected;
    } cases[] = {
        {"Hoje1", [&] { op.QueueTipo(1); }, {1}},
        {"Amanh1", [&] { op.QueueTipo(1); }, {2}},
        {"daData1", [&] { op.QueueTipo(1), date(); }, {3}},
        {"Barras1", [&] { op.QueueFile(home.File("PLU.TXT")); }, {1}},
        {"Tarvo90001", [&] { op.QueueFile(home.File("TARVO.TXT")); }, {2}},
        {"Agrupamento1",
         [&] {
             op.QueueArvore(TArvoreChoice{'D', 1});
         },
         {1}},
        {"UltimaImportao1", [] {}, {3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        op.ClearMessages();
        c.answer();
        form.findChild<QAction*>(QString::fromLatin1(c.item))->trigger();
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Texts(), Count(c.selected.size()));
    }

    bool shown = false;
    AnswerModal<TEditForm>([&](TEditForm& editor) {
        shown = true;
        EXPECT_EQ(Child<QTableWidget>(editor, "Grid")->rowCount(), 1);
        Answer(editor, TAnswer::Escape);
    });
    form.findChild<QAction*>("Edita1")->trigger();
    EXPECT_TRUE(shown);
}

} // namespace
