#pragma once

// The bound of a wait on a printer: it starts again whenever the printer
// takes a byte, so a slow printer is waited for as long as it keeps taking
// data and one that stopped is given up after the bound.

#include <algorithm>
#include <chrono>

namespace zev {

class TNoProgressClock
{
public:
    explicit TNoProgressClock(std::chrono::milliseconds bound)
        : m_bound(bound), m_deadline(Clock::now() + bound)
    {}
    void Progress() { m_deadline = Clock::now() + m_bound; }
    // Milliseconds left, 0 once expired.
    int Left() const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::milliseconds m_bound;
    Clock::time_point m_deadline;
};

} // namespace zev
