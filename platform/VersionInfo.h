#pragma once

// Version information carried by an executable file, the way the about box
// asks Windows for it: how big it is, a copy of it, one value by its path.
//
// Here the version data is the content of the ELF section ".zev_version"
// (32- or 64-bit, little-endian): a sequence of NUL-terminated key/value
// pairs whose keys are full value paths such as
// "StringFileInfo\041604E4\FileVersion" and whose values are Windows-1252
// bytes. NUL bytes between pairs are skipped: the linker may pad between the
// tables of two object files. The file is read through its headers only, every
// offset checked against its size; a file that is missing, unreadable, not
// ELF or malformed simply has no version data.

#include <QString>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zev {

// The most version data a file may carry; a larger section is not ours.
inline constexpr std::size_t MaxFileVersionInfoSize = 64 * 1024;

// Size in bytes of the file's version data; 0 when it has none.
std::size_t FileVersionInfoSize(const QString& fileName);

// Copies the file's version data into `data`, as much of it as fits; bytes
// of `data` beyond the version data are left as they are. False when the
// file has no version data (any more).
bool ReadFileVersionInfo(const QString& fileName, std::span<char> data);

// The value stored under `path` in version data read by ReadFileVersionInfo.
// The path may start with "\" and is matched without regard to case, as
// Windows matches it; nullopt when the data holds no such value.
std::optional<std::string> QueryVersionValue(std::string_view data, std::string_view path);

} // namespace zev
