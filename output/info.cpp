#include "output/info.h"

#include "platform/VersionInfo.h"

#include <string_view>
#include <utility>

namespace zev {

namespace {

// In the order they are read.
constexpr std::pair<std::string_view, std::string TVRInfoExe::*> ValueProperties[] = {
    {"CompanyName", &TVRInfoExe::CompanyName},
    {"FileDescription", &TVRInfoExe::FileDescription},
    {"FileVersion", &TVRInfoExe::FileVersion},
    {"InternalName", &TVRInfoExe::InternalName},
    {"LegalCopyright", &TVRInfoExe::LegalCopyright},
    {"LegalTradeMarks", &TVRInfoExe::LegalTradeMarks},
    {"OriginalFilename", &TVRInfoExe::OriginalFilename},
    {"ProductName", &TVRInfoExe::ProductName},
    {"ProductVersion", &TVRInfoExe::ProductVersion},
    {"Comments", &TVRInfoExe::Comments},
};

// Code page 1252, the only one the program's texts are in.
constexpr std::string_view CodePage = "04E4";

} // namespace

void TVRInfoExe::ReadInfo()
{
    const std::size_t size = FileVersionInfoSize(ExeName);
    if (size == 0)
        return;
    std::string data(size, '\0');
    // The file may have changed since its size was taken: then it is a file
    // without version data too, not one whose values are all empty.
    if (!ReadFileVersionInfo(ExeName, data))
        return;
    const std::string prefix = "StringFileInfo\\" + LangId + std::string(CodePage) + "\\";
    for (const auto& [name, property] : ValueProperties)
        this->*property = QueryVersionValue(data, prefix + std::string(name)).value_or("");
}

} // namespace zev
