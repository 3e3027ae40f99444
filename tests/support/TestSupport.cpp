#include "tests/support/TestSupport.h"

#include "platform/ProgramDir.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <stdexcept>

namespace zev::test {

void PrepareTestProcess()
{
    std::signal(SIGPIPE, SIG_IGN);
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
        qputenv("CUPS_SERVER", QDir::temp().filePath("zev-no-spooler.sock").toLocal8Bit());
}

TProgramDirFixture::TProgramDirFixture() : m_previous(ProgramDir())
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary directory");
    SetProgramDir(m_dir.path());
}

TProgramDirFixture::~TProgramDirFixture()
{
    SetProgramDir(m_previous);
}

std::string ReadFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void WriteFileBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace zev::test
