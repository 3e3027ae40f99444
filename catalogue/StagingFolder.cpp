#include "catalogue/StagingFolder.h"

#include "catalogue/PackageFormat.h"
#include "platform/Error.h"
#include "platform/ProgramDir.h"

#include <QDir>
#include <QFile>

namespace zev::package {

namespace {

constexpr const char* StagingFolderName = "tmp";
constexpr const char* SchemaFileName = "schema.ini";
constexpr std::size_t WriteChunk = 256 * 1024;
constexpr const char* StagedFileRole = "arquivo temporário da importação";

std::unique_ptr<TOutputFile> OpenStaged(const QString& path)
{
    TOpened<TOutputFile> opened = TOutputFile::Open(path, TOutputFile::Mode::Replace, StagedFileRole);
    if (!opened)
        throw EInOutError(opened.failure);
    return std::move(opened.device);
}

void WriteStaged(TOutputFile& file, std::string_view bytes)
{
    // Nobody stops an import's own writes; a file that takes nothing is a failure.
    if (file.Write(bytes) != TWriteResult::Written)
        throw EInOutError(file.Failure());
}

void CloseStaged(TOutputFile& file)
{
    if (!file.Close())
        throw EInOutError(file.Failure());
}

} // namespace

TStagedWriter::TStagedWriter(const QString& path, std::string_view header)
    : m_file(OpenStaged(path))
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
    CloseStaged(*m_file);
}

void TStagedWriter::Flush()
{
    WriteStaged(*m_file, m_buffer);
    m_buffer.clear();
}

TStagingFolder::TStagingFolder() : m_dir(ProgramFilePath(QString::fromLatin1(StagingFolderName)))
{
    QDir(ProgramDir()).mkdir(QString::fromLatin1(StagingFolderName));
    const QString schema = File(QString::fromLatin1(SchemaFileName));
    if (!QFile::exists(schema)) {
        const std::unique_ptr<TOutputFile> file = OpenStaged(schema);
        const QByteArray text = SchemaIni();
        WriteStaged(*file, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        CloseStaged(*file);
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
