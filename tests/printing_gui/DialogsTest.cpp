// The small dialogs of the printing commands: what they open on, the keys
// and masks of their fields, and what each way out hands back.

#include "platform/Error.h"
#include "platform/Regional.h"
#include "printing/ContadorFrm.h"
#include "printing/DateDlg.h"
#include "printing/ProconForm.h"
#include "printing/SequenciaFrm.h"
#include "printing/TipoFrm.h"
#include "tests/support/DialogAnswers.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QToolButton>

using namespace zev;
using namespace zev::test;

namespace {

// Every date is typed as the regional short date, with a drop-down calendar.
TEST(DatePickerTest, TheDialogsDatesAreRegionalShortDatesWithACalendar)
{
    const TDateDialog date;
    const TSequenciaForm sequencia;
    const TProconFrm procon;
    const std::pair<const QDialog*, const char*> pickers[] = {
        {&date, "DateTimePicker"}, {&sequencia, "DateTimePicker1"}, {&procon, "Data"}};
    for (const auto& [dialog, name] : pickers) {
        SCOPED_TRACE(name);
        const auto* picker = Child<QDateEdit>(*dialog, name);
        EXPECT_TRUE(picker->calendarPopup());
        EXPECT_EQ(picker->displayFormat(), "dd/MM/yyyy");
    }
}

TEST(DateDlgTest, OpensOnTodayEveryTimeAndOkHandsBackTheDayChosen)
{
    // One dialog for every row: what a row chose must not reach the next.
    const std::tuple<QDate, TAnswer, bool, double> cases[] = {
        {QDate(2000, 1, 1), TAnswer::Ok, true, 36526},
        {QDate(1999, 12, 31), TAnswer::Cancela, false, 0},
        {QDate(1899, 12, 31), TAnswer::Enter, true, 1},
        {QDate(2001, 1, 1), TAnswer::Escape, false, 0},
    };
    TDateDialog dialog;
    for (const auto& [chosen, answer, accepted, day] : cases) {
        SCOPED_TRACE(chosen.toString(Qt::ISODate).toStdString());
        WhenShown(
            dialog,
            [&] {
                auto* picker = Child<QDateEdit>(dialog, "DateTimePicker");
                EXPECT_EQ(picker->date(), DayNumberToQDate(Today()));
                EXPECT_EQ(dialog.focusWidget(), picker);
                picker->setDate(chosen);
            },
            answer);
        EXPECT_EQ(dialog.Execute(), accepted);
        if (accepted) {
            EXPECT_EQ(dialog.GetDate(), day);
        }
    }
}

// The calendar opens from the keyboard as a drop-down list does; closed
// with Escape it leaves the date as it was and the keys go on to the date.
TEST(DateDlgTest, AltDownOrF4OpensTheCalendarAndTypingGoesOnAfterEscape)
{
    const std::pair<Qt::Key, Qt::KeyboardModifiers> opening[] = {{Qt::Key_Down, Qt::AltModifier},
                                                                 {Qt::Key_F4, Qt::NoModifier}};
    TDateDialog dialog;
    for (const auto& [key, modifiers] : opening) {
        SCOPED_TRACE(QKeySequence(key | modifiers).toString().toStdString());
        WhenShown(
            dialog,
            [&] {
                // The keys reach the active window only.
                ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
                auto* picker = Child<QDateEdit>(dialog, "DateTimePicker");
                QWidget* calendar = picker->calendarWidget()->window();
                EXPECT_FALSE(calendar->isVisible());
                QTest::keyClick(picker, key, modifiers);
                ASSERT_TRUE(calendar->isVisible());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                EXPECT_FALSE(calendar->isVisible());
                EXPECT_EQ(picker->date(), DayNumberToQDate(Today()));
                EXPECT_EQ(dialog.focusWidget(), picker);
                QTest::keyClicks(QApplication::focusWidget(), "15");
            },
            TAnswer::Ok);
        ASSERT_TRUE(dialog.Execute());
        QDate expected = DayNumberToQDate(Today());
        expected.setDate(expected.year(), expected.month(), 15);
        EXPECT_EQ(DayNumberToQDate(dialog.GetDate()), expected);
    }
}

TEST(ContadorFrmTest, OpensOnOneSelectedAndTakesOneToThreeDigits)
{
    // Typed over the "1" selected at the showing; accepted by Enter.
    const struct { const char* typed; const char* value; bool accepted; } cases[] = {
        {"", "1", true},       {"7", "7", true},     {"25", "25", true},   {"123", "123", true},
        {"1234", "123", true}, {"1a2b", "12", true}, {" -5", "5", true},   {"abc", "1", true},
        {"0", "0", true},      {"500", "500", true}, {"\babc", "", false},
    };
    TContadorForm form;
    auto* value = Child<QLineEdit>(form, "Value");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QTimer::singleShot(0, &form, [&] {
            EXPECT_EQ(value->selectedText(), "1");
            EXPECT_EQ(form.focusWidget(), value);
            QTest::keyClicks(value, c.typed);
            EXPECT_EQ(value->text(), c.value);
            QTest::keyClick(value, Qt::Key_Return);
            // Enter on an empty count leaves the dialog open.
            if (form.isVisible())
                Answer(form, TAnswer::Cancela);
        });
        EXPECT_EQ(form.Execute(), c.accepted);
        EXPECT_EQ(form.ValueText(), c.value);
    }
}

