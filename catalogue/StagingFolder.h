#pragma once

// The import's staging folder: "tmp" under the program's directory, with
// "schema.ini" and one semicolon-separated file per table.

#include "platform/OutputFile.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>

namespace zev::package {

// A staged file, written in large blocks. Its failures raise EInOutError.
class TStagedWriter
{
public:
    TStagedWriter(const QString& path, std::string_view header);

    void AppendLine(std::string_view data);
    void Close();

private:
    void Flush();

    std::unique_ptr<TOutputFile> m_file;
    std::string m_buffer;
};

// "tmp" under the program's directory, with "schema.ini". Whoever holds it
// holds the catalogue's write lock too, so no other import uses the folder
// meanwhile. Its files go on every way out; the folder goes when nothing
// else is left in it.
class TStagingFolder
{
public:
    TStagingFolder();
    ~TStagingFolder() { Remove(); }
    TStagingFolder(const TStagingFolder&) = delete;
    TStagingFolder& operator=(const TStagingFolder&) = delete;

    QString File(const QString& name) const;
    void Remove() noexcept;

private:
    QString m_dir;
};

} // namespace zev::package
