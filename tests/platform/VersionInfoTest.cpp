#include "platform/VersionInfo.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

using namespace zev;
using namespace zev::test;
using namespace std::literals;

namespace {

// This test program's own version table, read back from /proc/self/exe: a few
// values under Brazilian Portuguese, one empty, one with a Windows-1252 byte,
// and one under another language.
__attribute__((used, section(".zev_version"))) static const char TestVersionTable[] =
    "StringFileInfo\\041604E4\\FileVersion\0"
    "9.8.7\0"
    "StringFileInfo\\041604E4\\ProductName\0"
    "Etiquetas de g\xF4ndola\0"
    "StringFileInfo\\041604E4\\Comments\0"
    "\0"
    "StringFileInfo\\040904E4\\FileVersion\0"
    "1.2.3\0";

const QString RunningProgram = QStringLiteral("/proc/self/exe");

TEST(VersionInfo, RunningProgramReadsItsOwnTable)
{
    std::string data(FileVersionInfoSize(RunningProgram), '\0');
    ASSERT_TRUE(ReadFileVersionInfo(RunningProgram, data));
    ASSERT_FALSE(data.empty());
    const std::pair<std::string_view, std::optional<std::string>> cases[] = {
        {"StringFileInfo\\041604E4\\FileVersion", "9.8.7"},
        {"\\StringFileInfo\\041604E4\\FileVersion", "9.8.7"},
        {"stringfileinfo\\041604e4\\FILEVERSION", "9.8.7"},
        {"StringFileInfo\\040904E4\\FileVersion", "1.2.3"},
        {"StringFileInfo\\041604E4\\ProductName", "Etiquetas de g\xF4ndola"},
        {"StringFileInfo\\041604E4\\Comments", ""},
        {"StringFileInfo\\041604E4\\CompanyName", std::nullopt},
        {"StringFileInfo\\040C04E4\\FileVersion", std::nullopt},
        {"StringFileInfo\\041604E4", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(QueryVersionValue(data, path), expected) << path;
}

// NULs between pairs are padding; a pair cut short holds no value. ('|'
// stands for NUL.)
TEST(VersionInfo, QuerySkipsPaddingAndStopsAtAPairCutShort)
{
    const std::tuple<std::string, const char*, std::optional<std::string>> cases[] = {
        {"A|||||B|2|", "B", "2"}, {"A||B|2|", "A", ""}, {"A|1|B|2", "B", {}}, {"A|1|B", "B", {}},
    };
    for (auto [data, path, expected] : cases) {
        std::replace(data.begin(), data.end(), '|', '\0');
        EXPECT_EQ(QueryVersionValue(data, path), expected) << path;
    }
}

// A program cut short has lost its section table: damaged, so no table.
TEST(VersionInfo, FilesWithoutVersionDataHaveNone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string program = ReadFileBytes(RunningProgram);
    WriteFileBytes(dir.filePath("pares.txt"), "StringFileInfo\\041604E4\\FileVersion\0"
                                              "1\0"s);
    WriteFileBytes(dir.filePath("vazio"), "");
    WriteFileBytes(dir.filePath("inicio"), program.substr(0, 4096));
    WriteFileBytes(dir.filePath("quase-todo"), program.substr(0, program.size() - 1));
    for (const char* name : {"pares.txt", "vazio", "inicio", "quase-todo", "nao-existe", "."}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(FileVersionInfoSize(dir.filePath(name)), 0u);
        std::string data(4, '#');
        EXPECT_FALSE(ReadFileVersionInfo(dir.filePath(name), data));
    }
}

} // namespace
