#include "output/Networkd.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "output/PortRegistry.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/OutputFile.h"
#include "platform/Profile.h"

#include <QStringList>

#include <algorithm>

namespace zev {

namespace {

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

std::vector<std::pair<std::string, std::string>> LoadNetworkPorts(const QString& settingsPath)
{
    return TIniFile(settingsPath).ReadSectionEntries(settings::Rede);
}

std::optional<std::string> LoadNetworkAddress(const QString& settingsPath, std::string_view name)
{
    const auto entries = LoadNetworkPorts(settingsPath);
    const auto last = std::find_if(entries.rbegin(), entries.rend(),
                                   [&](const auto& entry) { return entry.first == name; });
    if (last == entries.rend())
        return std::nullopt;
    return last->second;
}

std::unordered_map<std::string, std::string> NetworkAddresses(const TIniFile& settings)
{
    std::unordered_map<std::string, std::string> addresses;
    for (auto& [name, address] : settings.ReadSectionEntries(settings::Rede))
        addresses.insert_or_assign(std::move(name), std::move(address));
    return addresses;
}

void SaveNetworkAddress(const QString& settingsPath, std::string_view name,
                        std::string_view address)
{
    TIniFile ini(settingsPath);
    const auto entries = ini.ReadSectionEntries(settings::Rede);
    // Keys are matched without regard to case in zev.ini.
    const auto same = [&](const auto& entry) { return AnsiSameText(entry.first, name); };
    const auto last = std::find_if(entries.rbegin(), entries.rend(), same);
    const auto kept = last == entries.rend() ? entries.end() : std::prev(last.base());
    std::vector<std::pair<std::string, std::string>> written;
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry == kept)
            written.emplace_back(name, address);
        else if (!same(*entry))
            written.push_back(*entry);
    }
    if (kept == entries.end())
        written.emplace_back(name, address);
    ini.ReplaceSection(settings::Rede, written);
}

namespace {

// The address typed in the dialog as "Rede" keeps it; nothing, after a
// warning saying what is wrong and with the field at fault marked, when it
// is no address.
std::optional<std::string> TypedAddress(TOperator& op, TNetworkPortChoice& choice)
{
    std::string host(TrimView(QStringToAnsi(choice.host)));
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::string error;
    std::optional<TNetworkAddress> address;
    choice.fault = TNetworkPortField::Port;
    if (ParsePortNumber(std::to_string(choice.port), error)) {
        choice.fault = TNetworkPortField::Host;
        address = ParseNetworkAddress(
            NetworkAddressText({host, static_cast<std::uint16_t>(choice.port)}), error);
    }
    if (!address) {
        op.ShowWarning(Utf8("Endereço inválido: " + error + "."));
        return std::nullopt;
    }
    choice.fault = TNetworkPortField::None;
    return NetworkAddressText(*address);
}

} // namespace

TNetworkPort::TNetworkPort(TOperator& op, std::string name, TResolver resolver,
                           TNetworkBounds bounds)
    : m_operator(op), m_name(std::move(name)), m_resolver(std::move(resolver)), m_bounds(bounds)
{}

TNetworkPort::~TNetworkPort()
{
    // A port released in the middle of a job: the printer gets no rest of it.
    if (m_connection)
        Abort(*m_connection);
}

TNetworkPortAnswer TNetworkPort::EditAddress(const QString& settingsPath, const bool removable)
{
    if (m_connection) {
        m_operator.ShowWarning(QStringLiteral("Porta de rede em uso !!!"));
        return TNetworkPortAnswer::Cancelled;
    }
    TNetworkPortChoice choice;
    choice.name = AnsiToQString(m_name);
    choice.removable = removable;
    const std::string stored = LoadNetworkAddress(settingsPath, m_name).value_or("");
    std::string error;
    if (const std::optional<TNetworkAddress> address = ParseNetworkAddress(stored, error)) {
        choice.host = AnsiToQString(address->host);
        choice.port = address->port;
    } else {
        choice.host = AnsiToQString(stored);
    }
    // A wrong address opens the dialog again on what was typed.
    for (;;) {
        const TNetworkPortAnswer answer = m_operator.EditNetworkPort(choice);
        if (answer != TNetworkPortAnswer::Confirmed)
            return answer;
        if (const std::optional<std::string> address = TypedAddress(m_operator, choice)) {
            SaveNetworkAddress(settingsPath, m_name, *address);
            return answer;
        }
    }
}

std::string TNetworkPort::Where() const
{
    return AnsiToUtf8(m_name) + " (" + AnsiToUtf8(m_address) + ")";
}

