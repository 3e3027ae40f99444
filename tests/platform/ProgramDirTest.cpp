#include "platform/ProgramDir.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zev;
using namespace zev::test;

namespace {

// The umask is the process's: each case puts it back.
class TUmaskScope
{
public:
    explicit TUmaskScope(mode_t mask) : m_previous(umask(mask)) {}
    ~TUmaskScope() { umask(m_previous); }
    TUmaskScope(const TUmaskScope&) = delete;
    TUmaskScope& operator=(const TUmaskScope&) = delete;

private:
    mode_t m_previous;
};

mode_t ModeOf(const QString& path)
{
    struct stat status
    {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
    return status.st_mode & 07777;
}

TEST(ProgramDirTest, ASharedFolderKeepsNewFilesWritableByItsGroup)
{
    const group* own = getgrgid(getegid());
    ASSERT_NE(own, nullptr);
    const struct
    {
        bool setgid;
        mode_t umask;
        mode_t expected; // of a file made with 0666
        const char* group;
    } cases[] = {
        {false, 022, 0644, ""},
        {true, 022, 0664, own->gr_name},
        {true, 077, 0660, own->gr_name},
        {true, 002, 0664, own->gr_name},
    };
    for (const auto& c : cases) {
        const TProgramDirFixture folder;
        ASSERT_EQ(chmod(QFile::encodeName(folder.Path()).constData(), c.setgid ? 02775 : 0755), 0);
        const TUmaskScope scope(c.umask);
        EXPECT_EQ(SharingGroup().toStdString(), c.group);
        ShareNewFilesWithGroup();
        const QString made = folder.File("zev.ini");
        WriteFileBytes(made, "[Geral]\r\n");
        EXPECT_EQ(ModeOf(made) & 0777, c.expected)
            << "setgid " << c.setgid << ", umask 0" << std::oct << c.umask;
    }
}

TEST(ProgramDirTest, AFileMadeWithItsOwnPermissionsJoinsASharedFolder)
{
    const struct
    {
        bool setgid;
        mode_t before;
        mode_t after;
    } cases[] = {
        {false, 0644, 0644},
        {true, 0644, 0664},
        {true, 0600, 0660},
        {true, 0444, 0444}, // one nobody may write stays so
    };
    for (const auto& c : cases) {
        const TProgramDirFixture folder;
        ASSERT_EQ(chmod(QFile::encodeName(folder.Path()).constData(), c.setgid ? 02775 : 0755), 0);
        const QString file = folder.File("zev.mdb");
        WriteFileBytes(file, "SQLite format 3");
        ASSERT_EQ(chmod(QFile::encodeName(file).constData(), c.before), 0);
        ShareFileWithGroup(file);
        EXPECT_EQ(ModeOf(file) & 0777, c.after)
            << "setgid " << c.setgid << ", 0" << std::oct << c.before;
    }
    ShareFileWithGroup(QStringLiteral("/nonexistent/zev.mdb")); // nothing to share, no failure
}

} // namespace
