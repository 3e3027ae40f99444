#include "platform/Regional.h"
#include "tests/support/TestSupport.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

// The main of the test areas that draw without windows: a QGuiApplication
// for the font database (ctest runs it on the offscreen platform).
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    zev::SetFormatSettings(zev::BrazilianFormatSettings());
    zev::test::PrepareTestProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
