#pragma once

// The file driver: one port, "FILE:", that writes a whole job (the header
// block and every label block, byte for byte) into one file the operator
// names when the job starts. Its default name is key "Filename" of section
// "FILE:", which only Configure writes.
//
// Failures to create, write or close the file, and writes while no job is
// started, raise EInOutError; they are not turned into a false result.

#include "output/PrinterDriver.h"

#include <QString>

#include <memory>

namespace zev {

class TOperator;
class TOutputFile;

class TFilePort final : public TPrinterPort
{
public:
    TFilePort(TOperator& op, std::string name);
    ~TFilePort() override;

    std::string GetName() const override { return m_name; }
    // The save dialog titled "Nome do arquivo default"; a confirmed path
    // becomes the new default at once.
    void Configure(const QString& settingsPath) override;
    // The save dialog with the platform's title, proposing the default;
    // false when the operator cancels. The chosen file is created or emptied
    // when the first block arrives, never before.
    bool StartData(const QString& settingsPath) override;
    bool EndData() override;
    bool SendData(const std::string& data) override;

private:
    TOperator& m_operator;
    std::string m_name;
    bool m_started = false;
    QString m_path;                        // the job's file, chosen at StartData
    std::unique_ptr<TOutputFile> m_output; // open from the job's first block to EndData
};

class TFileDriver final : public TPrinterDriver
{
public:
    explicit TFileDriver(TOperator& op) : m_operator(op) {}

    std::string GetName() const override { return "File Driver"; }
    TPortKind Kind() const override { return TPortKind::Arquivo; }
    std::string GetVersion() const override { return "1.0.1"; }
    TPrinterPortList GetPorts() override;

private:
    TOperator& m_operator;
};

} // namespace zev
