#pragma once

// The null driver: one port, "NULL:", that takes every job and prints
// nothing, for trying labels and jobs without a printer.

#include "output/PrinterDriver.h"

namespace zev {

class TOperator;

class TNullPort final : public TPrinterPort
{
public:
    explicit TNullPort(TOperator& op) : m_operator(op) {}

    std::string GetName() const override { return "NULL:"; }
    void Configure(const QString& settingsPath) override;
    bool StartData(const QString&) override { return true; }
    bool EndData() override { return true; }
    bool SendData(const std::string&) override { return true; }

private:
    TOperator& m_operator;
};

class TNullDriver final : public TPrinterDriver
{
public:
    explicit TNullDriver(TOperator& op) : m_operator(op) {}

    std::string GetName() const override { return "Null Driver"; }
    TPortKind Kind() const override { return TPortKind::Nulo; }
    std::string GetVersion() const override { return "1.0.1"; }
    TPrinterPortList GetPorts() override;

private:
    TOperator& m_operator;
};

} // namespace zev
