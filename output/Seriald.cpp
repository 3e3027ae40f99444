#include "output/Seriald.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "platform/AnsiText.h"
#include "platform/OutputFile.h"
#include "platform/Profile.h"
#include "platform/SerialLine.h"

#include <algorithm>

namespace zev {

namespace {

constexpr const char* FlowSuffixes[] = {
    " xon=off octs=off odsr=off",
    " xon=on octs=off odsr=off",
    " xon=off octs=on odsr=off",
    " xon=off octs=off odsr=on",
};

template <typename Table, typename Value> int PositionOf(const Table& table, const Value& value)
{
    const auto found = std::find(table.begin(), table.end(), value);
    return found == table.end() ? -1 : static_cast<int>(found - table.begin());
}

// The dialog's positions for the stored settings; -1 where a value is in no list.
TSerialLineChoice ChoiceOf(const TSerialSettings& line)
{
    TSerialLineChoice choice;
    choice.baud = PositionOf(SerialBaudRates, line.baudRate);
    choice.data = PositionOf(SerialDataBits, line.dataBits);
    choice.stop = line.stopBits >= 1 && line.stopBits <= 3 ? line.stopBits - 1 : -1;
    choice.parity = PositionOf(SerialParityLetters, line.parity);
    choice.flow = line.flowControl <= 3 ? line.flowControl : -1;
    return choice;
}

template <typename Table> bool InTable(const Table& table, int position)
{
    return position >= 0 && position < static_cast<int>(table.size());
}

// A list left without a selection keeps the stored value.
void ApplyChoice(const TSerialLineChoice& choice, TSerialSettings& line)
{
    if (InTable(SerialBaudRates, choice.baud))
        line.baudRate = SerialBaudRates[static_cast<std::size_t>(choice.baud)];
    if (InTable(SerialDataBits, choice.data))
        line.dataBits = SerialDataBits[static_cast<std::size_t>(choice.data)];
    if (InTable(SerialStopBitsTexts, choice.stop))
        line.stopBits = static_cast<std::uint8_t>(choice.stop + 1);
    if (InTable(SerialParityLetters, choice.parity))
        line.parity = SerialParityLetters[static_cast<std::size_t>(choice.parity)];
    if (InTable(SerialFlowNames, choice.flow))
        line.flowControl = static_cast<std::uint8_t>(choice.flow);
}

} // namespace

TSerialSettings LoadSerialSettings(const QString& settingsPath, std::string_view port)
{
    const TIniFile ini(settingsPath);
    TSerialSettings line;
    line.baudRate = ReadSetting(ini, ForPort(settings::Baud, port));
    line.dataBits = ReadSetting(ini, ForPort(settings::DataBits, port));
    line.stopBits = static_cast<std::uint8_t>(ReadSetting(ini, ForPort(settings::StopBits, port)));
    const std::string parity = ReadSetting(ini, ForPort(settings::Parity, port));
    line.parity = parity.empty() ? settings::Parity.fallback.front() : parity.front();
    line.flowControl =
        static_cast<std::uint8_t>(ReadSetting(ini, ForPort(settings::FlowControl, port)));
    return line;
}

void SaveSerialSettings(const QString& settingsPath, std::string_view port,
                        const TSerialSettings& line)
{
    TIniFile ini(settingsPath);
    WriteSetting(ini, ForPort(settings::Baud, port), line.baudRate);
    WriteSetting(ini, ForPort(settings::DataBits, port), line.dataBits);
    WriteSetting(ini, ForPort(settings::StopBits, port), line.stopBits);
    WriteSetting(ini, ForPort(settings::Parity, port), std::string(1, line.parity));
    WriteSetting(ini, ForPort(settings::FlowControl, port), line.flowControl);
}

std::string DeviceControlText(const TSerialSettings& line)
{
    // A missing or unknown stop-bits code means one stop bit.
    const char* stop = line.stopBits >= 1 && line.stopBits <= 3
                           ? SerialStopBitsTexts[line.stopBits - 1]
                           : SerialStopBitsTexts[0];
    std::string text = "baud=" + std::to_string(line.baudRate) + " parity=" + line.parity +
                       " data=" + std::to_string(line.dataBits) + " stop=" + stop;
    if (line.flowControl < std::size(FlowSuffixes))
        text += FlowSuffixes[line.flowControl];
    return text;
}

TSerialPort::TSerialPort(TOperator& op, std::string name, QString device,
                         std::chrono::milliseconds writeBound, TModemLinesFactory modemLines)
    : m_operator(op), m_name(std::move(name)), m_device(std::move(device)),
      m_writeBound(writeBound), m_modemLines(std::move(modemLines))
{}

// A port released in the middle of a job drops what the line still holds:
// closing would otherwise wait for it, up to half a minute on a line that
// flow control holds back.
TSerialPort::~TSerialPort()
{
    if (m_line)
        m_line->Discard();
}

void TSerialPort::Configure(const QString& settingsPath)
{
    if (m_line) {
        m_operator.ShowWarning(QStringLiteral("Porta Serial em uso !!!"));
        return;
    }
    TSerialSettings line = LoadSerialSettings(settingsPath, m_name);
    TSerialLineChoice choice = ChoiceOf(line);
    if (!m_operator.EditSerialLine(AnsiToQString(m_name), m_device, choice))
        return;
    ApplyChoice(choice, line);
    SaveSerialSettings(settingsPath, m_name, line);
}

bool TSerialPort::StartData(const QString& settingsPath)
{
    if (m_line)
        return false;
    const TSerialSettings settings = LoadSerialSettings(settingsPath, m_name);
    // These failures are plain notices, as the store's operators know them.
    TOpened<TSerialLine> opened = TSerialLine::Open(m_device);
    if (!opened) {
        m_operator.ShowNotice(QStringLiteral("Erro: Invalid Handle Value"));
        return false;
    }
    std::unique_ptr<TSerialLine> line = std::move(opened.device);
    // The kernel's queues have fixed sizes: there is nothing to set up
    // before the line state is read.
    if (!line->ReadState()) {
        m_operator.ShowNotice(QStringLiteral("Erro: GetCommState"));
        return false;
    }
    if (!line->BuildState(DeviceControlText(settings))) {
        m_operator.ShowNotice(QStringLiteral("Erro: BuildCommDCB"));
        return false;
    }
    if (!line->ApplyState()) {
        m_operator.ShowNotice(QStringLiteral("Erro: SetCommState"));
        return false;
    }
    if (line->DsrFlow()) {
        if (m_modemLines)
            line->UseModemLines(m_modemLines());
        if (!line->RaiseDtr()) {
            m_operator.ShowNotice(
                QStringLiteral("Erro: o controle de fluxo DSR/DTR precisa das linhas de modem "
                               "(DSR e DTR) da porta, e %1 não as tem. Escolha outro controle "
                               "de fluxo na configuração da porta.")
                    .arg(AnsiToQString(m_name)));
            return false;
        }
    }
    m_line = std::move(line);
    m_stalled = false;
    return true;
}

bool TSerialPort::SendData(const std::string& data)
{
    if (!m_line || m_stalled)
        return false;
    switch (m_line->Write(data, m_writeBound, [&op = m_operator] { return op.StopAsked(); })) {
    case TSerialLine::TWriteResult::Written:
        return true;
    case TSerialLine::TWriteResult::Stopped:
        break;
    case TSerialLine::TWriteResult::TimedOut:
        ShowNotTaken();
        break;
    case TSerialLine::TWriteResult::Failed:
        m_operator.ShowError(QStringLiteral("Erro: WriteFile: ") +
                             QString::fromLocal8Bit(m_line->LastError()));
        break;
    }
    m_stalled = true;
    return false;
}

bool TSerialPort::EndData()
{
    if (!m_line)
        return false;
    bool taken = !m_stalled;
    if (m_stalled) {
        m_line->Discard();
    } else if (!m_line->Drain(m_writeBound, [&op = m_operator] { return op.StopAsked(); })) {
        // A stop asked while the line empties drops the rest: nothing to say.
        if (!m_operator.StopAsked())
            ShowNotTaken();
        taken = false;
    }
    m_line.reset();
    return taken;
}

void TSerialPort::ShowNotTaken()
{
    m_operator.ShowError(QString::fromStdString(NotTakenText(AnsiToUtf8(m_name), m_writeBound)));
}

} // namespace zev
