#pragma once

// A TCP connection to a network printer that takes its printer language on
// a raw port (9100 by convention). Plain POSIX sockets: a non-blocking
// connect and writes bounded with poll, so no wait is longer than its bound
// and nothing of Qt's event loop is needed during a job.
//
// Every failure is kept as the system's reason in Portuguese ("conexão
// recusada", "tempo esgotado"), for the port's message.
//
// One owner, one thread.

#include "platform/BoundedWrite.h"
#include "platform/DeviceResult.h"
#include "platform/NoProgressClock.h"

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

struct TSocketAddress
{
    sockaddr_storage storage{};
    socklen_t length = 0;
};

// What a host name or a literal address resolves to; on failure no address
// and the reason.
struct TResolveResult
{
    std::vector<TSocketAddress> addresses;
    std::string error;
};

// A seam: tests stand in for name lookups so that no test asks a name server.
using TResolver = std::function<TResolveResult(const std::string& host, std::uint16_t port)>;

// Literal IPv4 and IPv6 addresses without a lookup; names through the
// system's resolver (getaddrinfo).
TResolveResult ResolveTcpAddress(const std::string& host, std::uint16_t port);

// The reason for a system error code, in Portuguese for those a printer
// connection meets.
std::string NetworkErrorText(int code);

class TTcpConnection final
{
public:
    // Tries the addresses in their order, all of them within `bound`; the
    // last address's failure when none answers.
    static TOpened<TTcpConnection> Connect(const std::vector<TSocketAddress>& addresses,
                                           std::chrono::milliseconds bound);
    // Closes without waiting; bytes not sent yet are left to the system.
    ~TTcpConnection();
    TTcpConnection(const TTcpConnection&) = delete;
    TTcpConnection& operator=(const TTcpConnection&) = delete;

    // Failed: see LastError().
    using TResult = TWriteResult;

    // Sends all bytes, waiting as long as the printer keeps taking them.
    TResult Write(std::string_view data, std::chrono::milliseconds bound,
                  const TStopAsked& stopAsked = {});
    // Ends the sending side and waits until the printer has acknowledged
    // every byte (at most `bound` after the last progress); then gives it
    // up to `linger` to close its side. A printer that resets the
    // connection instead did not read everything: Failed.
    TResult Finish(std::chrono::milliseconds bound, std::chrono::milliseconds linger,
                   const TStopAsked& stopAsked = {});
    // Waits, as Finish does but keeping the connection open, until the
    // printer has acknowledged every byte written so far. A printer that
    // closed its side meanwhile takes no more: Failed.
    TResult Confirm(std::chrono::milliseconds bound, const TStopAsked& stopAsked = {});
    // Drops what was not sent and resets the connection, so a printer
    // never prints the rest of a job given up.
    void Abort();

    // Bytes Write has handed to the system, and those of them the printer
    // has not acknowledged yet (-1 when the system cannot tell).
    std::int64_t Written() const { return m_written; }
    int Unacknowledged();

    std::string LastError() const { return NetworkErrorText(m_error); }

private:
    explicit TTcpConnection(int fd) : m_fd(fd) {}
    // Reads and drops what the printer sends (status bytes); false once it
    // closed its side (`closed`) or failed.
    bool DropInput(bool& closed);
    TResult WaitAcknowledged(std::chrono::milliseconds bound, const TStopAsked& stopAsked,
                             bool& closed);

    int m_fd;
    int m_error = 0;
    std::int64_t m_written = 0;
};

} // namespace zev
