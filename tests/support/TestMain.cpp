#include "platform/Regional.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

// The application a test area needs: windows need a QApplication, drawing
// a QGuiApplication for the font database, the rest a QCoreApplication
// (ctest runs the first two on the offscreen platform).
#if defined(ZEV_TEST_WIDGETS)
#include <QApplication>
using TTestApplication = QApplication;
#elif defined(ZEV_TEST_PAINT)
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#endif

// Every test runs with Brazilian regional settings, whatever the machine's
// locale, so formatted numbers and dates are predictable.
int main(int argc, char** argv)
{
    TTestApplication app(argc, argv);
    zev::SetFormatSettings(zev::BrazilianFormatSettings());
    zev::test::PrepareTestProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
