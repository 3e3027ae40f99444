#include "platform/VersionInfo.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <elf.h>

#include <array>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

using namespace zev;
using namespace zev::test;

namespace {

const QString RunningProgram = QStringLiteral("/proc/self/exe");

std::string ReadVersionData(const QString& fileName)
{
    std::string data(FileVersionInfoSize(fileName), '\0');
    if (!ReadFileVersionInfo(fileName, data))
        return {};
    return data;
}

struct TQueryCase
{
    std::string_view path;
    std::optional<std::string> expected;
};

TEST(VersionInfo, RunningProgramReadsItsOwnTable)
{
    const std::string data = ReadVersionData(RunningProgram);
    ASSERT_FALSE(data.empty());
    const TQueryCase cases[] = {
        {"StringFileInfo\\041604E4\\FileVersion", "9.8.7"},
        {"\\StringFileInfo\\041604E4\\FileVersion", "9.8.7"},
        {"stringfileinfo\\041604e4\\FILEVERSION", "9.8.7"},
        {"StringFileInfo\\040904E4\\FileVersion", "1.2.3"},
        {"StringFileInfo\\041604E4\\ProductName", "Etiquetas de g\xF4ndola"},
        {"StringFileInfo\\041604E4\\Comments", ""},
        {"StringFileInfo\\041604E4\\CompanyName", std::nullopt},
        {"StringFileInfo\\040C04E4\\FileVersion", std::nullopt},
        {"StringFileInfo\\041604E4\\FileVersio", std::nullopt},
        {"StringFileInfo\\041604E4", std::nullopt},
        {"\\", std::nullopt},
        {"", std::nullopt},
    };
    for (const TQueryCase& c : cases) {
        SCOPED_TRACE(std::string(c.path));
        EXPECT_EQ(QueryVersionValue(data, c.path), c.expected);
    }
}

TEST(VersionInfo, QueryWalksPairsAndPaddingAndStopsAtATruncatedPair)
{
    using namespace std::string_view_literals;
    const struct
    {
        std::string_view data;
        std::string_view path;
        std::optional<std::string> expected;
    } cases[] = {
        {"A\0"
         "1\0\0\0\0B\0"
         "2\0"sv,
         "B", "2"},
        {"A\0\0B\0"
         "2\0"sv,
         "A", ""},
        {"A\0\0B\0"
         "2\0"sv,
         "B", "2"},
        {"A\0"
         "1\0B\0"
         "2"sv,
         "B", std::nullopt},
        {"A\0"
         "1\0B"sv,
         "B", std::nullopt},
        {"\0\0\0\0"sv, "A", std::nullopt},
        {""sv, "A", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " in " + std::to_string(c.data.size()) + " bytes");
        EXPECT_EQ(QueryVersionValue(c.data, c.path), c.expected);
    }
}

TEST(VersionInfo, ReadingIntoASmallerBufferTakesWhatFits)
{
    const std::string whole = ReadVersionData(RunningProgram);
    ASSERT_GT(whole.size(), 10u);
    std::string part(10, '#');
    ASSERT_TRUE(ReadFileVersionInfo(RunningProgram, part));
    EXPECT_EQ(part, whole.substr(0, 10));
}

// A small ELF file holding a name table and one version section, built here
// so that each header field can be broken on its own.
struct TElfFile
{
    static constexpr std::string_view Names{"\0.zev_version\0", 14};
    static constexpr std::string_view Table{"StringFileInfo\\041604E4\\FileVersion\0"
                                            "5.6\0",
                                            40};

