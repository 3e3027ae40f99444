#include "printing/ContadorFrm.h"
#include "tests/support/DialogAnswers.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

class ContadorFrmTest : public testing::Test
{
protected:
    QLineEdit* Value() const { return Child<QLineEdit>(form, "Value"); }
    QToolButton* Arrow(const char* name) const
    {
        return Child<QToolButton>(*Child<QWidget>(form, "UpDown1"), name);
    }

    TContadorForm form;
};

// The OK/Cancela row every dialog shares is read in the type dialog's test.
TEST_F(ContadorFrmTest, ShowsTheCountWithItsSpinButtons)
{
    EXPECT_EQ((QStringList{form.windowTitle(), form.findChild<QLabel*>()->text()}),
              (QStringList{"ContadorForm", "Quantidade a ser Impressa:"}));
    EXPECT_EQ(std::pair(Arrow("UpBtn")->arrowType(), Arrow("DownBtn")->arrowType()),
              std::pair(Qt::UpArrow, Qt::DownArrow));
}

TEST_F(ContadorFrmTest, OpensOnOneSelectedAndTakesOneToThreeDigits)
{
    const struct
    {
        const char* typed; // over the "1" selected at the showing
        const char* value;
        bool accepted; // by Enter
    } cases[] = {
        {"", "1", true},       {"7", "7", true},     {"25", "25", true},   {"123", "123", true},
        {"1234", "123", true}, {"1a2b", "12", true}, {" -5", "5", true},   {"abc", "1", true},
        {"0", "0", true},      {"500", "500", true}, {"\babc", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QTimer::singleShot(0, &form, [&] {
            EXPECT_EQ(Value()->selectedText(), "1");
            EXPECT_EQ(form.focusWidget(), Value());
            QTest::keyClicks(Value(), c.typed);
            EXPECT_EQ(Value()->text(), c.value);
            QTest::keyClick(Value(), Qt::Key_Return);
            // Enter on an empty count leaves the dialog open.
            if (form.isVisible()) {
                Answer(form, TAnswer::Cancela);
            }
        });
        EXPECT_EQ(form.Execute(), c.accepted);
        EXPECT_EQ(form.ValueText(), c.value);
    }
}

TEST_F(ContadorFrmTest, ArrowKeysAndSpinButtonsStepWhatIsTypedBetweenOneAndHundred)
{
    const struct
    {
        const char* typed; // replaces the "1" of the showing
        int steps;         // positive: up
        const char* value;
    } cases[] = {
        {"1", -1, "1"}, {"1", 2, "3"},     {"99", 3, "100"}, {"100", -1, "99"}, {"0", 1, "1"},
        {"0", -1, "1"}, {"500", 1, "100"}, {"", -1, "1"},    {"", 1, "1"},      {"37", -5, "32"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from \"" << c.typed << "\" by " << c.steps);
        WhenShown(
            form,
            [&] {
                QTest::keyClick(Value(), Qt::Key_Delete);
                QTest::keyClicks(Value(), c.typed);
                for (int i = 0; i < std::abs(c.steps); ++i)
                    QTest::keyClick(Value(), c.steps > 0 ? Qt::Key_Up : Qt::Key_Down);
            },
            TAnswer::Ok);
        EXPECT_TRUE(form.Execute());
        EXPECT_EQ(form.ValueText(), c.value);
    }
    // The spin buttons take the same steps, up to the maximum and back.
    WhenShown(
        form,
        [&] {
            QTest::keyClicks(Value(), "99");
            for (const char* arrow : {"UpBtn", "UpBtn", "DownBtn"})
                Arrow(arrow)->click();
        },
        TAnswer::Ok);
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.ValueText(), "99");
}

} // namespace
