#include "app/Program.h"

#include "app/MainFrm.h"
#include "output/ConfigFrm.h"
#include "output/SelectLabelFrm.h"
#include "output/SerialConfigFrm.h"
#include "output/SobreFrm.h"
#include "platform/ProgramDir.h"
#include "printing/ContadorFrm.h"
#include "printing/DateDlg.h"
#include "printing/ProconForm.h"
#include "printing/SequenciaFrm.h"
#include "printing/TipoFrm.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

using namespace zev;
using namespace zev::test;

namespace {

// A working folder of its own: the default templates folder is "modelos" under it.
class ProgramTest : public testing::Test
{
protected:
    ProgramTest() : m_previousCurrent(QDir::currentPath()) { QDir::setCurrent(m_working.path()); }
    ~ProgramTest() override { QDir::setCurrent(m_previousCurrent); }

    TProgramDirFixture programDir;
    QTemporaryDir m_working;
    QTemporaryDir m_deviceRoot;
    QString m_previousCurrent;
};

TEST_F(ProgramTest, AFirstStartWithNoSettingsFileThenRunShowsTheMainWindowMaximised)
{
    TProgram program(m_deviceRoot.path());
    ASSERT_TRUE(program.Start());

    const TWindows& windows = program.Windows();
    QWidget* main = windows.MainForm;
    for (const QWidget* dialog : std::initializer_list<const QWidget*>{
             windows.ConfigForm, windows.DateDialog, windows.SelectLabelForm, windows.ContadorForm,
             windows.SobreForm, windows.TipoForm, windows.SerialConfigForm, windows.ProconFrm,
             windows.SequenciaForm}) {
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), main);
    }
    EXPECT_TRUE(QFile::exists(ProgramFilePath(QStringLiteral("zev.mdb"))));
    EXPECT_FALSE(QFile::exists(ProgramFilePath(QStringLiteral("zev.ini")))); // nothing is saved

    // Run shows the main window maximised until it closes.
    bool wasMaximized = false;
    QTimer::singleShot(0, [&] {
        wasMaximized = main->isMaximized();
        main->close();
    });
    EXPECT_EQ(program.Run(), 0);
    EXPECT_TRUE(wasMaximized);
}

// A failed step ends the start with its error shown; the label registry is the last.
TEST_F(ProgramTest, TheStepsRunInOrderAndAFailedStepEndsTheStart)
{
    QDir(m_working.path()).mkpath(QStringLiteral("modelos"));
    WriteFileBytes(m_working.filePath(QStringLiteral("modelos/semnome.lbl")),
                   "[geral]\r\ndescription=Sem nome\r\n[normal]\r\n1=X\r\n");
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"unwritable", "Não é possível gravar na pasta do programa: /proc/self", false},
        {"garbage", "zev.mdb", false},
        {"label", "Key cannot be an empty string", true},
    };
    for (const auto& [step, told, portsBuilt] : cases) {
        SCOPED_TRACE(step);
        const TProgramDirFixture freshDir;
        if (std::string_view(step) == "garbage")
            WriteFileBytes(ProgramFilePath(QStringLiteral("zev.mdb")), "não é um banco de dados");
        if (std::string_view(step) == "unwritable")
            SetProgramDir(QStringLiteral("/proc/self")); // not even the superuser writes here
        TProgram program(m_deviceRoot.path());
        QString shown;
        AnswerModal<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
            shown = box.text();
            box.accept();
        });
        const bool started = program.Start();
        SetProgramDir(freshDir.Path());
        EXPECT_FALSE(started);
        EXPECT_TRUE(shown.simplified().contains(QString::fromUtf8(told))) << shown.toStdString();
        EXPECT_EQ(program.Registries().Ports != nullptr, portsBuilt);
        EXPECT_EQ(program.Registries().Labels, nullptr);
        EXPECT_FALSE(program.Windows().MainForm->isVisible());
    }
}

} // namespace
