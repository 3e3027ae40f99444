#include "printing/SequenciaFrm.h"

#include "platform/Error.h"
#include "platform/Regional.h"
#include "tests/support/DialogAnswers.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <optional>

using namespace zev;
using namespace zev::test;

namespace {

TEST(SequenciaFrmTest, OpensOnTheFirstNinetyNineNumbersAndToday)
{
    const TSequenciaForm form;
    EXPECT_EQ(form.windowTitle(), "Sequencia");
    EXPECT_EQ(Child<QGroupBox>(form, "GroupBox1")->title(),
              QString::fromUtf8("Sequencia de Impressão"));
    EXPECT_EQ(Child<QLineEdit>(form, "MaskEdit1")->text(), "000001");
    EXPECT_EQ(Child<QLineEdit>(form, "MaskEdit2")->text(), "000099");
    const auto* picker = Child<QDateEdit>(form, "DateTimePicker1");
    EXPECT_EQ(picker->date(), DayNumberToQDate(Today()));
    EXPECT_TRUE(picker->calendarPopup());
    EXPECT_EQ(picker->displayFormat(), "dd/MM/yyyy");
    QStringList labels;
    for (const QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"Inicial", "Final", "Data"}));
    EXPECT_EQ(Child<QPushButton>(form, "BitBtn2")->text(), "Cancela");
    EXPECT_EQ(form.Inicial(), 1);
    EXPECT_EQ(form.Final(), 99);
}

TEST(SequenciaFrmTest, KeepsWhatWasTypedFromOneShowingToTheNext)
{
    struct TCase
    {
        const char* typed1; // keys typed over the whole field; nullptr: left alone
        const char* typed2;
        std::optional<QDate> date;
        TAnswer answer;
        bool accepted;
        int first, last;
        QDate shown; // the picker's date as the window opens
    };
    const QDate today = DayNumberToQDate(Today());
    // One window for every row, as the program keeps it.
    const TCase cases[] = {
        {"7", "12", QDate(2026, 3, 5), TAnswer::Ok, true, 7, 12, today},
        {nullptr, nullptr, std::nullopt, TAnswer::Enter, true, 7, 12, QDate(2026, 3, 5)},
        // Cancela keeps the typing too; letters do not go in.
        {"12a3456", nullptr, QDate(2026, 4, 1), TAnswer::Cancela, false, 123456, 12,
         QDate(2026, 3, 5)},
        {nullptr, "000200", std::nullopt, TAnswer::Ok, true, 123456, 200, QDate(2026, 4, 1)},
    };
    TSequenciaForm form;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.first);
        WhenShown(
            form,
            [&] {
                auto* picker = Child<QDateEdit>(form, "DateTimePicker1");
                EXPECT_EQ(picker->date(), c.shown);
                for (const auto& [name, typed] :
                     {std::pair{"MaskEdit1", c.typed1}, std::pair{"MaskEdit2", c.typed2}}) {
                    if (typed == nullptr)
                        continue;
                    auto* edit = Child<QLineEdit>(form, name);
                    edit->setFocus();
                    edit->selectAll();
                    QTest::keyClick(edit, Qt::Key_Delete);
                    edit->setCursorPosition(0);
                    QTest::keyClicks(edit, QString::fromLatin1(typed));
                }
                if (c.date)
                    picker->setDate(*c.date);
            },
            c.answer);
        EXPECT_EQ(form.Execute(), c.accepted);
        EXPECT_EQ(form.Inicial(), c.first);
        EXPECT_EQ(form.Final(), c.last);
    }
    EXPECT_EQ(form.GetDate(), EncodeDate(2026, 4, 1));
}

TEST(SequenciaFrmTest, AFieldLeftWithoutDigitsIsNoNumber)
{
    TSequenciaForm form;
    Child<QLineEdit>(form, "MaskEdit2")->clear();
    EXPECT_EQ(form.Inicial(), 1);
    EXPECT_THROW(form.Final(), EConvertError);
}

} // namespace
