#include "platform/Regional.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Every test runs with Brazilian regional settings, whatever the machine's
// locale, so formatted numbers and dates are predictable.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    zev::SetFormatSettings(zev::BrazilianFormatSettings());
    zev::test::PrepareTestProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
