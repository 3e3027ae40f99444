#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

// Set by the build for this file only (ZEV_DATA_DIR).
#ifndef ZEV_DATA_DIR
#define ZEV_DATA_DIR ""
#endif

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

// The program's directory's status; false when it cannot be read.
bool FolderStatus(struct stat& status)
{
    return stat(QFile::encodeName(ProgramDir()).constData(), &status) == 0;
}

} // namespace

QString BuiltInDataDir()
{
    return QString::fromUtf8(ZEV_DATA_DIR);
}

QString ProgramDir()
{
    if (const QString& overridden = OverriddenDir(); !overridden.isEmpty())
        return overridden;
    const QString built = BuiltInDataDir();
    return built.isEmpty() ? ExecutableDir() : built;
}

void SetProgramDir(const QString& directory)
{
    OverriddenDir() = QDir(directory).absolutePath();
}

QString ProgramFilePath(const QString& fileName)
{
    return QDir(ProgramDir()).filePath(fileName);
}

QString SharingGroup()
{
    struct stat status
    {};
    if (!FolderStatus(status) || (status.st_mode & S_ISGID) == 0)
        return {};
    const group* owner = getgrgid(status.st_gid);
    return owner != nullptr ? QString::fromLocal8Bit(owner->gr_name)
                            : QString::number(status.st_gid);
}

void ShareNewFilesWithGroup()
{
    struct stat status
    {};
    if (!FolderStatus(status) || (status.st_mode & S_ISGID) == 0)
        return;
    const mode_t current = umask(0);
    umask(current & ~static_cast<mode_t>(S_IRGRP | S_IWGRP));
}

void ShareFileWithGroup(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct stat folderStatus
    {}, fileStatus{};
    if (stat(folder.constData(), &folderStatus) != 0 || (folderStatus.st_mode & S_ISGID) == 0 ||
        stat(file.constData(), &fileStatus) != 0 || fileStatus.st_uid != geteuid() ||
        (fileStatus.st_mode & S_IWUSR) == 0)
        return;
    const mode_t shared = fileStatus.st_mode | S_IRGRP | S_IWGRP;
    if (shared != fileStatus.st_mode)
        (void)chmod(file.constData(), shared & 07777);
}

} // namespace zev
