#pragma once

// Printer bytes written to a file or a device exactly as given: no buffer of
// our own (each Write reaches the system before it returns), no character
// translated, no line ending added. Every failure is kept with the system's
// error text and number, naming the file or device.
//
// A device that does not take the data (a printer offline or out of paper, a
// pipe nobody reads) makes Write give up once it has taken nothing for as
// long as the bound, instead of hanging the program; a slow one is waited for.

#include "platform/BoundedWrite.h"
#include "platform/DeviceResult.h"
#include "platform/NoProgressClock.h"

#include <QString>

#include <chrono>
#include <string>
#include <string_view>

namespace zev {

// What the operator is told of a port whose device has not taken a block
// within the bound.
std::string NotTakenText(std::string_view port, std::chrono::milliseconds bound);

class TOutputFile final
{
public:
    enum class Mode
    {
        // Created, or emptied when it exists: a job's output file.
        Replace,
        // Must exist; written at its end and never created, so a missing
        // device is an error rather than a new file in /dev.
        Device,
    };

    static constexpr std::chrono::milliseconds DefaultDeviceBound{10000};

    // `what` names the destination in messages ("LPT1:", "FILE:").
    // `bound`: how long Write waits for a device that takes nothing.
    static TOpened<TOutputFile> Open(const QString& path, Mode mode, std::string what,
                                     std::chrono::milliseconds bound = DefaultDeviceBound);
    ~TOutputFile(); // closes without a word when Close was not called
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Stopped when the person asked to stop before the device took it all;
    // TimedOut or Failed: see Failure().
    TWriteResult Write(std::string_view data, const TStopAsked& stopAsked = {});
    // False when the close fails (data the system could not deliver).
    bool Close();

    const TDeviceFailure& Failure() const { return m_failure; }
    std::string LastError() const { return m_failure.reason; }

private:
    TOutputFile(const QString& path, Mode mode, std::string what, std::chrono::milliseconds bound)
        : m_path(path), m_mode(mode), m_what(std::move(what)), m_bound(bound)
    {}
    TDeviceFailure FailureOf(int code) const;
    TDeviceFailure NotTaken() const;

    QString m_path;
    Mode m_mode;
    std::string m_what;
    std::chrono::milliseconds m_bound;
    int m_fd = -1;
    TDeviceFailure m_failure;
};

} // namespace zev
