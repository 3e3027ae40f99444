#include "platform/VersionInfo.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <elf.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

using namespace zev;
using namespace zev::test;
using namespace std::literals;

namespace {

const QString RunningProgram = QStringLiteral("/proc/self/exe");

std::string ReadVersionData(const QString& fileName)
{
    std::string data(FileVersionInfoSize(fileName), '\0');
    return ReadFileVersionInfo(fileName, data) ? data : std::string();
}

TEST(VersionInfo, RunningProgramReadsItsOwnTable)
{
    const std::string data = ReadVersionData(RunningProgram);
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
        {"A|||||B|2|", "B", "2"},
        {"A||B|2|", "A", ""},
        {"A|1|B|2", "B", std::nullopt},
        {"A|1|B", "B", std::nullopt},
    };
    for (auto [data, path, expected] : cases) {
        std::replace(data.begin(), data.end(), '|', '\0');
        EXPECT_EQ(QueryVersionValue(data, path), expected) << path;
    }
}

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

// A small ELF file of a name table and a version section, each header field
// open to breaking.
template <typename Ehdr, typename Shdr, typename Break>
std::string ElfFile(unsigned char elfClass, Break breakIt)
{
    constexpr std::string_view names = "\0.zev_version\0"sv;
    constexpr std::string_view table = "V\0"
                                       "5.6\0"sv;
    Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = elfClass;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_shoff = sizeof header + names.size() + table.size();
    header.e_shentsize = sizeof(Shdr);
    header.e_shnum = 3;
    header.e_shstrndx = 1;
    std::array<Shdr, 3> sections{};
    sections[1].sh_type = SHT_STRTAB;
    sections[1].sh_offset = sizeof header;
    sections[1].sh_size = names.size();
    sections[2].sh_name = 1;
    sections[2].sh_type = SHT_PROGBITS;
    sections[2].sh_offset = sizeof header + names.size();
    sections[2].sh_size = table.size();
    breakIt(header, sections);
    return std::string(reinterpret_cast<const char*>(&header), sizeof header)
        .append(names)
        .append(table)
        .append(reinterpret_cast<const char*>(sections.data()), sizeof sections);
}

TEST(VersionInfo, ElfFilesOfBothClassesAreReadAndMalformedOnesRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("elf");
    const auto sound = [](auto&, auto&) {};
    WriteFileBytes(path, ElfFile<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32, sound));
    EXPECT_EQ(QueryVersionValue(ReadVersionData(path), "V"), "5.6");
    WriteFileBytes(path, ElfFile<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, sound));
    EXPECT_EQ(QueryVersionValue(ReadVersionData(path), "V"), "5.6");

    constexpr std::uint64_t nearTheTop = ~0ULL - 4;
    const struct
    {
        const char* what;
        void (*breakIt)(Elf64_Ehdr&, std::array<Elf64_Shdr, 3>&);
    } malformed[] = {
        {"big-endian", [](auto& h, auto&) { h.e_ident[EI_DATA] = ELFDATA2MSB; }},
        {"section table past the end", [](auto& h, auto&) { h.e_shoff = nearTheTop; }},
        {"more sections than the file holds", [](auto& h, auto&) { h.e_shnum = 9; }},
        {"name table index out of range", [](auto& h, auto&) { h.e_shstrndx = 3; }},
        {"name table past the end", [](auto&, auto& s) { s[1].sh_offset = nearTheTop; }},
        {"name past its table", [](auto&, auto& s) { s[2].sh_name = 9; }},
        {"contents past the end", [](auto&, auto& s) { s[2].sh_size = 4096; }},
        {"contents offset wraps", [](auto&, auto& s) { s[2].sh_offset = nearTheTop; }},
        {"contents not stored", [](auto&, auto& s) { s[2].sh_type = SHT_NOBITS; }},
    };
    for (const auto& c : malformed) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(path, ElfFile<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, c.breakIt));
        EXPECT_EQ(FileVersionInfoSize(path), 0u);
    }
}

} // namespace
