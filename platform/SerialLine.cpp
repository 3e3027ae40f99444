#include "platform/SerialLine.h"

#include "platform/SerialSpeed.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/NoProgressClock.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace zev {

namespace {

struct TSpeed
{
    int baud;
    speed_t code;
};

// The speeds termios can name. Others (14400, 56000, 128000, 256000) are
// set by number, after the rest of the state.
constexpr std::array Speeds = {
    TSpeed{50, B50},           TSpeed{75, B75},           TSpeed{110, B110},
    TSpeed{134, B134},         TSpeed{150, B150},         TSpeed{200, B200},
    TSpeed{300, B300},         TSpeed{600, B600},         TSpeed{1200, B1200},
    TSpeed{1800, B1800},       TSpeed{2400, B2400},       TSpeed{4800, B4800},
    TSpeed{9600, B9600},       TSpeed{19200, B19200},     TSpeed{38400, B38400},
    TSpeed{57600, B57600},     TSpeed{115200, B115200},   TSpeed{230400, B230400},
    TSpeed{460800, B460800},   TSpeed{500000, B500000},   TSpeed{576000, B576000},
    TSpeed{921600, B921600},   TSpeed{1000000, B1000000}, TSpeed{1152000, B1152000},
    TSpeed{1500000, B1500000}, TSpeed{2000000, B2000000},
};

// What a device-control text names; everything else keeps the device's value.
struct TLineText
{
    std::optional<speed_t> speed;
    std::optional<int> otherSpeed; // bits per second without a termios constant
    std::optional<char> parity;    // upper case: N O E M S
    std::optional<int> dataBits;
    std::optional<std::string> stopBits; // "1", "1.5", "2"
    std::optional<bool> xon;
    std::optional<bool> octs;
    std::optional<bool> odsr;
};

std::optional<bool> OnOff(std::string_view value)
{
    if (AnsiSameText(value, "on"))
        return true;
    if (AnsiSameText(value, "off"))
        return false;
    return std::nullopt;
}

std::optional<TLineText> ParseLineText(std::string_view text)
{
    TLineText line;
    std::size_t start = 0;
    while (start < text.size()) {
        if (text[start] == ' ' || text[start] == '\t') {
            ++start;
            continue;
        }
        std::size_t end = text.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view item = text.substr(start, end - start);
        start = end;
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (AnsiSameText(key, "baud")) {
            const std::optional<std::int32_t> baud = TryStrToInt(value);
            if (!baud || *baud <= 0)
                return std::nullopt;
            const auto speed = std::find_if(Speeds.begin(), Speeds.end(),
                                            [&](const TSpeed& s) { return baud == s.baud; });
            if (speed != Speeds.end())
                line.speed = speed->code;
            else
                line.otherSpeed = *baud;
        } else if (AnsiSameText(key, "parity")) {
            const std::string letter = AnsiUpperCase(value);
            if (letter.size() != 1 ||
                std::string_view("NOEMS").find(letter[0]) == std::string_view::npos)
                return std::nullopt;
            line.parity = letter[0];
        } else if (AnsiSameText(key, "data")) {
            const std::optional<std::int32_t> bits = TryStrToInt(value);
            if (!bits || *bits < 5 || *bits > 8)
                return std::nullopt;
            line.dataBits = *bits;
        } else if (AnsiSameText(key, "stop")) {
            if (value != "1" && value != "1.5" && value != "2")
                return std::nullopt;
            line.stopBits = std::string(value);
        } else if (AnsiSameText(key, "xon")) {
            if (!(line.xon = OnOff(value)))
                return std::nullopt;
        } else if (AnsiSameText(key, "octs")) {
            if (!(line.octs = OnOff(value)))
                return std::nullopt;
        } else if (AnsiSameText(key, "odsr")) {
            if (!(line.odsr = OnOff(value)))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return line;
}

int DataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

tcflag_t SizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

class TDeviceModemLines final : public TModemLines
{
public:
    explicit TDeviceModemLines(int fd) : m_fd(fd) {}

    bool RaiseDtr() override
    {
        const int bit = TIOCM_DTR;
        return ioctl(m_fd, TIOCMBIS, &bit) == 0;
    }

    std::optional<bool> Dsr() override
    {
        int bits = 0;
        if (ioctl(m_fd, TIOCMGET, &bits) != 0)
            return std::nullopt;
        return (bits & TIOCM_DSR) != 0;
    }

private:
    int m_fd;
};

// How often a wait looks again at a device that gives no event for it.
constexpr std::chrono::milliseconds PollStep{2};

} // namespace

TOpened<TSerialLine> TSerialLine::Open(const QString& device)
{
    const QByteArray path = QFile::encodeName(device);
    const auto failed = [&](int code) {
        return OpenFailed<TSerialLine>(code, device.toStdString() + ": " + std::strerror(code));
    };
    // Non-blocking: the open must not wait for a carrier, and the writes are
    // bounded with poll.
    const int fd = open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    // flock refuses a second opener that asks, in any process (ours always
    // ask); TIOCEXCL refuses every other program's open(), root excepted.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno == EWOULDBLOCK ? EBUSY : errno;
        close(fd);
        return failed(code);
    }
    (void)ioctl(fd, TIOCEXCL);
    return {std::unique_ptr<TSerialLine>(new TSerialLine(fd)), {}};
}

TSerialLine::TSerialLine(int fd)
    : m_fd(fd), m_modem(std::make_unique<TDeviceModemLines>(fd)),
      m_state(std::make_unique<termios>())
{}

TSerialLine::~TSerialLine()
{
    (void)ioctl(m_fd, TIOCNXCL);
    close(m_fd);
}

bool TSerialLine::ReadState()
{
    if (tcgetattr(m_fd, m_state.get()) != 0) {
        m_error = errno;
        return false;
    }
    return true;
}

bool TSerialLine::BuildState(std::string_view text)
{
    const std::optional<TLineText> line = ParseLineText(text);
    if (!line)
        return false;
    termios state = *m_state;
    const int dataBits = line->dataBits.value_or(DataBitsOf(state.c_cflag));
    if (line->stopBits == "1.5" && dataBits != 5)
        return false;
    if (line->stopBits == "2" && dataBits == 5)
        return false;

    // Raw: no translation, echo or signals; the line's own framing and flow
    // control stay as they are unless the text names them.
    state.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC);
    state.c_oflag &= ~OPOST;
    state.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    state.c_cflag |= CLOCAL | CREAD; // a printer cable often carries no modem lines
    state.c_cc[VMIN] = 1;
    state.c_cc[VTIME] = 0;

