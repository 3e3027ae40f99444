#include "output/info.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace zev;

namespace {

using TValues = std::array<std::string, 10>;

// The values, CompanyName to Comments, read over earlier ones.
TValues ReadWithEarlierValues(const QString& exeName, const std::string& langId)
{
    TVRInfoExe info;
    info.ExeName = exeName;
    info.LangId = langId;
    info.FileVersion = "antes";
    info.ProductName = "antes";
    info.ReadInfo();
    return {info.CompanyName,    info.FileDescription, info.FileVersion,      info.InternalName,
            info.LegalCopyright, info.LegalTradeMarks, info.OriginalFilename, info.ProductName,
            info.ProductVersion, info.Comments};
}

// Every value is read anew: the language's filled, the others emptied.
TEST(VRInfoExe, ReadsTheValuesOfItsLanguage)
{
    const QString program = QStringLiteral("/proc/self/exe");
    EXPECT_EQ(ReadWithEarlierValues(program, "0416"),
              (TValues{"Loja Modelo S/A", "", "4.3.2", "", "", "", "", "", "",
                       "Etiquetas de g\xF4ndola"}));
    // A file without version data leaves every value as it was.
    EXPECT_EQ(ReadWithEarlierValues(QStringLiteral("/nao-existe"), "0416"),
              (TValues{"", "", "antes", "", "", "", "", "antes", "", ""}));
}

} // namespace
