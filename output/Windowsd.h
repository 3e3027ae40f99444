#pragma once

// The spooler driver: one port per printer queue of the system's spooler
// (CUPS on Linux). A job is one spooler document "ZEV Job" of raw data, so
// the label bytes reach the printer unchanged; each block sent is appended
// to it as it comes.
//
// The port is started while it holds an open printer and document. Every
// failure is shown to the operator as an error, followed by the spooler's
// own text; of the blocks a document loses, only the first. User-interface
// thread only.

#include "output/PrinterDriver.h"

#include <QString>

#include <memory>
#include <string>

namespace zev {

class TOperator;
class TSpoolerPrinter;

class TWindowsDriver final : public TPrinterDriver
{
public:
    explicit TWindowsDriver(TOperator& op);

    std::string GetName() const override { return "Windows Driver"; }
    TPortKind Kind() const override { return TPortKind::Spooler; }
    std::string GetVersion() const override { return "1.0.0"; }
    // One port per spooler queue, in the spooler's order; none when the
    // spooler cannot be reached.
    TPrinterPortList GetPorts() override;

private:
    TOperator& m_operator;
};

class TWindowsPort final : public TPrinterPort
{
public:
    TWindowsPort(TOperator& op, std::string printerName);
    ~TWindowsPort() override;
    TWindowsPort(const TWindowsPort&) = delete;
    TWindowsPort& operator=(const TWindowsPort&) = delete;

    std::string GetName() const override { return m_name; }
    void Configure(const QString& settingsPath) override;
    bool StartData(const QString& settingsPath) override;
    // Ends the document. Also when that fails the port lets go of the
    // printer and is idle again, so the next job is not refused.
    bool EndData() override;
    bool SendData(const std::string& data) override;

private:
    void ShowFailure(const char* what, const QString& reason) const;

    TOperator& m_operator;
    const std::string m_name;
    std::unique_ptr<TSpoolerPrinter> m_printer; // set while started
    bool m_writeFailed = false;                 // the started document lost a block
};

} // namespace zev
