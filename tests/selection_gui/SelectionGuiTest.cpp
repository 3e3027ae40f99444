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
#include <QItemSelectionModel>
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

    // The keys in selecao, sorted; a key selected twice is listed twice.
    static std::vector<int> Selected()
    {
        return IntColumn("select produto_key from selecao order by 1");
    }
    std::vector<QString> Texts() const { return op.MessageTexts(); }

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

    // The operator asks the program's tree dialog and a fresh type dialog.
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

// What a code adds and which warning it gets is the editing's rule; the
// window adds the keys, the rows shown and where the cursor goes.
class EditFrmTest : public SelectionTest
{
protected:
    QLineEdit* CodEdit() { return Child<QLineEdit>(form, "CodEdit"); }
    QTableWidget* Grid() { return Child<QTableWidget>(form, "Grid"); }
    // The key column, top to bottom.
    QStringList Keys()
    {
        QStringList keys;
        for (int row = 0; row < Grid()->rowCount(); ++row)
            keys << Grid()->item(row, 0)->text();
        return keys;
    }
    void Type(const QString& code, Qt::Key key)
    {
        CodEdit()->setText(code);
        QTest::keyClick(CodEdit(), key);
    }

    TEditForm form{op};
};

TEST_F(EditFrmTest, EnterAddsDeleteRemovesOnlyTheCurrentRowEscapeCloses)
{
    Sql("insert into produto (produto_key, descricao) values (7, 'BANANA'), (12, 'ABACAXI'), "
        "(1234, 'CAFE'); insert into item values ('7891000100103', 12);"
        "insert into selecao values (7), (7)");
    WhenShown(
        form,
        [&] {
            EXPECT_EQ(Grid()->columnCount(), 4);
            EXPECT_EQ(Keys(), (QStringList{"7", "7"}));
            Type("1234", Qt::Key_Return);
            EXPECT_TRUE(CodEdit()->text().isEmpty());
            Type("007891000100103", Qt::Key_Enter);
            EXPECT_EQ(Keys(), (QStringList{"12", "7", "7", "1234"}));

            Grid()->setFocus();
            Grid()->setCurrentCell(1, 0);
            QTest::keyRelease(Grid(), Qt::Key_Delete);
            EXPECT_EQ(Keys(), (QStringList{"12", "7", "1234"}));
            EXPECT_EQ(Selected(), (std::vector<int>{12, 1234}));
            // The product's other row moved up and is now the current one.
            Child<QPushButton>(form, "BtnMenos")->click();
            EXPECT_EQ(Keys(), (QStringList{"12", "1234"}));
        },
        TAnswer::Escape);
    form.Execute();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(op.Messages().empty());
}

// The product added is brought into view and made the current row; after a
// warning the refused code is selected, so the next scan replaces it.
TEST_F(EditFrmTest, AnAddedRowIsScrolledToAndARefusedCodeIsReplacedByTheNextScan)
{
    std::string sql = "insert into produto (produto_key, descricao, preco_normal) values "
                      "(900, 'MMM MEIO', 1), (901, 'ZZZ FIM', 1)";
    for (int key = 1; key <= 80; ++key)
        sql += ", (" + std::to_string(key) + ", 'PRODUTO " + std::to_string(100 + key) + "', 1)";
    Sql(sql + "; insert into selecao select produto_key from produto where produto_key < 900");
    WhenShown(
        form,
        [&] {
            for (const char* code : {"901", "900"}) {
                SCOPED_TRACE(code);
                Grid()->scrollToTop();
                Type(code, Qt::Key_Return);
                const int row = Grid()->currentRow();
                ASSERT_GE(row, 0);
                EXPECT_EQ(Grid()->item(row, 0)->text(), code);
                EXPECT_TRUE(Grid()->selectionModel()->isRowSelected(row, {}));
                const QRect shown = Grid()->visualItemRect(Grid()->item(row, 1));
                EXPECT_TRUE(Grid()->viewport()->rect().contains(shown));
                EXPECT_TRUE(CodEdit()->text().isEmpty());
            }
            auto* mais = Child<QPushButton>(form, "BtnMais");
            for (const char* refused : {"950", "900", "abc"}) {
                SCOPED_TRACE(refused);
                mais->setFocus();
                CodEdit()->setText(refused);
                mais->click();
                EXPECT_EQ(form.focusWidget(), CodEdit());
                EXPECT_EQ(CodEdit()->selectedText(), refused);
                QTest::keyClicks(CodEdit(), "99");
                EXPECT_EQ(CodEdit()->text(), "99");
            }
        },
        TAnswer::Escape);
    form.Execute();
    EXPECT_EQ(Texts(), (std::vector<QString>{"Produto não cadastrado", "Produto ja cadastrado",
                                             "Somente cóidogo interno ou de barra"}));
}

// Which products each selection takes is the selection's own rule; here
// each command runs its operation once, with the answers it asked for.
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
        EXPECT_EQ(Texts(), (std::vector<QString>{
                               QStringLiteral("Selecionado %1 item(s)").arg(selected.size())}));
    }

    bool shown = false;
    AnswerModal<TEditForm>([&](TEditForm& editor) {
        shown = true;
        EXPECT_EQ(Child<QTableWidget>(editor, "Grid")->rowCount(), 1);
        Answer(editor, TAnswer::Escape);
    });
    Child<QAction>(form, "Edita1")->trigger();
    EXPECT_TRUE(shown);
}

} // namespace