bool TNetworkPort::StartData(const QString& settingsPath)
{
    if (m_connection)
        return false;
    const std::optional<std::string> stored = LoadNetworkAddress(settingsPath, m_name);
    if (!stored) {
        m_operator.ShowError(Utf8("A porta " + AnsiToUtf8(m_name) +
                                  " não tem endereço na seção [Rede] do zev.ini."));
        return false;
    }
    std::string error;
    const std::optional<TNetworkAddress> address = ParseNetworkAddress(*stored, error);
    if (!address) {
        m_operator.ShowError(Utf8("O endereço \"" + AnsiToUtf8(*stored) + "\" da porta " +
                                  AnsiToUtf8(m_name) + " é inválido: " + error +
                                  ". Corrija-o em Configuração, Etiquetas, \"Configura\"."));
        return false;
    }
    m_address = NetworkAddressText(*address);
    const TResolveResult resolved = m_resolver(address->host, address->port);
    if (resolved.addresses.empty()) {
        ShowFailure("Não foi possível encontrar a impressora da porta " + Where() + ": " +
                    resolved.error);
        return false;
    }
    TOpened<TTcpConnection> connected = TTcpConnection::Connect(resolved.addresses, m_bounds.connect);
    if (!connected) {
        ShowFailure("Não foi possível conectar à impressora da porta " + Where() + ": " +
                    connected.failure.reason);
        return false;
    }
    m_connection = std::move(connected.device);
    m_stalled = false;
    m_delivered.reset();
    return true;
}

bool TNetworkPort::SendData(const std::string& data)
{
    if (!m_connection || m_stalled)
        return false;
    const TTcpConnection::TResult result = m_connection->Write(data, m_bounds.write, StopAsked());
    m_stalled = !Told(result, "Erro ao enviar dados para a porta " + Where() + ": ", *m_connection);
    return !m_stalled;
}

bool TNetworkPort::Confirm()
{
    if (!m_connection || m_stalled)
        return false;
    const TTcpConnection::TResult result = m_connection->Confirm(m_bounds.write, StopAsked());
    m_stalled = !Told(
        result, "A impressora da porta " + Where() + " não recebeu a etiqueta: ", *m_connection);
    return !m_stalled;
}

bool TNetworkPort::EndData()
{
    if (!m_connection)
        return false;
    const std::unique_ptr<TTcpConnection> connection = std::move(m_connection);
    // A stop asked while the printer still takes the job resets the
    // connection, so that it prints no more of it.
    if (!m_stalled &&
        Told(connection->Finish(m_bounds.write, m_bounds.linger, StopAsked()),
             "A impressora da porta " + Where() + " não recebeu todos os dados: ", *connection))
        return true;
    Abort(*connection);
    return false;
}

// True when done; otherwise tells why, but for a stop the person asked.
bool TNetworkPort::Told(const TTcpConnection::TResult result, const std::string& failure,
                        const TTcpConnection& connection)
{
    switch (result) {
    case TTcpConnection::TResult::Written:
        return true;
    case TTcpConnection::TResult::Stopped:
        break;
    case TTcpConnection::TResult::TimedOut:
        ShowNotTaken();
        break;
    case TTcpConnection::TResult::Failed:
        ShowFailure(failure + connection.LastError());
        break;
    }
    return false;
}

// What the printer acknowledged is what it has; the rest it never gets.
void TNetworkPort::Abort(TTcpConnection& connection)
{
    const int unacknowledged = connection.Unacknowledged();
    if (unacknowledged >= 0)
        m_delivered = connection.Written() - unacknowledged;
    connection.Abort();
}

TStopAsked TNetworkPort::StopAsked() const
{
    return [&op = m_operator] { return op.StopAsked(); };
}

void TNetworkPort::ShowNotTaken()
{
    m_operator.ShowError(Utf8(NotTakenText(Where(), m_bounds.write)));
}

void TNetworkPort::ShowFailure(const std::string& what)
{
    m_operator.ShowError(Utf8(
        what + ". Verifique se a impressora está ligada e na rede e se o endereço está certo."));
}

TNetworkDriver::TNetworkDriver(TOperator& op, QString settingsPath, TResolver resolver,
                               TNetworkBounds bounds)
    : m_operator(op), m_settingsPath(std::move(settingsPath)), m_resolver(std::move(resolver)),
      m_bounds(bounds)
{}

TPrinterPortList TNetworkDriver::GetPorts()
{
    TPrinterPortList ports;
    for (const auto& [name, address] : LoadNetworkPorts(m_settingsPath))
        ports.push_back(MakePort(name));
    return ports;
}

std::unique_ptr<TPrinterPort> TNetworkDriver::MakePort(std::string name) const
{
    return std::make_unique<TNetworkPort>(m_operator, std::move(name), m_resolver, m_bounds);
}

