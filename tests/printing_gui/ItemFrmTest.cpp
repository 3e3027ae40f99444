#include "printing/ItemFrm.h"

#include "app/MainFrm.h"
#include "app/Windows.h"
#include "output/LabelPreviewView.h"
#include "output/SelectLabelFrm.h"
#include "printing/BuscaFrm.h"
#include "printing/ContadorFrm.h"
#include "printing/ProconForm.h"
#include "tests/printing/BoxLabel.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/DialogAnswers.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>

using namespace zev;
using namespace zev::test;

namespace {

class ItemFrmTest : public PrintTest
{
protected:
    ItemFrmTest() : form(windows, registries(), op())
    {
        Sql(Loja);
        windows.MainForm = &form;
        windows.SelectLabelForm = new TSelectLabelForm(registries(), &form);
        windows.ContadorForm = new TContadorForm(&form);
        windows.ProconFrm = new TProconFrm(&form);
        windows.BuscaForm = new TBuscaForm(op(), &form);
        windows.ItemForm = new TItemForm(windows, registries(), op(), &form);
    }

    static void Type(QLineEdit* edit, const QString& code)
    {
        edit->selectAll();
        QTest::keyClicks(edit, code);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // Types each code with Enter into the counter window once it shows,
    // runs `check` on it, then closes it with Escape.
    static void TypeCodes(const std::vector<QString>& codes,
                          std::function<void(TItemForm&)> check = {})
    {
        AnswerModal<TItemForm>([codes, check](TItemForm& item) {
            auto* edit = Child<QLineEdit>(item, "MaskEdit");
            for (const QString& code : codes)
                Type(edit, code);
            if (check)
                check(item);
            QTest::keyClick(edit, Qt::Key_Escape);
        });
    }

    using TDialogCheck = std::function<void(const QDialog&)>;
    static void AnswerCount(const char* count, const TDialogCheck& check = {})
    {
        AnswerModal<TContadorForm>([count, check](TContadorForm& d) {
            if (check)
                check(d);
            Child<QLineEdit>(d, "Value")->setText(count);
            Answer(d, TAnswer::Ok);
        });
    }

    TWindows windows;
    TMainForm form;
};

// Each command sets both modes: Procom used first leaves nothing behind.
// Whatever the screen (the area runs on 1024 x 768 and 1366 x 768), the
// count and the supplier are typed with the product in sight.
TEST_F(ItemFrmTest, TheCounterCommandsAskWhatTheirModeAsksAndNoMore)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\nLabel Default=marca\r\n");
    const TDialogCheck clearOfProduct = [this](const QDialog& dialog) {
        const TItemForm& item = *windows.ItemForm;
        const QRect fields(
            item.mapToGlobal(QPoint(0, Child<QLineEdit>(item, "MaskEdit")->y())),
            item.mapToGlobal(
                QPoint(item.width() - 1, Child<QLabel>(item, "PCxLbl")->geometry().bottom())));
        EXPECT_FALSE(dialog.frameGeometry().intersects(fields));
        EXPECT_TRUE(item.screen()->availableGeometry().contains(dialog.frameGeometry()));
    };
    const std::tuple<const char*, std::vector<QString>, bool, const char*, std::size_t> cases[] = {
        {"Procom1", {"66"}, true, nullptr, 1},
        {"Individual1", {"66", "66"}, false, nullptr, 1},
        {"Multipla1", {"66"}, false, "3", 3},
    };
    for (const auto& [item, codes, procon, count, labels] : cases) {
        SCOPED_TRACE(item);
        *port = TTestPort();
        AnswerModal<TSelectLabelForm>([](TSelectLabelForm& d) { Answer(d, TAnswer::Ok); });
        TypeCodes(codes);
        if (procon)
            AnswerModal<TProconFrm>([&](TProconFrm& d) {
                clearOfProduct(d);
                Answer(d, TAnswer::Ok);
            });
        if (count)
            AnswerCount(count, clearOfProduct);
        form.findChild<QAction*>(QString::fromLatin1(item))->trigger();
        EXPECT_EQ(port->blocks.size(), labels + 1);
        EXPECT_EQ(port->ends, 1);
    }
    EXPECT_TRUE(op().Messages().empty());
}

// The product's fields, the code selected for the next one, and whether
// the label went out: an Enter that only shows differs from one that
// prints, and a refusal from both. The port ends with the window.
TEST_F(ItemFrmTest, TheWindowShowsTheProductAndWhetherTheLabelWentOut)
{
    const QString naoEncontrado = QString::fromUtf8("*** NÃO ENCONTRADO ***");
    const QStringList erva = {"ERVA", "1,00", "", "", "00066"};
    // refused: the header is block 0; shown: DescrLbl, PrecoLbl, QCxLbl, PCxLbl, MaskEdit.
    // clang-format off
    struct TCase { const char* geral; TItemModes modes; std::set<std::size_t> refused; std::vector<QString> codes; QStringList shown; const char* result; int sent; };
    const TCase cases[] = {
        {"Atacado=1", {}, {}, {"7891000000011"}, {"CX ARROZ", "5,50", "6,00", "30,00", "7891000000011"}, "Enter de novo imprime a etiqueta", 0},
        {"", {}, {}, {"55555"}, {naoEncontrado, "", "", "", ""}, "", 0},
        {"", {}, {}, {"00066", "00066"}, erva, "Etiqueta enviada", 1},
        {"Imp Autom=1", {}, {1}, {"00066"}, erva, "Etiqueta NÃO impressa", 0},
        {"", {true, false}, {}, {"00066"}, erva, "3 etiquetas enviadas", 3},
        {"", {true, false}, {2}, {"00066"}, erva, "1 etiqueta(s) enviada(s), 2 NÃO impressa(s)", 1},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.result);
        program.WriteSettings(std::string("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\n") + c.geral);
        *port = TTestPort();
        port->refused = c.refused;
        TypeCodes(c.codes, [&c, this](TItemForm& item) {
            auto* edit = Child<QLineEdit>(item, "MaskEdit");
            QStringList shown;
            for (const char* name : {"DescrLbl", "PrecoLbl", "QCxLbl", "PCxLbl"})
                shown << Child<QLabel>(item, name)->text();
            EXPECT_EQ(shown << edit->text(), c.shown);
            EXPECT_EQ(edit->selectedText(), edit->text());
            EXPECT_EQ(Child<QLabel>(item, "ResultLbl")->text(), QString::fromUtf8(c.result));
        });
        if (c.modes.askCount)
            AnswerCount("3");
        windows.ItemForm->Execute("marca", c.modes);
        EXPECT_EQ(windows.ItemForm->Sent(), c.sent);
        EXPECT_EQ(std::pair(port->starts, port->ends), std::pair(1, 1));
    }
}

