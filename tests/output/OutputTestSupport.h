#pragma once

// What the output tests share: a program directory with its zev.ini, the
// scripted operator, and a system root of their own ("dev", "sys") where
// device nodes are plain files, so no test ever touches the machine's
// devices.

#include "app/Settings.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zev::test {

class OutputTest : public testing::Test
{
protected:
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
    // A UART as the kernel shows it in sysfs: type 0 is no UART.
    void UartType(const QString& name, int type) const
    {
        const QString folder = root.path() + QStringLiteral("/sys/class/tty/") + name;
        QDir().mkpath(folder);
        WriteFileBytes(folder + QStringLiteral("/type"), std::to_string(type) + "\n");
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

// A printer that takes data slowly but steadily, `chunk` bytes every
// `pause`, from the reading end `fd`; once it has taken `limit` bytes it
// takes nothing more, as a printer that stopped.
class TSlowReader
{
public:
    TSlowReader(int fd, std::size_t chunk, std::chrono::milliseconds pause,
                std::size_t limit = SIZE_MAX)
        : m_thread([=, this] { Run(fd, chunk, pause, limit); })
    {}
    ~TSlowReader() { Stop(); }
    TSlowReader(const TSlowReader&) = delete;
    TSlowReader& operator=(const TSlowReader&) = delete;

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

inline std::vector<TOperatorMessage> Error(const char* text)
{
    return {{"error", QString::fromUtf8(text)}};
}

inline std::vector<TOperatorMessage> Notice(const char* text)
{
    return {{"notice", QString::fromUtf8(text)}};
}

} // namespace zev::test
