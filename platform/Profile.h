#pragma once

// INI-format settings files ("profile" files): zev.ini and the label
// definition files.
//
// Sections and keys are matched without regard to case; values come back
// without surrounding blanks, and a value wholly enclosed in one pair of
// single or double quotes loses them. Of two equal keys in a section the
// first wins. Lines starting with ";" are comments. Bytes are never
// converted: Windows-1252 text stays as it is.
//
// A TIniFile is opened for one operation and read from disk when it is
// created. Every write takes the file's lock, reloads it, changes it and
// replaces it on disk through a temporary file renamed over the old one, so a
// crash never leaves it half-written and a write by another process is not
// lost; other sections, keys, comments and their order stay as they were. A
// value the reader would trim or unquote is written in quotes, so it reads
// back as written. A missing file reads as empty and is created on the first
// write. A write that fails (a full disk, a folder that cannot be written)
// says why and leaves the file as it was.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zev {

class TFileCalls;

class TIniFile
{
public:
    explicit TIniFile(QString path);
    // Writes through `calls`, which must outlive the object.
    TIniFile(QString path, TFileCalls& calls);

    const QString& Path() const { return m_path; }

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Key names in file order; a key written twice is listed twice.
    std::vector<std::string> ReadSectionKeys(std::string_view section) const;
    // Each key of the section in file order with the value ReadString gives
    // it, in one pass: for sections of many lines, such as pictures.
    std::vector<std::pair<std::string, std::string>>
    ReadSectionValues(std::string_view section) const;
    // Each key line of the section in file order with its own value: a key
    // written twice comes with both values.
    std::vector<std::pair<std::string, std::string>>
    ReadSectionEntries(std::string_view section) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback = {}) const;
    // A text for people or a path: the file's Windows-1252 bytes converted.
    QString ReadText(std::string_view section, std::string_view key,
                     std::string_view fallback = {}) const;
    // A file or folder name: ReadText, but a value holding a NUL byte, which
    // no name can hold, raises EZevError naming the file, section and key.
    QString ReadPath(std::string_view section, std::string_view key,
                     std::string_view fallback = {}) const;
    // Missing or not an integer: the fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // Read as an integer: any value other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
    // The system's short date format; a value that does not convert: the fallback.
    double ReadDate(std::string_view section, std::string_view key, double fallback) const;

    // Writers throw EZevError naming the file when it cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Written in Windows-1252, as ReadText reads it back.
    void WriteText(std::string_view section, std::string_view key, const QString& value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value); // "1" / "0"
    void WriteDate(std::string_view section, std::string_view key, double day);
    void EraseSection(std::string_view section);
    // The section erased and written anew with `values` in their order, in
    // one save: a failure leaves the file as it was. No values: no section.
    void ReplaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& values);
    void DeleteKey(std::string_view section, std::string_view key);

private:
    struct Line
    {
        std::string text;    // the line as it stands in the file, without its line break
        std::string section; // section header: its name; otherwise empty
        std::string key;     // key line: its name, trimmed; otherwise empty
        bool isSection = false;
        bool isKey = false;
    };

    void Load();
    void Save() const;
    // Under the file's lock: reload, change, and save when something changed.
    void Modify(const std::function<bool()>& change);
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool RemoveSection(std::string_view section);
    void CheckWritable(std::string_view section, std::string_view key,
                       std::string_view value) const;
    const Line* FindKey(std::string_view section, std::string_view key) const;
    static std::string IndexKey(std::string_view section, std::string_view key);
    void LinesChanged() { m_indexed = false; }
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

    QString m_path;
    TFileCalls* m_calls;
    std::vector<Line> m_lines;
    std::string m_lineBreak = "\r\n";
    // Section and key, upper case and joined by a line break (which neither
    // can hold), to the first of their lines; built on the first lookup and
    // dropped when the lines change, so reading every key of a long section
    // stays linear.
    mutable std::unordered_map<std::string, std::size_t> m_keyIndex;
    mutable bool m_indexed = false;
};

} // namespace zev
