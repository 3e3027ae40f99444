#include "output/Filed.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/OutputFile.h"
#include "platform/Profile.h"

#include <cerrno>

namespace zev {

namespace {

QString DefaultFileName(const QString& settingsPath, std::string_view port)
{
    return ReadSetting(TIniFile(settingsPath), ForPort(settings::Filename, port));
}

// The job protocol was not kept: no file is open.
[[noreturn]] void ThrowNotStarted(const std::string& port)
{
    throw EInOutError(EBADF, "Erro de entrada/saída em " + port + ": nenhum arquivo aberto (erro " +
                                 std::to_string(EBADF) + ")");
}

} // namespace

TFilePort::TFilePort(TOperator& op, std::string name) : m_operator(op), m_name(std::move(name)) {}

TFilePort::~TFilePort() = default;

void TFilePort::Configure(const QString& settingsPath)
{
    TFileRequest request;
    request.title = QStringLiteral("Nome do arquivo default");
    request.fileName = DefaultFileName(settingsPath, m_name);
    if (const std::optional<QString> chosen = m_operator.ChooseSaveFile(request)) {
        TIniFile ini(settingsPath);
        WriteSetting(ini, ForPort(settings::Filename, m_name), *chosen);
    }
}

bool TFilePort::StartData(const QString& settingsPath)
{
    if (m_started)
        return false;
    TFileRequest request;
    request.fileName = DefaultFileName(settingsPath, m_name);
    const std::optional<QString> chosen = m_operator.ChooseSaveFile(request);
    if (!chosen)
        return false;
    m_path = *chosen;
    m_started = true;
    return true;
}

// The file is created or emptied by the first block only: a job that sends
// nothing leaves the previous output as it was.
bool TFilePort::SendData(const std::string& data)
{
    if (!m_started)
        ThrowNotStarted(m_name);
    if (!m_output) {
        TOpened<TOutputFile> opened = TOutputFile::Open(m_path, TOutputFile::Mode::Replace, m_name);
        if (!opened)
            throw EInOutError(opened.failure);
        m_output = std::move(opened.device);
    }
    const TWriteResult result = m_output->Write(data, [&op = m_operator] { return op.StopAsked(); });
    if (IsFailure(result))
        throw EInOutError(m_output->Failure());
    return result == TWriteResult::Written;
}

bool TFilePort::EndData()
{
    if (!m_started)
        ThrowNotStarted(m_name);
    m_started = false;
    const std::unique_ptr<TOutputFile> output = std::move(m_output);
    if (output && !output->Close())
        throw EInOutError(output->Failure());
    return true;
}

TPrinterPortList TFileDriver::GetPorts()
{
    TPrinterPortList ports;
    ports.push_back(std::make_unique<TFilePort>(m_operator, "FILE:"));
    return ports;
}

} // namespace zev
