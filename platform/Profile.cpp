#include "platform/Profile.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"
#include "platform/FileContents.h"
#include "platform/Regional.h"

#include <QLockFile>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>

namespace zev {

namespace {

constexpr int LockWaitMs = 5000;

std::string_view Unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A value the reader would trim or unquote is written in double quotes, of
// which the reader removes exactly one pair.
std::string Quotable(std::string_view value)
{
    if (TrimView(value) != value || Unquoted(value) != value)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

QString QuotedPath(const QString& path)
{
    return QStringLiteral("\"") + path + QStringLiteral("\"");
}

[[noreturn]] void ThrowUnsafeName(const QString& path, std::string_view what, std::string_view name)
{
    throw EZevError("Nome inválido para o arquivo de configuração " +
                    QuotedPath(path).toStdString() + " (" + std::string(what) + "): \"" +
                    AnsiToUtf8(name) + "\"");
}

} // namespace

TIniFile::TIniFile(QString path) : TIniFile(std::move(path), SystemFileCalls()) {}

TIniFile::TIniFile(QString path, TFileCalls& calls) : m_path(std::move(path)), m_calls(&calls)
{
    Load();
}

void TIniFile::Load()
{
    m_lines.clear();
    LinesChanged();
    // A file we cannot read must not pass for an empty one: the next write
    // would replace every setting in it.
    const std::optional<std::string> bytes = ReadFileContents(m_path);
    if (!bytes)
        return;
    const std::string_view content = *bytes;
    // An editor that saved the file as UTF-8 put a mark before the first
    // section; it stays in the file but must not hide that section.
    constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

    m_lineBreak = content.find("\r\n") != std::string_view::npos ? "\r\n"
                  : content.find('\n') != std::string_view::npos ? "\n"
                                                                 : "\r\n";
    std::string currentSection;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view text = content.substr(start, end - start);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        start = end + 1;

        Line line;
        line.text = std::string(text);
        const std::string_view trimmed = TrimView(
            m_lines.empty() && text.starts_with(Utf8Bom) ? text.substr(Utf8Bom.size()) : text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            line.isSection = true;
            line.section = std::string(TrimView(trimmed.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            currentSection = line.section;
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            const std::size_t equals = trimmed.find('=');
            const std::string_view key = equals == std::string_view::npos
                                             ? std::string_view{}
                                             : TrimView(trimmed.substr(0, equals));
            if (!key.empty()) {
                line.isKey = true;
                line.key = std::string(key);
                line.section = currentSection;
            }
        }
        m_lines.push_back(std::move(line));
    }
}

void TIniFile::Save() const
{
    std::string content;
    for (const Line& line : m_lines) {
        content += line.text;
        content += m_lineBreak;
    }
    ReplaceFileContents(m_path, content, *m_calls);
}

std::string TIniFile::IndexKey(std::string_view section, std::string_view key)
{
    std::string joined = AnsiUpperCase(section);
    joined += '\n';
    joined += AnsiUpperCase(key);
    return joined;
}

const TIniFile::Line* TIniFile::FindKey(std::string_view section, std::string_view key) const
{
    if (!m_indexed) {
        m_keyIndex.clear();
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].isKey)
                m_keyIndex.try_emplace(IndexKey(m_lines[i].section, m_lines[i].key), i);
        m_indexed = true;
    }
    const auto found = m_keyIndex.find(IndexKey(section, key));
    return found == m_keyIndex.end() ? nullptr : &m_lines[found->second];
}

bool TIniFile::SectionExists(std::string_view section) const
{
    return std::any_of(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        return line.isSection && AnsiSameText(line.section, section);
    });
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindKey(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSectionKeys(std::string_view section) const
{
    std::vector<std::string> keys;
    for (const Line& line : m_lines)
        if (line.isKey && AnsiSameText(line.section, section))
            keys.push_back(line.key);
    return keys;
}

std::vector<std::pair<std::string, std::string>>
TIniFile::ReadSectionValues(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    // Of two equal keys the first one's value counts, as for ReadString.
    std::map<std::string, std::string> firstValues;
    for (const Line& line : m_lines) {
        if (!line.isKey || !AnsiSameText(line.section, section))
            continue;
        const std::string_view text = line.text;
        const auto [first, added] = firstValues.try_emplace(
            AnsiUpperCase(line.key), Unquoted(TrimView(text.substr(text.find('=') + 1))));
        values.emplace_back(line.key, first->second);
    }
    return values;
}

std::vector<std::pair<std::string, std::string>>
TIniFile::ReadSectionEntries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const Line& line : m_lines) {
        if (!line.isKey || !AnsiSameText(line.section, section))
            continue;
        const std::string_view text = line.text;
        entries.emplace_back(line.key, Unquoted(TrimView(text.substr(text.find('=') + 1))));
    }
    return entries;
}