// Up and Down, or the spin buttons, step what is typed between 1 and 100.
TEST(ContadorFrmTest, ArrowKeysAndSpinButtonsStepWhatIsTypedBetweenOneAndHundred)
{
    // Typed over the "1" of the showing; steps up when positive.
    const struct { const char* typed; int steps; const char* value; bool buttons = false; } cases[] = {
        {"1", -1, "1"},  {"1", 2, "3"},     {"99", 3, "100"}, {"100", -1, "99"},
        {"0", 1, "1"},   {"0", -1, "1"},    {"500", 1, "100"}, {"", -1, "1"},
        {"", 1, "1"},    {"37", -5, "32"},  {"99", 2, "100", true}, {"5", -2, "3", true},
    };
    TContadorForm form;
    auto* value = Child<QLineEdit>(form, "Value");
    const auto* spin = Child<QWidget>(form, "UpDown1");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from \"" << c.typed << "\" by " << c.steps);
        WhenShown(
            form,
            [&] {
                QTest::keyClick(value, Qt::Key_Delete);
                QTest::keyClicks(value, c.typed);
                for (int i = 0; i < std::abs(c.steps); ++i) {
                    if (c.buttons)
                        Child<QToolButton>(*spin, c.steps > 0 ? "UpBtn" : "DownBtn")->click();
                    else
                        QTest::keyClick(value, c.steps > 0 ? Qt::Key_Up : Qt::Key_Down);
                }
            },
            TAnswer::Ok);
        EXPECT_TRUE(form.Execute());
        EXPECT_EQ(form.ValueText(), c.value);
    }
}

// All fourteen digits or none: a partly typed CNPJ is refused with a warning
// and the dialog stays open.
TEST(ProconFormTest, CnpjKeepsItsSeparatorsAndTakesAllDigitsOrNone)
{
    const char* const blank = "  .   .   /    -  ";
    const std::pair<const char*, const char*> cases[] = {
        {"", blank},
        {"1234", nullptr}, // refused
        {"1a2b3", nullptr},
        {"12345678000195", "12.345.678/0001-95"},
        {"123456789012345678", "12.345.678/9012-34"},
    };
    TProconFrm form;
    auto* nome = Child<QLineEdit>(form, "Nome");
    auto* cnpj = Child<QLineEdit>(form, "CNPJ");
    for (const auto& [typed, text] : cases) {
        SCOPED_TRACE(typed);
        QString warning;
        WhenShown(
            form,
            [&] {
                cnpj->clear();
                QTest::keyClick(nome, Qt::Key_Tab);
                ASSERT_EQ(form.focusWidget(), cnpj);
                QTest::keyClicks(cnpj, typed);
                if (text == nullptr) {
                    AnswerModal<QMessageBox>([&](QMessageBox& box) {
                        warning = box.text();
                        box.accept();
                    });
                    Answer(form, TAnswer::Ok);
                    EXPECT_TRUE(form.isVisible());
                    cnpj->clear();
                }
            },
            TAnswer::Ok);
        EXPECT_TRUE(form.Execute());
        EXPECT_EQ(form.CnpjText(), text != nullptr ? text : blank);
        EXPECT_EQ(warning, text != nullptr
                               ? ""
                               : "CNPJ incompleto: digite os 14 dígitos ou deixe o campo em branco.");
    }
}

TEST(ProconFormTest, OffersWhatWasTypedAgainAtTheNextShowingWithTheFocusOnNome)
{
    TProconFrm form;
    auto* nome = Child<QLineEdit>(form, "Nome");
    auto* cnpj = Child<QLineEdit>(form, "CNPJ");
    auto* data = Child<QDateEdit>(form, "Data");
    EXPECT_EQ(form.NomeText(), "");
    EXPECT_EQ(form.CnpjText(), "  .   .   /    -  ");
    EXPECT_EQ(form.DataValue(), Today());
    WhenShown(
        form,
        [&] {
            EXPECT_EQ(form.focusWidget(), nome);
            QTest::keyClicks(nome, "Distribuidora Silva");
            QTest::keyClick(nome, Qt::Key_Tab);
            QTest::keyClicks(form.focusWidget(), "12345678000195");
            data->setDate(QDate(2000, 1, 1));
        },
        TAnswer::Enter);
    ASSERT_TRUE(form.Execute());
    for (const TAnswer answer : {TAnswer::Cancela, TAnswer::Ok}) {
        WhenShown(
            form,
            [&] {
                EXPECT_EQ(form.focusWidget(), nome);
                EXPECT_EQ(nome->text(), "Distribuidora Silva");
                EXPECT_EQ(cnpj->displayText(), "12.345.678/0001-95");
                EXPECT_EQ(data->date(), QDate(2000, 1, 1));
                cnpj->setFocus(); // the next showing starts on Nome again
            },
            answer);
        EXPECT_EQ(form.Execute(), answer == TAnswer::Ok);
        EXPECT_EQ(form.NomeText(), "Distribuidora Silva");
        EXPECT_EQ(form.CnpjText(), "12.345.678/0001-95");
        EXPECT_EQ(form.DataValue(), 36526);
    }
}

