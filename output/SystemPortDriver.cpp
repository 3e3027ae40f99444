#include "output/SystemPortDriver.h"

#include "platform/Ports.h"

namespace zev {

TSystemPortDriver::TSystemPortDriver(TOperator& op, QString settingsPath, QString systemRoot,
                                     std::string_view prefix)
    : m_operator(op)
    , m_settingsPath(std::move(settingsPath))
    , m_systemRoot(std::move(systemRoot))
    , m_prefix(prefix)
{
}

TPrinterPortList TSystemPortDriver::GetPorts()
{
    TPrinterPortList ports;
    for (const TSystemPort& port : EnumeratePorts(m_settingsPath, m_systemRoot))
        if (port.name.starts_with(m_prefix))
            ports.push_back(MakePort(m_operator, port.name, port.device));
    return ports;
}

} // namespace zev
