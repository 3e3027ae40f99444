#pragma once

// A program directory, the scripted operator, a system root whose device nodes are plain
// files; and each kind of port as the typed port tests drive it.

#include "app/Settings.h"
#include "output/Filed.h"
#include "output/Networkd.h"
#include "output/Paralleld.h"
#include "output/Seriald.h"
#include "output/Windowsd.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "tests/support/LoopbackPrinter.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zev::test {

struct OutputTest : testing::Test
{
    QString Ini() const { return SettingsPath(); }
    void SetIni(const std::string& content) const { WriteFileBytes(Ini(), content); }
    std::string IniContent() const { return QFile::exists(Ini()) ? ReadFileBytes(Ini()) : ""; }

    QString Root() const { return root.path(); }
    // A device node under the test's own /dev: "ttyS0", "usb/lp0".
    QString Device(const QString& name) const
    {
        const QString path = root.path() + QStringLiteral("/dev/") + name;
        QDir().mkpath(QFileInfo(path).path());
        WriteFileBytes(path, "");
        return path;
    }

    TProgramDirFixture home;
    QTemporaryDir root;
    TScriptedOperator op;
};

// Every byte value, CR LF and the printers' control bytes among them.
inline std::string EveryByte(std::size_t size = 256)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i);
    return bytes;
}

template <typename Ports> std::vector<std::string> Names(const Ports& ports)
{
    std::vector<std::string> names;
    for (const auto& port : ports)
        names.push_back(port->GetName());
    return names;
}

// The input/output error `action` raises: its code and text, or 0 and "no error".
inline std::pair<int, std::string> IoErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EInOutError& error) {
        return {error.Code(), error.what()};
    }
    return {0, "no error"};
}

// False, or an input/output error raised.
inline bool Fails(const std::function<bool()>& step)
{
    try {
        return !step();
    } catch (const EInOutError&) {
        return true;
    }
}

// One message of `kind` ("error", "notice", "warning", "question").
inline std::vector<TOperatorMessage> Said(const std::string& kind, const std::string& text)
{
    return {{kind, QString::fromStdString(text)}};
}

// A printer taking `chunk` bytes every `pause` from `fd`, and nothing after `limit` bytes.
class TSlowReader
{
public:
    TSlowReader(int fd, std::size_t chunk, std::chrono::milliseconds pause,
                std::size_t limit = SIZE_MAX)
        : m_thread([=, this] { Run(fd, chunk, pause, limit); })
    {}
    ~TSlowReader() { Stop(); }

    // What arrived, once nothing more came for a while.
    const std::string& Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_received;
    }

