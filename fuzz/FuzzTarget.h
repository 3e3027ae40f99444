#pragma once

// Fuzz targets: one per reader of bytes that come from outside the program
// (label files, zev.ini, the catalogue package, barcode files, pictures, the
// version table). A target is a function fed arbitrary bytes; it must
// neither crash, hang, leak nor let the toolkit warn on standard error, and
// the errors it may raise are the reader's own (EZevError and its kin),
// which the target catches. Anything else escaping it is a finding.
//
// With libFuzzer (ZEV_FUZZ=ON) each target is a program of its own; in the
// test suite one driver runs every target over its corpus, fuzz/corpus/<name>.

#include "app/Operator.h"

#include <QString>

#include <functional>
#include <string_view>
#include <vector>

namespace zev::fuzz {

using TFuzzFunction = void (*)(std::string_view bytes);

struct TFuzzTarget
{
    const char* name;
    TFuzzFunction run;
};

// Every target linked into the program, in the order they registered.
std::vector<TFuzzTarget>& Targets();

struct TRegistration
{
    TRegistration(const char* name, TFuzzFunction run) { Targets().push_back({name, run}); }
};

// Where the targets write the files their readers take by name; the
// program's folder (zev.ini) too. Made by PrepareProcess.
const QString& ScratchDir();
// Writes `bytes` to the file `name` of the scratch folder; returns its path.
QString WriteScratchFile(const QString& name, std::string_view bytes);

// Brazilian regional settings, a scratch program folder, and the toolkit's
// warnings handed to `onWarning` (libFuzzer: abort, so each is a finding).
// Needs a QCoreApplication.
void PrepareProcess(std::function<void(const QString& warning)> onWarning);

// Answers the open chooser with one path; shows nothing, asks nothing.
class TFuzzOperator final : public TOperator
{
public:
    explicit TFuzzOperator(QString openPath) : m_openPath(std::move(openPath)) {}

    void ShowError(const QString&) override {}
    void ShowWarning(const QString&) override {}
    void ShowNotice(const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
    std::optional<QString> ChooseOpenFile(const TFileRequest&) override { return m_openPath; }
    std::optional<QString> ChooseSaveFile(const TFileRequest&) override { return std::nullopt; }
    bool EditSerialLine(const QString&, const QString&, TSerialLineChoice&) override
    {
        return false;
    }
    int ChooseTipo() override { return -1; }
    std::optional<TArvoreChoice> ChooseArvore() override { return std::nullopt; }
    void ShowStatus(const QString&) override {}

private:
    QString m_openPath;
};

} // namespace zev::fuzz

// Registers `function` under `name`; one per target file.
#define ZEV_FUZZ_TARGET(name, function)                                                            \
    static const ::zev::fuzz::TRegistration zevFuzzRegistration_##function                         \
    {                                                                                              \
        name, function                                                                             \
    }