    template <typename Ehdr, typename Shdr>
    static std::string Build(unsigned char elfClass,
                             const std::function<void(Ehdr&, std::array<Shdr, 3>&)>& breakIt)
    {
        Ehdr header{};
        std::memcpy(header.e_ident, ELFMAG, SELFMAG);
        header.e_ident[EI_CLASS] = elfClass;
        header.e_ident[EI_DATA] = ELFDATA2LSB;
        header.e_ident[EI_VERSION] = EV_CURRENT;
        header.e_shoff = sizeof header + Names.size() + Table.size();
        header.e_shentsize = sizeof(Shdr);
        header.e_shnum = 3;
        header.e_shstrndx = 1;
        std::array<Shdr, 3> sections{};
        sections[1].sh_type = SHT_STRTAB;
        sections[1].sh_offset = sizeof header;
        sections[1].sh_size = Names.size();
        sections[2].sh_name = 1;
        sections[2].sh_type = SHT_PROGBITS;
        sections[2].sh_offset = sizeof header + Names.size();
        sections[2].sh_size = Table.size();
        breakIt(header, sections);
        std::string file(reinterpret_cast<const char*>(&header), sizeof header);
        file.append(Names).append(Table);
        file.append(reinterpret_cast<const char*>(sections.data()), sizeof sections);
        return file;
    }
};

TEST(VersionInfo, FilesWithoutVersionDataHaveNone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string program = ReadFileBytes(RunningProgram);
    WriteFileBytes(dir.filePath("texto.txt"),
                   std::string(TElfFile::Table)); // the pairs alone, with no ELF around them
    WriteFileBytes(dir.filePath("vazio"), "");
    WriteFileBytes(dir.filePath("cortado"), program.substr(0, 4096));
    WriteFileBytes(dir.filePath("tabela-cortada"), program.substr(0, program.size() - 1));
    for (const QString& path :
         {dir.filePath("texto.txt"), dir.filePath("vazio"), dir.filePath("cortado"),
          dir.filePath("tabela-cortada"), dir.filePath("nao-existe"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(FileVersionInfoSize(path), 0u);
        std::string data(16, '#');
        EXPECT_FALSE(ReadFileVersionInfo(path, data));
        EXPECT_EQ(data, std::string(16, '#'));
    }
}

TEST(VersionInfo, SoundElfFilesOfBothClassesAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteFileBytes(dir.filePath("elf32"),
                   TElfFile::Build<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32, [](auto&, auto&) {}));
    WriteFileBytes(dir.filePath("elf64"),
                   TElfFile::Build<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, [](auto&, auto&) {}));
    // Too many sections for the header: the count and the name table's index
    // are kept in section 0.
    WriteFileBytes(dir.filePath("extended"), TElfFile::Build<Elf64_Ehdr, Elf64_Shdr>(
                                                 ELFCLASS64, [](auto& header, auto& sections) {
                                                     header.e_shnum = 0;
                                                     header.e_shstrndx = SHN_XINDEX;
                                                     sections[0].sh_size = 3;
                                                     sections[0].sh_link = 1;
                                                 }));
    for (const char* name : {"elf32", "elf64", "extended"}) {
        SCOPED_TRACE(name);
        const std::string data = ReadVersionData(dir.filePath(name));
        EXPECT_EQ(data, TElfFile::Table);
        EXPECT_EQ(QueryVersionValue(data, "StringFileInfo\\041604E4\\FileVersion"), "5.6");
    }
}

TEST(VersionInfo, MalformedElfFilesHaveNoVersionData)
{
    using TBreak = std::function<void(Elf64_Ehdr&, std::array<Elf64_Shdr, 3>&)>;
    const struct
    {
        const char* what;
        TBreak breakIt;
    } cases[] = {
        {"big-endian", [](auto& h, auto&) { h.e_ident[EI_DATA] = ELFDATA2MSB; }},
        {"unknown class", [](auto& h, auto&) { h.e_ident[EI_CLASS] = 7; }},
        {"no section table", [](auto& h, auto&) { h.e_shoff = 0; }},
        {"section table past the end", [](auto& h, auto&) { h.e_shoff = ~0ULL - 8; }},
        {"short section entries", [](auto& h, auto&) { h.e_shentsize = 8; }},
        {"name table index out of range", [](auto& h, auto&) { h.e_shstrndx = 3; }},
        {"name table of the wrong type", [](auto&, auto& s) { s[1].sh_type = SHT_PROGBITS; }},
        {"name table past the end", [](auto&, auto& s) { s[1].sh_offset = ~0ULL - 4; }},
        {"name past its table", [](auto&, auto& s) { s[2].sh_name = 9; }},
        {"contents past the end", [](auto&, auto& s) { s[2].sh_size = 1 << 12; }},
        {"contents offset wraps", [](auto&, auto& s) { s[2].sh_offset = ~0ULL - 4; }},
        {"contents not stored", [](auto&, auto& s) { s[2].sh_type = SHT_NOBITS; }},
        {"contents compressed", [](auto&, auto& s) { s[2].sh_flags = SHF_COMPRESSED; }},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("elf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(path, TElfFile::Build<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, c.breakIt));
        EXPECT_EQ(FileVersionInfoSize(path), 0u);
    }
}

} // namespace
