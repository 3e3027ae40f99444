#include "output/SerialConfigFrm.h"
#include "tests/support/DialogAnswers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zev;
using namespace zev::test;

namespace {

class SerialConfigFrmTest : public testing::Test
{
protected:
    QComboBox* List(const char* name) const { return Child<QComboBox>(form, name); }
    QPushButton* Button(const char* name) const { return Child<QPushButton>(form, name); }

    TSerialConfigForm form;
};

TEST_F(SerialConfigFrmTest, OkReturnsThePositionsChosenAndCancelaLeavesThemAsTheyWere)
{
    TSerialLineChoice choice{-1, 3, -1, 2, 2};
    QTimer::singleShot(0, &form, [&] {
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.findChild<QGroupBox*>("GroupBox")->title(), "COM3:  /dev/ttyUSB0");
        EXPECT_EQ(List("BaudCmb")->currentIndex(), -1);
        EXPECT_EQ(List("DataCmb")->currentText(), "8");
        EXPECT_EQ(List("StopCmb")->currentIndex(), -1);
        EXPECT_EQ(List("ParityCmb")->currentText(), "Par");
        EXPECT_EQ(List("FlowCmb")->currentText(), "CTS/RTS");
        List("BaudCmb")->setCurrentIndex(8);
        List("FlowCmb")->setCurrentIndex(1);
        Button("BitBtn1")->click();
    });
    EXPECT_TRUE(form.Execute("COM3:", "/dev/ttyUSB0", choice));
    EXPECT_EQ(choice, (TSerialLineChoice{8, 3, -1, 2, 1}));

    choice = {6, 3, 0, 0, 2};
    QTimer::singleShot(0, &form, [&] {
        List("BaudCmb")->setCurrentIndex(0);
        Button("BitBtn2")->click();
    });
    EXPECT_FALSE(form.Execute("COM1:", "", choice));
    EXPECT_EQ(choice, (TSerialLineChoice{6, 3, 0, 0, 2}));
    EXPECT_EQ(form.findChild<QGroupBox*>("GroupBox")->title(), "COM1:");
    // The lists are the port's own tables; their positions are what the port
    // stores, so nothing else may be typed.
    for (const char* name : {"BaudCmb", "DataCmb", "StopCmb", "ParityCmb", "FlowCmb"})
        EXPECT_FALSE(List(name)->isEditable()) << name;
}

} // namespace
