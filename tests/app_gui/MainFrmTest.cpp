#include "app/MainFrm.h"

#include "app/Windows.h"
#include "catalogue/Database.h"
#include "output/ConfigFrm.h"
#include "platform/ProgramDir.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace zev;
using namespace zev::test;

namespace {

class MainFrmTest : public testing::Test
{
protected:
    MainFrmTest()
    {
        windows.MainForm = &form;
        windows.ConfigForm = new TConfigForm(program.Registries(), &form);
    }

    QAction* Item(const char* name) const { return Child<QAction>(form, name); }

    TProgramFixture program;
    TWindows windows;
    TMainForm form{windows, program.Registries(), program.Operator()};
};

// Alt and a letter must open one item only; a key must run one command only.
TEST_F(MainFrmTest, MnemonicsAreUniqueInEachMenuAndShortcutsInTheWindow)
{
    QStringList shortcuts;
    for (const QMenu* menu : form.menuBar()->findChildren<QMenu*>()) {
        QStringList letters;
        for (const QAction* action : menu->actions()) {
            const qsizetype amp = action->text().indexOf(u'&');
            if (amp >= 0)
                letters << action->text().mid(amp + 1, 1).toLower();
            if (!action->shortcut().isEmpty())
                shortcuts << action->shortcut().toString();
        }
        EXPECT_EQ(letters.removeDuplicates(), 0) << menu->title().toStdString();
    }
    EXPECT_GE(shortcuts.size(), 9);
    EXPECT_EQ(shortcuts.removeDuplicates(), 0);
}

TEST_F(MainFrmTest, CtrlIImportsTheChosenPackage)
{
    CreateDatabase();
    const QString package = ProgramFilePath("ZEV.TXT");
    WriteFileBytes(package, "0;5\r\n1;10;MERCEARIA\r\n");
    program.Operator().QueueFile(package);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(program.Operator().Messages(),
              (std::vector<TOperatorMessage>{{"notice", "Arquivo importado com sucesso"}}));
    EXPECT_EQ(program.Operator().ProgressEnds(), 1);
}

TEST_F(MainFrmTest, ConfiguracaoShowsTheSettingsDialogAndAnErrorLeavingItIsShown)
{
    int shown = 0;
    AnswerModal<TConfigForm>([&](TConfigForm& dialog) {
        ++shown;
        Answer(dialog, TAnswer::Cancela);
    });
    Item("Configurao1")->trigger();
    EXPECT_EQ(shown, 1);

    // An error leaving a command is shown: registries never built.
    TRegistries none;
    windows.ConfigForm = new TConfigForm(none, &form);
    Item("Configurao1")->trigger();
    EXPECT_EQ(program.Operator().Messages(),
              (std::vector<TOperatorMessage>{{"error", "registry used before start-up built it"}}));
}

} // namespace