// A full CNPJ and a supplier's usual name show whole: with the cursor at
// the end the text has not scrolled.
TEST(ProconFormTest, TheCnpjAndTheSuppliersNameShowWhole)
{
    TProconFrm form;
    const std::pair<const char*, const char*> cases[] = {
        {"CNPJ", "12345678000195"}, {"Nome", "DISTRIBUIDORA DE ALIMENTOS SAO PAULO LTDA"}};
    form.show();
    for (const auto& [name, typed] : cases) {
        SCOPED_TRACE(typed);
        auto* edit = Child<QLineEdit>(form, name);
        edit->setFocus();
        edit->home(false);
        QTest::keyClicks(edit, typed);
        // The line edit scrolls its text when it paints.
        const auto cursorAt = [edit](bool end) {
            end ? edit->end(false) : edit->home(false);
            edit->repaint();
            return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        };
        const int home = cursorAt(false);
        EXPECT_GE(cursorAt(true) - home,
                  edit->fontMetrics().horizontalAdvance(edit->displayText()) - 1)
            << edit->displayText().toStdString();
    }
    form.hide();
}

TEST(SequenciaFrmTest, KeepsWhatWasTypedFromOneShowingToTheNext)
{
    TSequenciaForm form;
    EXPECT_EQ(std::pair(form.Inicial(), form.Final()), std::pair(1, 99));
    // One window for every row, as the program keeps it. Cancela keeps the
    // typing too; letters do not go in.
    const std::tuple<const char*, const char*, QDate, TAnswer, bool, int, int> cases[] = {
        {"7", "12", QDate(2026, 3, 5), TAnswer::Ok, true, 7, 12},
        {nullptr, nullptr, QDate(), TAnswer::Enter, true, 7, 12},
        {"12a3456", nullptr, QDate(2026, 4, 1), TAnswer::Cancela, false, 123456, 12},
        {nullptr, "000200", QDate(), TAnswer::Ok, true, 123456, 200},
    };
    QDate shown = DayNumberToQDate(Today());
    for (const auto& [typed1, typed2, date, answer, accepted, first, last] : cases) {
        SCOPED_TRACE(first);
        WhenShown(
            form,
            [&] {
                auto* picker = Child<QDateEdit>(form, "DateTimePicker1");
                EXPECT_EQ(picker->date(), shown);
                for (const auto& [name, typed] :
                     {std::pair{"MaskEdit1", typed1}, {"MaskEdit2", typed2}}) {
                    if (typed != nullptr) {
                        auto* edit = Child<QLineEdit>(form, name);
                        edit->selectAll();
                        QTest::keyClick(edit, Qt::Key_Delete);
                        edit->setCursorPosition(0);
                        QTest::keyClicks(edit, QString::fromLatin1(typed));
                    }
                }
                if (date.isValid())
                    picker->setDate(shown = date);
            },
            answer);
        EXPECT_EQ(form.Execute(), accepted);
        EXPECT_EQ(std::pair(form.Inicial(), form.Final()), std::pair(first, last));
    }
    EXPECT_EQ(form.GetDate(), EncodeDate(2026, 4, 1));
    // A field without digits is no number.
    Child<QLineEdit>(form, "MaskEdit2")->clear();
    EXPECT_THROW(form.Final(), EConvertError);
}

TEST(TipoFrmTest, OkReturnsTheKindChosenAndEveryOtherWayOutReturnsMinusOne)
{
    const std::tuple<const char*, TAnswer, int> cases[] = {
        {nullptr, TAnswer::Ok, 1}, // as it opens
        {"Preços Normais", TAnswer::Ok, 2},
        {"Ofertas", TAnswer::Ok, 3},
        {"Ofertas", TAnswer::Enter, 3},
        {"Preços Normais", TAnswer::Cancela, -1},
        {"Preços Normais", TAnswer::Escape, -1},
        // The close box must not read as "Preços Normais".
        {"Preços Normais", TAnswer::CloseBox, -1},
        {nullptr, TAnswer::CloseBox, -1},
    };
    for (const auto& [choose, answer, expected] : cases) {
        SCOPED_TRACE(testing::Message() << (choose ? choose : "-") << " " << static_cast<int>(answer));
        TTipoForm form; // a fresh one for every use, as the date selection does
        QStringList texts;
        const auto items = Child<QGroupBox>(form, "RadioGroup")->findChildren<QRadioButton*>();
        for (const QRadioButton* item : items)
            texts << item->text();
        ASSERT_EQ(texts, QStringList({"Todos", "Preços Normais", "Ofertas"}));
        WhenShown(
            form,
            [&] {
                EXPECT_TRUE(items[0]->isChecked());
                if (choose != nullptr)
                    items[texts.indexOf(QString::fromUtf8(choose))]->click();
            },
            answer);
        EXPECT_EQ(form.Execute(), expected);
    }
}

} // namespace
