#pragma once

// A pseudo-terminal standing in for a serial line: the program opens the
// terminal side (Device()) as it would /dev/ttyS0; the test reads what
// arrives, and talks back, on the controlling side.

#include <QString>

#include <chrono>
#include <string>

struct termios;

namespace zev::test {

class TPseudoTerminal
{
public:
    TPseudoTerminal();
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    // "/dev/pts/N".
    const QString& Device() const { return m_device; }
    // Reads until `count` bytes arrived or nothing came for `quiet`.
    std::string Read(std::size_t count, std::chrono::milliseconds quiet = std::chrono::seconds(5));
    // Bytes sent to the program side, as a printer would (XOFF: "\x13").
    void Write(const std::string& bytes);
    // The terminal side's line settings as the device has them.
    void LineState(termios& state) const;
    // Bits per second, speeds without a termios constant included.
    int LineSpeed() const;
    void SetLineState(const termios& state);
    // The controlling side, for a reader of its own.
    int ControllingSide() const { return m_master; }
    // Closes the controlling side: the device disappears.
    void Close();

private:
    int m_master = -1;
    QString m_device;
};

} // namespace zev::test
