#include "output/Windowsd.h"

#include "app/Operator.h"
#include "platform/Spooler.h"

namespace zev {

namespace {

const std::string DocumentName = "ZEV Job";

// What the spooler cannot say for a port that holds no printer.
const char* const NotStartedText = "Impressão não iniciada";

} // namespace

TWindowsDriver::TWindowsDriver(TOperator& op) : m_operator(op) {}

TPrinterPortList TWindowsDriver::GetPorts()
{
    TPrinterPortList ports;
    for (std::string& name : SpoolerPrinters())
        ports.push_back(std::make_unique<TWindowsPort>(m_operator, std::move(name)));
    return ports;
}

TWindowsPort::TWindowsPort(TOperator& op, std::string printerName)
    : m_operator(op), m_name(std::move(printerName))
{}

TWindowsPort::~TWindowsPort() = default;

void TWindowsPort::ShowFailure(const char* what, const QString& reason) const
{
    m_operator.ShowError(QString::fromUtf8(what) + QStringLiteral("Msg: ") + reason);
}

void TWindowsPort::Configure(const QString&)
{
    m_operator.ShowNotice(QString::fromUtf8(NoPortConfigurationText));
}

// The printer is released before the message shows: the operator may take
// a while to close it.
bool TWindowsPort::StartData(const QString&)
{
    if (m_printer) {
        m_operator.ShowError(QStringLiteral("Impressão já iniciada"));
        return false;
    }
    auto printer = std::make_unique<TSpoolerPrinter>();
    if (!printer->Open(m_name)) {
        const QString reason = QString::fromStdString(printer->LastError());
        printer.reset();
        ShowFailure("Erro acessando impressora. ", reason);
        return false;
    }
    if (!printer->StartDocument(DocumentName)) {
        const QString reason = QString::fromStdString(printer->LastError());
        printer.reset();
        ShowFailure("Erro iniciando impressão. ", reason);
        return false;
    }
    m_printer = std::move(printer);
    m_writeFailed = false;
    return true;
}

bool TWindowsPort::SendData(const std::string& data)
{
    if (!m_printer) {
        ShowFailure("Erro iniciando a impressão da etiqueta. ", QString::fromUtf8(NotStartedText));
        return false;
    }
    // A document that lost a block is broken: its first loss is reported,
    // the later ones only refused, so a job of many labels does not show a
    // box for each.
    if (m_writeFailed)
        return false;
    if (!m_printer->Write(data)) {
        m_writeFailed = true;
        ShowFailure("Erro enviando dados da etiqueta. ",
                    QString::fromStdString(m_printer->LastError()));
        return false;
    }
    return true;
}

bool TWindowsPort::EndData()
{
    if (!m_printer) {
        ShowFailure("Erro finalizando impressão. ", QString::fromUtf8(NotStartedText));
        return false;
    }
    const bool finished = m_printer->FinishDocument();
    const QString reason = finished ? QString() : QString::fromStdString(m_printer->LastError());
    m_printer.reset();
    if (!finished) {
        ShowFailure("Erro finalizando impressão. ", reason);
        return false;
    }
    return true;
}

} // namespace zev
