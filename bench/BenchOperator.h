#pragma once

// The operator of the benchmarks: every dialog is answered at once from its
// fields, and an error or warning is raised, so that a run that failed never
// passes for a fast one.

#include "app/Operator.h"
#include "platform/Error.h"

#include <optional>

namespace zev::bench {

class TBenchOperator : public TOperator
{
public:
    void ShowError(const QString& text) override { throw EZevError(text.toStdString()); }
    void ShowWarning(const QString& text) override { throw EZevError(text.toStdString()); }
    void ShowNotice(const QString& text) override { notice = text; }
    bool AskYesNo(const QString&) override { return yes; }
    std::optional<QString> ChooseOpenFile(const TFileRequest&) override { return openFile; }
    std::optional<QString> ChooseSaveFile(const TFileRequest&) override { return saveFile; }
    bool EditSerialLine(const QString&, const QString&, TSerialLineChoice&) override
    {
        return false;
    }
    int ChooseTipo() override { return tipo; }
    std::optional<TArvoreChoice> ChooseArvore() override { return arvore; }
    void ShowStatus(const QString&) override {}

    bool yes = true;
    std::optional<QString> openFile;
    std::optional<QString> saveFile;
    int tipo = 1; // "Todos"
    std::optional<TArvoreChoice> arvore;
    QString notice; // the last one
};

} // namespace zev::bench
