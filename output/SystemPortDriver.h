#pragma once

// The drivers of the machine's own ports (platform/Ports.h): one port for
// every system port whose name begins with the driver's prefix ("COM",
// "LPT"), in the system's order.

#include "output/PrinterDriver.h"

#include <QString>

#include <string>
#include <string_view>

namespace zev {

class TOperator;

class TSystemPortDriver : public TPrinterDriver
{
public:
    TPrinterPortList GetPorts() override;

protected:
    // `systemRoot`: see EnumeratePorts.
    TSystemPortDriver(TOperator& op, QString settingsPath, QString systemRoot,
                      std::string_view prefix);

    virtual std::unique_ptr<TPrinterPort> MakePort(TOperator& op, const std::string& name,
                                                   const QString& device) const = 0;

private:
    TOperator& m_operator;
    const QString m_settingsPath;
    const QString m_systemRoot;
    const std::string_view m_prefix;
};

} // namespace zev
