#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zev {

namespace {

QString& OverriddenDir()
{
    static QString directory;
    return directory;
}

QString ExecutableDir()
{
    if (QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (early start-up, plain tools).
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

} // namespace

QString ProgramDir()
{
    const QString& overridden = OverriddenDir();
    return overridden.isEmpty() ? ExecutableDir() : overridden;
}

void SetProgramDir(const QString& directory)
{
    OverriddenDir() = QDir(directory).absolutePath();
}

QString ProgramFilePath(const QString& fileName)
{
    return QDir(ProgramDir()).filePath(fileName);
}

} // namespace zev
