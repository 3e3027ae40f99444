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

class GuiOperatorTest : public testing::Test
{
protected:
    TWindows windows;
    TGuiOperator op{windows};
};

TEST_F(GuiOperatorTest, AMessageBoxBreaksTheLineAtACarriageReturn)
{
    bool answered = false;
    AnswerModal<QMessageBox>([&](QMessageBox& box) {
        answered = true;
        EXPECT_EQ(box.text(), "Selecionado 3 item(s)\nAtualize");
        box.button(QMessageBox::Ok)->click();
    });
    op.ShowWarning(QStringLiteral("Selecionado 3 item(s)\rAtualize"));
    EXPECT_TRUE(answered);
}

TEST_F(GuiOperatorTest, OnlyYesGoesOn)
{
    const std::tuple<const char*, std::function<void(QMessageBox&)>, bool> cases[] = {
        {"Enter", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, true},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
    };
    for (const auto& [how, answer, expected] : cases) {
        AnswerModal<QMessageBox>(answer);
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
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Arquivos do ZEV (ZEV.TXT) (ZEV.TXT)"}));
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        dialog.selectFile(dir.filePath("zev.txt"));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(op.ChooseOpenFile(request), dir.filePath("zev.txt"));

    AnswerModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(op.ChooseOpenFile(request), std::nullopt);

    // A job's output file is replaced without a question.
    AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        dialog.setDirectory(dir.path());
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText("saida.prn");
        static_cast<QDialog&>(dialog).accept(); // as the dialog's own button does
    });
    EXPECT_EQ(op.ChooseSaveFile(TFileRequest{}), dir.filePath("saida.prn"));
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
    EXPECT_TRUE(op.ShowProgress(100, 1000));
    ASSERT_TRUE(QTest::qWaitFor([] { return ShownProgress() != nullptr; }, 20000));
    QPointer<QProgressDialog> dialog = ShownProgress();
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->labelText(), "Carregando o arquivo");

    dialog->findChild<QPushButton*>()->click();
    EXPECT_FALSE(op.ShowProgress(200, 1000));
    op.EndProgress();
    EXPECT_TRUE(!dialog || !dialog->isVisible());
    // No delayed show brings it back over the next message, where Enter would cancel.
    op.SetProgressDelay(0);
    EXPECT_TRUE(op.ShowProgress(0, 10));
    op.EndProgress();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(ShownProgress(), nullptr);
    EXPECT_FALSE(op.StopAsked());
}

} // namespace
