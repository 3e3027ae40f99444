#include "platform/ProgramDir.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

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

void SetSetgid(const TProgramDirFixture& folder, bool setgid)
{
    ASSERT_EQ(chmod(QFile::encodeName(folder.Path()).constData(), setgid ? 02775 : 0755), 0);
}

TEST(ProgramDirTest, ASharedFolderKeepsNewFilesWritableByItsGroup)
{
    const group* own = getgrgid(getegid());
    ASSERT_NE(own, nullptr);
    // Setgid, umask, the mode of a file made with 0666, and the sharing group.
    const std::tuple<bool, mode_t, mode_t, const char*> cases[] = {
        {false, 022, 0644, ""}, {true, 022, 0664, own->gr_name}, {true, 077, 0660, own->gr_name}};
    for (const auto& [setgid, mask, expected, sharing] : cases) {
        const TProgramDirFixture folder;
        SetSetgid(folder, setgid);
        const TUmaskScope scope(mask);
        EXPECT_EQ(SharingGroup().toStdString(), sharing);
        ShareNewFilesWithGroup();
        const QString made = folder.File("zev.ini");
        WriteFileBytes(made, "[Geral]\r\n");
        EXPECT_EQ(ModeOf(made) & 0777, expected)
            << "setgid " << setgid << ", umask 0" << std::oct << mask;
    }
}

TEST(ProgramDirTest, AFileMadeWithItsOwnPermissionsJoinsASharedFolder)
{
    // Setgid, the file's mode before and after; one nobody may write stays so.
    const std::tuple<bool, mode_t, mode_t> cases[] = {
        {false, 0644, 0644}, {true, 0644, 0664}, {true, 0600, 0660}, {true, 0444, 0444}};
    for (const auto& [setgid, before, after] : cases) {
        const TProgramDirFixture folder;
        SetSetgid(folder, setgid);
        const QString file = folder.File("zev.mdb");
        WriteFileBytes(file, "SQLite format 3");
        ASSERT_EQ(chmod(QFile::encodeName(file).constData(), before), 0);
        ShareFileWithGroup(file);
        EXPECT_EQ(ModeOf(file) & 0777, after) << "setgid " << setgid << ", 0" << std::oct << before;
    }
}

} // namespace
