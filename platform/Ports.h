#pragma once

// The serial and parallel ports this machine has, under the names the store
// knows from Windows: "COMn:" for serial lines and "LPTn:" for printer
// devices. The names stay the same on every system, so zev.ini's port
// sections and "Labels" values read the same everywhere.
//
// Section "Portas" of zev.ini maps a port name to a device path
// ("COM3:=/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"). Without an entry,
// /dev/ttyS<k> is COM<k+1>: and /dev/lp<k> is LPT<k+1>:. A device that can be
// plugged in (a USB serial adapter or printer) and is not in "Portas" yet is
// given the next free number of its kind and recorded there, under its stable
// /dev/serial/by-id path when it has one, so a label assigned to it finds it
// again after replugging. An entry whose device is absent is not listed, and
// a /dev/ttyS node without a UART behind it is no port.
//
// `systemRoot` prefixes every system path ("/dev", "/sys"): empty for the
// program, a folder of its own in the tests.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TIniFile;

inline constexpr std::string_view PortasSection = "Portas";

struct TSystemPort
{
    std::string name; // "COM1:", "LPT2:"
    QString device;   // "/dev/ttyS0"
};

// Serial ports by number, then parallel ports by number, then any other name
// that "Portas" holds. Records newly seen hot-plug devices in "Portas".
std::vector<TSystemPort> EnumeratePorts(const QString& settingsPath,
                                        const QString& systemRoot = {});

// The device behind a port name, for showing beside it; empty for a name
// that is neither in "Portas" nor a COMn:/LPTn: name.
QString PortDevicePath(std::string_view portName, const QString& settingsPath,
                       const QString& systemRoot = {});
// The same from settings already read, for listing many ports.
QString PortDevicePath(std::string_view portName, const TIniFile& settings,
                       const QString& systemRoot = {});

// The device "Portas" records for a port name when that device is absent
// now (a printer or USB adapter unplugged); empty when the name has no entry
// or its device is there.
QString AbsentPortDevice(std::string_view portName, const QString& settingsPath,
                         const QString& systemRoot = {});

} // namespace zev
