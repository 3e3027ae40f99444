#include "output/Paralleld.h"

#include "app/Operator.h"
#include "platform/OutputFile.h"

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
    const bool taken = device.Write(data, [&op = m_operator] { return op.StopAsked(); });
    device.Close();
    return taken;
}

} // namespace zev
