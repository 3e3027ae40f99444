#include "output/Nulld.h"

#include "app/Operator.h"

namespace zev {

void TNullPort::Configure(const QString&)
{
    m_operator.ShowNotice(QString::fromUtf8(NoPortConfigurationText));
}

TPrinterPortList TNullDriver::GetPorts()
{
    TPrinterPortList ports;
    ports.push_back(std::make_unique<TNullPort>(m_operator));
    return ports;
}

} // namespace zev
