#include "printing/ItemFrm.h"

#include "app/MainFrm.h"
#include "app/Windows.h"
#include "output/SelectLabelFrm.h"
#include "platform/Regional.h"
#include "printing/BuscaFrm.h"
#include "printing/ContadorFrm.h"
#include "printing/ProconForm.h"
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

    // Types each code into the shown counter window with Enter, then Escape.
    void TypeCodes(const std::vector<QString>& codes)
    {
        AnswerModal<TItemForm>([codes](TItemForm& item) {
            auto* edit = Child<QLineEdit>(item, "MaskEdit");
            for (const QString& code : codes) {
                edit->selectAll();
                QTest::keyClicks(edit, code);
                QTest::keyClick(edit, Qt::Key_Return);
            }
            QTest::keyClick(edit, Qt::Key_Escape);
        });
    }

    TWindows windows;
    TMainForm form;
};

std::string Erva()
{
    return "000006 ERVA 1,00 " + DateToStr(Today()) + " 00000066\r\n";
}

// Each command sets both modes: Procom used first leaves nothing behind.
TEST_F(ItemFrmTest, TheCounterCommandsAskWhatTheirModeAsksAndNoMore)
{
    program.WriteSettings("[Labels]\r\nlinha=FILE:\r\n[Geral]\r\nLabel Default=linha\r\n");
    struct TCase
    {
        const char* item;
        std::vector<QString> codes;
        bool procon;
        const char* count;
        int labels;
    };
    const TCase cases[] = {
        {"Procom1", {"66"}, true, nullptr, 1},
        {"Individual1", {"66"}, false, nullptr, 0},
        {"Individual1", {"66", "66"}, false, nullptr, 1},
        {"Multipla1", {"66"}, false, "3", 3},
        {"Individual1", {"66", "7891000000011", "66"}, false, nullptr, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.item);
        const QString output = Output();
        AnswerModal<TSelectLabelForm>([](TSelectLabelForm& d) { Answer(d, TAnswer::Ok); });
        TypeCodes(c.codes);
        if (c.procon)
            AnswerModal<TProconFrm>([](TProconFrm& d) {
                Child<QLineEdit>(d, "Nome")->setText("Ana");
                Answer(d, TAnswer::Ok);
            });
        if (c.count)
            AnswerModal<TContadorForm>([&c](TContadorForm& d) {
                Child<QLineEdit>(d, "Value")->setText(c.count);
                Answer(d, TAnswer::Ok);
            });
        form.findChild<QAction*>(QString::fromLatin1(c.item))->trigger();
        std::string labels = "H\r\n";
        for (int i = 0; i < c.labels; ++i)
            labels += Erva();
        EXPECT_EQ(ReadFileBytes(output), labels);
    }
    EXPECT_TRUE(op().Messages().empty());
}

