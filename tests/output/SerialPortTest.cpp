#include "output/PortRegistry.h"
#include "platform/SerialLine.h"
#include "tests/output/OutputTestSupport.h"

#include <algorithm>
#include <climits>
#include <termios.h>
#include <tuple>

using namespace zev;
using namespace zev::test;
using namespace std::chrono_literals;

namespace {

using SerialSettingsTest = OutputTest;

TEST_F(SerialSettingsTest, TheDialogShowsAndKeepsTheStoredSettings)
{
    TSerialPort port(op, "COM2:", "/dev/zev-nenhum");
    SetIni("[COM2:]\r\nBAUD=4000\r\nDATABITS=7\r\nPARITY=E\r\nFLOWCONTROL=1\r\n");
    // OK with the baud and stop-bits lists still empty keeps what was stored.
    op.QueueSerialLine({-1, 1, -1, 4, 0});
    port.Configure(Ini());
    op.QueueSerialLine({12, 3, 1, 0, 2});
    port.Configure(Ini());

    const auto& requests = op.SerialLineRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].shown, (TSerialLineChoice{-1, 2, -1, 2, 1}));
    EXPECT_EQ(requests[1].shown, (TSerialLineChoice{-1, 1, -1, 4, 0}));
    EXPECT_EQ(IniContent(), "[COM2:]\r\nBAUD=115200\r\nDATABITS=8\r\nPARITY=N\r\nFLOWCONTROL=2\r\n"
                            "STOPBITS=2\r\n");
}

// A pseudo-terminal mapped in "Portas", found as the program finds it.
class SerialPortTest : public OutputTest
{
protected:
    void SetUp() override
    {
        SetIni("[Portas]\r\nCOM9:=" + line.Device().toStdString() + "\r\n");
        registry = BuildPortRegistry(op, Root());
        port = &registry->Port("COM9:");
    }

    // The port's own section, its keys separated by blanks: "BAUD=2400 PARITY=E".
    void Settings(std::string keys) const
    {
        std::replace(keys.begin(), keys.end(), ' ', '\n');
        SetIni("[Portas]\r\nCOM9:=" + line.Device().toStdString() + "\r\n[com9:]\r\n" + keys);
    }

    TPseudoTerminal line;
    std::unique_ptr<TPortRegistry> registry;
    TPrinterPort* port = nullptr;
};

// "<baud> <stop bits>[ odd][ rtscts][ xon]": a pty keeps no data bits, no parity but odd.
std::string LineOf(const TPseudoTerminal& line)
{
    termios state{};
    line.LineState(state);
    const int speed = line.LineSpeed();
    std::string text = std::to_string(speed) + ((state.c_cflag & CSTOPB) ? " 2" : " 1");
    if (state.c_cflag & PARODD)
        text += " odd";
    if (state.c_cflag & CRTSCTS)
        text += " rtscts";
    if (state.c_iflag & (IXON | IXOFF))
        text += (state.c_iflag & IXON) && (state.c_iflag & IXOFF) ? " xon" : " half xon";
    // Raw: nothing is translated, echoed or taken as a signal.
    if ((state.c_oflag & OPOST) || (state.c_lflag & (ICANON | ECHO | ISIG)))
        text += " cooked";
    return text;
}

// The control text and the line the settings give, speeds without a termios
// constant by their number; a line that cannot take them ("refused") is let go.
TEST_F(SerialPortTest, TheLineHasTheSettingsAskedFor)
{
    const char* const Default = "baud=9600 parity=N data=8 stop=1 xon=off octs=on odsr=off";
    // The keys, the text (nullptr: not checked), the line.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"", Default, "9600 1 rtscts"},
        {"BAUD=19200 DATABITS=7 STOPBITS=3 PARITY=O FLOWCONTROL=1",
         "baud=19200 parity=O data=7 stop=2 xon=on octs=off odsr=off", "19200 2 odd xon"},
        {"BAUD=115200 STOPBITS=1 PARITY=E FLOWCONTROL=0",
         "baud=115200 parity=E data=8 stop=1 xon=off octs=off odsr=off", "115200 1"},
        {"BAUD=2400 DATABITS=5 STOPBITS=2 PARITY=N FLOWCONTROL=2",
         "baud=2400 parity=N data=5 stop=1.5 xon=off octs=on odsr=off", "2400 2 rtscts"},
        {"STOPBITS=2 FLOWCONTROL=0", "baud=9600 parity=N data=8 stop=1.5 xon=off octs=off odsr=off",
         "refused"},
        // Unreadable or out of range: the default; only the low byte counts.
        {"PARITY= STOPBITS=0 BAUD=abc", Default, "9600 1 rtscts"},
        {"STOPBITS=259 FLOWCONTROL=257",
         "baud=9600 parity=N data=8 stop=2 xon=on octs=off odsr=off", "9600 2 xon"},
        // Flow control the text does not name stays as the line has it: xon,
        // left on by the row before.
        {"FLOWCONTROL=7", "baud=9600 parity=N data=8 stop=1", "9600 1 xon"},
        {"BAUD=4000", nullptr, "4000 1 rtscts"},
        {"DATABITS=9", nullptr, "refused"},
        {"BAUD=0", nullptr, "refused"},
    };
    for (const auto& [keys, text, expected] : cases) {
        SCOPED_TRACE(keys);
        Settings(keys);
        if (text != nullptr) {
            EXPECT_EQ(DeviceControlText(LoadSerialSettings(Ini(), "COM9:")), text);
        }
        op.ClearMessages();
        if (expected != "refused") {
            ASSERT_TRUE(port->StartData(Ini()));
            EXPECT_EQ(LineOf(line), expected);
            EXPECT_TRUE(port->EndData());
            EXPECT_TRUE(op.Messages().empty());
            continue;
        }
        EXPECT_FALSE(port->StartData(Ini()));
        EXPECT_EQ(op.Messages(), Said("notice", "Erro: BuildCommDCB"));
        EXPECT_FALSE(port->SendData("x")); // idle
    }
}

