#include "printing/DateDlg.h"
#include "platform/Regional.h"
#include "tests/support/DialogAnswers.h"

#include <QDateEdit>
#include <QLabel>

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

} // namespace
