#pragma once

// A printer on the loopback for the tests of network ports: a real TCP
// socket at 127.0.0.1 or [::1], never another address.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <mutex>
#include <string>
#include <vector>

namespace zev::test {

// A socket of the test's own on the loopback, at a port the system picks;
// closed with the test.
class TLoopbackPrinter
{
public:
    // `receiveBuffer`: small, so that a printer that stops reading fills
    // the connection soon. `listening` false: bound only, so connections
    // are refused.
    explicit TLoopbackPrinter(int family = AF_INET, int receiveBuffer = 0, bool listening = true)
        : m_fd(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        if (receiveBuffer > 0)
            setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_storage address{};
        socklen_t length = 0;
        if (family == AF_INET6) {
            auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
            v6.sin6_family = AF_INET6;
            v6.sin6_addr = in6addr_loopback;
            length = sizeof v6;
        } else {
            auto& v4 = reinterpret_cast<sockaddr_in&>(address);
            v4.sin_family = AF_INET;
            v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof v4;
        }
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(address).sin6_port
                                          : reinterpret_cast<sockaddr_in&>(address).sin_port);
        if (listening) {
            EXPECT_EQ(listen(m_fd, 4), 0);
        }
    }
    ~TLoopbackPrinter()
    {
        for (const int fd : m_accepted)
            close(fd);
        close(m_fd);
    }
    TLoopbackPrinter(const TLoopbackPrinter&) = delete;
    TLoopbackPrinter& operator=(const TLoopbackPrinter&) = delete;

    std::uint16_t Port() const { return m_port; }

    // The next connection, once a client made it.
    int Accept()
    {
        const int fd = accept(m_fd, nullptr, nullptr);
        const std::lock_guard lock(m_mutex);
        m_accepted.push_back(fd);
        return fd;
    }
    // A connection closed now: with data unread, the client gets a reset.
    void Close(int fd)
    {
        const std::lock_guard lock(m_mutex);
        std::erase(m_accepted, fd);
        close(fd);
    }

    // A printer that reads the whole job, then closes its side.
    std::future<std::string> ReadJob()
    {
        return std::async(std::launch::async, [this] {
            const int fd = Accept();
            std::string received;
            char buffer[65536];
            ssize_t got = 0;
            while ((got = read(fd, buffer, sizeof buffer)) > 0)
                received.append(buffer, static_cast<std::size_t>(got));
            shutdown(fd, SHUT_WR);
            return received;
        });
    }

private:
    int m_fd;
    std::uint16_t m_port = 0;
    std::mutex m_mutex;
    std::vector<int> m_accepted;
};

} // namespace zev::test
