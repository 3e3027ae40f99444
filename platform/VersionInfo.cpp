#include "platform/VersionInfo.h"

#include "platform/AnsiText.h"

#include <QFile>
#include <QtEndian>

#include <elf.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace zev {

namespace {

// The section name as it stands in the section-name table, NUL included.
constexpr std::string_view VersionSectionName{".zev_version", sizeof(".zev_version")};

struct TElf32
{
    using Ehdr = Elf32_Ehdr;
    using Shdr = Elf32_Shdr;
};

struct TElf64
{
    using Ehdr = Elf64_Ehdr;
    using Shdr = Elf64_Shdr;
};

// Header fields are little-endian in the files we accept, whatever the host.
template <typename T> std::uint64_t Field(T value)
{
    return qFromLittleEndian(value);
}

struct TSectionSpan
{
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The version section of one file, found through the ELF header and the
// section header table. Every read is checked against the file's size, so a
// malformed file ends the search instead of reading past its end.
class TVersionSectionReader
{
public:
    explicit TVersionSectionReader(const QString& fileName) : m_file(fileName) {}

    std::optional<TSectionSpan> Find()
    {
        if (!m_file.open(QIODevice::ReadOnly))
            return std::nullopt;
        m_size = static_cast<std::uint64_t>(std::max<qint64>(m_file.size(), 0));
        std::array<unsigned char, EI_NIDENT> ident{};
        if (!ReadAt(0, ident.data(), ident.size()) ||
            std::memcmp(ident.data(), ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB ||
            ident[EI_VERSION] != EV_CURRENT)
            return std::nullopt;
        switch (ident[EI_CLASS]) {
        case ELFCLASS32:
            return FindIn<TElf32>();
        case ELFCLASS64:
            return FindIn<TElf64>();
        default:
            return std::nullopt;
        }
    }

    bool InFile(std::uint64_t offset, std::uint64_t size) const
    {
        return offset <= m_size && size <= m_size - offset;
    }

    bool ReadAt(std::uint64_t offset, void* out, std::uint64_t size)
    {
        if (!InFile(offset, size))
            return false;
        const auto wanted = static_cast<qint64>(size);
        return m_file.seek(static_cast<qint64>(offset)) &&
               m_file.read(static_cast<char*>(out), wanted) == wanted;
    }

private:
    template <typename Elf> std::optional<TSectionSpan> FindIn()
    {
        using Shdr = typename Elf::Shdr;
        typename Elf::Ehdr header{};
        if (!ReadAt(0, &header, sizeof header))
            return std::nullopt;
        const std::uint64_t tableOffset = Field(header.e_shoff);
        const std::uint64_t entrySize = Field(header.e_shentsize);
        const std::uint64_t count = Field(header.e_shnum);
        const std::uint64_t namesIndex = Field(header.e_shstrndx);
        // The whole table must lie in the file, so no entry's offset can
        // overflow. A count of 0 with a table is extended numbering, for files
        // of more sections than an executable of ours will ever have.
        if (tableOffset == 0 || entrySize < sizeof(Shdr) || namesIndex >= count ||
            !InFile(tableOffset, count * entrySize))
            return std::nullopt;

        const auto sectionHeader = [&](std::uint64_t index) -> std::optional<Shdr> {
            Shdr section{};
            if (!ReadAt(tableOffset + index * entrySize, &section, sizeof section))
                return std::nullopt;
            return section;
        };
        const std::optional<Shdr> names = sectionHeader(namesIndex);
        if (!names || Field(names->sh_type) != SHT_STRTAB ||
            !InFile(Field(names->sh_offset), Field(names->sh_size)))
            return std::nullopt;

        for (std::uint64_t index = 0; index < count; ++index) {
            const std::optional<Shdr> section = sectionHeader(index);
            if (!section)
                return std::nullopt;
            if (IsVersionSectionName(Field(names->sh_offset), Field(names->sh_size),
                                     Field(section->sh_name)))
                return Contents(Field(section->sh_type), Field(section->sh_flags),
                                Field(section->sh_offset), Field(section->sh_size));
        }
        return std::nullopt;
    }

    // The name table lies inside the file, so offsets within it cannot overflow.
    bool IsVersionSectionName(std::uint64_t tableOffset, std::uint64_t tableSize,
                              std::uint64_t nameOffset)
    {
        std::array<char, VersionSectionName.size()> name{};
        return nameOffset <= tableSize && name.size() <= tableSize - nameOffset &&
               ReadAt(tableOffset + nameOffset, name.data(), name.size()) &&
               std::string_view(name.data(), name.size()) == VersionSectionName;
    }

    // Our table is always plain stored bytes; anything else is not ours.
    std::optional<TSectionSpan> Contents(std::uint64_t type, std::uint64_t flags,
                                         std::uint64_t offset, std::uint64_t size) const
    {
        if (type == SHT_NOBITS || (flags & SHF_COMPRESSED) != 0 || size > MaxFileVersionInfoSize ||
            !InFile(offset, size))
            return std::nullopt;
        return TSectionSpan{offset, size};
    }

    QFile m_file;
    std::uint64_t m_size = 0;
};

} // namespace

std::size_t FileVersionInfoSize(const QString& fileName)
{
    const std::optional<TSectionSpan> section = TVersionSectionReader(fileName).Find();
    return section ? static_cast<std::size_t>(section->size) : 0;
}

bool ReadFileVersionInfo(const QString& fileName, std::span<char> data)
{
    TVersionSectionReader reader(fileName);
    const std::optional<TSectionSpan> section = reader.Find();
    if (!section || section->size == 0)
        return false;
    const std::uint64_t wanted = std::min<std::uint64_t>(section->size, data.size());
    return reader.ReadAt(section->offset, data.data(), wanted);
}

std::optional<std::string> QueryVersionValue(std::string_view data, std::string_view path)
{
    if (path.starts_with('\\'))
        path.remove_prefix(1);
    if (path.empty())
        return std::nullopt;
    std::size_t position = 0;
    while (position < data.size()) {
        if (data[position] == '\0') {
            ++position;
            continue;
        }
        const std::size_t keyEnd = data.find('\0', position);
        const std::size_t valueEnd =
            keyEnd == std::string_view::npos ? keyEnd : data.find('\0', keyEnd + 1);
        if (valueEnd == std::string_view::npos)
            return std::nullopt; // the data ends inside a pair
        if (AnsiSameText(data.substr(position, keyEnd - position), path))
            return std::string(data.substr(keyEnd + 1, valueEnd - keyEnd - 1));
        position = valueEnd + 1;
    }
    return std::nullopt;
}

} // namespace zev
