#include "app/GuiOperator.h"
#include "app/MainFrm.h"
#include "app/Registries.h"
#include "app/Windows.h"
#include "catalogue/Database.h"
#include "platform/Regional.h"
#include "printing/DateDlg.h"
#include "selection/ArvoreFrm.h"
#include "selection/EditFrm.h"
#include "tests/support/Catalogue.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>

using namespace zev;
using namespace zev::test;

namespace {

class SelectionTest : public testing::Test
{
protected:
    SelectionTest() { CreateDatabase(); }

    static std::vector<int> Selected() { return IntColumn("select * from selecao order by 1"); }

    TProgramDirFixture home;
    TScriptedOperator op;
};

class ArvoreFrmTest : public SelectionTest
{
protected:
    QTreeWidget* Tree() { return Child<QTreeWidget>(form, "Tree"); }
    QPushButton* Ok() { return Child<QPushButton>(form, "BitBtn1"); }
    // Every node, indented one blank per level, in the order shown.
    QStringList Shown()
    {
        QStringList lines;
        for (QTreeWidgetItemIterator node(Tree()); *node; ++node) {
            int depth = 0;
            for (const QTreeWidgetItem* up = (*node)->parent(); up; up = up->parent())
                ++depth;
            lines << QString(depth, u' ') + (*node)->text(0);
        }
        return lines;
    }
    void Select(const QString& caption)
    {
        Tree()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive)[0]->setSelected(true);
    }

    TArvoreForm form;
};

TEST_F(ArvoreFrmTest, OkTakesTheSelectedNodeOnlyWhileOneIsSelectedAndTheOperatorAsksIt)
{
    AddBranch({2, 21, 211, 2111, "BEBIDAS", "CERVEJAS", "LATA", "PILSEN"});
    Sql("insert into depto values (1, 'LATIC\xC3\x8DNIOS');"
        "insert into secao values (22, 2, '\xC3\x81GUAS')");
    WhenShown(
        form,
        [&] {
            // Sections in their table's iteration order: key 21 before 22.
            EXPECT_EQ(Shown(), (QStringList{"BEBIDAS", " CERVEJAS", "  LATA", "   PILSEN", " ÁGUAS",
                                            "LATICÍNIOS"}));
            EXPECT_FALSE(Ok()->isEnabled());
            Answer(form, TAnswer::Enter); // nothing selected: nothing to take
            EXPECT_TRUE(form.isVisible());
            Select("CERVEJAS");
            EXPECT_TRUE(Ok()->isEnabled());
        },
        TAnswer::Ok);
    EXPECT_EQ(form.Execute(), (TArvoreChoice{'S', 21}));
    WhenShown(
        form, [&] { EXPECT_FALSE(Ok()->isEnabled()); }, TAnswer::Cancela);
    EXPECT_EQ(form.Execute(), std::nullopt);

    // Shown again, the tree is read again.
    Sql("insert into depto values (3, 'A\xC3\x87OUGUE')");
    TWindows windows;
    windows.ArvoreForm = &form;
    TGuiOperator gui(windows);
    WhenShown(
        form, [&] { Select("AÇOUGUE"); }, TAnswer::Ok);
    EXPECT_EQ(gui.ChooseArvore(), (TArvoreChoice{'D', 3}));
    // The type dialog opens on "Todos" however it was left the time before.
    for (const auto& [choose, expected] : {std::pair{"Ofertas", 3}, std::pair{"", 1}}) {
        AnswerModal<QDialog>([choose](QDialog& dialog) {
            for (QRadioButton* item : dialog.findChildren<QRadioButton*>())
                if (item->text() == choose)
                    item->click();
            Answer(dialog, TAnswer::Ok);
        });
        EXPECT_EQ(gui.ChooseTipo(), expected);
    }
}

// Which code is refused is the editing's rule; here the keys and the cursor.
class EditFrmTest : public SelectionTest
{
protected:
    QLineEdit* CodEdit() { return Child<QLineEdit>(form, "CodEdit"); }
    QTableWidget* Grid() { return Child<QTableWidget>(form, "Grid"); }
    QStringList Keys()
    {
        QStringList keys;
        for (int row = 0; row < Grid()->rowCount(); ++row)
            keys << Grid()->item(row, 0)->text();
        return keys;
    }

    TEditForm form{op};
};

