// zev-cli ports and zev-cli send: the printer ports this machine has (a
// network port with its address), and a file sent to one of them as a print job, for checking a
// printer connection.

#include "app/Settings.h"
#include "cli/Cli.h"
#include "cli/TerminalOperator.h"
#include "output/Networkd.h"
#include "output/PortRegistry.h"
#include "output/StartedPort.h"
#include "platform/AnsiText.h"
#include "platform/Ports.h"
#include "platform/Profile.h"

#include <QFile>

#include <ostream>
#include <unordered_map>

namespace zev::cli {

namespace {

bool IsDevicePort(std::string_view name)
{
    return name.starts_with("COM") || name.starts_with("LPT");
}

// With its port number; an address that is none, as written.
std::string NetworkAddressListed(const std::unordered_map<std::string, std::string>& addresses,
                                 const std::string& name)
{
    const auto found = addresses.find(name);
    const std::string stored = found == addresses.end() ? std::string() : found->second;
    std::string error;
    const std::optional<TNetworkAddress> address = ParseNetworkAddress(stored, error);
    return address ? NetworkAddressText(*address) : stored;
}

} // namespace

int PortsCommand(TCliContext& context, TArguments arguments)
{
    if (!arguments.empty())
        return UsageError(context, "ports", "o comando não tem argumentos");
    TTerminalOperator op(context.out, context.err);
    const auto registry = BuildPortRegistry(op);
    // Read once for every port: "Rede" may hold thousands of them.
    const TIniFile settings(SettingsPath());
    const auto addresses = NetworkAddresses(settings);
    for (const TPrinterPort* port : registry->PortList()) {
        const std::string name = port->GetName();
        context.out << AnsiToUtf8(name) << '\t' << registry->DriverOf(*port).GetName();
        if (dynamic_cast<const TNetworkPort*>(port) != nullptr)
            context.out << '\t' << AnsiToUtf8(NetworkAddressListed(addresses, name));
        else if (IsDevicePort(name))
            context.out << '\t' << PortDevicePath(name, settings).toStdString();
        context.out << '\n';
    }
    return Done;
}

int SendCommand(TCliContext& context, TArguments arguments)
{
    TTerminalAnswers answers;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--output") {
            if (++i == arguments.size())
                return UsageError(context, "send", "--output precisa de um arquivo");
            answers.output = QString::fromLocal8Bit(arguments[i]);
        } else {
            names.push_back(arguments[i]);
        }
    }
    if (names.size() != 2)
        return UsageError(context, "send", "informe a porta e o arquivo");
    const std::string portName = Utf8ToAnsi(names[0]);
    QFile file(QString::fromLocal8Bit(names[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        context.err << "Não foi possível ler o arquivo " << names[1] << ": "
                    << file.errorString().toStdString() << "\n";
        return Failed;
    }
    const QByteArray bytes = file.readAll();

    TTerminalOperator op(context.out, context.err, answers);
    const auto registry = BuildPortRegistry(op);
    TPrinterPort& port = registry->Port(portName);
    if (!port.StartData(SettingsPath())) {
        context.err << "Não foi possível enviar dados\n";
        return Failed;
    }
    TStartedPort started(port);
    const bool sent = port.SendData(bytes.toStdString());
    // A job the port could not finish (the spooler refused the end of the
    // document, a file that did not close) was not sent either.
    const bool ended = started.End();
    if (!sent || !ended) {
        context.err << "Não foi possível enviar dados\n";
        return Failed;
    }
    context.out << "Enviados " << bytes.size() << " bytes para " << names[0] << "\n";
    return Done;
}

} // namespace zev::cli
