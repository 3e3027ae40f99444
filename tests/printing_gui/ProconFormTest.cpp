#include "printing/ProconForm.h"
#include "platform/Regional.h"
#include "tests/support/DialogAnswers.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

class ProconFormTest : public testing::Test
{
protected:
    QLineEdit* Nome() const { return Child<QLineEdit>(form, "Nome"); }
    QLineEdit* Cnpj() const { return Child<QLineEdit>(form, "CNPJ"); }
    QDateEdit* Data() const { return Child<QDateEdit>(form, "Data"); }

    TProconFrm form;
};

TEST_F(ProconFormTest, OpensEmptyOnTodayUnderItsCaptions)
{
    EXPECT_EQ(form.windowTitle(), "ProconFrm");
    EXPECT_EQ(form.findChild<QGroupBox*>()->title(), "Dados da Etiqueta");
    QStringList labels;
    for (const QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"Nome:", "CNPJ:", "Fabricação:"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(Child<QPushButton>(form, "BitBtn2")->text(), "Cancela");
    EXPECT_TRUE(Data()->calendarPopup());
    EXPECT_EQ(Data()->displayFormat(), "dd/MM/yyyy");

    EXPECT_EQ(form.NomeText(), "");
    EXPECT_EQ(form.CnpjText(), "  .   .   /    -  ");
    EXPECT_EQ(form.DataValue(), Today());
}

// All fourteen digits or none: a partly typed CNPJ is refused with a warning
// and the dialog stays open.
TEST_F(ProconFormTest, CnpjKeepsItsSeparatorsAndTakesAllDigitsOrNone)
{
    const struct
    {
        const char* typed;
        const char* text; // nullptr: refused
    } cases[] = {
        {"", "  .   .   /    -  "},
        {"1234", nullptr},
        {"1a2b3", nullptr},
        {"12345678000195", "12.345.678/0001-95"},
        {"123456789012345678", "12.345.678/9012-34"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QString warning;
        WhenShown(
            form,
            [&] {
                Cnpj()->clear();
                QTest::keyClick(Nome(), Qt::Key_Tab);
                ASSERT_EQ(form.focusWidget(), Cnpj());
                QTest::keyClicks(Cnpj(), c.typed);
                if (c.text == nullptr) {
                    AnswerModal<QMessageBox>([&](QMessageBox& box) {
                        warning = box.text();
                        box.accept();
                    });
                    Child<QPushButton>(form, "BitBtn1")->click();
                    EXPECT_TRUE(form.isVisible());
                    Cnpj()->clear();
                }
            },
            TAnswer::Ok);
        EXPECT_TRUE(form.Execute());
        EXPECT_EQ(form.CnpjText(), c.text != nullptr ? c.text : "  .   .   /    -  ");
        EXPECT_EQ(warning,
                  c.text != nullptr
                      ? ""
                      : "CNPJ incompleto: digite os 14 dígitos ou deixe o campo em branco.");
    }
}

TEST_F(ProconFormTest, OffersWhatWasTypedAgainAtTheNextShowingWithTheFocusOnNome)
{
    WhenShown(
        form,
        [&] {
            EXPECT_EQ(form.focusWidget(), Nome());
            QTest::keyClicks(Nome(), "Distribuidora Silva");
            QTest::keyClick(Nome(), Qt::Key_Tab);
            QTest::keyClicks(form.focusWidget(), "12345678000195");
            Data()->setDate(QDate(2000, 1, 1));
        },
        TAnswer::Enter);
    ASSERT_TRUE(form.Execute());
    EXPECT_EQ(form.NomeText(), "Distribuidora Silva");
    EXPECT_EQ(form.CnpjText(), "12.345.678/0001-95");
    EXPECT_EQ(form.DataValue(), 36526);

    for (const TAnswer answer : {TAnswer::Cancela, TAnswer::Ok}) {
        WhenShown(
            form,
            [&] {
                EXPECT_EQ(form.focusWidget(), Nome());
                EXPECT_EQ(Nome()->text(), "Distribuidora Silva");
                EXPECT_EQ(Cnpj()->displayText(), "12.345.678/0001-95");
                EXPECT_EQ(Data()->date(), QDate(2000, 1, 1));
                Cnpj()->setFocus(); // the next showing starts on Nome again
            },
            answer);
        EXPECT_EQ(form.Execute(), answer == TAnswer::Ok);
        EXPECT_EQ(form.NomeText(), "Distribuidora Silva");
        EXPECT_EQ(form.DataValue(), 36526);
    }
}

// A full CNPJ and a supplier's usual name show whole: with the cursor at
// the end the text has not scrolled.
TEST_F(ProconFormTest, TheCnpjAndTheSuppliersNameShowWhole)
{
    const std::pair<QLineEdit*, const char*> cases[] = {
        {Cnpj(), "12345678000195"},
        {Nome(), "DISTRIBUIDORA DE ALIMENTOS SAO PAULO LTDA"},
    };
    form.show();
    for (const auto& [edit, typed] : cases) {
        SCOPED_TRACE(typed);
        edit->setFocus();
        edit->home(false);
        QTest::keyClicks(edit, typed);
        // The line edit scrolls its text when it paints.
        edit->home(false);
        edit->repaint();
        const int home = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        edit->end(false);
        edit->repaint();
        const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        EXPECT_GE(end - home, edit->fontMetrics().horizontalAdvance(edit->displayText()) - 1)
            << edit->displayText().toStdString();
    }
    EXPECT_EQ(form.CnpjText(), "12.345.678/0001-95");
    form.hide();
}

} // namespace