// A started port keeps its dialog and its device from another port.
TEST_F(SerialPortTest, AStartedPortRefusesItsDialogAndItsDevice)
{
    ASSERT_TRUE(port->StartData(Ini()));
    port->Configure(Ini());
    EXPECT_EQ(op.Messages(), Said("warning", "Porta Serial em uso !!!"));
    EXPECT_TRUE(op.SerialLineRequests().empty());
    op.ClearMessages();
    TSerialPort other(op, "COM8:", line.Device());
    EXPECT_FALSE(other.StartData(Ini()));
    EXPECT_EQ(op.Messages(), Said("notice", "Erro: Invalid Handle Value"));

    EXPECT_TRUE(port->EndData());
    EXPECT_TRUE(other.StartData(Ini()));
    EXPECT_TRUE(other.EndData());
}

// Each job tries the device again: one there but no serial line gets further.
TEST_F(SerialPortTest, AMissingDeviceLeavesThePortIdle)
{
    line.Close(); // the device node disappears with its controlling side
    EXPECT_FALSE(port->StartData(Ini()));
    EXPECT_FALSE(port->SendData("x"));
    const QString later = Root() + "/ttyUSB0";
    TSerialPort usb(op, "COM3:", later);
    EXPECT_FALSE(usb.StartData(Ini()));
    WriteFileBytes(later, "");
    EXPECT_FALSE(usb.StartData(Ini()));
    EXPECT_EQ(op.Messages(),
              (std::vector<TOperatorMessage>{{"notice", "Erro: Invalid Handle Value"},
                                             {"notice", "Erro: Invalid Handle Value"},
                                             {"notice", "Erro: GetCommState"}}));
}

// A printer raising DSR after `lateLooks` looks, dropping it after `readyAnswers`.
struct TModemState
{
    int lateLooks = 0;
    int readyAnswers = INT_MAX;
    bool dtr = false;
};

struct TFakeModemLines final : TModemLines
{
    explicit TFakeModemLines(TModemState& state) : state(state) {}
    bool RaiseDtr() override { return state.dtr = true; }
    std::optional<bool> Dsr() override
    {
        if (state.lateLooks > 0 && state.lateLooks--)
            return false;
        return state.readyAnswers-- > 0;
    }
    TModemState& state;
};

TEST_F(SerialPortTest, DsrDtrSendsOnlyWhileThePrinterIsReady)
{
    Settings("FLOWCONTROL=3");
    TModemState modem;
    TSerialPort dsr(op, "COM9:", line.Device(), 300ms,
                    [&modem] { return std::make_unique<TFakeModemLines>(modem); });

    // Ready after a while: the whole job, DTR held up.
    modem.lateLooks = 5;
    ASSERT_TRUE(dsr.StartData(Ini()));
    EXPECT_TRUE(modem.dtr);
    EXPECT_TRUE(dsr.SendData(EveryByte(1000)));
    EXPECT_TRUE(dsr.EndData());
    EXPECT_EQ(line.Read(1000), EveryByte(1000));
    EXPECT_TRUE(op.Messages().empty());

    // DSR dropped after three pieces (and the look at start): the job fails at the bound.
    modem.readyAnswers = 4;
    ASSERT_TRUE(dsr.StartData(Ini()));
    EXPECT_FALSE(dsr.SendData(std::string(1000, 'Z')));
    EXPECT_FALSE(dsr.EndData());
    EXPECT_EQ(line.Read(1000, 200ms), std::string(3 * TSerialLine::DsrPieceSize, 'Z'));
    EXPECT_EQ(op.Messages().size(), 1u) << "the typed port tests check its text";

    // A device without modem lines cannot do it, and says so.
    op.ClearMessages();
    EXPECT_FALSE(port->StartData(Ini()));
    EXPECT_EQ(op.Messages(), Said("notice", "Erro: o controle de fluxo DSR/DTR precisa das linhas "
                                            "de modem (DSR e DTR) da porta, e COM9: não as tem. "
                                            "Escolha outro controle de fluxo na configuração da "
                                            "porta."));
}

} // namespace
