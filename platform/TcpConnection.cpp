#include "platform/TcpConnection.h"

#include "platform/NoProgressClock.h"

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zev {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

struct TAddrInfoDeleter
{
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

std::string ResolverErrorText(int code)
{
    switch (code) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        return "nome não encontrado";
    case EAI_AGAIN:
        return "o servidor de nomes não respondeu";
    case EAI_SYSTEM:
        return NetworkErrorText(errno);
    default:
        return gai_strerror(code);
    }
}

} // namespace

std::string NetworkErrorText(int code)
{
    switch (code) {
    case ECONNREFUSED:
        return "conexão recusada";
    case ENETUNREACH:
        return "rede inacessível";
    case EHOSTUNREACH:
        return "endereço inacessível";
    case ETIMEDOUT:
        return "tempo esgotado";
    case ECONNRESET:
    case EPIPE:
        return "conexão interrompida pela impressora";
    case EADDRNOTAVAIL:
        return "endereço indisponível";
    default:
        return std::string(std::strerror(code)) + " (erro " + std::to_string(code) + ")";
    }
}

TResolveResult ResolveTcpAddress(const std::string& host, std::uint16_t port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // A literal address never goes to a name server.
    hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;
    const std::string service = std::to_string(port);
    addrinfo* found = nullptr;
    int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (code == EAI_NONAME) {
        hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
        code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    }
    TResolveResult result;
    if (code != 0) {
        result.error = ResolverErrorText(code);
        return result;
    }
    const std::unique_ptr<addrinfo, TAddrInfoDeleter> list(found);
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        TSocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        result.addresses.push_back(address);
    }
    if (result.addresses.empty())
        result.error = "nome não encontrado";
    return result;
}

TOpened<TTcpConnection> TTcpConnection::Connect(const std::vector<TSocketAddress>& addresses,
                                                std::chrono::milliseconds bound)
{
    const Clock::time_point deadline = Clock::now() + bound;
    int lastError = addresses.empty() ? EADDRNOTAVAIL : ETIMEDOUT;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        // An address that does not answer leaves the rest of the time to the
        // next ones, in equal shares.
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            lastError = ETIMEDOUT;
            break;
        }
        const Clock::time_point until =
            now + (deadline - now) / static_cast<long>(addresses.size() - i);
        const TSocketAddress& address = addresses[i];
        const int fd =
            socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        std::unique_ptr<TTcpConnection> connection(new TTcpConnection(fd));
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0)
            return {std::move(connection), {}};
        if (errno != EINPROGRESS) {
            lastError = errno;
            continue;
        }
        pollfd ready{fd, POLLOUT, 0};
        int polled = 0;
        while ((polled = poll(&ready, 1, MillisecondsUntil(until))) < 0 && errno == EINTR) {
        }
        if (polled <= 0) {
            lastError = polled == 0 ? ETIMEDOUT : errno;
            continue;
        }
        int failure = 0;
        socklen_t length = sizeof failure;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0)
            failure = errno;
        if (failure != 0) {
            lastError = failure;
            continue;
        }
        return {std::move(connection), {}};
    }
    return OpenFailed<TTcpConnection>(lastError, NetworkErrorText(lastError));
}

TTcpConnection::~TTcpConnection()
{
    close(m_fd);
}

TTcpConnection::TResult TTcpConnection::Write(std::string_view data,
                                              std::chrono::milliseconds bound,
                                              const TStopAsked& stopAsked)
{
    TNoProgressClock clock(bound, stopAsked);
    // A printer that closed the connection is an error, not a signal.
    const TBoundedWrite outcome =
        WriteBounded(m_fd, data, clock, [](int fd, const char* bytes, std::size_t size) {
            return send(fd, bytes, size, MSG_NOSIGNAL);
        });
    m_written += static_cast<std::int64_t>(outcome.taken);
    if (outcome.result == TResult::Failed)
        m_error = outcome.error;
    return outcome.result;
}

bool TTcpConnection::DropInput(bool& closed)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0)
            continue;
        if (got == 0) {
            closed = true;
            return true;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        if (errno != EINTR) {
            m_error = errno;
            return false;
        }
    }
}

TTcpConnection::TResult TTcpConnection::Finish(std::chrono::milliseconds bound,
                                               std::chrono::milliseconds linger,
                                               const TStopAsked& stopAsked)
{
    if (shutdown(m_fd, SHUT_WR) != 0) {
        // A connection the printer reset is no longer connected: its reset
        // is the reason.
        m_error = errno;
        int failure = 0;
        socklen_t length = sizeof failure;
        if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &failure, &length) == 0 && failure != 0)
            m_error = failure;
        else if (m_error == ENOTCONN)
            m_error = ECONNRESET;
        return TResult::Failed;
    }
    bool closed = false;
    if (const TResult acknowledged = WaitAcknowledged(bound, stopAsked, closed);
        acknowledged != TResult::Written)
        return acknowledged;
    // A printer that closes with data left unread resets the connection:
    // that shows here as a failure rather than a job reported done.
    const Clock::time_point until = Clock::now() + linger;
    while (!closed) {
        const int left = MillisecondsUntil(until);
        if (left == 0)
            break;
        pollfd ready{m_fd, POLLIN, 0};
        (void)poll(&ready, 1, left);
        if (!DropInput(closed))
            return TResult::Failed;
    }
    return TResult::Written;
}

TTcpConnection::TResult TTcpConnection::WaitAcknowledged(std::chrono::milliseconds bound,
                                                         const TStopAsked& stopAsked, bool& closed)
{
    // Bytes in our queue are not the printer's yet: only its acknowledgement
    // (of the end of the data too) says it has them.
    TNoProgressClock clock(bound, stopAsked);
    int last = -1;
    for (;;) {
        const int unacknowledged = Unacknowledged();
        if (unacknowledged < 0)
            return TResult::Failed;
        int failure = 0;
        socklen_t length = sizeof failure;
        if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &failure, &length) == 0 && failure != 0) {
            m_error = failure;
            return TResult::Failed;
        }
        if (!closed && !DropInput(closed))
            return TResult::Failed;
        if (unacknowledged == 0)
            return TResult::Written;
        if (last >= 0 && unacknowledged < last)
            clock.Progress();
        last = unacknowledged;
        const int left = clock.Left();
        if (left == 0)
            return clock.Stopped() ? TResult::Stopped : TResult::TimedOut;
        pollfd ready{m_fd, static_cast<short>(closed ? 0 : POLLIN), 0};
        (void)poll(&ready, 1, std::min(left, 5));
    }
}

TTcpConnection::TResult TTcpConnection::Confirm(std::chrono::milliseconds bound,
                                                const TStopAsked& stopAsked)
{
    bool closed = false;
    const TResult acknowledged = WaitAcknowledged(bound, stopAsked, closed);
    // A printer that closed its side takes no more of the session.
    if (acknowledged == TResult::Written && closed) {
        m_error = ECONNRESET;
        return TResult::Failed;
    }
    return acknowledged;
}

int TTcpConnection::Unacknowledged()
{
    int unacknowledged = 0;
    if (ioctl(m_fd, SIOCOUTQ, &unacknowledged) != 0) {
        m_error = errno;
        return -1;
    }
    return std::max(unacknowledged, 0);
}

void TTcpConnection::Abort()
{
    const linger reset{1, 0};
    (void)setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
}

} // namespace zev