TEST_F(ItemFrmTest, AFailedStartIsToldAndClosesTheWindow)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    port->refused = {0};
    windows.ItemForm->Execute("marca", {});
    EXPECT_FALSE(windows.ItemForm->isVisible());
    ASSERT_EQ(op().Messages().size(), 1u);
    EXPECT_EQ(op().Messages()[0].text,
              QString::fromUtf8("Não foi possível inicializar a impressora (SendData)"));
    EXPECT_EQ(port->ends, port->starts);
}

// The picture follows the label to the port: drawn once it went out, a
// reason when it cannot be drawn, nothing for a code not found.
TEST_F(ItemFrmTest, TheCounterDrawsTheLabelOnceItWentToThePort)
{
    Sql("insert into produto (produto_key, descricao, quantidade_etiquetas, caixa, preco_normal) "
        "values (13, 'MISTERIO', 1, 0, 2); insert into item values ('1313', 13)");
    program.Registries().Labels->LabelHash.SetItem("caixas", std::make_unique<TBoxLabel>());
    program.WriteSettings("[Labels]\r\ncaixas=TESTE:\r\n[Geral]\r\nImp Autom=1\r\n");
    AnswerModal<TItemForm>([this](TItemForm& item) {
        auto* edit = Child<QLineEdit>(item, "MaskEdit");
        const auto& view = *Child<TLabelPreviewView>(item, "PreviewView");
        Type(edit, "66");
        EXPECT_EQ(BoxSize(view.Picture().image), QSize(TBoxLabel::WidthOf(6), 50));
        EXPECT_TRUE(view.ReasonText().isEmpty());

        Type(edit, "1313");
        EXPECT_EQ(port->blocks.size(), 3u);
        EXPECT_FALSE(view.Picture().HasPicture());
        EXPECT_FALSE(view.ReasonText().isEmpty());

        Type(edit, "55555");
        EXPECT_FALSE(view.Picture().HasPicture());
        EXPECT_TRUE(view.ReasonText().isEmpty());
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    windows.ItemForm->Execute("caixas", {});
    EXPECT_TRUE(op().Messages().empty());
}

// F5 opens the search on the code's field; in the search, Enter on the
// text searches, F5 clears, Enter on the grid takes the product.
TEST_F(ItemFrmTest, F5SearchesAndTheChosenProductIsLookedUp)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    AnswerModal<TItemForm>([](TItemForm& item) {
        AnswerModal<TBuscaForm>([](TBuscaForm& busca) {
            auto* edit = Child<QLineEdit>(busca, "ProdutoEdt");
            auto* grid = Child<QTableWidget>(busca, "ProdutoGrd");
            Type(edit, "arroz");
            EXPECT_EQ(grid->rowCount(), 2);
            QTest::keyClick(grid, Qt::Key_F5);
            EXPECT_EQ(grid->item(0, 0), nullptr);
            EXPECT_EQ(busca.focusWidget(), edit); // whether or not the window is active
            Type(edit, "doce");
            QTest::keyClick(grid, Qt::Key_Return); // OK: DOCE has no barcode
        });
        QTest::keyClick(Child<QLineEdit>(item, "MaskEdit"), Qt::Key_F5);

        AnswerModal<TBuscaForm>([](TBuscaForm& busca) {
            Type(Child<QLineEdit>(busca, "ProdutoEdt"), "erva");
            QTest::keyClick(Child<QTableWidget>(busca, "ProdutoGrd"), Qt::Key_Return);
        });
        QTest::keyClick(Child<QLineEdit>(item, "MaskEdit"), Qt::Key_F5);
        EXPECT_EQ(Child<QLineEdit>(item, "MaskEdit")->text(), "66");
        EXPECT_EQ(Child<QLabel>(item, "DescrLbl")->text(), "ERVA");
        item.reject();
    });
    windows.ItemForm->Execute("marca", {});
    ASSERT_EQ(op().Messages().size(), 1u);
    EXPECT_EQ(op().Messages()[0].text,
              QString::fromUtf8("Este produto não possui códigos de barra"));
    EXPECT_EQ(port->blocks.size(), 1u); // found again, not printed: Enter prints the second time
}

} // namespace
