#pragma once

// Printer bytes written to a file or a device exactly as given: no buffer of
// our own (each Write reaches the system before it returns), no character
// translated, no line ending added. Every failure raises EInOutError with the
// system's error text and number.
//
// A device that does not take the data (a printer offline or out of paper, a
// pipe nobody reads) makes Write give up once it has taken nothing for as
// long as the bound, instead of hanging the program; a slow one is waited for.

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
    TOutputFile(const QString& path, Mode mode, std::string what,
                std::chrono::milliseconds bound = DefaultDeviceBound);
    ~TOutputFile(); // closes without a word when Close was not called
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // False when the person asked to stop before the device took it all.
    bool Write(std::string_view data, const TStopAsked& stopAsked = {});
    // A close that fails (data the system could not deliver) raises too.
    void Close();

private:
    [[noreturn]] void Fail(int code) const;
    [[noreturn]] void FailNotTaken() const;

    QString m_path;
    Mode m_mode;
    std::string m_what;
    std::chrono::milliseconds m_bound;
    int m_fd = -1;
};

} // namespace zev
