#include "platform/Regional.h"
#include "tests/support/TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

// The main of the test areas that drive windows: a QApplication (ctest runs
// it on the offscreen platform) and Brazilian regional settings.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    zev::SetFormatSettings(zev::BrazilianFormatSettings());
    zev::test::PrepareTestProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
