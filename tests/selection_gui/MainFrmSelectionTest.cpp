#include "app/MainFrm.h"

#include "app/Registries.h"
#include "app/Windows.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"
#include "printing/DateDlg.h"
#include "selection/EditFrm.h"
#include "tests/selection/SelectionTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QDateEdit>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

TEST_F(SelectionTest, EachSelectionCommandOfTheMenuRunsItsOperation)
{
    Sql("insert into depto values (1, 'D'); insert into secao values (1, 1, 'S');"
        "insert into grupo values (1, 1, 'G'); insert into sub_grupo values (1, 1, 'U');"
        "insert into produto (produto_key, descricao, data_alteracao, sub_grupo_key, preco_normal) "
        "values (1, 'HOJE', '" +
        IsoDate(Today()) + "', 1, 1), (2, 'AMANHA', '" + IsoDate(Today() + 1) +
        "', null, 1), (3, 'NO DIA 1', '2026-03-01', null, 3);"
        "insert into item values ('111', 1), ('7890000000022', 2), ('333', 3);"
        "insert into produto_antigo values (3, 2.5, null)");
    WriteFileBytes(home.File("PLU.TXT"), "111\r\n333\r\n");
    WriteFileBytes(home.File("TARVO.TXT"), "00017890000000022X\r\n");
    TWindows windows;
    const TRegistries registries;
    TMainForm form(windows, registries, op);
    windows.MainForm = &form;
    windows.DateDialog = new TDateDialog(&form);
    windows.EditForm = new TEditForm(op, &form);

    const std::string today = DateToStr(Today());
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
        std::string selecaoData;
    } cases[] = {
        {"Hoje1", [&] { op.QueueTipo(1); }, {1}, today},
        {"Amanh1", [&] { op.QueueTipo(1); }, {2}, DateToStr(Today() + 1)},
        {"daData1", [&] { op.QueueTipo(1), date(); }, {3}, "01/03/2026"},
        {"Barras1", [&] { op.QueueFile(home.File("PLU.TXT")); }, {1, 3}, today},
        {"Tarvo90001", [&] { op.QueueFile(home.File("TARVO.TXT")); }, {2}, today},
        {"Agrupamento1",
         [&] {
             op.QueueArvore(TArvoreChoice{'D', 1});
         },
         {1},
         today},
        {"UltimaImportao1", [] {}, {3}, today},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        op.ClearMessages();
        c.answer();
        form.findChild<QAction*>(QString::fromLatin1(c.item))->trigger();
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Texts(), Count(c.selected.size()));
        EXPECT_EQ(Setting(settings::SelecaoData.key), c.selecaoData);
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