TEST_F(ItemFrmTest, TheWindowShowsTheProductAndEscapeEndsThePort)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\nAtacado=1\r\n");
    struct TCase
    {
        QString code;
        QStringList shown; // DescrLbl, PrecoLbl, QCxLbl, PCxLbl, MaskEdit
    };
    const TCase cases[] = {
        {"7891000000011", {"CX ARROZ", "5,50", "6,00", "30,00", "7891000000011"}},
        {"00066", {"ERVA", "1,00", "", "", "00066"}},
        {"55555", {QString::fromUtf8("*** NÃO ENCONTRADO ***"), "", "", "", ""}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        *port = TTestPort();
        AnswerModal<TItemForm>([&c, this](TItemForm& item) {
            auto* edit = Child<QLineEdit>(item, "MaskEdit");
            QTest::keyClicks(edit, c.code);
            QTest::keyClick(edit, Qt::Key_Enter);
            QStringList shown;
            for (const char* name : {"DescrLbl", "PrecoLbl", "QCxLbl", "PCxLbl"})
                shown << Child<QLabel>(item, name)->text();
            EXPECT_EQ(shown << edit->text(), c.shown);
            EXPECT_EQ(edit->selectedText(), edit->text());
            EXPECT_EQ(port->ends, 0);
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        windows.ItemForm->Execute("marca", {});
        EXPECT_EQ(port->starts, 1);
        EXPECT_EQ(port->ends, 1);
        EXPECT_EQ(port->blocks.size(), 1u);
    }
}

// Whether the label went out shows apart from the product: an Enter that
// only shows differs from one that prints, and a refusal from both.
TEST_F(ItemFrmTest, TheWindowSaysWhetherTheLabelWentOut)
{
    struct TCase
    {
        const char* geral;
        TItemModes modes;
        std::set<std::size_t> refused; // the header is block 0
        std::vector<QString> codes;
        const char* result;
        int sent;
    };
    const TCase cases[] = {
        {"", {}, {}, {"00066"}, "Enter de novo imprime a etiqueta", 0},
        {"", {}, {}, {"00066", "00066"}, "Etiqueta enviada", 1},
        {"Imp Autom=1", {}, {1}, {"00066"}, "Etiqueta NÃO impressa", 0},
        {"", {true, false}, {}, {"00066"}, "3 etiquetas enviadas", 3},
        {"", {true, false}, {2}, {"00066"}, "1 etiqueta(s) enviada(s), 2 NÃO impressa(s)", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.result);
        program.WriteSettings(std::string("[Labels]\r\nmarca=TESTE:\r\n[Geral]\r\n") + c.geral);
        *port = TTestPort();
        port->refused = c.refused;
        AnswerModal<TItemForm>([&c](TItemForm& item) {
            auto* edit = Child<QLineEdit>(item, "MaskEdit");
            for (const QString& code : c.codes) {
                edit->selectAll();
                QTest::keyClicks(edit, code);
                QTest::keyClick(edit, Qt::Key_Return);
            }
            EXPECT_EQ(Child<QLabel>(item, "ResultLbl")->text(), QString::fromUtf8(c.result));
            EXPECT_EQ(Child<QLabel>(item, "DescrLbl")->text(), "ERVA");
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        if (c.modes.askCount)
            AnswerModal<TContadorForm>([](TContadorForm& d) {
                Child<QLineEdit>(d, "Value")->setText("3");
                Answer(d, TAnswer::Ok);
            });
        windows.ItemForm->Execute("marca", c.modes);
        EXPECT_EQ(windows.ItemForm->Sent(), c.sent);
    }
}

// Whatever the screen (the area runs on 1024 x 768 and 1366 x 768), the
// count and the supplier are typed with the product in sight.
TEST_F(ItemFrmTest, TheCountAndProconWindowsOpenClearOfTheProduct)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    const auto checkPlace = [this](QDialog& dialog) {
        const TItemForm& item = *windows.ItemForm;
        const QRect fields(
            item.mapToGlobal(QPoint(0, Child<QLineEdit>(item, "MaskEdit")->y())),
            item.mapToGlobal(
                QPoint(item.width() - 1, Child<QLabel>(item, "PCxLbl")->geometry().bottom())));
        EXPECT_FALSE(dialog.frameGeometry().intersects(fields))
            << dialog.objectName().toStdString();
        EXPECT_TRUE(item.screen()->availableGeometry().contains(dialog.frameGeometry()))
            << dialog.objectName().toStdString();
        Answer(dialog, TAnswer::Ok);
    };
    // Procom after Multipla asks both, then Procom alone.
    for (const TItemModes modes : {TItemModes{true, true}, TItemModes{false, true}}) {
        AnswerModal<TItemForm>([&](TItemForm& item) {
            auto* edit = Child<QLineEdit>(item, "MaskEdit");
            AnswerModal<TProconFrm>(checkPlace);
            if (modes.askCount)
                AnswerModal<TContadorForm>(checkPlace);
            QTest::keyClicks(edit, "66");
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        windows.ItemForm->Execute("marca", modes);
    }
    // Each time the header and the one label.
    EXPECT_EQ(port->blocks.size(), 4u);
    EXPECT_TRUE(op().Messages().empty());
}

TEST_F(ItemFrmTest, AFailedStartIsToldAndClosesTheWindow)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "Key \"marca\" not found"},
        {"marca=TESTE:", "(SendData)"},
    };
    for (const auto& [labels, reason] : cases) {
        SCOPED_TRACE(reason);
        program.WriteSettings(std::string("[Labels]\r\n") + labels + "\r\n");
        *port = TTestPort();
        port->refused = {0};
        op().ClearMessages();
        windows.ItemForm->Execute("marca", {});
        EXPECT_FALSE(windows.ItemForm->isVisible());
        ASSERT_EQ(op().Messages().size(), 1u);
        EXPECT_EQ(op().Messages()[0].text,
                  QString::fromUtf8("Não foi possível inicializar a impressora ") + reason);
        EXPECT_EQ(port->ends, port->starts);
    }
}

TEST_F(ItemFrmTest, F5SearchesAndTheChosenProductIsLookedUp)
{
    program.WriteSettings("[Labels]\r\nmarca=TESTE:\r\n");
    AnswerModal<TItemForm>([this](TItemForm& item) {
        AnswerModal<TBuscaForm>([this](TBuscaForm& busca) {
            auto* edit = Child<QLineEdit>(busca, "ProdutoEdt");
            auto* grid = Child<QTableWidget>(busca, "ProdutoGrd");
            QTest::keyClick(edit, Qt::Key_Return); // empty: nothing
            EXPECT_EQ(grid->rowCount(), 1);
            QTest::keyClicks(edit, "arroz");
            QTest::keyClick(edit, Qt::Key_Return);
            ASSERT_EQ(grid->rowCount(), 2);
            EXPECT_EQ(grid->item(1, 1)->text(), "CX ARROZ");
            EXPECT_EQ(grid->item(1, 2)->text(), "30");
            QTest::keyClick(grid, Qt::Key_F5);
            EXPECT_EQ(grid->rowCount(), 1);
            EXPECT_EQ(grid->item(0, 0), nullptr);
            EXPECT_TRUE(edit->hasFocus());
            QTest::keyClicks(edit, "doce");
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClick(grid, Qt::Key_Return); // OK: DOCE has no barcode
        });
        QTest::keyClick(Child<QLineEdit>(item, "MaskEdit"), Qt::Key_F5);
        EXPECT_EQ(Child<QLabel>(item, "DescrLbl")->text(), "");

        AnswerModal<TBuscaForm>([](TBuscaForm& busca) {
            QTest::keyClicks(Child<QLineEdit>(busca, "ProdutoEdt"), "erva");
            QTest::keyClick(Child<QLineEdit>(busca, "ProdutoEdt"), Qt::Key_Return);
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
    EXPECT_EQ(port->ends, 1);
}

} // namespace