std::optional<std::string_view> TIniFile::Value(std::string_view section,
                                                std::string_view key) const
{
    const Line* line = FindKey(section, key);
    if (line == nullptr)
        return std::nullopt;
    const std::string_view text = line->text;
    return Unquoted(TrimView(text.substr(text.find('=') + 1)));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const
{
    return std::string(Value(section, key).value_or(fallback));
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    const std::optional<std::string_view> value = Value(section, key);
    return value ? StrToIntDef(*value, fallback) : fallback;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

double TIniFile::ReadDate(std::string_view section, std::string_view key, double fallback) const
{
    const std::optional<std::string_view> value = Value(section, key);
    return value ? TryStrToDate(*value).value_or(fallback) : fallback;
}

void TIniFile::CheckWritable(std::string_view section, std::string_view key,
                             std::string_view value) const
{
    // A line break, or a name that the reader would split differently, would
    // plant other keys in the file.
    if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos ||
        TrimView(section) != section)
        ThrowUnsafeName(m_path, "seção", section);
    if (TrimView(key).empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        TrimView(key) != key || key.front() == ';' || key.front() == '[')
        ThrowUnsafeName(m_path, "chave", key);
    if (HasLineBreak(value))
        ThrowUnsafeName(m_path, "valor", value);
}

QString TIniFile::ReadText(std::string_view section, std::string_view key,
                           std::string_view fallback) const
{
    return AnsiToQString(ReadString(section, key, fallback));
}

QString TIniFile::ReadPath(std::string_view section, std::string_view key,
                           std::string_view fallback) const
{
    const std::string value = ReadString(section, key, fallback);
    if (value.find('\0') != std::string::npos)
        throw EZevError("O arquivo de configuração " + QuotedPath(m_path).toStdString() +
                        " tem um nome de arquivo inválido (com um caractere nulo) em [" +
                        AnsiToUtf8(section) + "] " + AnsiToUtf8(key));
    return AnsiToQString(value);
}

void TIniFile::WriteText(std::string_view section, std::string_view key, const QString& value)
{
    WriteString(section, key, QStringToAnsi(value));
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    CheckWritable(section, key, value);
    Modify([&] {
        SetValue(section, key, value);
        return true;
    });
}

void TIniFile::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    LinesChanged();
    const auto sameSection = [&](const Line& line) { return AnsiSameText(line.section, section); };
    for (Line& line : m_lines) {
        if (line.isKey && AnsiSameText(line.key, key) && sameSection(line)) {
            line.text = line.key + "=" + Quotable(value);
            return;
        }
    }

    Line keyLine;
    keyLine.text = std::string(key) + "=" + Quotable(value);
    keyLine.key = std::string(key);
    keyLine.section = std::string(section);
    keyLine.isKey = true;

    const auto header = std::find_if(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        return line.isSection && sameSection(line);
    });
    if (header == m_lines.end()) {
        if (!m_lines.empty() && !TrimView(m_lines.back().text).empty())
            m_lines.push_back(Line{});
        Line headerLine;
        headerLine.text = "[" + std::string(section) + "]";
        headerLine.section = std::string(section);
        headerLine.isSection = true;
        m_lines.push_back(std::move(headerLine));
        m_lines.push_back(std::move(keyLine));
        return;
    }
    // After the section's last non-blank line, so blank lines between
    // sections stay where they were.
    auto insertAt = std::next(header);
    for (auto it = insertAt; it != m_lines.end() && !it->isSection; ++it)
        if (!TrimView(it->text).empty())
            insertAt = std::next(it);
    m_lines.insert(insertAt, std::move(keyLine));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteDate(std::string_view section, std::string_view key, double day)
{
    WriteString(section, key, DateToStr(day));
}

void TIniFile::EraseSection(std::string_view section)
{
    Modify([&] { return RemoveSection(section); });
}

void TIniFile::ReplaceSection(std::string_view section,
                              const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& [key, value] : values)
        CheckWritable(section, key, value);
    Modify([&] {
        RemoveSection(section);
        for (const auto& [key, value] : values)
            SetValue(section, key, value);
        return true;
    });
}

bool TIniFile::RemoveSection(std::string_view section)
{
    LinesChanged();
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    bool inSection = false;
    for (Line& line : m_lines) {
        if (line.isSection)
            inSection = AnsiSameText(line.section, section);
        if (!inSection)
            kept.push_back(std::move(line));
    }
    const bool changed = kept.size() != m_lines.size();
    m_lines = std::move(kept);
    return changed;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    Modify([&] {
        LinesChanged();
        const auto erased = std::remove_if(m_lines.begin(), m_lines.end(), [&](const Line& line) {
            return line.isKey && AnsiSameText(line.key, key) && AnsiSameText(line.section, section);
        });
        const bool changed = erased != m_lines.end();
        m_lines.erase(erased, m_lines.end());
        return changed;
    });
}

// Another process (the program and a nightly zev-cli) may be changing the
// same file: the lock keeps one's change from wiping out the other's.
void TIniFile::Modify(const std::function<bool()>& change)
{
    const QString lockPath = m_path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(LockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            throw EZevError("O arquivo " + QuotedPath(m_path).toStdString() +
                            " está sendo alterado por outro programa; tente de novo.");
        // The lock file could not be made: the folder is the fault. When an
        // empty file can be made there, it was the lock's contents that did
        // not fit.
        const int made = CreationError(lockPath);
        const int code = made != 0 ? made : ENOSPC;
        throw EInOutError(
            code, CannotWriteText(m_path, code, "ao criar " + QuotedPath(lockPath).toStdString()));
    }
    Load();
    if (change())
        Save();
}

} // namespace zev
