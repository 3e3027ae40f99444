#include "printing/SequenciaFrm.h"

#include "platform/Error.h"
#include "platform/Regional.h"
#include "tests/support/DialogAnswers.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

TEST(SequenciaFrmTest, OpensOnOneToNinetyNineAndTodayAndAFieldWithoutDigitsIsNoNumber)
{
    TSequenciaForm form;
    EXPECT_EQ(form.windowTitle(), "Sequencia");
    EXPECT_EQ(Child<QGroupBox>(form, "GroupBox1")->title(),
              QString::fromUtf8("Sequencia de Impressão"));
    QStringList labels;
    for (const QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"Inicial", "Final", "Data"}));
    EXPECT_EQ(Child<QLineEdit>(form, "MaskEdit1")->text(), "000001");
    EXPECT_EQ(Child<QLineEdit>(form, "MaskEdit2")->text(), "000099");
    EXPECT_EQ(Child<QDateEdit>(form, "DateTimePicker1")->date(), DayNumberToQDate(Today()));
    EXPECT_EQ(Child<QDateEdit>(form, "DateTimePicker1")->displayFormat(), "dd/MM/yyyy");
    EXPECT_EQ(form.Inicial(), 1);
    Child<QLineEdit>(form, "MaskEdit2")->clear();
    EXPECT_THROW(form.Final(), EConvertError);
}

TEST(SequenciaFrmTest, KeepsWhatWasTypedFromOneShowingToTheNext)
{
    // One window for every row, as the program keeps it. Cancela keeps the
    // typing too; letters do not go in.
    const std::tuple<const char*, const char*, QDate, TAnswer, bool, int, int> cases[] = {
        {"7", "12", QDate(2026, 3, 5), TAnswer::Ok, true, 7, 12},
        {nullptr, nullptr, QDate(), TAnswer::Enter, true, 7, 12},
        {"12a3456", nullptr, QDate(2026, 4, 1), TAnswer::Cancela, false, 123456, 12},
        {nullptr, "000200", QDate(), TAnswer::Ok, true, 123456, 200},
    };
    TSequenciaForm form;
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
        EXPECT_EQ(form.Inicial(), first);
        EXPECT_EQ(form.Final(), last);
    }
    EXPECT_EQ(form.GetDate(), EncodeDate(2026, 4, 1));
}

} // namespace
