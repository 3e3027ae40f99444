#include "selection/EditFrm.h"

#include "tests/selection/SelectionTestSupport.h"
#include "tests/support/DialogAnswers.h"

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

} // namespace
