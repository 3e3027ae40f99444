#pragma once

// The program's start-up and its whole run: the windows, created first, in
// their fixed order; then the database, the port registry and the label
// registry; then the message loop until the main window closes. Nothing is
// saved at exit: every setting is written when it changes.

#include "app/Registries.h"
#include "app/Windows.h"

#include <QString>

#include <memory>

namespace zev {

class TGuiOperator;
class TMainForm;
class TOperator;

class TProgram final
{
public:
    // `systemRoot`: where the port drivers look for devices; empty for the
    // machine's own.
    explicit TProgram(QString systemRoot = {});
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Creates the windows, then the database and the registries. False when
    // a step failed: its error has been shown and the program must end
    // without its main window.
    bool Start();
    // Shows the main window maximised and runs the message loop until it
    // closes; the loop's exit code.
    int Run();

    const TWindows& Windows() const { return m_windows; }
    const TRegistries& Registries() const { return m_registries; }
    TOperator& Operator();

private:
    void CreateWindows();
    void CheckProgramDirWritable() const;
    void BuildRegistries();

    const QString m_systemRoot;
    TWindows m_windows;
    // Ports report through the operator until they are released.
    std::unique_ptr<TGuiOperator> m_operator;
    TRegistries m_registries;
    // Owns the dialogs; released first.
    std::unique_ptr<TMainForm> m_mainForm;
};

// The application object's title ("ZEV 4.0"), version, icon and Qt's own
// dialogs in Brazilian Portuguese.
void SetUpApplication();

// The program's entry sequence, on the application object main created:
// SetUpApplication, then TProgram::Start and TProgram::Run. The exit code.
int StartUp();

} // namespace zev
