#pragma once

// The parallel driver: one port per LPTn: port of the machine (a parallel
// port or a USB printer device, platform/Ports.h). A port keeps nothing open:
// every block is written by opening the device, writing and closing it
// again, so between two blocks of a job the device is free. A failure to
// open, write or close raises EInOutError with the system's text (and, when
// permission is missing, what to do about it); so does a device that has not
// taken a block within the bound. SendData is false only when the person
// asked the job to stop while the device waited.

#include "output/PrinterDriver.h"
#include "output/SystemPortDriver.h"
#include "platform/OutputFile.h"

#include <chrono>

namespace zev {

class TOperator;

class TParallelPort final : public TPrinterPort
{
public:
    // `writeBound`: how long a block may wait for the device to take it.
    TParallelPort(TOperator& op, std::string name, QString device,
                  std::chrono::milliseconds writeBound = TOutputFile::DefaultDeviceBound);

    std::string GetName() const override { return m_name; }
    void Configure(const QString& settingsPath) override;
    // Neither touches the device: a missing or busy device shows at the
    // first block.
    bool StartData(const QString&) override { return true; }
    bool EndData() override { return true; }
    bool SendData(const std::string& data) override;

private:
    TOperator& m_operator;
    std::string m_name;
    QString m_device;
    std::chrono::milliseconds m_writeBound;
};

// One port for every system port whose name begins with "LPT".
class TParallelDriver final : public TSystemPortDriver
{
public:
    TParallelDriver(TOperator& op, QString settingsPath, QString systemRoot = {})
        : TSystemPortDriver(op, std::move(settingsPath), std::move(systemRoot), "LPT")
    {}

    std::string GetName() const override { return "Parallel Driver"; }
    TPortKind Kind() const override { return TPortKind::Paralela; }
    std::string GetVersion() const override { return "1.0.2"; }

private:
    std::unique_ptr<TPrinterPort> MakePort(TOperator& op, const std::string& name,
                                           const QString& device) const override
    {
        return std::make_unique<TParallelPort>(op, name, device);
    }
};

} // namespace zev
