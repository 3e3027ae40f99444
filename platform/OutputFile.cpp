#include "platform/OutputFile.h"

#include "platform/BoundedWrite.h"
#include "platform/NoProgressClock.h"
#include "platform/Regional.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zev {

namespace {

std::string UserName()
{
    const passwd* user = getpwuid(geteuid());
    return user != nullptr ? user->pw_name : "$USER";
}

// The group that may use a device (lp for printers, dialout for serial lines).
std::string DeviceGroup(const QByteArray& path)
{
    struct stat status
    {};
    if (stat(path.constData(), &status) == 0)
        if (const group* owner = getgrgid(status.st_gid); owner != nullptr && status.st_gid != 0)
            return owner->gr_name;
    return "lp";
}

} // namespace

TOpened<TOutputFile> TOutputFile::Open(const QString& path, Mode mode, std::string what,
                                       std::chrono::milliseconds bound)
{
    std::unique_ptr<TOutputFile> file(new TOutputFile(path, mode, std::move(what), bound));
    // The system would take the name only up to the NUL: another file.
    if (path.contains(QChar(0))) {
        file->m_path.replace(QChar(0), QStringLiteral("\\0"));
        return {nullptr, file->FailureOf(EINVAL)};
    }
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that neither opening (a pipe without a reader) nor
    // writing (a printer that does not take data) can hang; Write waits
    // for the device itself, within the bound. A job's output file may be a
    // named pipe too.
    const int flags =
        (mode == Mode::Replace ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY | O_APPEND | O_NOCTTY) |
        O_NONBLOCK;
    do
        file->m_fd = open(name.constData(), flags | O_CLOEXEC, 0666);
    while (file->m_fd < 0 && errno == EINTR);
    if (file->m_fd < 0)
        return {nullptr, file->FailureOf(errno)};
    return {std::move(file), {}};
}

TOutputFile::~TOutputFile()
{
    if (m_fd >= 0)
        close(m_fd);
}

TWriteResult TOutputFile::Write(std::string_view data, const TStopAsked& stopAsked)
{
    if (m_fd < 0) {
        m_failure = FailureOf(EBADF);
        return TWriteResult::Failed;
    }
    // The bound counts from the last byte the device took: a slow printer
    // is waited for as long as it keeps taking data.
    TNoProgressClock clock(m_bound, stopAsked);
    const TBoundedWrite outcome = WriteBounded(m_fd, data, clock);
    if (outcome.result == TWriteResult::TimedOut)
        m_failure = NotTaken();
    else if (outcome.result == TWriteResult::Failed)
        m_failure = FailureOf(outcome.error);
    return outcome.result;
}

bool TOutputFile::Close()
{
    if (m_fd < 0) {
        m_failure = FailureOf(EBADF);
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    // Linux releases the descriptor even when close reports an error, so it
    // is never retried.
    if (close(fd) != 0 && errno != EINTR) {
        m_failure = FailureOf(errno);
        return false;
    }
    return true;
}

std::string NotTakenText(std::string_view port, std::chrono::milliseconds bound)
{
    return "A porta " + std::string(port) + " não recebeu os dados em " +
           FloatToStr(std::chrono::duration<double>(bound).count()) +
           " segundos: verifique se a impressora está ligada, conectada e pronta.";
}

TDeviceFailure TOutputFile::NotTaken() const
{
    return {ETIMEDOUT, NotTakenText(m_what + " (" + m_path.toStdString() + ")", m_bound)};
}

TDeviceFailure TOutputFile::FailureOf(int code) const
{
    std::string message = "Erro de entrada/saída em " + m_what + " (" + m_path.toStdString() +
                          "): " + std::strerror(code) + " (erro " + std::to_string(code) + ")";
    if (m_mode == Mode::Device && (code == EACCES || code == EPERM)) {
        const std::string group = DeviceGroup(QFile::encodeName(m_path));
        const std::string user = UserName();
        message += ". Adicione o usuário " + user + " ao grupo " + group + " (sudo adduser " +
                   user + " " + group + ") e entre de novo no sistema.";
    }
    return {code, message};
}

} // namespace zev
