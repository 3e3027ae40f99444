#include "output/Paralleld.h"
#include "tests/output/OutputTestSupport.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zev;
using namespace zev::test;

namespace {

using ParallelPortTest = OutputTest;

TEST_F(ParallelPortTest, TheDriverTakesTheLptPortsOnly)
{
    Device("lp0");
    const QString printer = Device("zebra");
    SetIni("[Portas]\r\nLPT2:=" + printer.toStdString() + "\r\nlpt3:=" + printer.toStdString() +
           "\r\nCOM1:=" + printer.toStdString() + "\r\n");
    TParallelDriver driver(op, Ini(), Root());
    EXPECT_EQ(Names(driver.GetPorts()), (std::vector<std::string>{"LPT1:", "LPT2:"}));

    driver.GetPorts()[0]->Configure(Ini());
    EXPECT_EQ(op.Messages(), Notice("Não existe configuração para esta porta!!"));
}

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

// A regular file stands in for the device; a pipe, as a printer is, gets
// its bytes in the slow-device test below.
TEST_F(ParallelPortTest, EveryBlockOpensWritesAndClosesTheDevice)
{
    const std::vector<std::string> blocks = {"^XA^PW800^XZ\r\n", std::string("A\0\x1b\r\nB", 6),
                                             "^XA^FDLeite\r\n^XZ", "\x02L\r\nE\r\n"};
    const QString device = Device("lp0");
    TParallelPort port(op, "LPT1:", device);
    const TOpenCounter counter(device);
    EXPECT_TRUE(port.StartData(Ini()));
    for (const std::string& block : blocks)
        EXPECT_TRUE(port.SendData(block));
    EXPECT_TRUE(port.EndData());
    EXPECT_EQ(counter.Count(), std::make_pair(4, 4));
    EXPECT_EQ(ReadFileBytes(device), blocks[0] + blocks[1] + blocks[2] + blocks[3]);
    EXPECT_TRUE(op.Messages().empty());
}

// A printer that is missing or takes nothing (offline, out of paper) must
// not hang the program: a pipe nobody opened fails at once, one nobody reads
// at the bound.
TEST_F(ParallelPortTest, ADeviceThatTakesNothingGivesUp)
{
    using namespace std::chrono_literals;
    const QString device = Device("lp0");
    QFile::remove(device);
    TParallelPort port(op, "LPT1:", device, 300ms);
    EXPECT_TRUE(port.StartData(Ini())); // nothing is opened yet
    const auto [missing, text] = IoErrorOf([&] { port.SendData("^XA"); });
    EXPECT_EQ(missing, ENOENT);
    EXPECT_TRUE(Contains(text, "LPT1:")) << text;
    EXPECT_FALSE(QFile::exists(device)); // not created either

    ASSERT_EQ(mkfifo(QFile::encodeName(device).constData(), 0600), 0);
    for (const bool withReader : {false, true}) {
        SCOPED_TRACE(withReader ? "never read" : "no reader");
        const int reader =
            withReader ? open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK) : -1;
        const auto [code, text] = IoErrorOf([&] { port.SendData(std::string(1 << 20, 'Z')); });
        EXPECT_EQ(code, withReader ? ETIMEDOUT : ENXIO);
        EXPECT_TRUE(Contains(text, "LPT1:")) << text;
        if (reader >= 0)
            close(reader);
    }
    EXPECT_TRUE(op.Messages().empty());
}

// A slow printer takes a block far longer than the bound: it is waited for
// while it takes bytes, and given up once it stops.
TEST_F(ParallelPortTest, ASlowDeviceIsWaitedForWhileItTakesData)
{
    using namespace std::chrono_literals;
    const QString device = Device("lp0");
    QFile::remove(device);
    ASSERT_EQ(mkfifo(QFile::encodeName(device).constData(), 0600), 0);
    const std::string block = EveryByte(256 * 1024);
    for (const bool stops : {false, true}) {
        SCOPED_TRACE(stops ? "stops taking data" : "slow but steady");
        const int fd = open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        TParallelPort port(op, "LPT1:", device, 300ms);
        TSlowReader printer(fd, 4096, 15ms, stops ? 100 * 1024 : SIZE_MAX);
        const auto start = std::chrono::steady_clock::now();
        const auto [code, text] = IoErrorOf([&] { port.SendData(block); });
        EXPECT_EQ(code, stops ? ETIMEDOUT : 0) << text;
        if (!stops) {
            EXPECT_GT(std::chrono::steady_clock::now() - start, 300ms) << "outlasts the bound";
            EXPECT_EQ(printer.Stop(), block);
        }
        printer.Stop();
        close(fd);
    }
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
