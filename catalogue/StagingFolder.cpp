#include "catalogue/StagingFolder.h"

#include "catalogue/PackageFormat.h"
#include "platform/ProgramDir.h"

#include <QDir>
#include <QFile>

namespace zev::package {

namespace {

constexpr const char* StagingFolderName = "tmp";
constexpr const char* SchemaFileName = "schema.ini";
constexpr std::size_t WriteChunk = 256 * 1024;
constexpr const char* StagedFileRole = "arquivo temporário da importação";

} // namespace

TStagedWriter::TStagedWriter(const QString& path, std::string_view header)
    : m_file(path, TOutputFile::Mode::Replace, StagedFileRole)
{
    m_buffer.reserve(WriteChunk + MaxLineLength + 2);
    AppendLine(header);
}

void TStagedWriter::AppendLine(std::string_view data)
{
    m_buffer.append(data).append("\r\n");
    if (m_buffer.size() >= WriteChunk)
        Flush();
}

void TStagedWriter::Close()
{
    Flush();
    m_file.Close();
}

void TStagedWriter::Flush()
{
    m_file.Write(m_buffer);
    m_buffer.clear();
}

TStagingFolder::TStagingFolder() : m_dir(ProgramFilePath(QString::fromLatin1(StagingFolderName)))
{
    QDir(ProgramDir()).mkdir(QString::fromLatin1(StagingFolderName));
    const QString schema = File(QString::fromLatin1(SchemaFileName));
    if (!QFile::exists(schema)) {
        TOutputFile file(schema, TOutputFile::Mode::Replace, StagedFileRole);
        const QByteArray text = SchemaIni();
        file.Write(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        file.Close();
    }
}

QString TStagingFolder::File(const QString& name) const
{
    return QDir(m_dir).filePath(name);
}

void TStagingFolder::Remove() noexcept
{
    for (const TTableDef& table : Tables)
        QFile::remove(File(StagedFileName(table)));
    QFile::remove(File(QString::fromLatin1(SchemaFileName)));
    QDir(ProgramDir()).rmdir(QString::fromLatin1(StagingFolderName));
}

} // namespace zev::package
