#include "app/GuiOperator.h"

#include "app/MainFrm.h"
#include "app/Windows.h"
#include "output/NetworkConfigFrm.h"
#include "output/SerialConfigFrm.h"
#include "printing/TipoFrm.h"
#include "selection/ArvoreFrm.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

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
    // The store's texts break lines with a CR, as its system's boxes do.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox box(icon, Title(), shown, QMessageBox::Ok, DialogParent(m_windows));
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

// A fresh dialog every time: it opens on the port's stored address.
TNetworkPortAnswer TGuiOperator::EditNetworkPort(TNetworkPortChoice& choice)
{
    TNetworkConfigForm form(DialogParent(m_windows));
    return form.Execute(choice);
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
    m_status = text;
    if (m_progress && !text.isEmpty())
        m_progress->setLabelText(text);
    if (m_windows.MainForm)
        m_windows.MainForm->ShowStatus(text);
}

bool TGuiOperator::ShowProgress(const qint64 done, const qint64 total)
{
    constexpr int Steps = 1000;
    if (!m_progress) {
        m_progress = new QProgressDialog(DialogParent(m_windows));
        m_progress->setObjectName(QStringLiteral("ProgressDialog"));
        m_progress->setWindowTitle(Title());
        m_progress->setLabelText(m_status);
        m_progress->setCancelButtonText(QStringLiteral("Cancelar"));
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        m_progress->setMinimumDuration(m_progressDelay);
        m_progress->setRange(0, Steps);
        m_sinceEvents.start();
        m_sinceStart.start();
    }
    const qint64 step = total > 0 ? std::clamp<qint64>(done * Steps / total, 0, Steps) : 0;
    // Shows the dialog when its time has come, and then processes events.
    if (step != m_progress->value())
        m_progress->setValue(static_cast<int>(step));
    ProcessEventsNow();
    return !m_progress || !m_progress->wasCanceled();
}

bool TGuiOperator::StopAsked()
{
    if (!m_progress)
        return false;
    if (!m_progress->isVisible() && m_sinceStart.elapsed() >= m_progressDelay)
        m_progress->show();
    ProcessEventsNow();
    return m_progress && m_progress->wasCanceled();
}

void TGuiOperator::ProcessEventsNow()
{
    constexpr int EventsEveryMs = 50;
    // Before the dialog shows nothing is processed: the main window would
    // take clicks and start another command.
    if (m_progress && m_progress->isVisible() && m_sinceEvents.elapsed() >= EventsEveryMs) {
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
}

void TGuiOperator::EndProgress()
{
    // Deleted now, not later: a later delete would wait for the event loop
    // that called EndProgress, and the dialog's show timer would still fire
    // in the message box's loop meanwhile.
    delete m_progress.data();
    m_progress = nullptr;
}

} // namespace zev
