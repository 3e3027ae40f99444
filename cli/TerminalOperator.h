#pragma once

// The operator of zev-cli: messages go to the terminal, one line each
// (notices to standard output, warnings and errors to standard error), and
// the dialogs are answered by the command's arguments.

#include "app/Operator.h"

#include <iosfwd>
#include <memory>
#include <optional>

namespace zev::cli {

struct TTerminalAnswers
{
    bool yes = false;              // --yes: every Yes/No question is answered Yes
    std::optional<QString> output; // --output PATH: the save file chooser's answer
    // Initialised here: brace lists naming only the first two fields stay complete.
    std::optional<QString> input = std::nullopt;        // the open file chooser's answer
    int tipo = 1;                                       // the type dialog's answer
    std::optional<TArvoreChoice> arvore = std::nullopt; // the tree dialog's answer
};

class TTerminalOperator final : public TOperator
{
public:
    TTerminalOperator(std::ostream& out, std::ostream& err, TTerminalAnswers answers = {});
    ~TTerminalOperator() override;

    void ShowError(const QString& text) override;
    void ShowWarning(const QString& text) override;
    void ShowNotice(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    // The name the chooser proposes (a configured default) when no answer
    // was given; cancelled when there is none.
    std::optional<QString> ChooseOpenFile(const TFileRequest& request) override;
    std::optional<QString> ChooseSaveFile(const TFileRequest& request) override;
    // A terminal has no dialog: cancelled.
    bool EditSerialLine(const QString& portName, const QString& devicePath,
                        TSerialLineChoice& choice) override;
    int ChooseTipo() override;
    // Cancelled when the command named no branch.
    std::optional<TArvoreChoice> ChooseArvore() override;
    // Kept for the progress line.
    void ShowStatus(const QString& text) override;
    // While long work runs, Ctrl+C (SIGINT) asks it to stop instead of
    // ending the program, so the work can undo what it began; a second
    // Ctrl+C ends the program as usual. When standard error is a terminal
    // it shows one progress line there: the status text and a percentage.
    bool ShowProgress(qint64 done, qint64 total) override;
    void EndProgress() override;
    bool StopAsked() override;

private:
    class TInterruptHandler;

    std::ostream& m_out;
    std::ostream& m_err;
    TTerminalAnswers m_answers;
    QString m_status;
    std::unique_ptr<TInterruptHandler> m_interrupt; // while progress runs
    bool m_progressLine = false;
    int m_percentShown = -1;
};

} // namespace zev::cli
