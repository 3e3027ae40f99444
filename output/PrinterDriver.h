#pragma once

// Printer output: a driver is one kind of channel (nothing, a file, a
// parallel or serial port, the print spooler) and lists the destinations of
// its kind; a port is one destination, addressed everywhere by its name.
//
// A job drives a port through StartData, one SendData per block (the label
// header first, then one block per label) and EndData. Every StartData that
// returned true is matched by exactly one EndData: a serial or spooler port
// left started refuses the next job.
//
// Ports report their own failures to the operator before returning false;
// the job then reports its own, more general message.

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zev {

class TPrinterPort
{
public:
    virtual ~TPrinterPort() = default;

    // The key under which the port is registered and stored in "Labels".
    virtual std::string GetName() const = 0;

    // Lets the operator edit the port's own settings, kept in the section of
    // the settings file named after the port.
    virtual void Configure(const QString& settingsPath) = 0;

    // True: started, SendData accepted.
    virtual bool StartData(const QString& settingsPath) = 0;
    virtual bool EndData() = 0;

    // One block of printer bytes, sent unchanged: no conversion, no
    // terminator added.
    virtual bool SendData(const std::string& data) = 0;

    // Waits until the device has taken every block sent so far, for a
    // caller that must know a label reached the printer (the counter);
    // false, the failure told, when it did not. A port whose system takes
    // the bytes for good when SendData returns has nothing to wait for.
    virtual bool Confirm() { return true; }
    // After a job given up (cancelled, stalled): how many of the bytes
    // SendData took the printer is known to have received; nothing when
    // the port cannot tell otherwise than by SendData's answers.
    virtual std::optional<std::int64_t> DeliveredBytes() const { return std::nullopt; }
};

// New port objects; whoever receives them owns them.
using TPrinterPortList = std::vector<std::unique_ptr<TPrinterPort>>;

// What kind of channel a driver's ports are, as the operator knows them.
enum class TPortKind
{
    Nulo,
    Arquivo,
    Paralela,
    Serie,
    Spooler,
    Rede,
};

// "nulo", "arquivo", "paralela", "série", "spooler", "rede".
QString PortKindText(TPortKind kind);

class TPrinterDriver
{
public:
    virtual ~TPrinterDriver() = default;

    virtual std::string GetName() const = 0;
    virtual TPortKind Kind() const = 0;
    virtual std::string GetVersion() const = 0;

    // One new port for every destination of this kind that exists now.
    virtual TPrinterPortList GetPorts() = 0;
};

// The text every port without settings of its own shows from Configure.
inline constexpr const char* NoPortConfigurationText = "Não existe configuração para esta porta!!";

} // namespace zev