// After a warning the refused code stays selected for the next scan.
TEST_F(EditFrmTest, AddsTheCurrentRowDeletesOnlyTheCurrentRowAndKeepsTheCursorInTheCode)
{
    Sql("insert into produto (produto_key, descricao, preco_normal) values (900, 'MMM MEIO', 1), "
        "(901, 'ZZZ FIM', 1), (1, 'PRODUTO 101', 1), (2, 'PRODUTO 102', 1);"
        "insert into selecao values (1), (1), (2)");
    WhenShown(
        form,
        [&] {
            for (const auto& [code, key] :
                 {std::pair{"901", Qt::Key_Return}, {"900", Qt::Key_Enter}}) {
                SCOPED_TRACE(code);
                CodEdit()->setText(code);
                QTest::keyClick(CodEdit(), key);
                const int row = Grid()->currentRow();
                ASSERT_GE(row, 0);
                EXPECT_EQ(Grid()->item(row, 0)->text(), code);
                EXPECT_TRUE(CodEdit()->text().isEmpty());
            }
            EXPECT_EQ(Keys(), (QStringList{"900", "1", "1", "2", "901"}));

            Grid()->setFocus();
            Grid()->setCurrentCell(1, 0);
            QTest::keyRelease(Grid(), Qt::Key_Delete);
            EXPECT_EQ(Keys().mid(0, 3), (QStringList{"900", "1", "2"}));
            EXPECT_EQ(Selected().front(), 2);
            // The product's other row moved up and is now the current one.
            Child<QPushButton>(form, "BtnMenos")->click();
            EXPECT_EQ(Keys().mid(0, 2), (QStringList{"900", "2"}));

            auto* mais = Child<QPushButton>(form, "BtnMais");
            // 900 is refused as listed: the window passes the grid's keys.
            for (const char* refused : {"950", "900"}) {
                SCOPED_TRACE(refused);
                mais->setFocus();
                CodEdit()->setText(refused);
                mais->click();
                EXPECT_EQ(form.focusWidget(), CodEdit());
                EXPECT_EQ(CodEdit()->selectedText(), refused);
            }
        },
        TAnswer::Escape);
    form.Execute();
    EXPECT_EQ(op.MessageTexts(),
              (std::vector<QString>{"Produto não cadastrado", "Produto ja cadastrado"}));
}

// Each command runs its operation once, with the answers it asked for.
TEST_F(SelectionTest, EachSelectionCommandOfTheMenuRunsItsOperation)
{
    AddBranch({1, 1, 1, 1});
    Sql("insert into produto (produto_key, descricao, sub_grupo_key, preco_normal, data_alteracao) "
        "values (1, 'HOJE', 1, 1, '" +
        IsoDate(Today()) + "'), (2, 'AMANHA', null, 1, '" + IsoDate(Today() + 1) +
        "'), (3, 'NO DIA 1', null, 3, '2026-03-01');"
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
    const TArvoreChoice depto1{'D', 1};
    const std::tuple<const char*, std::function<void()>, std::vector<int>> cases[] = {
        {"Hoje1", [&] { op.QueueTipo(1); }, {1}},
        {"Amanh1", [&] { op.QueueTipo(1); }, {2}},
        {"daData1", [&] { op.QueueTipo(1), date(); }, {3}},
        {"Barras1", [&] { op.QueueFile(home.File("PLU.TXT")); }, {1}},
        {"Tarvo90001", [&] { op.QueueFile(home.File("TARVO.TXT")); }, {2}},
        {"Agrupamento1", [&] { op.QueueArvore(depto1); }, {1}},
        {"UltimaImportao1", [] {}, {3}},
    };
    for (const auto& [item, answer, selected] : cases) {
        SCOPED_TRACE(item);
        op.ClearMessages();
        answer();
        Child<QAction>(form, item)->trigger();
        EXPECT_EQ(Selected(), selected);
        EXPECT_EQ(op.Messages().size(), 1U);
    }

    int rows = -1;
    AnswerModal<TEditForm>([&](TEditForm& editor) {
        rows = Child<QTableWidget>(editor, "Grid")->rowCount();
        Answer(editor, TAnswer::Escape);
    });
    Child<QAction>(form, "Edita1")->trigger();
    EXPECT_EQ(rows, 1);
}

} // namespace
