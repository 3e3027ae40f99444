#include "output/Paralleld.h"

#include "app/Operator.h"
#include "platform/OutputFile.h"
#include "platform/Ports.h"

namespace zev {

TParallelPort::TParallelPort(TOperator& op, std::string name, QString device,
                             std::chrono::milliseconds writeBound)
    : m_operator(op), m_name(std::move(name)), m_device(std::move(device)), m_writeBound(writeBound)
{}

void TParallelPort::Configure(const QString&)
{
    m_operator.ShowNotice(QString::fromUtf8(NoPortConfigurationText));
}

bool TParallelPort::SendData(const std::string& data)
{
    TOutputFile device(m_device, TOutputFile::Mode::Device, m_name, m_writeBound);
    device.Write(data);
    device.Close();
    return true;
}

TParallelDriver::TParallelDriver(TOperator& op, QString settingsPath, QString systemRoot)
    : m_operator(op), m_settingsPath(std::move(settingsPath)), m_systemRoot(std::move(systemRoot))
{}

TPrinterPortList TParallelDriver::GetPorts()
{
    TPrinterPortList ports;
    for (const TSystemPort& port : EnumeratePorts(m_settingsPath, m_systemRoot))
        if (port.name.starts_with("LPT"))
            ports.push_back(std::make_unique<TParallelPort>(m_operator, port.name, port.device));
    return ports;
}

} // namespace zev
