#include "app/GuiOperator.h"

#include "app/MainFrm.h"
#include "app/Windows.h"
#include "output/SerialConfigFrm.h"
#include "printing/TipoFrm.h"
#include "selection/ArvoreFrm.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

namespace zev {

namespace {

QString QtPatterns(const QString& storePatterns)
{
    QStringList patterns;
    for (const QString& pattern : storePatterns.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty())
            patterns << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
    }
    return patterns.join(u' ');
}

// A box belongs to the dialog the operator is looking at.
QWidget* DialogParent(const TWindows& windows)
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return windows.MainForm.data();
}

QString Title()
{
    return QString::fromUtf8(ZevTitle);
}

} // namespace

QStringList QtFileFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QtPatterns(parts[i + 1]);
        if (!patterns.isEmpty())
            filters << parts[i].trimmed() + QStringLiteral(" (") + patterns + u')';
    }
    return filters;
}

TGuiOperator::TGuiOperator(const TWindows& windows) : m_windows(windows) {}

void TGuiOperator::ShowMessage(const QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, Title(), text, QMessageBox::Ok, DialogParent(m_windows));
    box.exec();
}

void TGuiOperator::ShowError(const QString& text)
{
    ShowMessage(QMessageBox::Critical, text);
}

void TGuiOperator::ShowWarning(const QString& text)
{
    ShowMessage(QMessageBox::Warning, text);
}

void TGuiOperator::ShowNotice(const QString& text)
{
    ShowMessage(QMessageBox::NoIcon, text);
}

bool TGuiOperator::AskYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::NoButton,
                    DialogParent(m_windows));
    QPushButton* yes = box.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    // Escape and the close box answer No.
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<QString> TGuiOperator::ChooseFile(const TFileRequest& request, const bool forSaving)
{
    QString title = request.title;
    if (title.isEmpty())
        title = forSaving ? QStringLiteral("Salvar como") : QStringLiteral("Abrir");
    QFileDialog dialog(DialogParent(m_windows), title);
    // Qt's own dialog: the store's patterns match without regard to case,
    // whatever the desktop's native dialog would do.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.askBeforeReplacing);
    const QStringList filters = QtFileFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.defaultExtension.isEmpty())
        dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.fileName.isEmpty()) {
        const QFileInfo file(request.fileName);
        if (request.fileName.contains(u'/'))
            dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.front();
}

std::optional<QString> TGuiOperator::ChooseOpenFile(const TFileRequest& request)
{
    return ChooseFile(request, false);
}

std::optional<QString> TGuiOperator::ChooseSaveFile(const TFileRequest& request)
{
    return ChooseFile(request, true);
}

bool TGuiOperator::EditSerialLine(const QString& portName, const QString& devicePath,
                                  TSerialLineChoice& choice)
{
    if (m_windows.SerialConfigForm)
        return m_windows.SerialConfigForm->Execute(portName, devicePath, choice);
    // Only before start-up made its windows, or after they are gone.
    TSerialConfigForm form(DialogParent(m_windows));
    return form.Execute(portName, devicePath, choice);
}

// A fresh dialog for every date selection: it always opens on "Todos".
int TGuiOperator::ChooseTipo()
{
    TTipoForm form(DialogParent(m_windows));
    return form.Execute();
}

std::optional<TArvoreChoice> TGuiOperator::ChooseArvore()
{
    if (m_windows.ArvoreForm)
        return m_windows.ArvoreForm->Execute();
    TArvoreForm form(DialogParent(m_windows));
    return form.Execute();
}

void TGuiOperator::ShowStatus(const QString& text)
{
    if (m_windows.MainForm)
        m_windows.MainForm->ShowStatus(text);
}

} // namespace zev
