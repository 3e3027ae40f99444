#pragma once

// The import's staging folder: "tmp" under the program's directory, with
// "schema.ini" and one semicolon-separated file per table.

#include "catalogue/PackageFormat.h"
#include "platform/OutputFile.h"
#include "platform/ProgramDir.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace zev::package {

inline constexpr const char* StagingFolderName = "tmp";
inline constexpr const char* SchemaFileName = "schema.ini";
inline constexpr std::size_t WriteChunk = 256 * 1024;

// A staged file, written in large blocks.
class TStagedWriter
{
public:
    TStagedWriter(const QString& path, std::string_view header)
        : m_file(path, TOutputFile::Mode::Replace, "arquivo temporário da importação")
    {
        m_buffer.reserve(WriteChunk + MaxLineLength + 2);
        AppendLine(header);
    }

    void AppendLine(std::string_view data)
    {
        m_buffer.append(data).append("\r\n");
        if (m_buffer.size() >= WriteChunk)
            Flush();
    }

    void Close()
    {
        Flush();
        m_file.Close();
    }

private:
    void Flush()
    {
        m_file.Write(m_buffer);
        m_buffer.clear();
    }

    TOutputFile m_file;
    std::string m_buffer;
};

// "tmp" under the program's directory, with "schema.ini". Whoever holds it
// holds the catalogue's write lock too, so no other import uses the folder
// meanwhile. Its files go on every way out; the folder goes when nothing
// else is left in it.
class TStagingFolder
{
public:
    TStagingFolder() : m_dir(ProgramFilePath(QString::fromLatin1(StagingFolderName)))
    {
        QDir(ProgramDir()).mkdir(QString::fromLatin1(StagingFolderName));
        const QString schema = File(QString::fromLatin1(SchemaFileName));
        if (!QFile::exists(schema)) {
            TOutputFile file(schema, TOutputFile::Mode::Replace, "arquivo temporário da importação");
            const QByteArray text = SchemaIni();
            file.Write(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
            file.Close();
        }
    }
    ~TStagingFolder() { Remove(); }
    TStagingFolder(const TStagingFolder&) = delete;
    TStagingFolder& operator=(const TStagingFolder&) = delete;

    QString File(const QString& name) const { return QDir(m_dir).filePath(name); }

    void Remove() noexcept
    {
        for (const TTableDef& table : Tables)
            QFile::remove(File(StagedFileName(table)));
        QFile::remove(File(QString::fromLatin1(SchemaFileName)));
        QDir(ProgramDir()).rmdir(QString::fromLatin1(StagingFolderName));
    }

private:
    QString m_dir;
};

} // namespace zev::package
