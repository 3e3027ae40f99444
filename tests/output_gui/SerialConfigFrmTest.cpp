#include "output/SerialConfigFrm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zev;

namespace {

QStringList Items(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

class SerialConfigFrmTest : public testing::Test
{
protected:
    QComboBox* List(const char* name) const
    {
        auto* list = form.findChild<QComboBox*>(QString::fromLatin1(name));
        if (list == nullptr)
            ADD_FAILURE() << "no list " << name;
        return list;
    }
    QPushButton* Button(const char* name) const
    {
        return form.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    TSerialConfigForm form;
};

TEST_F(SerialConfigFrmTest, ShowsTheFiveListsWithTheirOwnItems)
{
    EXPECT_EQ(form.windowTitle(), "Configuração");
    EXPECT_EQ(Items(List("BaudCmb")),
              QStringList({"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200",
                           "38400", "56000", "57600", "115200", "128000", "256000"}));
    EXPECT_EQ(Items(List("DataCmb")), QStringList({"5", "6", "7", "8"}));
    EXPECT_EQ(Items(List("StopCmb")), QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(Items(List("ParityCmb")),
              QStringList({"Nenhuma", "Ímpar", "Par", "Marca", "Espaço"}));
    EXPECT_EQ(Items(List("FlowCmb")), QStringList({"Nenhuma", "XON/XOFF", "CTS/RTS", "DSR/DTR"}));
    for (const char* name : {"BaudCmb", "DataCmb", "StopCmb", "ParityCmb", "FlowCmb"})
        EXPECT_FALSE(List(name)->isEditable()) << name;
    QStringList labels;
    for (const QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"BAUD:", "Data Bits:", "Stop Bits:", "Parity:", "Flow Control:"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    ASSERT_NE(Button("BitBtn1"), nullptr);
    ASSERT_NE(Button("BitBtn2"), nullptr);
    EXPECT_EQ(Button("BitBtn2")->text(), "Cancela");
}

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
}

} // namespace
