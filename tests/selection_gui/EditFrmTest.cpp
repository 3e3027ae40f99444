#include "selection/EditFrm.h"

#include "tests/selection/SelectionTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

class EditFrmTest : public SelectionTest
{
protected:
    QLineEdit* CodEdit() { return Child<QLineEdit>(form, "CodEdit"); }
    QTableWidget* Grid() { return Child<QTableWidget>(form, "Grid"); }
    QStringList Rows()
    {
        QStringList rows;
        for (int row = 0; row < Grid()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < Grid()->columnCount(); ++column)
                cells << Grid()->item(row, column)->text();
            rows << cells.join(u'|');
        }
        return rows;
    }
    void Type(const QString& code, Qt::Key key)
    {
        CodEdit()->setText(code);
        QTest::keyClick(CodEdit(), key);
    }

    TEditForm form{op};
};

TEST_F(EditFrmTest, ShowsTheCodeFieldItsButtonsAndTheFourColumnGrid)
{
    EXPECT_EQ(form.windowTitle(), "Editar Seleção");
    EXPECT_EQ(Child<QLabel>(form, "Label1")->text(), "Código/Barra");
    EXPECT_EQ(Child<QPushButton>(form, "BtnMais")->toolTip(), "Incluir código");
    EXPECT_EQ(Child<QPushButton>(form, "BtnMenos")->toolTip(), "Excluir código");
    QStringList header;
    QList<int> widths;
    for (int column = 0; column < Grid()->columnCount(); ++column) {
        header << Grid()->horizontalHeaderItem(column)->text();
        widths << Grid()->columnWidth(column);
    }
    EXPECT_EQ(header, (QStringList{"Código", "Descrição", "Data Alt.", "Preço"}));
    EXPECT_EQ(widths, (QList<int>{73, 206, 56, 46}));
    EXPECT_EQ(Grid()->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(EditFrmTest, EnterAddsDeleteRemovesTheProductAndDropsOnlyTheCurrentRowEscapeCloses)
{
    Sql("insert into produto (produto_key, descricao, preco_normal, data_alteracao) values "
        "(7, 'BANANA', 3.5, '2026-02-27'), (12, 'ABACAXI', 5, null), (1234, 'CAF\xC3\x89', 10.125, "
        "null);"
        "insert into item values ('7891000100103', 12); insert into selecao values (7), (7)");
    const QString banana = "7|BANANA|27/02/2026|3,50";
    WhenShown(
        form,
        [&] {
            EXPECT_EQ(Rows(), (QStringList{banana, banana}));
            Type("1234", Qt::Key_Return);
            EXPECT_TRUE(CodEdit()->text().isEmpty());
            Type("007891000100103", Qt::Key_Enter);
            EXPECT_EQ(Rows(),
                      (QStringList{"12|ABACAXI||5,00", banana, banana, "1234|CAFÉ||10,13"}));

            // Already listed, then no number: warnings, and the text stays.
            Type("12", Qt::Key_Return);
            CodEdit()->setText("abc");
            Child<QPushButton>(form, "BtnMais")->click();
            EXPECT_EQ(CodEdit()->text(), "abc");

            Grid()->setFocus();
            Grid()->setCurrentCell(1, 0);
            QTest::keyRelease(Grid(), Qt::Key_Delete);
            EXPECT_EQ(Rows(), (QStringList{"12|ABACAXI||5,00", banana, "1234|CAFÉ||10,13"}));
            EXPECT_EQ(Selected(), (std::vector<int>{12, 1234}));
            // The product's other row moved up and is now the current one.
            Child<QPushButton>(form, "BtnMenos")->click();
            EXPECT_EQ(Rows(), (QStringList{"12|ABACAXI||5,00", "1234|CAFÉ||10,13"}));
            EXPECT_EQ(Selected(), (std::vector<int>{12, 1234}));
        },
        TAnswer::Escape);
    form.Execute();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Texts(), (std::vector<QString>{"Produto ja cadastrado",
                                             "Somente cóidogo interno ou de barra"}));
}

// A wider window widens the description alone; at the start every column
// has at least its own width and the row fits.
TEST_F(EditFrmTest, TheDescriptionTakesTheWidthOfAWiderWindow)
{
    Sql("insert into produto (produto_key, descricao, preco_normal) values "
        "(7, 'BISCOITO RECHEADO CHOCOLATE COM MORANGO 140G', 3.5);"
        "insert into selecao values (7)");
    WhenShown(
        form,
        [&] {
            QList<int> widths;
            int total = 0;
            for (int column = 0; column < Grid()->columnCount(); ++column) {
                widths << Grid()->columnWidth(column);
                total += widths.back();
            }
            EXPECT_GE(widths[0], 73);
            EXPECT_GE(widths[1], 206);
            EXPECT_GE(widths[2], 56);
            EXPECT_GE(widths[3], 46);
            EXPECT_LE(total, Grid()->viewport()->width());

            form.resize(form.width() + 300, form.height());
            QList<int> wider;
            for (int column = 0; column < Grid()->columnCount(); ++column)
                wider << Grid()->columnWidth(column);
            widths[1] += 300;
            EXPECT_EQ(wider, widths);
        },
        TAnswer::Escape);
    form.Execute();
}

// The product added is brought into view and made the current row; the
// code field is ready for the next one.
TEST_F(EditFrmTest, AProductAddedIsScrolledToAndSelected)
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
                EXPECT_EQ(form.focusWidget(), CodEdit());
            }
        },
        TAnswer::Escape);
    form.Execute();
    EXPECT_TRUE(op.Messages().empty());
}

// After a warning the refused code is selected: the next scan replaces it
// instead of being appended to it.
TEST_F(EditFrmTest, AfterAWarningTheNextScanReplacesTheRefusedCode)
{
    Sql("insert into produto (produto_key, descricao, preco_normal) values "
        "(12, 'ABACAXI', 5), (13, 'BANANA', 3);"
        "insert into item values ('7891000100103', 13); insert into selecao values (12)");
    WhenShown(
        form,
        [&] {
            for (const char* refused : {"59", "12", "abc"}) {
                SCOPED_TRACE(refused);
                QTest::keyClicks(CodEdit(), refused);
                QTest::keyClick(CodEdit(), Qt::Key_Return);
                EXPECT_EQ(CodEdit()->selectedText(), refused);
                QTest::keyClicks(CodEdit(), "99");
                EXPECT_EQ(CodEdit()->text(), "99");
                CodEdit()->clear();
            }
            Child<QPushButton>(form, "BtnMais")->setFocus();
            CodEdit()->setText("59");
            Child<QPushButton>(form, "BtnMais")->click();
            EXPECT_EQ(form.focusWidget(), CodEdit());
            QTest::keyClicks(CodEdit(), "7891000100103");
            QTest::keyClick(CodEdit(), Qt::Key_Return);
            EXPECT_EQ(Selected(), (std::vector<int>{12, 13}));
        },
        TAnswer::Escape);
    form.Execute();
    EXPECT_EQ(Texts(), (std::vector<QString>{"Produto não cadastrado", "Produto ja cadastrado",
                                             "Somente cóidogo interno ou de barra",
                                             "Produto não cadastrado"}));
}

} // namespace