    if (line->speed &&
        (cfsetispeed(&state, *line->speed) != 0 || cfsetospeed(&state, *line->speed) != 0))
        return false;
    m_otherSpeed = line->otherSpeed.value_or(0);
    if (line->dataBits)
        state.c_cflag = (state.c_cflag & ~CSIZE) | SizeFlag(*line->dataBits);
    if (line->parity) {
        state.c_cflag &= ~(PARENB | PARODD | CMSPAR);
        switch (*line->parity) {
        case 'O':
            state.c_cflag |= PARENB | PARODD;
            break;
        case 'E':
            state.c_cflag |= PARENB;
            break;
        case 'M':
            state.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 'S':
            state.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
        }
    }
    if (line->stopBits) {
        // With 5 data bits the UART's "two" stop bits are one and a half.
        if (*line->stopBits == "1")
            state.c_cflag &= ~CSTOPB;
        else
            state.c_cflag |= CSTOPB;
    }
    if (line->xon) {
        if (*line->xon)
            state.c_iflag |= IXON | IXOFF;
        else
            state.c_iflag &= ~(IXON | IXOFF | IXANY);
    }
    if (line->octs) {
        if (*line->octs)
            state.c_cflag |= CRTSCTS;
        else
            state.c_cflag &= ~CRTSCTS;
    }
    if (line->odsr)
        m_dsrFlow = *line->odsr;
    *m_state = state;
    return true;
}

bool TSerialLine::ApplyState()
{
    // tcsetattr succeeds when any part of the change took, so the speed, the
    // part a device most often refuses, is read back.
    termios applied{};
    if (tcsetattr(m_fd, TCSANOW, m_state.get()) != 0 || tcgetattr(m_fd, &applied) != 0) {
        m_error = errno;
        return false;
    }
    if (m_otherSpeed != 0)
        return SetLineSpeed(m_fd, m_otherSpeed) && LineSpeed(m_fd) == m_otherSpeed;
    return cfgetospeed(&applied) == cfgetospeed(m_state.get());
}

void TSerialLine::UseModemLines(std::unique_ptr<TModemLines> lines)
{
    m_modem = std::move(lines);
}

bool TSerialLine::RaiseDtr()
{
    return m_modem->RaiseDtr() && m_modem->Dsr().has_value();
}

TSerialLine::TWriteResult TSerialLine::Write(std::string_view data, std::chrono::milliseconds bound,
                                             const TStopAsked& stopAsked)
{
    TNoProgressClock clock(bound, stopAsked);
    return m_dsrFlow ? WritePaced(data, clock) : WriteAll(data, clock);
}

TSerialLine::TWriteResult TSerialLine::WriteAll(std::string_view data, TNoProgressClock& clock)
{
    const TBoundedWrite outcome = WriteBounded(m_fd, data, clock);
    if (outcome.result == TWriteResult::Failed)
        m_error = outcome.error;
    return outcome.result;
}

TSerialLine::TWriteResult TSerialLine::WritePaced(std::string_view data, TNoProgressClock& clock)
{
    while (!data.empty()) {
        // Waiting for the printer to be ready is no progress.
        for (;;) {
            const std::optional<bool> ready = m_modem->Dsr();
            if (!ready) {
                m_error = errno != 0 ? errno : ENOTTY;
                return TWriteResult::Failed;
            }
            if (*ready)
                break;
            if (clock.Left() == 0)
                return clock.Stopped() ? TWriteResult::Stopped : TWriteResult::TimedOut;
            std::this_thread::sleep_for(PollStep);
        }
        const std::string_view piece = data.substr(0, DsrPieceSize);
        if (const TWriteResult result = WriteAll(piece, clock); result != TWriteResult::Written)
            return result;
        if (!WaitEmpty(clock))
            return clock.Stopped() ? TWriteResult::Stopped : TWriteResult::TimedOut;
        data.remove_prefix(piece.size());
    }
    return TWriteResult::Written;
}

bool TSerialLine::WaitEmpty(TNoProgressClock& clock)
{
    int last = -1;
    for (;;) {
        // A device that cannot tell its queue has nothing to wait for.
        int queued = 0;
        if (ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return true;
        if (last >= 0 && queued < last)
            clock.Progress();
        last = queued;
        if (clock.Left() == 0)
            return false;
        std::this_thread::sleep_for(PollStep);
    }
}

bool TSerialLine::Drain(std::chrono::milliseconds bound, const TStopAsked& stopAsked)
{
    TNoProgressClock clock(bound, stopAsked);
    if (WaitEmpty(clock))
        return true;
    Discard();
    return false;
}

void TSerialLine::Discard()
{
    (void)tcflush(m_fd, TCOFLUSH);
}

std::string TSerialLine::LastError() const
{
    return std::strerror(m_error);
}

} // namespace zev
