#pragma once

// A port between a StartData that returned true and its EndData. Whatever
// way the job leaves (its normal end, a refusal, an error), the port is
// ended exactly once: a serial line or spooler document left started would
// refuse the next job.

#include "output/PrinterDriver.h"

namespace zev {

class TStartedPort
{
public:
    // Only after StartData returned true.
    explicit TStartedPort(TPrinterPort& port) : m_port(port) {}
    ~TStartedPort()
    {
        if (m_started) {
            try {
                m_port.EndData();
            } catch (...) {
                // The error on its way out is the one to report.
            }
        }
    }
    TStartedPort(const TStartedPort&) = delete;
    TStartedPort& operator=(const TStartedPort&) = delete;

    TPrinterPort& Port() const { return m_port; }

    // The normal end: EndData's answer; what it throws goes to the caller.
    bool End()
    {
        m_started = false;
        return m_port.EndData();
    }

private:
    TPrinterPort& m_port;
    bool m_started = true;
};

} // namespace zev
