#pragma once

// The operator as the program's windows answer it: message boxes titled
// with the program's title, Qt's own file dialogs, the serial and network
// port dialogs and the main window's status panel.

#include "app/Operator.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

class QProgressDialog;

namespace zev {

struct TWindows;

// The application title: message boxes and the main window carry it.
inline constexpr const char* ZevTitle = "ZEV 4.0";

// The store's filter form, "description|pattern|description|pattern" with
// patterns separated by ";", as Qt's name filters. "*.*" means every file,
// as the store's operators know it; a description without a pattern is
// dropped.
QStringList QtFileFilters(const QString& filter);

class TGuiOperator final : public TOperator
{
public:
    explicit TGuiOperator(const TWindows& windows);

    void ShowError(const QString& text) override;
    void ShowWarning(const QString& text) override;
    void ShowNotice(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    std::optional<QString> ChooseOpenFile(const TFileRequest& request) override;
    std::optional<QString> ChooseSaveFile(const TFileRequest& request) override;
    bool EditSerialLine(const QString& portName, const QString& devicePath,
                        TSerialLineChoice& choice) override;
    TNetworkPortAnswer EditNetworkPort(TNetworkPortChoice& choice) override;
    int ChooseTipo() override;
    std::optional<TArvoreChoice> ChooseArvore() override;
    void ShowStatus(const QString& text) override;
    // A modal progress dialog with "Cancelar", shown once the work has
    // taken half a second; while it shows, events are processed so that its
    // button, Escape and its close box answer. Only the dialog takes input
    // meanwhile, so no other command can start.
    bool ShowProgress(qint64 done, qint64 total) override;
    // Takes the dialog away for good: its own delayed show cannot bring it
    // back over the message that follows.
    void EndProgress() override;
    // Shows the dialog once its time has come even while one step waits
    // (a printer that takes nothing), so that "Cancelar" can be pressed.
    bool StopAsked() override;
    // How long work runs before its dialog shows; tests make it 0.
    void SetProgressDelay(int milliseconds) { m_progressDelay = milliseconds; }

private:
    void ShowMessage(QMessageBox::Icon icon, const QString& text);
    void ProcessEventsNow();
    std::optional<QString> ChooseFile(const TFileRequest& request, bool forSaving);

    const TWindows& m_windows;
    QPointer<QProgressDialog> m_progress;
    QElapsedTimer m_sinceEvents;
    QElapsedTimer m_sinceStart;
    int m_progressDelay = 500;
    QString m_status;
};

} // namespace zev
