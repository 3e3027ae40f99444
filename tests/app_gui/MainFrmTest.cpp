#include "app/MainFrm.h"

#include "app/Windows.h"
#include "catalogue/Database.h"
#include "output/ConfigFrm.h"
#include "platform/AnsiText.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

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

    QAction* Item(const char* name) const
    {
        auto* action = form.findChild<QAction*>(QString::fromLatin1(name));
        if (action == nullptr)
            ADD_FAILURE() << "no menu item " << name;
        return action;
    }
    QLabel* Panel(int index) const
    {
        return form.statusBar()->findChild<QLabel*>(QStringLiteral("Panel%1").arg(index));
    }

    TProgramFixture program;
    TWindows windows;
    TMainForm form{windows, program.Registries(), program.Operator()};
};

TEST_F(MainFrmTest, TheMenuBarHoldsEveryCommandWithItsCaptionAndShortcut)
{
    EXPECT_EQ(form.windowTitle(), "ZEV 4.0");
    QStringList menus;
    for (const QAction* menu : form.menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, QStringList({"&Seleção", "&Impressão", "&Ferramentas", "A&juda"}));

    const std::tuple<const char*, const char*, const char*, const char*> items[] = {
        {"Seleo1", "Hoje1", "&Hoje", "Ctrl+H"},
        {"Seleo1", "Amanh1", "&Amanhã", "Ctrl+A"},
        {"Seleo1", "UltimaImportao1", "&Ultima Importação", ""},
        {"Seleo1", "daData1", "&Data", ""},
        {"Arquivo1", "Barras1", "&Barras", ""},
        {"Arquivo1", "Tarvo90001", "&Tarvo9000", ""},
        {"Seleo1", "Agrupamento1", "A&grupamento", ""},
        {"Seleo1", "Edita1", "&Edita", ""},
        {"Im1", "Individual1", "I&ndividual", "F2"},
        {"Im1", "Seleo2", "S&eleção", "F3"},
        {"Im1", "Multipla1", "Multipla", "F4"},
        {"Im1", "DoArquivo1", "Do Arquivo", "F5"},
        {"Im1", "Procom1", "Procom", "F6"},
        {"Im1", "Sequencial1", "Sequencial", "F7"},
        {"Ferramentas1", "Importar1", "&Importar", "Ctrl+I"},
        {"Ferramentas1", "Configurao1", "&Configuração", ""},
        {"Sair1", "Sobre1", "&Sobre", ""},
    };
    for (const auto& [menuName, name, caption, keys] : items) {
        const QAction* action = Item(name);
        const auto* menu = form.findChild<QMenu*>(QString::fromLatin1(menuName));
        ASSERT_TRUE(action != nullptr && menu != nullptr) << name;
        EXPECT_TRUE(menu->actions().contains(action)) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption));
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(keys))) << name;
        EXPECT_TRUE(action->isEnabled()) << name;
    }
    const auto* arquivo = form.findChild<QMenu*>("Arquivo1");
    EXPECT_EQ(arquivo->title(), "Ar&quivo");
    // The submenu sits between "&Data" and "A&grupamento".
    const QList<QAction*> selecao = form.findChild<QMenu*>("Seleo1")->actions();
    ASSERT_EQ(selecao.size(), 7);
    EXPECT_EQ(selecao[4]->menu(), arquivo);
}

TEST_F(MainFrmTest, StatusTextIsShownAtOnceAndTheClockRuns)
{
    form.resize(800, 600);
    form.show();
    form.ShowStatus(QStringLiteral("Imprimindo..."));
    EXPECT_EQ(Panel(0)->text(), "Imprimindo...");
    form.ShowStatus({});
    EXPECT_TRUE(Panel(0)->text().isEmpty());

    // The window can grow and shrink back.
    for (const int width : {1000, 500, 300}) {
        form.resize(width, 600);
        QApplication::processEvents();
        EXPECT_EQ(form.width(), width);
        // The clock keeps the last 120 pixels, more when its font needs them.
        const int clock =
            std::max(120, Panel(1)->fontMetrics().horizontalAdvance(Panel(1)->text()) + 12);
        EXPECT_EQ(Panel(0)->width(), form.statusBar()->width() - clock) << width;
        EXPECT_GE(Panel(1)->width(), clock - 12) << width;
    }

    const auto* timer = form.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
    // Short date and time with seconds, as the region writes them.
    const QString clock = Panel(1)->text();
    EXPECT_TRUE(clock.startsWith(AnsiToQString(DateToStr(Today())))) << clock.toStdString();
    EXPECT_TRUE(QTime::fromString(clock.section(u' ', 1), QStringLiteral("HH:mm:ss")).isValid())
        << clock.toStdString();
    EXPECT_EQ(Panel(1)->alignment(), Qt::AlignCenter);
}

TEST_F(MainFrmTest, ConfiguracaoShowsTheSettingsDialogWithTheStoredSettings)
{
    program.WriteSettings("[Labels]\r\nnull=NULL:\r\n");
    bool shown = false;
    AnswerModal<TConfigForm>([&](TConfigForm& dialog) {
        shown = true;
        const auto* list = dialog.findChild<QListWidget*>("LabelLst");
        EXPECT_EQ(list->count(), 1);
        dialog.findChild<QPushButton*>("BitBtn2")->click();
    });
    Item("Configurao1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(program.Operator().Messages().empty());
}

TEST_F(MainFrmTest, ImportarImportsTheChosenPackage)
{
    CreateDatabase();
    const QString package = ProgramFilePath("ZEV.TXT");
    WriteFileBytes(package, "0;5\r\n1;10;MERCEARIA\r\n");
    program.Operator().QueueFile(package);
    Item("Importar1")->trigger();
    EXPECT_EQ(program.Operator().Messages(),
              (std::vector<TOperatorMessage>{{"notice", "Arquivo importado com sucesso"}}));
    EXPECT_EQ(program.Operator().StatusTexts().front(), "Gravando importação antiga");
    EXPECT_EQ(program.Operator().ProgressEnds(), 1);
}

TEST_F(MainFrmTest, AnErrorLeavingACommandIsShownAndTheWindowGoesOn)
{
    // A settings dialog whose registries were never built: its command fails.
    TRegistries none;
    windows.ConfigForm = new TConfigForm(none, &form);
    Item("Configurao1")->trigger();
    ASSERT_EQ(program.Operator().Messages().size(), 1u);
    EXPECT_EQ(program.Operator().Messages()[0].kind, "error");
    EXPECT_EQ(program.Operator().Messages()[0].text, "registry used before start-up built it");
    EXPECT_TRUE(Item("Configurao1")->isEnabled());
}

} // namespace
