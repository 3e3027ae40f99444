#pragma once

// The network driver: printers on the store's network that take their
// printer language on a raw TCP port (9100 by convention), reached without
// the spooler. Its ports are the keys of section "Rede" of zev.ini, each
// name = address: "ZEBRA1:=192.168.0.50:9100", "ZEBRA2:=etiquetas.loja",
// "ZEBRA3:=[fe80::1%eth0]:9101". Without a port number the printer's 9100
// is meant. Of two keys with the same name the later one counts.
//
// A port reads its address again whenever it is used, so an address the
// operator changed takes effect at the next job. StartData connects within
// the connect bound; SendData gives up on a printer that takes no byte for
// as long as the write bound; EndData ends the connection and returns true
// only once the printer has acknowledged every byte (and then closed, or
// kept quiet for the linger time). Every failure is an error box naming the
// port, its address and the reason, and a false result; after a failed
// SendData the rest of the job is refused at once.

#include "app/Operator.h"
#include "output/NetworkAddress.h"
#include "output/PortRegistry.h"
#include "output/PrinterDriver.h"
#include "platform/TcpConnection.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zev {

class TIniFile;

// The entries of section "Rede" in file order, names and address texts as
// written.
std::vector<std::pair<std::string, std::string>> LoadNetworkPorts(const QString& settingsPath);
// The address text of the port's last entry; nothing when it has none.
std::optional<std::string> LoadNetworkAddress(const QString& settingsPath, std::string_view name);
// The same for every port of "Rede" at once, from settings already read:
// for listing thousands of ports.
std::unordered_map<std::string, std::string> NetworkAddresses(const TIniFile& settings);
// Gives the port one entry with this address: at the place of its last
// entry, other entries of that name removed; a new name goes at the end.
void SaveNetworkAddress(const QString& settingsPath, std::string_view name,
                        std::string_view address);

struct TNetworkBounds
{
    std::chrono::milliseconds connect{5000};
    std::chrono::milliseconds write{10000}; // without a byte taken
    std::chrono::milliseconds linger{1000}; // for the printer's close, all bytes acknowledged
};

class TNetworkPort final : public TPrinterPort
{
public:
    TNetworkPort(TOperator& op, std::string name, TResolver resolver = ResolveTcpAddress,
                 TNetworkBounds bounds = {});
    ~TNetworkPort() override;

    std::string GetName() const override { return m_name; }
    // The address dialog; refused with a warning while a job runs.
    void Configure(const QString& settingsPath) override { EditAddress(settingsPath, false); }
    // The address dialog, with "Remover" when `removable`: Confirmed once
    // an address was saved, Remove when the operator asked for that (the
    // caller removes), Cancelled otherwise.
    TNetworkPortAnswer EditAddress(const QString& settingsPath, bool removable);
    bool StartData(const QString& settingsPath) override;
    bool EndData() override;
    bool SendData(const std::string& data) override;
    // Waits for the printer's acknowledgement of what was sent.
    bool Confirm() override;
    std::optional<std::int64_t> DeliveredBytes() const override { return m_delivered; }

private:
    // "ZEBRA1: (192.168.0.50:9100)", for messages.
    std::string Where() const;
    // Resets the connection, keeping how much of the job had arrived.
    void Abort(TTcpConnection& connection);
    bool Told(TTcpConnection::TResult result, const std::string& failure,
              const TTcpConnection& connection);
    // The operator's stop request, for the waits on the printer.
    TStopAsked StopAsked() const;
    void ShowNotTaken();
    void ShowFailure(const std::string& what);

    TOperator& m_operator;
    std::string m_name;
    TResolver m_resolver;
    TNetworkBounds m_bounds;
    std::string m_address;                        // of the running job
    std::unique_ptr<TTcpConnection> m_connection; // open during a job
    bool m_stalled = false;                       // a block of this job was not taken
    std::optional<std::int64_t> m_delivered;      // of a job given up, what had arrived
};

class TNetworkDriver final : public TPrinterDriver
{
public:
    TNetworkDriver(TOperator& op, QString settingsPath, TResolver resolver = ResolveTcpAddress,
                   TNetworkBounds bounds = {});

    std::string GetName() const override { return "Network Driver"; }
    TPortKind Kind() const override { return TPortKind::Rede; }
    std::string GetVersion() const override { return "1.0.0"; }
    // One port per entry of "Rede", in their order.
    TPrinterPortList GetPorts() override;

    std::unique_ptr<TPrinterPort> MakePort(std::string name) const;
    TOperator& Operator() const { return m_operator; }

private:
    TOperator& m_operator;
    QString m_settingsPath;
    TResolver m_resolver;
    TNetworkBounds m_bounds;
};

// Asks the operator for a new network port's name and address, writes it
// to "Rede" and registers the port with the registry's network driver. The
// new port's name; nothing when the operator cancelled or the entry was
// refused (with a warning saying why).
std::optional<std::string> AddNetworkPort(TPortRegistry& registry, const QString& settingsPath);

// How a question names a label: its description, as the lists show it.
using TLabelText = std::function<QString(const TConfiguredLabel&)>;

// The settings dialog's "&Configura": the port's own settings; a network
// port's dialog offers "Remover" too, which RemoveNetworkPort carries out.
// `assignments` are the dialog's labels, not yet saved. True when the port
// is gone.
bool ConfigureListedPort(TPortRegistry& registry, const std::string& name,
                         const QString& settingsPath, TConfiguredLabelList& assignments,
                         const TLabelText& labelText);

// Removes a network port once the operator says Yes to a question that names
// the labels still assigned to it, in section "Labels" or in `assignments`:
// first those assignments, in the file and in the list, then the port's
// entry of "Rede", then the port itself from the registry. A failure halfway
// leaves a port without labels, never labels without their port. True when
// the port is gone; false for No, and for a port that is no network port.
bool RemoveNetworkPort(TPortRegistry& registry, const std::string& name,
                       const QString& settingsPath, TConfiguredLabelList& assignments,
                       const TLabelText& labelText);

} // namespace zev
