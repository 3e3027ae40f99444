#include "output/PortRegistry.h"

#include "app/Settings.h"
#include "output/Filed.h"
#include "output/Networkd.h"
#include "output/Nulld.h"
#include "output/Paralleld.h"
#include "output/Seriald.h"
#include "output/Windowsd.h"
#include "platform/AnsiText.h"
#include "platform/Ports.h"
#include "platform/Profile.h"

#include <algorithm>

namespace zev {

namespace {

std::string NotFoundText(std::string_view name, const QString& absentDevice)
{
    if (absentDevice.isEmpty())
        return EHashFindError::Text(name);
    return "A impressora da porta " + AnsiToUtf8(name) + " não está conectada: o dispositivo \"" +
           absentDevice.toStdString() +
           "\", anotado para ela na seção [Portas] do zev.ini, não existe agora. Conecte a "
           "impressora (ou o adaptador USB), verifique o cabo e tente de novo (o programa ZEV "
           "procura as portas ao abrir: feche-o e abra-o de novo).";
}

} // namespace

QString PortKindText(const TPortKind kind)
{
    switch (kind) {
    case TPortKind::Nulo:
        return QStringLiteral("nulo");
    case TPortKind::Arquivo:
        return QStringLiteral("arquivo");
    case TPortKind::Paralela:
        return QStringLiteral("paralela");
    case TPortKind::Serie:
        return QStringLiteral("série");
    case TPortKind::Spooler:
        return QStringLiteral("spooler");
    case TPortKind::Rede:
        return QStringLiteral("rede");
    }
    return {};
}

EPortNotFound::EPortNotFound(std::string_view name, const QString& absentDevice)
    : EHashFindError(TReason{NotFoundText(name, absentDevice)})
{}

TPortRegistry::TPortRegistry(QString settingsPath, QString systemRoot)
    : m_settingsPath(std::move(settingsPath)), m_systemRoot(std::move(systemRoot))
{}

TPrinterPort& TPortRegistry::Port(std::string_view name) const
{
    if (m_portHash.Exists(name))
        return m_portHash.Item(name);
    throw EPortNotFound(name, AbsentDevice(name));
}

QString TPortRegistry::AbsentDevice(std::string_view name) const
{
    return m_settingsPath.isEmpty() ? QString()
                                    : AbsentPortDevice(name, m_settingsPath, m_systemRoot);
}

void TPortRegistry::AddDriver(std::unique_ptr<TPrinterDriver> driver)
{
    const TPrinterDriver& owner = *driver;
    m_drivers.push_back(std::move(driver));
    for (std::unique_ptr<TPrinterPort>& port : m_drivers.back()->GetPorts())
        AddPort(owner, std::move(port));
}

void TPortRegistry::AddPort(const TPrinterDriver& owner, std::unique_ptr<TPrinterPort> port)
{
    const std::string name = port->GetName();
    if (m_portHash.Exists(name)) {
        const TPrinterPort* earlier = &m_portHash.Item(name);
        std::erase(m_ports, earlier);
        m_driverOf.erase(earlier);
    }
    TPrinterPort* added = port.get();
    const auto place = std::upper_bound(
        m_ports.begin(), m_ports.end(), name,
        [](const std::string& key, const TPrinterPort* other) { return key < other->GetName(); });
    m_ports.insert(place, added);
    m_driverOf[added] = &owner;
    m_portHash.SetItem(name, std::move(port));
}

void TPortRegistry::RemovePort(const std::string_view name)
{
    if (!m_portHash.Exists(name))
        return;
    const TPrinterPort* port = &m_portHash.Item(name);
    std::erase(m_ports, port);
    m_driverOf.erase(port);
    m_portHash.Delete(name);
}

const TPrinterDriver& TPortRegistry::DriverOf(const TPrinterPort& port) const
{
    return *m_driverOf.at(&port);
}

std::unique_ptr<TPortRegistry> BuildPortRegistry(TOperator& op, const QString& systemRoot)
{
    auto registry = std::make_unique<TPortRegistry>(SettingsPath(), systemRoot);
    registry->AddDriver(std::make_unique<TNullDriver>(op));
    registry->AddDriver(std::make_unique<TFileDriver>(op));
    registry->AddDriver(std::make_unique<TParallelDriver>(op, SettingsPath(), systemRoot));
    registry->AddDriver(std::make_unique<TSerialDriver>(op, SettingsPath(), systemRoot));
    registry->AddDriver(std::make_unique<TWindowsDriver>(op));
    registry->AddDriver(std::make_unique<TNetworkDriver>(op, SettingsPath()));
    return registry;
}

TConfiguredLabelList LoadConfiguredLabels(const QString& settingsPath)
{
    const TIniFile ini(settingsPath);
    TConfiguredLabelList labels;
    for (const std::string& name : ini.ReadSectionKeys(settings::Labels))
        labels.push_back({name, ini.ReadString(settings::Labels, name)});
    return labels;
}

void AssignLabel(TConfiguredLabelList& labels, std::string_view labelName,
                 std::string_view portName)
{
    const auto entry = std::find_if(labels.begin(), labels.end(), [&](const TConfiguredLabel& e) {
        return e.LabelName == labelName;
    });
    if (entry != labels.end())
        entry->PortName = portName;
    else
        labels.push_back({std::string(labelName), std::string(portName)});
}

void RemoveLabel(TConfiguredLabelList& labels, std::size_t index)
{
    if (index < labels.size())
        labels.erase(labels.begin() + static_cast<std::ptrdiff_t>(index));
}

void SaveConfiguredLabels(const QString& settingsPath, const TConfiguredLabelList& labels)
{
    std::vector<std::pair<std::string, std::string>> values;
    for (const TConfiguredLabel& label : labels)
        values.emplace_back(label.LabelName, label.PortName);
    // One save: the section is never left half-written.
    TIniFile(settingsPath).ReplaceSection(settings::Labels, values);
}

} // namespace zev
