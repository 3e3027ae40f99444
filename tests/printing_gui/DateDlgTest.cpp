#include "printing/DateDlg.h"
#include "platform/Regional.h"
#include "tests/support/DialogAnswers.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

TEST(DateDlgTest, ShowsADropDownPickerInTheRegionalShortDate)
{
    const TDateDialog dialog;
    EXPECT_EQ((QStringList{dialog.windowTitle(), dialog.findChild<QLabel*>()->text()}),
              (QStringList{"ZEV 4.0", "Data:"}));
    const auto* picker = Child<QDateEdit>(dialog, "DateTimePicker");
    EXPECT_TRUE(picker->calendarPopup());
    EXPECT_EQ(picker->displayFormat(), "dd/MM/yyyy");
}

TEST(DateDlgTest, OpensOnTodayEveryTimeAndOkHandsBackTheDayChosen)
{
    struct TCase
    {
        QDate chosen;
        TAnswer answer;
        bool accepted;
        double day; // when accepted
    };
    // One dialog for every row: what a row chose must not reach the next.
    const TCase cases[] = {
        {QDate(2000, 1, 1), TAnswer::Ok, true, 36526},
        {QDate(1999, 12, 31), TAnswer::Cancela, false, 0},
        {QDate(1899, 12, 31), TAnswer::Enter, true, 1},
        {QDate(2001, 1, 1), TAnswer::Escape, false, 0},
    };
    TDateDialog dialog;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.chosen.toString(Qt::ISODate).toStdString());
        WhenShown(
            dialog,
            [&] {
                auto* picker = Child<QDateEdit>(dialog, "DateTimePicker");
                EXPECT_EQ(picker->date(), DayNumberToQDate(Today()));
                EXPECT_EQ(dialog.focusWidget(), picker);
                picker->setDate(c.chosen);
            },
            c.answer);
        EXPECT_EQ(dialog.Execute(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(dialog.GetDate(), c.day);
        }
    }
}

// The calendar opens from the keyboard as a drop-down list does; closed
// with Escape it leaves the date as it was and the keys go on to the date.
TEST(DateDlgTest, AltDownOrF4OpensTheCalendarAndTypingGoesOnAfterEscape)
{
    const std::pair<Qt::Key, Qt::KeyboardModifiers> opening[] = {
        {Qt::Key_Down, Qt::AltModifier},
        {Qt::Key_F4, Qt::NoModifier},
    };
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

} // namespace
