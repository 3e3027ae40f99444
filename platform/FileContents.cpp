#include "platform/FileContents.h"

#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zev {

namespace {

std::string Quoted(const QString& path)
{
    return "\"" + path.toStdString() + "\"";
}

std::string WhatToDo(int code, const QString& folder)
{
    switch (code) {
    case ENOSPC:
    case EDQUOT:
        return "Libere espaço no disco e tente de novo.";
    case EROFS:
        return "Monte o disco para gravação ou use outra pasta.";
    case EACCES:
    case EPERM:
        return "Dê ao usuário que roda o ZEV permissão de gravação na pasta " + Quoted(folder) +
               " e no arquivo, e tente de novo.";
    case ENOENT:
    case ENOTDIR:
        return "Verifique se a pasta " + Quoted(folder) + " existe e é mesmo uma pasta.";
    default:
        return "Verifique o disco e a pasta " + Quoted(folder) + " e tente de novo.";
    }
}

struct TDescriptor
{
    int fd;
    ~TDescriptor() { close(fd); }
};

// The file a link points to, so that the link itself stays.
QString TargetOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// The temporary file until it has replaced the old one: closed and removed
// on every way out before that.
class TTemporaryFile
{
public:
    TTemporaryFile(TFileCalls& calls, QString target) : m_calls(calls), m_target(std::move(target))
    {}
    ~TTemporaryFile()
    {
        if (m_fd >= 0)
            m_calls.Close(m_fd);
        if (!m_name.isEmpty())
            unlink(m_name.constData());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    // 0, or the errno of the failure.
    int Create()
    {
        // A name another writer left behind, or is using, is tried again.
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QByteArray name = QFile::encodeName(m_target) + '.' +
                                    QByteArray::number(QRandomGenerator::global()->generate(), 16);
            m_fd = m_calls.Create(name.constData());
            if (m_fd >= 0) {
                m_name = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    int Write(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t written = m_calls.Write(m_fd, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return errno;
            // Nothing taken and no reason given: a disk with no room left.
            if (written == 0)
                return ENOSPC;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return 0;
    }

    int KeepMode(mode_t mode) { return fchmod(m_fd, mode) == 0 ? 0 : errno; }

    int Sync() { return m_calls.Sync(m_fd) == 0 ? 0 : errno; }

    int Close()
    {
        // Linux releases the descriptor even when close reports an error.
        const int fd = std::exchange(m_fd, -1);
        return m_calls.Close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

    int Rename()
    {
        if (m_calls.Rename(m_name.constData(), QFile::encodeName(m_target).constData()) != 0)
            return errno;
        m_name.clear();
        return 0;
    }

private:
    TFileCalls& m_calls;
    QString m_target;
    QByteArray m_name;
    int m_fd = -1;
};

// The rename is on disk only once the folder is: best effort, because some
// file systems cannot flush a folder, and the file is already replaced.
void SyncFolder(const QString& folder)
{
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

} // namespace

int TFileCalls::Create(const char* path)
{
    return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

ssize_t TFileCalls::Write(int fd, const char* data, std::size_t size)
{
    return write(fd, data, size);
}

int TFileCalls::Sync(int fd)
{
    return fsync(fd);
}

int TFileCalls::Close(int fd)
{
    return close(fd);
}

int TFileCalls::Rename(const char* from, const char* to)
{
    return rename(from, to);
}

TFileCalls& SystemFileCalls()
{
    static TFileCalls calls;
    return calls;
}

std::string FileErrorText(int code)
{
    switch (code) {
    case ENOSPC:
        return "o disco está cheio";
    case EDQUOT:
        return "a cota de disco do usuário acabou";
    case EROFS:
        return "o disco só permite leitura";
    case EACCES:
    case EPERM:
        return "permissão negada";
    case ENOENT:
        return "a pasta não existe";
    case ENOTDIR:
        return "o caminho passa por um arquivo que não é uma pasta";
    case EISDIR:
        return "é uma pasta, não um arquivo";
    case EIO:
        return "erro de entrada/saída no disco";
    case EBUSY:
    case ETXTBSY:
        return "o arquivo ou o disco está em uso";
    default:
        return std::string(std::strerror(code)) + " (erro " + std::to_string(code) + ")";
    }
}

std::string CannotWriteText(const QString& path, int code, std::string_view step)
{
    std::string text =
        "Não foi possível gravar o arquivo " + Quoted(path) + ": " + FileErrorText(code);
    if (!step.empty())
        text += " (" + std::string(step) + ")";
    return text + ". O arquivo não foi alterado. " +
           WhatToDo(code, QFileInfo(TargetOf(path)).absolutePath());
}

std::optional<std::string> ReadFileContents(const QString& path)
{
    const auto fail = [&](int code) {
        throw EInOutError(code, "Não foi possível ler o arquivo " + Quoted(path) + ": " +
                                    FileErrorText(code) + ".");
    };
    int fd;
    do
        fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR))
        return std::nullopt;
    if (fd < 0)
        fail(errno);
    const TDescriptor opened{fd};
    std::string bytes;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(errno);
        if (got == 0)
            return bytes;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

int CreationError(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? 0 : errno;
    close(fd);
    unlink(name.constData());
    return 0;
}

void ReplaceFileContents(const QString& path, std::string_view bytes, TFileCalls& calls)
{
    const auto fail = [&](int code, std::string_view step) {
        if (code != 0)
            throw EInOutError(code, CannotWriteText(path, code, step));
    };
    const QString target = TargetOf(path);
    const QByteArray name = QFile::encodeName(target);
    struct stat existing
    {};
    const bool exists = stat(name.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        fail(EISDIR, {});
    // A file made read-only by hand is meant to stay as it is, although the
    // folder would let it be replaced.
    if (exists && access(name.constData(), W_OK) != 0) {
        const int code = errno;
        fail(code, code == EACCES ? "o arquivo é somente leitura" : "");
    }

    const QString folder = QFileInfo(target).absolutePath();
    TTemporaryFile temporary(calls, target);
    fail(temporary.Create(), "ao criar um arquivo na pasta " + Quoted(folder));
    if (exists)
        fail(temporary.KeepMode(existing.st_mode & 07777), "ao copiar as permissões");
    fail(temporary.Write(bytes), {});
    fail(temporary.Sync(), "ao gravar no disco");
    fail(temporary.Close(), "ao fechar o arquivo");
    fail(temporary.Rename(), "ao substituir o arquivo");
    SyncFolder(folder);
}

} // namespace zev
