#include "platform/BoundedWrite.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

using namespace zev;
using namespace std::chrono_literals;

namespace {

// Both ends of a local stream socket: [0] the writer's, non-blocking, [1] the reader's.
struct TSocketPair
{
    TSocketPair()
    {
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    }
    ~TSocketPair()
    {
        for (const int fd : fds)
            if (fd >= 0)
                close(fd);
    }
    TSocketPair(const TSocketPair&) = delete;
    TSocketPair& operator=(const TSocketPair&) = delete;
    int fds[2] = {-1, -1};
};

// More than the socket's buffers hold, so the reader's pace matters.
const std::string Job(4 * 1024 * 1024, 'Z');

TEST(BoundedWriteTest, ASlowReaderIsWaitedForAndOneThatStoppedIsGivenUp)
{
    // Written: a slow reader with pauses; TimedOut: one that reads nothing; Failed: one that
    // closed its end; Stopped: the person asks to stop.
    using enum TWriteResult;
    const std::pair<TWriteResult, int> cases[] = {
        {Written, 0}, {TimedOut, 0}, {Failed, EPIPE}, {Stopped, 0}};
    for (const auto& [result, error] : cases) {
        SCOPED_TRACE(static_cast<int>(result));
        TSocketPair pair;
        std::size_t read = 0;
        std::jthread reader;
        if (result == Written)
            reader = std::jthread([&] {
                char buffer[64 * 1024];
                while (read < Job.size()) {
                    const ssize_t got = recv(pair.fds[1], buffer, sizeof buffer, 0);
                    if (got <= 0)
                        break;
                    read += static_cast<std::size_t>(got);
                    std::this_thread::sleep_for(1ms);
                }
            });
        if (result == Failed)
            close(std::exchange(pair.fds[1], -1));
        // The slow reader pauses far less than the bound between pieces.
        TNoProgressClock clock(result == Written ? 5000ms : 200ms,
                               [&] { return result == Stopped; });
        const TBoundedWrite outcome =
            WriteBounded(pair.fds[0], Job, clock, [](int fd, const char* data, std::size_t size) {
                return send(fd, data, size, MSG_NOSIGNAL);
            });
        reader = {};
        EXPECT_EQ(outcome.result, result);
        EXPECT_EQ(outcome.error, error);
        if (result == Written) {
            EXPECT_EQ(outcome.taken, Job.size());
            EXPECT_EQ(read, Job.size());
        } else {
            // What the socket's buffers took before the reader stopped, never all.
            EXPECT_LT(outcome.taken, Job.size());
        }
    }
}

} // namespace
