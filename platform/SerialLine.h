#pragma once

// A serial line held for a print job, set up from a device-control text
// such as "baud=9600 parity=N data=8 stop=1 xon=off octs=on odsr=off".
//
// Built on POSIX termios rather than QSerialPort: the job needs a handful of
// calls (open, tcgetattr, tcsetattr, write, poll) and nothing of Qt's event
// loop, the line is set from the same text format the store's settings have
// always produced, which termios takes flag for flag, and exclusive opening
// (TIOCEXCL and flock) and a pseudo-terminal for the tests work on it
// directly. It costs no extra library.
//
// The steps mirror how a job starts a line: Open, ReadState, BuildState
// (parse the text onto the state read, so everything the text does not name
// keeps the device's value), ApplyState. The line is always put in raw mode:
// printer bytes pass without any translation, echo or signal characters.
//
// Every wait is bounded by time without progress, not by the size of the
// job: a printer taking a long job at 9600 baud is waited for as long as it
// keeps taking bytes, one that stops taking them is given up after the bound.
//
// One owner, one thread.

#include "platform/BoundedWrite.h"
#include "platform/DeviceResult.h"
#include "platform/NoProgressClock.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct termios;

namespace zev {

// The line's modem signals. DSR/DTR flow control is done by hand with them
// (termios has none); a seam, because a pseudo-terminal has no modem lines.
class TModemLines
{
public:
    virtual ~TModemLines() = default;
    // False when the device has no modem lines.
    virtual bool RaiseDtr() = 0;
    // Whether the printer says it is ready; nothing when it cannot be read.
    virtual std::optional<bool> Dsr() = 0;
};

class TSerialLine final
{
public:
    // Opens the device for reading and writing, exclusively: while this line
    // is open, every other opener, in this process or another, is refused.
    // The failure when the device is missing, busy or cannot be opened.
    static TOpened<TSerialLine> Open(const QString& device);
    ~TSerialLine();
    TSerialLine(const TSerialLine&) = delete;
    TSerialLine& operator=(const TSerialLine&) = delete;

    // False when the device is no serial line.
    bool ReadState();
    // False when the text names a setting this line cannot take: an unknown
    // key or value, 1.5 stop bits with other than 5 data bits, 2 with 5.
    bool BuildState(std::string_view text);
    // False when the device refuses the state (its speed does not stick);
    // speeds without a termios constant are set by number here.
    bool ApplyState();

    // Whether the state built asks for DSR/DTR flow control.
    bool DsrFlow() const { return m_dsrFlow; }
    // Replaces the device's own modem lines (tests).
    void UseModemLines(std::unique_ptr<TModemLines> lines);
    // Asserts DTR for as long as the line is open; false when the device has
    // no modem lines.
    bool RaiseDtr();

    // Failed: see LastError().
    using TWriteResult = zev::TWriteResult;
    // Writes all bytes, waiting as long as the device keeps taking them.
    // With DSR/DTR flow control the bytes go in small pieces, each only
    // while DSR is up and sent before the next, so a printer that drops DSR
    // gets at most one piece more.
    TWriteResult Write(std::string_view data, std::chrono::milliseconds bound,
                       const TStopAsked& stopAsked = {});
    // Waits until the device has sent what it holds, at most `bound` after
    // the last progress or until the person asks to stop; false (and what
    // is left discarded) when it did not.
    bool Drain(std::chrono::milliseconds bound, const TStopAsked& stopAsked = {});
    // Drops what the device has not sent yet, so closing it cannot wait for
    // a device that takes nothing.
    void Discard();

    // The system's text for the last failure.
    std::string LastError() const;

    // The most a printer that dropped DSR may still receive.
    static constexpr std::size_t DsrPieceSize = 64;

private:
    explicit TSerialLine(int fd);
    TWriteResult WriteAll(std::string_view data, TNoProgressClock& clock);
    TWriteResult WritePaced(std::string_view data, TNoProgressClock& clock);
    // Waits until the output queue is empty; false when it stopped emptying.
    bool WaitEmpty(TNoProgressClock& clock);

    int m_fd;
    bool m_dsrFlow = false;
    std::unique_ptr<TModemLines> m_modem;
    int m_error = 0;
    int m_otherSpeed = 0; // a speed without a termios constant, set by number
    std::unique_ptr<termios> m_state;
};

} // namespace zev
