// An executable's version table: the file's ELF headers searched for it,
// and the values the about box asks for looked up in it.

#include "fuzz/FuzzTarget.h"
#include "output/info.h"
#include "platform/VersionInfo.h"

#include <cstdlib>
#include <vector>

namespace {

void RunVersionTable(std::string_view bytes)
{
    const QString path = zev::fuzz::WriteScratchFile(QStringLiteral("programa"), bytes);
    const std::size_t size = zev::FileVersionInfoSize(path);
    if (size > zev::MaxFileVersionInfoSize)
        std::abort();
    std::vector<char> data(size);
    if (size > 0 && zev::ReadFileVersionInfo(path, data))
        (void)zev::QueryVersionValue(std::string_view(data.data(), data.size()),
                                     "\\StringFileInfo\\041604E4\\FileVersion");
    // The table's own format, straight from the input.
    (void)zev::QueryVersionValue(bytes, "StringFileInfo\\041604E4\\ProductName");
    zev::TVRInfoExe info;
    info.ExeName = path;
    info.LangId = "0416";
    info.ReadInfo();
}

} // namespace

ZEV_FUZZ_TARGET("version_table", RunVersionTable);
