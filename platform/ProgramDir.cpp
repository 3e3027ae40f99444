#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

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

// The group of a folder with the setgid bit; nothing for any other folder.
std::optional<gid_t> SharedFolderGroup(const QString& folder)
{
    struct stat status
    {};
    if (stat(QFile::encodeName(folder).constData(), &status) != 0 ||
        (status.st_mode & S_ISGID) == 0)
        return std::nullopt;
    return status.st_gid;
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
    const std::optional<gid_t> shared = SharedFolderGroup(ProgramDir());
    if (!shared)
        return {};
    const group* owner = getgrgid(*shared);
    return owner != nullptr ? QString::fromLocal8Bit(owner->gr_name) : QString::number(*shared);
}

void ShareNewFilesWithGroup()
{
    if (!SharedFolderGroup(ProgramDir()))
        return;
    const mode_t current = umask(0);
    umask(current & ~static_cast<mode_t>(S_IRGRP | S_IWGRP));
}

void ShareFileWithGroup(const QString& path)
{
    if (!SharedFolderGroup(QFileInfo(path).absolutePath()))
        return;
    const QByteArray file = QFile::encodeName(path);
    struct stat fileStatus
    {};
    if (stat(file.constData(), &fileStatus) != 0 || fileStatus.st_uid != geteuid() ||
        (fileStatus.st_mode & S_IWUSR) == 0)
        return;
    const mode_t shared = fileStatus.st_mode | S_IRGRP | S_IWGRP;
    if (shared != fileStatus.st_mode)
        (void)chmod(file.constData(), shared & 07777);
}

} // namespace zev
