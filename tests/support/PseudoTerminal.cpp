#include "tests/support/PseudoTerminal.h"

#include "platform/SerialSpeed.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace zev::test {

TPseudoTerminal::TPseudoTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    m_device = QString::fromLocal8Bit(ptsname(m_master));
}

TPseudoTerminal::~TPseudoTerminal()
{
    Close();
}

std::string TPseudoTerminal::Read(std::size_t count, std::chrono::milliseconds quiet)
{
    std::string bytes;
    while (bytes.size() < count) {
        pollfd ready{m_master, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(quiet.count())) <= 0)
            break;
        char buffer[4096];
        const ssize_t got = read(m_master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

void TPseudoTerminal::Write(const std::string& bytes)
{
    if (write(m_master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("cannot write to the pseudo-terminal");
}

void TPseudoTerminal::LineState(termios& state) const
{
    // On the controlling side the terminal ioctls reach the terminal side.
    if (tcgetattr(m_master, &state) != 0)
        throw std::runtime_error("cannot read the pseudo-terminal's line state");
}

void TPseudoTerminal::SetLineState(const termios& state)
{
    if (tcsetattr(m_master, TCSANOW, &state) != 0)
        throw std::runtime_error("cannot set the pseudo-terminal's line state");
}

void TPseudoTerminal::Close()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}

int TPseudoTerminal::LineSpeed() const
{
    return zev::LineSpeed(m_master).value_or(0);
}

} // namespace zev::test
