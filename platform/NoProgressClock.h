#pragma once

// The bound of a wait on a printer: it starts again whenever the printer
// takes a byte, so a slow printer is waited for as long as it keeps taking
// data and one that stopped is given up after the bound.
//
// A wait may also be given up because the person asked the work to stop
// (Ctrl+C, "Cancelar"): then the clock runs out at once, and the waits are
// cut into short slices so that the request is seen within one of them.

#include <algorithm>
#include <chrono>
#include <functional>

namespace zev {

// True once the person asked the running work to stop. Cheap; it may
// process the windows' events.
using TStopAsked = std::function<bool()>;

class TNoProgressClock
{
public:
    explicit TNoProgressClock(std::chrono::milliseconds bound, TStopAsked stopAsked = {})
        : m_bound(bound), m_deadline(Clock::now() + bound), m_stopAsked(std::move(stopAsked))
    {}
    void Progress() { m_deadline = Clock::now() + m_bound; }
    // Milliseconds to wait before looking again, 0 once expired or stopped.
    int Left() const
    {
        if (Stopped())
            return 0;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
        if (m_stopAsked)
            left = std::min(left, StopSlice);
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }
    // Whether the wait ends because the person asked to stop.
    bool Stopped() const { return m_stopAsked && m_stopAsked(); }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds StopSlice{50};

    std::chrono::milliseconds m_bound;
    Clock::time_point m_deadline;
    TStopAsked m_stopAsked;
};

} // namespace zev
