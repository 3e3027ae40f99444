#include "tests/output/OutputTestSupport.h"

#include <cerrno>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/wait.h>

using namespace zev;
using namespace zev::test;

namespace {

using ParallelPortTest = OutputTest;

// Opens and closes of a file seen by inotify.
struct TOpenCounter
{
    explicit TOpenCounter(const QString& path)
    {
        fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(fd, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE_WRITE);
    }
    ~TOpenCounter() { close(fd); }
    std::pair<int, int> Count() const
    {
        int opens = 0, closes = 0;
        alignas(inotify_event) char buffer[4096];
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0)
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                opens += (event->mask & IN_OPEN) != 0;
                closes += (event->mask & IN_CLOSE_WRITE) != 0;
                at += sizeof(inotify_event) + event->len;
            }
        return {opens, closes};
    }
    int fd;
};

// Between two blocks of a job the device is free.
TEST_F(ParallelPortTest, EveryBlockOpensWritesAndClosesTheDevice)
{
    const QString device = Device("lp0");
    TParallelPort port(op, "LPT1:", device);
    const TOpenCounter counter(device);
    EXPECT_TRUE(port.StartData(Ini()));
    for (const char* block : {"^XA", "^FDLeite", "^XZ"})
        EXPECT_TRUE(port.SendData(block));
    EXPECT_TRUE(port.EndData());
    EXPECT_EQ(counter.Count(), std::make_pair(3, 3));
}

// A printer that is missing must not hang the program, nor be created: a
// device nobody opened fails at once.
TEST_F(ParallelPortTest, AMissingDeviceFailsAtOnce)
{
    const QString device = Device("lp0");
    QFile::remove(device);
    TParallelPort port(op, "LPT1:", device);
    for (const int code : {ENOENT, ENXIO}) {
        SCOPED_TRACE(code);
        if (code == ENXIO) {
            ASSERT_EQ(mkfifo(QFile::encodeName(device).constData(), 0600), 0);
        }
        const auto [raised, text] = IoErrorOf([&] { port.SendData("^XA"); });
        EXPECT_EQ(raised, code);
        EXPECT_TRUE(Contains(text, "LPT1:")) << text;
        EXPECT_EQ(QFileInfo(device).exists(), code == ENXIO);
    }
    EXPECT_TRUE(op.Messages().empty());
}

// As a store's user without the printer group sees it (run as nobody).
TEST_F(ParallelPortTest, APermissionErrorSaysWhatToDo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a user outside the printer group";
    const QString device = Device("usb/lp0");
    const QByteArray path = QFile::encodeName(device);
    for (const QString& folder : {Root(), Root() + "/dev", Root() + "/dev/usb"})
        ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_EQ(chmod(path.constData(), 0660), 0);
    ASSERT_EQ(chown(path.constData(), 0, 7), 0); // group lp

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string report = "no error";
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) {
            TParallelPort port(op, "LPT2:", device);
            const auto [code, text] = IoErrorOf([&] { port.SendData("^XA"); });
            report = std::to_string(code) + " " + text;
        }
        (void)!write(pipeEnds[1], report.data(), report.size());
        _exit(0);
    }
    close(pipeEnds[1]);
    char buffer[1024];
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    const std::string report(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    EXPECT_EQ(report.substr(0, 3), std::to_string(EACCES) + " ") << report;
    EXPECT_NE(report.find("ao grupo lp (sudo adduser"), std::string::npos) << report;
}

} // namespace
