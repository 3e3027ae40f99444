#include "selection/EditFrm.h"

#include "tests/selection/SelectionTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

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
        "(1234, 'CAFE'); insert into item values ('7891000100103', 12)");
    Sql("insert into selecao values (7), (7)");
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
            for (const char* refused : {"950", "900", "abc"}) {
                SCOPED_TRACE(refused);
                Child<QPushButton>(form, "BtnMais")->setFocus();
                CodEdit()->setText(refused);
                Child<QPushButton>(form, "BtnMais")->click();
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

} // namespace
