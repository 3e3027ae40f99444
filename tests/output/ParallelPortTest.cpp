#include "tests/output/OutputTestSupport.h"

#include <cerrno>
#include <cstdio>
#include <grp.h>

using namespace zev;
using namespace zev::test;

namespace {

using ParallelPortTest = OutputTest;

// Between two blocks of a job the device is free: each block opens it anew.
TEST_F(ParallelPortTest, EveryBlockOpensWritesAndClosesTheDevice)
{
    const QString device = Device("lp0");
    TParallelPort port(op, "LPT1:", device);
    EXPECT_TRUE(port.StartData(Ini()));
    EXPECT_TRUE(port.SendData("^XA"));
    ASSERT_TRUE(QFile::remove(device));
    WriteFileBytes(device, "");
    EXPECT_TRUE(port.SendData("^XZ"));
    EXPECT_TRUE(port.EndData());
    EXPECT_EQ(ReadFileBytes(device), "^XZ");
}

// A missing printer is not created, and one nobody opened fails without hanging.
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

    EXPECT_EXIT(
        {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                _exit(1);
            TParallelPort port(op, "LPT2:", device);
            const auto failure = IoErrorOf([&] { port.SendData("^XA"); });
            std::fprintf(stderr, "%d %s", failure.first, failure.second.c_str());
            _exit(0);
        },
        testing::ExitedWithCode(0), std::to_string(EACCES) + " .*ao grupo lp \\(sudo adduser");
}

} // namespace
