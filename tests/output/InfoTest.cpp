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

// In the order of the properties: CompanyName, FileDescription, FileVersion,
// InternalName, LegalCopyright, LegalTradeMarks, OriginalFilename,
// ProductName, ProductVersion, Comments.
TValues Values(const TVRInfoExe& info)
{
    return {info.CompanyName,    info.FileDescription, info.FileVersion,      info.InternalName,
            info.LegalCopyright, info.LegalTradeMarks, info.OriginalFilename, info.ProductName,
            info.ProductVersion, info.Comments};
}

void SetValues(TVRInfoExe& info, const std::string& value)
{
    for (std::string* property :
         {&info.CompanyName, &info.FileDescription, &info.FileVersion, &info.InternalName,
          &info.LegalCopyright, &info.LegalTradeMarks, &info.OriginalFilename, &info.ProductName,
          &info.ProductVersion, &info.Comments})
        *property = value;
}

// Every value is read anew: those the table holds for the language are
// filled, the others emptied, whatever they held before.
TEST(VRInfoExe, ReadsTheValuesOfItsLanguage)
{
    const struct
    {
        const char* langId;
        TValues expected;
    } cases[] = {
        {"0416",
         {"Loja Modelo S/A", "", "4.3.2", "", "", "", "", "", "", "Etiquetas de g\xF4ndola"}},
        {"0409", {"", "", "4.3.2-en", "", "", "", "", "", "", ""}},
        {"040C", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.langId);
        TVRInfoExe info;
        info.ExeName = QStringLiteral("/proc/self/exe");
        info.LangId = c.langId;
        SetValues(info, "antes");
        info.ReadInfo();
        EXPECT_EQ(Values(info), c.expected);
    }
}

TEST(VRInfoExe, AFileWithoutVersionDataLeavesEveryValueAsItWas)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteFileBytes(dir.filePath("zev"), "#!/bin/sh\n");
    for (const QString& path : {dir.filePath("zev"), dir.filePath("nao-existe"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        TVRInfoExe info;
        info.ExeName = path;
        info.LangId = "0416";
        SetValues(info, "antes");
        info.ReadInfo();
        TValues unchanged;
        unchanged.fill("antes");
        EXPECT_EQ(Values(info), unchanged);
    }
}

} // namespace
