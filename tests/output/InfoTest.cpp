#include "output/info.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace zev;
using namespace zev::test;

namespace {

using TValues = std::array<std::string, 10>;

// In the order of the properties, CompanyName to Comments.
TValues Values(const TVRInfoExe& info)
{
    return {info.CompanyName,    info.FileDescription, info.FileVersion,      info.InternalName,
            info.LegalCopyright, info.LegalTradeMarks, info.OriginalFilename, info.ProductName,
            info.ProductVersion, info.Comments};
}

TValues ReadWithEarlierValues(const QString& exeName, const std::string& langId)
{
    TVRInfoExe info;
    info.ExeName = exeName;
    info.LangId = langId;
    info.FileVersion = "antes";
    info.ProductName = "antes";
    info.ReadInfo();
    return Values(info);
}

// Every value is read anew: those the table holds for the language are
// filled, the others emptied, whatever they held before.
TEST(VRInfoExe, ReadsTheValuesOfItsLanguage)
{
    const QString program = QStringLiteral("/proc/self/exe");
    EXPECT_EQ(ReadWithEarlierValues(program, "0416"),
              (TValues{"Loja Modelo S/A", "", "4.3.2", "", "", "", "", "", "",
                       "Etiquetas de g\xF4ndola"}));
    EXPECT_EQ(ReadWithEarlierValues(program, "0409"),
              (TValues{"", "", "4.3.2-en", "", "", "", "", "", "", ""}));
    EXPECT_EQ(ReadWithEarlierValues(program, "040C"), TValues{});
}

TEST(VRInfoExe, AFileWithoutVersionDataLeavesEveryValueAsItWas)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteFileBytes(dir.filePath("zev"), "#!/bin/sh\n");
    const TValues unchanged{"", "", "antes", "", "", "", "", "antes", "", ""};
    for (const QString& path : {dir.filePath("zev"), dir.filePath("nao-existe"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(ReadWithEarlierValues(path, "0416"), unchanged);
    }
}

} // namespace
