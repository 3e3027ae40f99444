#include "app/Settings.h"

#include "catalogue/Database.h"
#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace zev;
using zev::test::TProgramDirFixture;
using zev::test::WriteFileBytes;

namespace {

TEST(Settings, TheFilesStayBesideTheProgramWhateverTheWorkingDirectory)
{
    TProgramDirFixture home;
    QTemporaryDir elsewhere;
    const QString started = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    const auto back = qScopeGuard([&] { QDir::setCurrent(started); });

    EXPECT_EQ(SettingsPath(), QDir(home.Path()).filePath("zev.ini"));
    EXPECT_EQ(DatabaseConnectionString(), QDir(home.Path()).filePath("zev.mdb"));

    TIniFile(SettingsPath()).WriteString(settings::Geral, settings::PathModelos.key, "/srv/m");
    CreateDatabase();
    EXPECT_TRUE(QDir(home.Path()).exists("zev.ini") && QDir(home.Path()).exists("zev.mdb"));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());

    // A missing folder is the working directory's.
    WriteFileBytes(SettingsPath(), "[Geral]\r\nPath Cadastro=\r\n");
    const TIniFile ini(SettingsPath());
    EXPECT_EQ(ReadSetting(ini, settings::PathModelos), QDir::currentPath() + "/modelos");
    EXPECT_EQ(ReadSetting(ini, settings::PathCadastro), QDir::currentPath());
    EXPECT_EQ(ReadSetting(ini, ForPort(settings::Baud, "COM1:")), 9600);
    EXPECT_EQ(ReadSettingText(ini, settings::SelecaoData), std::nullopt);
}

TEST(Settings, TheReadersOfTwoKeysKeepTheirOwnMeaningOfMissing)
{
    TProgramDirFixture home;
    // shown: the settings dialog's "Min Balanca".
    const struct { const char* geral; int level; std::int64_t min; const char* shown; } cases[] = {
        {"", -1, 0, "999999"}, {"Agrupado=1", -1, 0, "999999"},
        {"Agrupado=1\r\nAgrupado Por=2\r\nMin Balanca=1000", 2, 1000, "1000"},
        {"Agrupado=0\r\nAgrupado Por=2\r\nMin Balanca=abc", -1, 0, "abc"},
        {"Agrupado=x\r\nAgrupado Por=3", -1, 0, "999999"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.geral);
        WriteFileBytes(SettingsPath(), std::string("[Geral]\r\n") + c.geral + "\r\n");
        const TIniFile ini(SettingsPath());
        EXPECT_EQ(GroupingLevel(ini), c.level);
        EXPECT_EQ(MinBalancaLimit(ini), c.min);
        EXPECT_EQ(ReadGeneralSettings(SettingsPath()).minBalanca, c.shown);
    }
}

TEST(Settings, TheDialogsSettingsSaveWhatTheyReadBackAndDropTheKeysTheyDoNotNeed)
{
    TProgramDirFixture home;
    const TGeneralSettings grouped{"gondola-zpl", true, 2, "1234", true, true};
    const TGeneralSettings plain{"", false, 0, "999999", false, false};
    for (const TGeneralSettings& geral : {grouped, plain}) {
        SCOPED_TRACE(geral.defaultLabel);
        WriteFileBytes(SettingsPath(), "[Geral]\r\nAgrupado Por=1\r\nLabel Default=outra\r\n");
        SaveGeneralSettings(SettingsPath(), geral);
        EXPECT_EQ(ReadGeneralSettings(SettingsPath()), geral);
        const TIniFile ini(SettingsPath());
        EXPECT_EQ(ini.ValueExists(settings::Geral, settings::AgrupadoPor.key), geral.agrupado);
        EXPECT_EQ(ini.ValueExists(settings::Geral, settings::LabelDefault.key),
                  !geral.defaultLabel.empty());
    }
}

} // namespace
