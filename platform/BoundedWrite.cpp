#include "platform/BoundedWrite.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace zev {

namespace {

// Long waits are cut so that a device that says nothing is asked again.
constexpr int LongestPoll = 1000;
// A device whose driver always says "ready" is not asked in a busy loop.
constexpr std::chrono::milliseconds ReadyButFullPause{20};

} // namespace

TBoundedWrite WriteBounded(int fd, std::string_view data, TNoProgressClock& clock,
                           TPutBytes put)
{
    TBoundedWrite outcome;
    bool saidReady = false;
    while (outcome.taken < data.size()) {
        const char* rest = data.data() + outcome.taken;
        const std::size_t size = data.size() - outcome.taken;
        const ssize_t written = put != nullptr ? put(fd, rest, size) : write(fd, rest, size);
        if (written > 0) {
            outcome.taken += static_cast<std::size_t>(written);
            saidReady = false;
            clock.Progress();
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            outcome.result = TWriteResult::Failed;
            outcome.error = errno;
            return outcome;
        }
        const int left = clock.Left();
        if (left == 0) {
            outcome.result = clock.Stopped() ? TWriteResult::Stopped : TWriteResult::TimedOut;
            return outcome;
        }
        if (saidReady)
            std::this_thread::sleep_for(
                std::min(std::chrono::milliseconds(left), ReadyButFullPause));
        pollfd ready{fd, POLLOUT, 0};
        const int polled = poll(&ready, 1, std::min(left, LongestPoll));
        if (polled < 0 && errno != EINTR) {
            outcome.result = TWriteResult::Failed;
            outcome.error = errno;
            return outcome;
        }
        saidReady = polled > 0;
    }
    return outcome;
}

} // namespace zev
