#pragma once

// The operator of zev-cli: messages go to the terminal, one line each
// (notices to standard output, warnings and errors to standard error), and
// the dialogs are answered by the command's arguments.

#include "app/Operator.h"

#include <iosfwd>
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
    // Progress is not shown.
    void ShowStatus(const QString&) override {}

private:
    std::ostream& m_out;
    std::ostream& m_err;
    TTerminalAnswers m_answers;
};

} // namespace zev::cli
