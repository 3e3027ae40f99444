#pragma once

// The port registry: every driver, and every port of every driver by name,
// built once at start-up and owned by the program for the whole run (there
// is no global instance). Also the assignment of labels to ports, section
// "Labels" of zev.ini.
//
// Port names are unique: when two drivers report the same name, the later
// port keeps it and the earlier one leaves both PortHash and PortList, so no
// released port stays reachable.
//
// User-interface thread only.

#include "app/Hashes.h"
#include "output/PrinterDriver.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zev {

class TOperator;

using TDriverList = std::vector<std::unique_ptr<TPrinterDriver>>;
// Sorted by name byte for byte: COM1: < FILE: < LPT1: < NULL: < Zebra < abc.
using TPortList = std::vector<TPrinterPort*>;
// Owns the ports.
using TPortHash = TObjectHash<TPrinterPort>;

// A port name no registered port answers to. When "Portas" of zev.ini maps
// the name to a device that is absent, the message names the device and
// says to plug the printer in.
class EPortNotFound final : public EHashFindError
{
public:
    EPortNotFound(std::string_view name, const QString& absentDevice);
};

class TPortRegistry final
{
public:
    TPortRegistry() = default;
    // The settings and system root the ports were found with, for saying why
    // a name is missing.
    TPortRegistry(QString settingsPath, QString systemRoot);
    TPortRegistry(const TPortRegistry&) = delete;
    TPortRegistry& operator=(const TPortRegistry&) = delete;

    // Appends the driver to DriverList and registers its ports.
    void AddDriver(std::unique_ptr<TPrinterDriver> driver);
    // A port a registered driver made after start-up (a network port the
    // operator added); it replaces a port of the same name.
    void AddPort(const TPrinterDriver& owner, std::unique_ptr<TPrinterPort> port);
    // Releases the port: references to it end here. Nothing without one of
    // that name.
    void RemovePort(std::string_view name);

    const TDriverList& DriverList() const { return m_drivers; }
    const TPortList& PortList() const { return m_ports; }
    const TPortHash& PortHash() const { return m_portHash; }

    // EPortNotFound, naming the port, when no port has that name.
    TPrinterPort& Port(std::string_view name) const;
    // The device "Portas" of zev.ini names for a port that is not
    // registered, when that device is absent; empty otherwise.
    QString AbsentDevice(std::string_view name) const;
    // The driver that made a registered port.
    const TPrinterDriver& DriverOf(const TPrinterPort& port) const;

private:
    // Destroyed in reverse: the port list before the ports, the ports before
    // the drivers.
    TDriverList m_drivers;
    TPortHash m_portHash;
    TPortList m_ports;
    std::unordered_map<const TPrinterPort*, const TPrinterDriver*> m_driverOf;
    QString m_settingsPath;
    QString m_systemRoot;
};

// The root of the system's device paths; empty: the machine's own /dev.
// The drivers in DriverList order: null, file, parallel, serial, spooler,
// network.
std::unique_ptr<TPortRegistry> BuildPortRegistry(TOperator& op, const QString& systemRoot = {});

// One entry of section "Labels": a label's name and the name of its port.
struct TConfiguredLabel
{
    std::string LabelName;
    std::string PortName;

    bool operator==(const TConfiguredLabel&) const = default;
};

// In the order of the section's entries.
using TConfiguredLabelList = std::vector<TConfiguredLabel>;

// Empty without a section "Labels".
TConfiguredLabelList LoadConfiguredLabels(const QString& settingsPath);
// The label takes the port: its entry's port changes when it has one,
// otherwise the entry is added last.
void AssignLabel(TConfiguredLabelList& labels, std::string_view labelName,
                 std::string_view portName);
// The entry at `index` goes (none: nothing). Whatever "Label Default" says
// stays: the label itself is still there.
void RemoveLabel(TConfiguredLabelList& labels, std::size_t index);
// Rewrites the section in the list's order; an empty list leaves no section.
void SaveConfiguredLabels(const QString& settingsPath, const TConfiguredLabelList& labels);

} // namespace zev
