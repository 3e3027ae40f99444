#pragma once

// The serial driver: one port per COMn: port of the machine
// (platform/Ports.h). Each port keeps its line settings in the section of
// zev.ini named after it, lets the operator edit them in the serial settings
// dialog, and during a job holds the device open, exclusively.
//
// A device that takes no byte for as long as the write bound (10 seconds:
// flow control holding it back, nothing attached) is given up with a message
// and SendData returns false; the rest of that job is then refused at once,
// so a job of many labels cannot hang the program. A slow printer is waited
// for as long as it keeps taking data, and EndData returns true only when
// the device has sent everything.

#include "output/PrinterDriver.h"
#include "output/SystemPortDriver.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace zev {

class TModemLines;
class TOperator;
class TSerialLine;

// Gives a job's line other modem lines than its device's own (tests).
using TModemLinesFactory = std::function<std::unique_ptr<TModemLines>()>;

// The lists of the settings dialog, in their order.
inline constexpr std::array<int, 15> SerialBaudRates = {110,   300,   600,    1200,   2400,
                                                        4800,  9600,  14400,  19200,  38400,
                                                        56000, 57600, 115200, 128000, 256000};
inline constexpr std::array<int, 4> SerialDataBits = {5, 6, 7, 8};
// Stop-bits codes 1, 2 and 3.
inline constexpr std::array<const char*, 3> SerialStopBitsTexts = {"1", "1.5", "2"};
inline constexpr std::array<char, 5> SerialParityLetters = {'N', 'O', 'E', 'M', 'S'};
inline constexpr std::array<const char*, 5> SerialParityNames = {"Nenhuma", "Ímpar", "Par", "Marca",
                                                                 "Espaço"};
// Flow-control codes 0 to 3.
inline constexpr std::array<const char*, 4> SerialFlowNames = {"Nenhuma", "XON/XOFF", "CTS/RTS",
                                                               "DSR/DTR"};

// A port's section of zev.ini, as read.
struct TSerialSettings
{
    int baudRate = 9600;
    int dataBits = 8;
    std::uint8_t stopBits = 0;    // 1 one, 2 one and a half, 3 two; others: one
    char parity = 'N';            // the first letter stored; empty: N
    std::uint8_t flowControl = 2; // 0 none, 1 XON/XOFF, 2 CTS/RTS, 3 DSR/DTR; others: left as is

    bool operator==(const TSerialSettings&) const = default;
};

TSerialSettings LoadSerialSettings(const QString& settingsPath, std::string_view port);
// Writes all five keys.
void SaveSerialSettings(const QString& settingsPath, std::string_view port,
                        const TSerialSettings& line);

// The device-control text the line is set up from, for example
// "baud=9600 parity=N data=8 stop=1 xon=off octs=on odsr=off".
std::string DeviceControlText(const TSerialSettings& line);

class TSerialPort final : public TPrinterPort
{
public:
    static constexpr std::chrono::milliseconds DefaultWriteBound{10000};

    TSerialPort(TOperator& op, std::string name, QString device,
                std::chrono::milliseconds writeBound = DefaultWriteBound,
                TModemLinesFactory modemLines = {});
    ~TSerialPort() override;

    std::string GetName() const override { return m_name; }
    // Refused with a warning while a job runs.
    void Configure(const QString& settingsPath) override;
    // Opens the device and sets the line; false, after a message, when it
    // cannot; false without a word while already started.
    bool StartData(const QString& settingsPath) override;
    // Waits until the device has sent everything, then closes it. False when
    // idle, and when data of this job was not taken (after a message).
    bool EndData() override;
    bool SendData(const std::string& data) override;

private:
    void ShowNotTaken();

    TOperator& m_operator;
    std::string m_name;
    QString m_device;
    std::chrono::milliseconds m_writeBound;
    TModemLinesFactory m_modemLines;
    std::unique_ptr<TSerialLine> m_line; // open during a job
    bool m_stalled = false;              // a block of this job was not taken
};

// One port for every system port whose name begins with "COM".
class TSerialDriver final : public TSystemPortDriver
{
public:
    TSerialDriver(TOperator& op, QString settingsPath, QString systemRoot = {})
        : TSystemPortDriver(op, std::move(settingsPath), std::move(systemRoot), "COM")
    {}

    std::string GetName() const override { return "Serial Driver"; }
    TPortKind Kind() const override { return TPortKind::Serie; }
    std::string GetVersion() const override { return "1.1.1"; }

private:
    std::unique_ptr<TPrinterPort> MakePort(TOperator& op, const std::string& name,
                                           const QString& device) const override
    {
        return std::make_unique<TSerialPort>(op, name, device);
    }
};

} // namespace zev