private:
    void Run(int fd, std::size_t chunk, std::chrono::milliseconds pause, std::size_t limit)
    {
        std::string buffer(chunk, '\0');
        for (;;) {
            const std::size_t wanted = std::min(chunk, limit - m_received.size());
            pollfd ready{fd, POLLIN, 0};
            // Told to stop, it still takes what is on its way.
            if (wanted == 0 || poll(&ready, 1, m_stop ? 300 : 10) <= 0) {
                if (m_stop)
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            const ssize_t got = read(fd, buffer.data(), wanted);
            // A pseudo-terminal's controlling side, between two jobs.
            if (got < 0 && errno == EIO && !m_stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            if (got <= 0)
                return;
            m_received.append(buffer.data(), static_cast<std::size_t>(got));
            if (!m_stop)
                std::this_thread::sleep_for(pause);
        }
    }

    std::string m_received;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// Arrived: what the device got of the last job; Slow: 1 KiB every 15 ms up to `limit`.
struct TKind
{
    static constexpr bool Tracked = true;  // refuses a second start, and sending or ending idle
    static constexpr bool Slowable = true; // its device can be made slow
    static bool Available() { return true; }
    static std::vector<TOperatorMessage> SecondStartSays() { return {}; }

    explicit TKind(OutputTest& test) : test(test) {}
    void Prepare() {}
    void Slow(std::size_t) {}
    void ReadSlowly(int fd, std::size_t limit)
    {
        reader = std::make_unique<TSlowReader>(fd, 1024, std::chrono::milliseconds(15), limit);
    }
    std::string Taken() { return reader->Stop(); }
    // What of a device that keeps every job came with the last one.
    std::string Latest(const std::string& all)
    {
        return all.substr(std::exchange(seen, all.size()));
    }

    OutputTest& test;
    std::unique_ptr<TSlowReader> reader;
    std::size_t seen = 0;
};

// Its bound is the system's own.
struct TFileKind : TKind
{
    static constexpr bool Slowable = false;
    using TKind::TKind;
    std::unique_ptr<TPrinterPort> Port(std::chrono::milliseconds)
    {
        return std::make_unique<TFilePort>(test.op, "FILE:");
    }
    void Prepare() { test.op.QueueFile(path); }
    std::string Arrived() { return ReadFileBytes(path); }

    QString path = test.home.File("etiquetas.prn");
};

// A regular file, a named pipe once slow; the port keeps no job.
struct TParallelKind : TKind
{
    static constexpr bool Tracked = false;
    using TKind::TKind;
    ~TParallelKind()
    {
        reader.reset();
        if (fd >= 0)
            close(fd);
    }
    std::unique_ptr<TPrinterPort> Port(std::chrono::milliseconds bound)
    {
        return std::make_unique<TParallelPort>(test.op, "LPT1:", device, bound);
    }
    std::string Arrived() { return Latest(ReadFileBytes(device)); }
    void Slow(std::size_t limit)
    {
        const QByteArray path = QFile::encodeName(device);
        QFile::remove(device);
        EXPECT_EQ(mkfifo(path.constData(), 0600), 0);
        fd = open(path.constData(), O_RDONLY | O_NONBLOCK);
        ReadSlowly(fd, limit);
    }

    QString device = test.Device("lp0");
    int fd = -1;
};

// A pseudo-terminal stands in for the line.
struct TSerialKind : TKind
{
    using TKind::TKind;
    ~TSerialKind() { reader.reset(); }
    std::unique_ptr<TPrinterPort> Port(std::chrono::milliseconds bound)
    {
        return std::make_unique<TSerialPort>(test.op, "COM9:", line.Device(), bound);
    }
    // What a job given up left on the line is no part of the next one.
    void Prepare()
    {
        line.Read(SIZE_MAX, std::chrono::milliseconds(0));
        reader = std::make_unique<TSlowReader>(line.ControllingSide(), 65536,
                                               std::chrono::milliseconds(0));
    }
    std::string Arrived() { return Taken(); }
    void Slow(std::size_t limit) { ReadSlowly(line.ControllingSide(), limit); }

    TPseudoTerminal line;
};

// Raw TCP over IPv6 to a printer on the loopback that takes little at a time.
struct TNetworkKind : TKind
{
    using TKind::TKind;
    ~TNetworkKind() { reader.reset(); }
    std::unique_ptr<TPrinterPort> Port(std::chrono::milliseconds bound)
    {
        test.SetIni("[Rede]\r\nIMP:=[::1]:" + std::to_string(printer.Port()) + "\r\n");
        return std::make_unique<TNetworkPort>(
            test.op, "IMP:", ResolveTcpAddress,
            TNetworkBounds{std::chrono::seconds(5), bound, std::chrono::milliseconds(200)});
    }
    void Prepare() { job = printer.ReadJob(); }
    std::string Arrived() { return job.get(); }
    void Slow(std::size_t limit) { ReadSlowly(printer.Accept(), limit); }

    TLoopbackPrinter printer{AF_INET6, 4096};
    std::future<std::string> job;
};

// A queue of a CUPS daemon of the test's own; each job one spooler job.
struct TSpoolerKind : TKind
{
    static constexpr bool Slowable = false;
    static bool Available() { return TPrivateCups::IsInstalled(); }
    static std::vector<TOperatorMessage> SecondStartSays()
    {
        return Said("error", "Impressão já iniciada");
    }
    explicit TSpoolerKind(OutputTest& test) : TKind(test) { cups.AddQueue("Zebra"); }
    std::unique_ptr<TPrinterPort> Port(std::chrono::milliseconds)
    {
        return std::make_unique<TWindowsPort>(test.op, "Zebra");
    }
    std::string Arrived()
    {
        EXPECT_EQ(cups.WaitForJobs("Zebra"), std::vector<TSpooledJob>(++jobs, {"ZEV Job", true}));
        return Latest(cups.OutputOf("Zebra"));
    }

    TPrivateCups cups;
    std::size_t jobs = 0;
};

} // namespace zev::test
