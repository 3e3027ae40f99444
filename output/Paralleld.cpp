#include "output/Paralleld.h"

#include "app/Operator.h"
#include "platform/Error.h"
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
    const TOpened<TOutputFile> opened =
        TOutputFile::Open(m_device, TOutputFile::Mode::Device, m_name, m_writeBound);
    if (!opened)
        throw EInOutError(opened.failure);
    TOutputFile& device = *opened.device;
    const TWriteResult result = device.Write(data, [&op = m_operator] { return op.StopAsked(); });
    if (IsFailure(result) || !device.Close())
        throw EInOutError(device.Failure());
    return result == TWriteResult::Written;
}

} // namespace zev
