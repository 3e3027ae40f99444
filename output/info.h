#pragma once

// The version values of an executable file, read from its version data (see
// platform/VersionInfo.h) under one language and the Windows-1252 code page.

#include <QString>

#include <string>

namespace zev {

class TVRInfoExe
{
public:
    // Four hexadecimal digits: the language part of the value paths.
    std::string LangId = "040C";
    QString ExeName;
    // Windows-1252 bytes, as the version data holds them.
    std::string CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
        LegalTradeMarks, OriginalFilename, ProductName, ProductVersion, Comments;

    // Reads every value from ExeName's version data under
    // "StringFileInfo\<LangId>04E4\<name>"; a value the data does not hold
    // becomes empty. A file without version data leaves every value as it was.
    void ReadInfo();
};

} // namespace zev
