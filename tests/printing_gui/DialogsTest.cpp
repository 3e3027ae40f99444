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

// The calendar opens from the keyboard as a drop-down list does; closed
// with Escape it leaves the date as it was and the keys go on to the date.
// One dialog for every row: what a row chose must not reach the next.
TEST(DateDlgTest, OpensOnTodayAndAltDownOrF4OpensTheCalendar)
{
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, TAnswer, bool> cases[] = {
        {Qt::Key_Down, Qt::AltModifier, TAnswer::Ok, true},
        {Qt::Key_F4, Qt::NoModifier, TAnswer::Escape, false},
        {Qt::Key_F4, Qt::NoModifier, TAnswer::Enter, true},
    };
    const QDate today = DayNumberToQDate(Today());
    TDateDialog dialog;
    for (const auto& [key, modifiers, answer, accepted] : cases) {
        SCOPED_TRACE(static_cast<int>(answer));
        WhenShown(
            dialog,
            [&] {
                // The keys reach the active window only.
                ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
                auto* picker = Child<QDateEdit>(dialog, "DateTimePicker");
                EXPECT_EQ(picker->date(), today);
                QWidget* calendar = picker->calendarWidget()->window();
                QTest::keyClick(picker, key, modifiers);
                ASSERT_TRUE(calendar->isVisible());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                EXPECT_EQ(picker->date(), today);
                EXPECT_EQ(dialog.focusWidget(), picker);
                QTest::keyClicks(QApplication::focusWidget(), "15");
            },
            answer);
        EXPECT_EQ(dialog.Execute(), accepted);
        if (accepted) {
            EXPECT_EQ(DayNumberToQDate(dialog.GetDate()), QDate(today.year(), today.month(), 15));
        }
    }
}

// Typed over the "1" selected at the showing ("\b" clears it); Up and Down,
// or the spin buttons, then step it between 1 and 100; Enter accepts.
TEST(ContadorFrmTest, TakesOneToThreeDigitsAndStepsThemBetweenOneAndHundred)
{
    // clang-format off
    const struct { const char* typed; int steps; const char* value; bool buttons = false; } cases[] = {
        {"", 0, "1"},      {"1234", 0, "123"}, {"1a2b", 0, "12"},  {"0", 0, "0"},
        {"\babc", 0, ""},  {"1", -1, "1"},     {"99", 3, "100"},  {"0", -1, "1"},
        {"500", 1, "100"}, {"\b", 1, "1"},     {"37", -5, "32"},  {"99", 2, "100", true},
        {"5", -2, "3", true},
    };
    // clang-format on
    TContadorForm form;
    auto* value = Child<QLineEdit>(form, "Value");
    const auto* spin = Child<QWidget>(form, "UpDown1");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.typed << "\" by " << c.steps);
        QTimer::singleShot(0, &form, [&] {
            EXPECT_EQ(value->selectedText(), "1");
            EXPECT_EQ(form.focusWidget(), value);
            QTest::keyClicks(value, c.typed);
            for (int i = 0; i < std::abs(c.steps); ++i) {
                if (c.buttons)
                    Child<QToolButton>(*spin, c.steps > 0 ? "UpBtn" : "DownBtn")->click();
                else
                    QTest::keyClick(value, c.steps > 0 ? Qt::Key_Up : Qt::Key_Down);
            }
            EXPECT_EQ(value->text(), c.value);
            QTest::keyClick(value, Qt::Key_Return);
            // Enter on an empty count leaves the dialog open.
            if (form.isVisible())
                Answer(form, TAnswer::Cancela);
        });
        EXPECT_EQ(form.Execute(), *c.value != 0);
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
        {"1a2b3", nullptr}, // refused
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
        EXPECT_EQ(warning,
                  text != nullptr
                      ? ""
                      : "CNPJ incompleto: digite os 14 dígitos ou deixe o campo em branco.");
    }
}

// Each showing starts on Nome and offers what was typed: the fields read what
// is shown, so Cancela keeps it too.
TEST(ProconFormTest, OffersWhatWasTypedAgainWithTheFocusOnNome)
{
    const QString supplier = QStringLiteral("DISTRIBUIDORA DE ALIMENTOS SAO PAULO LTDA");
    TProconFrm form;
    auto* nome = Child<QLineEdit>(form, "Nome");
    EXPECT_EQ(form.DataValue(), Today());
    for (const TAnswer answer : {TAnswer::Enter, TAnswer::Cancela}) {
        WhenShown(
            form,
            [&] {
                EXPECT_EQ(form.focusWidget(), nome); // left on CNPJ the time before
                if (answer != TAnswer::Enter)
                    return;
                QTest::keyClicks(nome, supplier);
                QTest::keyClick(nome, Qt::Key_Tab);
                QTest::keyClicks(form.focusWidget(), "12345678000195");
                Child<QDateEdit>(form, "Data")->setDate(QDate(2000, 1, 1));
            },
            answer);
        EXPECT_EQ(form.Execute(), answer != TAnswer::Cancela);
        EXPECT_EQ(form.NomeText(), supplier);
        EXPECT_EQ(form.CnpjText(), "12.345.678/0001-95");
        EXPECT_EQ(form.DataValue(), 36526);
    }
}

TEST(SequenciaFrmTest, KeepsWhatWasTypedFromOneShowingToTheNext)
{
    TSequenciaForm form;
    // One window for every row, as the program keeps it. Cancela keeps the
    // typing too; letters do not go in.
    const std::tuple<const char*, const char*, QDate, TAnswer, bool, int, int> cases[] = {
        {"7", "12", QDate(2026, 3, 5), TAnswer::Ok, true, 7, 12},
        {nullptr, nullptr, QDate(), TAnswer::Enter, true, 7, 12},
        {"12a3456", nullptr, QDate(2026, 4, 1), TAnswer::Cancela, false, 123456, 12},
        {nullptr, "000200", QDate(), TAnswer::Ok, true, 123456, 200},
    };
    for (const auto& [typed1, typed2, date, answer, accepted, first, last] : cases) {
        SCOPED_TRACE(first);
        WhenShown(
            form,
            [&] {
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
                    Child<QDateEdit>(form, "DateTimePicker1")->setDate(date);
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
    // The button chosen: Todos, Preços Normais, Ofertas.
    const std::tuple<int, TAnswer, int> cases[] = {
        {0, TAnswer::Ok, 1}, // as it opens
        {1, TAnswer::Ok, 2},
        {2, TAnswer::Enter, 3},
        {1, TAnswer::Cancela, -1},
        // The close box must not read as "Preços Normais".
        {1, TAnswer::CloseBox, -1},
    };
    for (const auto& [choose, answer, expected] : cases) {
        SCOPED_TRACE(testing::Message() << choose << " " << static_cast<int>(answer));
        TTipoForm form; // a fresh one for every use, as the date selection does
        const auto items = Child<QGroupBox>(form, "RadioGroup")->findChildren<QRadioButton*>();
        WhenShown(
            form,
            [&] {
                EXPECT_TRUE(items[0]->isChecked());
                items[choose]->click();
            },
            answer);
        EXPECT_EQ(form.Execute(), expected);
    }
}

} // namespace
