#include "app/Settings.h"

#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zev;
using zev::test::TProgramDirFixture;

namespace {

// Restores the working directory a test moved away from.
class TWorkingDirectory
{
public:
    explicit TWorkingDirectory(const QString& path) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~TWorkingDirectory() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

TEST(Settings, TheFilesStayBesideTheProgramWhateverTheWorkingDirectory)
{
    TProgramDirFixture home;
    QTemporaryDir elsewhere;
    const TWorkingDirectory shortcut(elsewhere.path());

    EXPECT_EQ(SettingsPath(), QDir(home.Path()).filePath("zev.ini"));
    EXPECT_EQ(DatabaseConnectionString(), QDir(home.Path()).filePath("zev.mdb"));

    TIniFile(SettingsPath()).WriteString(settings::Geral, settings::PathModelos, "/srv/modelos");
    CreateDatabase();
    EXPECT_TRUE(QDir(home.Path()).exists("zev.ini"));
    EXPECT_TRUE(QDir(home.Path()).exists("zev.mdb"));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

} // namespace