std::optional<std::string> AddNetworkPort(TPortRegistry& registry, const QString& settingsPath)
{
    const TNetworkDriver* driver = nullptr;
    for (const auto& candidate : registry.DriverList())
        if (const auto* network = dynamic_cast<const TNetworkDriver*>(candidate.get()))
            driver = network;
    if (driver == nullptr)
        return std::nullopt;
    TOperator& op = driver->Operator();
    TNetworkPortChoice choice;
    choice.newPort = true;
    while (op.EditNetworkPort(choice) == TNetworkPortAnswer::Confirmed) {
        const std::string name(TrimView(QStringToAnsi(choice.name)));
        std::string refusal;
        if (name.empty())
            refusal = "Informe o nome da porta, por exemplo ZEBRA1:.";
        else if (name.find_first_of("=[]") != std::string::npos || name.front() == ';')
            refusal = "O nome da porta não pode ter \"=\", \"[\" nem \"]\" nem começar com \";\".";
        else if (registry.PortHash().Exists(name))
            refusal = "Já existe uma porta " + AnsiToUtf8(name) + ". Escolha outro nome.";
        if (!refusal.empty()) {
            op.ShowWarning(Utf8(refusal));
            choice.fault = TNetworkPortField::Name;
            continue;
        }
        const std::optional<std::string> address = TypedAddress(op, choice);
        if (!address)
            continue;
        SaveNetworkAddress(settingsPath, name, *address);
        registry.AddPort(*driver, driver->MakePort(name));
        return name;
    }
    return std::nullopt;
}

namespace {

bool AssignedTo(const TConfiguredLabel& entry, const std::string& port)
{
    return entry.PortName == port;
}

// The question before a removal: the port with its address, and every label
// whose assignment goes with it.
QString RemovalQuestion(const std::string& name, const QString& settingsPath,
                        const std::vector<QString>& labels)
{
    const QString port = AnsiToQString(name);
    const std::optional<std::string> address = LoadNetworkAddress(settingsPath, name);
    const QString where =
        address ? port + QStringLiteral(" (") + AnsiToQString(*address) + u')' : port;
    if (labels.empty())
        return QStringLiteral("Remover a impressora de rede ") + where + u'?';
    QStringList quoted;
    for (const QString& label : labels)
        quoted << u'"' + label + u'"';
    const bool one = labels.size() == 1;
    return QString::fromUtf8(one ? "A impressora de rede %1 ainda está atribuída à etiqueta %2."
                                 : "A impressora de rede %1 ainda está atribuída às etiquetas %2.")
               .arg(where, quoted.join(QStringLiteral(", "))) +
           u'\n' +
           QString::fromUtf8(one ? "Remover a impressora e essa atribuição? A etiqueta fica sem "
                                   "porta até receber outra."
                                 : "Remover a impressora e essas atribuições? As etiquetas ficam "
                                   "sem porta até receberem outra.");
}

} // namespace

bool ConfigureListedPort(TPortRegistry& registry, const std::string& name,
                         const QString& settingsPath, TConfiguredLabelList& assignments,
                         const TLabelText& labelText)
{
    TPrinterPort& port = registry.Port(name);
    auto* network = dynamic_cast<TNetworkPort*>(&port);
    if (network == nullptr) {
        port.Configure(settingsPath);
        return false;
    }
    if (network->EditAddress(settingsPath, true) != TNetworkPortAnswer::Remove)
        return false;
    return RemoveNetworkPort(registry, name, settingsPath, assignments, labelText);
}

bool RemoveNetworkPort(TPortRegistry& registry, const std::string& name,
                       const QString& settingsPath, TConfiguredLabelList& assignments,
                       const TLabelText& labelText)
{
    if (!registry.PortHash().Exists(name))
        return false;
    const auto* port = dynamic_cast<const TNetworkPort*>(&registry.Port(name));
    if (port == nullptr)
        return false;
    const auto& driver = static_cast<const TNetworkDriver&>(registry.DriverOf(*port));
    TConfiguredLabelList saved = LoadConfiguredLabels(settingsPath);
    std::vector<std::string> labelNames;
    std::vector<QString> labels;
    for (const TConfiguredLabelList* list : {&saved, &assignments})
        for (const TConfiguredLabel& entry : *list)
            if (AssignedTo(entry, name) && std::find(labelNames.begin(), labelNames.end(),
                                                     entry.LabelName) == labelNames.end()) {
                labelNames.push_back(entry.LabelName);
                labels.push_back(labelText(entry));
            }
    if (!driver.Operator().AskYesNo(RemovalQuestion(name, settingsPath, labels)))
        return false;

    const auto assigned = [&](const TConfiguredLabel& entry) { return AssignedTo(entry, name); };
    if (std::erase_if(saved, assigned) > 0)
        SaveConfiguredLabels(settingsPath, saved);
    std::erase_if(assignments, assigned);
    TIniFile ini(settingsPath);
    auto entries = ini.ReadSectionEntries(settings::Rede);
    // Keys are matched without regard to case in zev.ini.
    std::erase_if(entries, [&](const auto& entry) { return AnsiSameText(entry.first, name); });
    ini.ReplaceSection(settings::Rede, entries);
    registry.RemovePort(name);
    return true;
}

} // namespace zev
