#include "selection/ArvoreFrm.h"

#include "app/GuiOperator.h"
#include "app/Windows.h"
#include "tests/selection/SelectionTestSupport.h"
#include "tests/support/Catalogue.h"
#include "tests/support/DialogAnswers.h"

#include <QRadioButton>
#include <QTreeWidget>

using namespace zev;
using namespace zev::test;

namespace {

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
        Tree()
            ->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive)
            .value(0)
            ->setSelected(true);
    }

    TArvoreForm form;
};

TEST_F(ArvoreFrmTest, OkTakesTheSelectedNodeAndIsOnlyPossibleWhileOneIsSelected)
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
            Select("CERVEJAS");
            EXPECT_TRUE(Ok()->isEnabled());
        },
        TAnswer::Ok);
    EXPECT_EQ(form.Execute(), (TArvoreChoice{'S', 21}));

    // The next showing reads the tree again and starts with nothing selected:
    // OK and Enter do nothing, and the earlier choice stays.
    Sql("insert into depto values (3, 'A\xC3\x87OUGUE')");
    WhenShown(
        form,
        [&] {
            EXPECT_EQ(Shown().front(), "AÇOUGUE");
            Answer(form, TAnswer::Ok);
            Answer(form, TAnswer::Enter);
            EXPECT_TRUE(form.isVisible());
        },
        TAnswer::Cancela);
    EXPECT_EQ(form.Execute(), std::nullopt);
    EXPECT_EQ(form.SelectedNivel(), 'S');
    EXPECT_EQ(form.SelectedKey(), 21);
}

TEST_F(ArvoreFrmTest, TheOperatorAsksTheProgramsTreeDialogAndAFreshTypeDialog)
{
    Sql("insert into depto values (5, 'PADARIA')");
    TWindows windows;
    windows.ArvoreForm = &form;
    TGuiOperator gui(windows);
    WhenShown(
        form, [&] { Select("PADARIA"); }, TAnswer::Ok);
    EXPECT_EQ(gui.ChooseArvore(), (TArvoreChoice{'D', 5}));

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

} // namespace
