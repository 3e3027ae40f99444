#include "platform/Ports.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"
#include "platform/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <set>

namespace zev {

namespace {

enum class Kind
{
    Serial,
    Parallel,
    Other,
};

struct TPortNumber
{
    Kind kind = Kind::Other;
    int number = 0;
};

TPortNumber ParsePortName(std::string_view name)
{
    const Kind kind = name.starts_with("COM")   ? Kind::Serial
                      : name.starts_with("LPT") ? Kind::Parallel
                                                : Kind::Other;
    if (kind == Kind::Other || name.size() < 5 || !name.ends_with(':'))
        return {};
    const std::string_view digits = name.substr(3, name.size() - 4);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const std::optional<std::int32_t> number = TryStrToInt(digits);
    if (!number || *number < 1)
        return {};
    return {kind, *number};
}

std::string PortName(Kind kind, int number)
{
    return (kind == Kind::Serial ? "COM" : "LPT") + std::to_string(number) + ":";
}

QString DeviceDir(const QString& systemRoot)
{
    return systemRoot + QStringLiteral("/dev");
}

QString Canonical(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

// A /dev/ttyS node exists for every UART the kernel could drive; only those
// with a UART found behind them (a port type other than "unknown") are ports.
// The type is read from sysfs, so the device itself (often the console) is
// never opened.
bool IsPresent(const QString& device, const QString& systemRoot)
{
    const QString canonical = Canonical(device);
    if (canonical.isEmpty())
        return false;
    const QFileInfo info(canonical);
    static const QRegularExpression uartName(QStringLiteral("^ttyS[0-9]+$"));
    if (info.path() != Canonical(DeviceDir(systemRoot)) ||
        !uartName.match(info.fileName()).hasMatch())
        return true;
    QFile type(systemRoot + QStringLiteral("/sys/class/tty/") + info.fileName() +
               QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed().toInt() != 0;
}

// Device nodes named <prefix><number> in a folder, by number.
std::vector<std::pair<int, QString>> NumberedDevices(const QString& folder, const QString& prefix)
{
    std::vector<std::pair<int, QString>> devices;
    const QRegularExpression pattern(QStringLiteral("^") + QRegularExpression::escape(prefix) +
                                     QStringLiteral("([0-9]+)$"));
    const QStringList names =
        QDir(folder).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        if (const QRegularExpressionMatch match = pattern.match(name); match.hasMatch())
            devices.emplace_back(match.captured(1).toInt(), folder + u'/' + name);
    std::sort(devices.begin(), devices.end());
    return devices;
}

// Hot-plug devices of one kind, the stable by-id links first.
std::vector<QString> HotPlugDevices(Kind kind, const QString& systemRoot)
{
    const QString dev = DeviceDir(systemRoot);
    std::vector<QString> devices;
    if (kind == Kind::Serial) {
        const QDir byId(dev + QStringLiteral("/serial/by-id"));
        for (const QString& name :
             byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
            devices.push_back(byId.filePath(name));
        for (const QString& prefix : {QStringLiteral("ttyUSB"), QStringLiteral("ttyACM")})
            for (const auto& [number, path] : NumberedDevices(dev, prefix))
                devices.push_back(path);
    } else {
        for (const auto& [number, path] :
             NumberedDevices(dev + QStringLiteral("/usb"), QStringLiteral("lp")))
            devices.push_back(path);
    }
    return devices;
}

QString DefaultDevice(const TPortNumber& port, const QString& systemRoot)
{
    const QString node =
        port.kind == Kind::Serial ? QStringLiteral("/ttyS") : QStringLiteral("/lp");
    return DeviceDir(systemRoot) + node + QString::number(port.number - 1);
}

} // namespace

std::vector<TSystemPort> EnumeratePorts(const QString& settingsPath, const QString& systemRoot)
{
    TIniFile ini(settingsPath);
    std::vector<TSystemPort> ports;
    std::set<QString> mapped;             // canonical device paths already named
    std::set<std::pair<Kind, int>> taken; // numbers in use
    std::set<std::string> names;          // every name in use, upper case, for the defaults

    // One pass over the section: it may hold thousands of entries.
    for (const auto& [name, value] : ini.ReadSectionValues(PortasSection)) {
        if (!names.insert(AnsiUpperCase(name)).second)
            continue; // a key written twice: the first one counts, as when it is read
        const TPortNumber number = ParsePortName(name);
        if (number.kind != Kind::Other)
            taken.insert({number.kind, number.number});
        // A NUL byte: no device can have that name.
        const QString device = AnsiToQString(value);
        if (value.find('\0') != std::string::npos || !IsPresent(device, systemRoot))
            continue;
        mapped.insert(Canonical(device));
        ports.push_back({name, device});
    }

    for (const Kind kind : {Kind::Serial, Kind::Parallel}) {
        const QString prefix = kind == Kind::Serial ? QStringLiteral("ttyS") : QStringLiteral("lp");
        for (const auto& [index, device] : NumberedDevices(DeviceDir(systemRoot), prefix)) {
            const std::string name = PortName(kind, index + 1);
            if (names.contains(name) || mapped.contains(Canonical(device)) ||
                !IsPresent(device, systemRoot))
                continue;
            taken.insert({kind, index + 1});
            mapped.insert(Canonical(device));
            ports.push_back({name, device});
        }
    }

    for (const Kind kind : {Kind::Serial, Kind::Parallel}) {
        for (const QString& device : HotPlugDevices(kind, systemRoot)) {
            const QString canonical = Canonical(device);
            if (canonical.isEmpty() || mapped.contains(canonical))
                continue;
            int number = 1;
            while (taken.contains({kind, number}))
                ++number;
            const std::string name = PortName(kind, number);
            try {
                ini.WriteText(PortasSection, name, device);
            } catch (const EZevError&) {
                // A settings file we may not write: the device is still a
                // port for this run, only its name is not kept.
            }
            taken.insert({kind, number});
            mapped.insert(canonical);
            ports.push_back({name, device});
        }
    }

    std::stable_sort(ports.begin(), ports.end(), [](const TSystemPort& a, const TSystemPort& b) {
        const TPortNumber left = ParsePortName(a.name);
        const TPortNumber right = ParsePortName(b.name);
        return std::pair(left.kind, left.number) < std::pair(right.kind, right.number);
    });
    return ports;
}

QString PortDevicePath(std::string_view portName, const QString& settingsPath,
                       const QString& systemRoot)
{
    return PortDevicePath(portName, TIniFile(settingsPath), systemRoot);
}

QString PortDevicePath(std::string_view portName, const TIniFile& ini, const QString& systemRoot)
{
    if (ini.ValueExists(PortasSection, portName))
        return ini.ReadText(PortasSection, portName);
    const TPortNumber number = ParsePortName(portName);
    if (number.kind == Kind::Other)
        return {};
    return DefaultDevice(number, systemRoot);
}

QString AbsentPortDevice(std::string_view portName, const QString& settingsPath,
                         const QString& systemRoot)
{
    const TIniFile ini(settingsPath);
    if (!ini.ValueExists(PortasSection, portName))
        return {};
    const std::string value = ini.ReadString(PortasSection, portName);
    const QString device = AnsiToQString(value);
    if (value.find('\0') == std::string::npos && IsPresent(device, systemRoot))
        return {};
    return device;
}

} // namespace zev
