#include "app/GuiOperator.h"

#include "app/Windows.h"
#include "tests/support/DialogAnswers.h"
#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QTemporaryDir>

#include <tuple>

using namespace zev;
using namespace zev::test;

namespace {

TEST(QtFileFilters, TheStoresFilterFormBecomesQts)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"Arquivos do ZEV (ZEV.TXT)|ZEV.TXT", {"Arquivos do ZEV (ZEV.TXT) (ZEV.TXT)"}},
        {"Texto|*.txt;*.prn|Todos|*.*", {"Texto (*.txt *.prn)", "Todos (*)"}},
        {"Barras| PLU.TXT ; *.bar ;", {"Barras (PLU.TXT *.bar)"}},
        {"Sem padrão|", {}},
        {"Sem par", {}},
        {"", {}},
    };
    for (const auto& [store, qt] : cases)
        EXPECT_EQ(QtFileFilters(QString::fromUtf8(store)), qt) << store;
}

class GuiOperatorTest : public testing::Test
{
protected:
    TWindows windows;
    TGuiOperator op{windows};
};

TEST_F(GuiOperatorTest, MessageBoxesOfEachKindCarryTheProgramsTitle)
{
    const std::pair<void (TGuiOperator::*)(const QString&), QMessageBox::Icon> cases[] = {
        {&TGuiOperator::ShowError, QMessageBox::Critical},
        {&TGuiOperator::ShowWarning, QMessageBox::Warning},
        {&TGuiOperator::ShowNotice, QMessageBox::NoIcon},
    };
    for (const auto& [show, icon] : cases) {
        bool answered = false;
        AnswerModal<QMessageBox>([&](QMessageBox& box) {
            answered = true;
            EXPECT_EQ(box.windowTitle(), "ZEV 4.0");
            EXPECT_EQ(box.icon(), icon);
            EXPECT_EQ(box.text(), "Selecionado 3 item(s)\nAtualize");
            EXPECT_EQ(box.buttons().size(), 1);
            box.button(QMessageBox::Ok)->click();
        });
        // A CR breaks the line.
        (op.*show)(QStringLiteral("Selecionado 3 item(s)\rAtualize"));
        EXPECT_TRUE(answered);
    }
}

TEST_F(GuiOperatorTest, OnlyYesGoesOn)
{
    const std::tuple<const char*, std::function<void(QMessageBox&)>, bool> cases[] = {
        {"Sim", [](QMessageBox& box) { box.buttons()[0]->click(); }, true},
        {"Enter", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, true},
        {"Não", [](QMessageBox& box) { box.buttons()[1]->click(); }, false},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
        {"close box", [](QMessageBox& box) { box.close(); }, false},
    };
    for (const auto& [how, answer, expected] : cases) {
        AnswerModal<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "ZEV 4.0");
            EXPECT_EQ(box.buttons()[0]->text(), "&Sim");
            EXPECT_EQ(box.buttons()[1]->text(), "&Não");
            answer(box);
        });
        EXPECT_EQ(op.AskYesNo(QStringLiteral("Confirma a importação?")), expected) << how;
    }
}

TEST_F(GuiOperatorTest, FileChoosersUseTheStoresFiltersAndNames)
{
    QTemporaryDir dir;
    WriteFileBytes(dir.filePath("zev.txt"), "ZEV\r\n");
    TFileRequest request{QStringLiteral("Importar"),
                         dir.filePath("ZEV.TXT"),
                         QStringLiteral("Arquivos do ZEV (ZEV.TXT)|ZEV.TXT"),
                         {},
                         false};
    AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Importar");
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Arquivos do ZEV (ZEV.TXT) (ZEV.TXT)"}));
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        dialog.selectFile(dir.filePath("zev.txt"));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(op.ChooseOpenFile(request), dir.filePath("zev.txt"));

    AnswerModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(op.ChooseOpenFile(request), std::nullopt);

    // Saving: the default extension is added; replacing asks only when told.
    for (const bool ask : {false, true}) {
        TFileRequest save{{}, {}, QStringLiteral("Etiquetas|*.prn"), QStringLiteral("prn"), ask};
        AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Salvar como");
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), !ask);
            dialog.setDirectory(dir.path());
            dialog.findChild<QLineEdit*>("fileNameEdit")->setText("saida");
            static_cast<QDialog&>(dialog).accept(); // as the dialog's own button does
        });
        EXPECT_EQ(op.ChooseSaveFile(save), dir.filePath("saida.prn"));
    }
}

QProgressDialog* ShownProgress()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<QProgressDialog*>(widget);
            progress && progress->isVisible())
            return progress;
    return nullptr;
}

TEST_F(GuiOperatorTest, LongWorkShowsAModalProgressDialogWhoseCancelStopsIt)
{
    op.ShowStatus(QStringLiteral("Carregando o arquivo"));
    EXPECT_TRUE(op.ShowProgress(0, 1000));
    EXPECT_TRUE(op.ShowProgress(100, 1000));
    // Work that goes on past the dialog's delay.
    ASSERT_TRUE(QTest::qWaitFor([] { return ShownProgress() != nullptr; }, 20000));
    QPointer<QProgressDialog> dialog = ShownProgress();
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "ZEV 4.0");
    EXPECT_EQ(dialog->labelText(), "Carregando o arquivo");
    EXPECT_EQ(dialog->value(), 100);

    dialog->findChild<QPushButton*>()->click();
    EXPECT_FALSE(op.ShowProgress(200, 1000));
    op.EndProgress();
    EXPECT_TRUE(!dialog || !dialog->isVisible());
    // The next piece of work starts afresh.
    EXPECT_TRUE(op.ShowProgress(0, 10));
    op.EndProgress();
}

// The box's own delayed show must not bring it back over the message that
// follows the work, where the first Enter would press "Cancelar".
TEST_F(GuiOperatorTest, EndedProgressNeverShowsAgain)
{
    op.SetProgressDelay(0);
    for (const qint64 done : {0, 10}) {
        SCOPED_TRACE(done);
        EXPECT_TRUE(op.ShowProgress(done, 10));
        op.EndProgress();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(ShownProgress(), nullptr);
    }
    EXPECT_FALSE(op.StopAsked());
}

} // namespace
