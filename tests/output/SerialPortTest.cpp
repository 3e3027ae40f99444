#include "output/PortRegistry.h"
#include "platform/SerialLine.h"
#include "tests/output/OutputTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <termios.h>
#include <tuple>

using namespace zev;
using namespace zev::test;
using namespace std::chrono_literals;

namespace {

using SerialSettingsTest = OutputTest;

const std::vector<TOperatorMessage> NotTaken =
    Said("error", "A porta COM9: não recebeu os dados em 0,3 segundos: "
                  "verifique se a impressora está ligada, conectada e pronta.");

TEST_F(SerialSettingsTest, TheDialogShowsAndKeepsTheStoredSettings)
{
    TSerialPort port(op, "COM2:", "/dev/zev-nenhum");
    const std::string stored =
        "[COM2:]\r\nBAUD=4000\r\nDATABITS=7\r\nPARITY=E\r\nFLOWCONTROL=1\r\n";
    SetIni(stored);

    op.QueueSerialLineCancel();
    port.Configure(Ini());
    EXPECT_EQ(IniContent(), stored);

    // OK with the baud and stop-bits lists still empty keeps what was stored.
    op.QueueSerialLine({-1, 1, -1, 4, 0});
    port.Configure(Ini());
    op.QueueSerialLine({12, 3, 1, 0, 2});
    port.Configure(Ini());

    const auto& requests = op.SerialLineRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].portName, "COM2:");
    EXPECT_EQ(requests[0].devicePath, "/dev/zev-nenhum");
    EXPECT_EQ(requests[0].shown, (TSerialLineChoice{-1, 2, -1, 2, 1}));
    EXPECT_EQ(requests[1].shown, (TSerialLineChoice{-1, 2, -1, 2, 1}));
    EXPECT_EQ(requests[2].shown, (TSerialLineChoice{-1, 1, -1, 4, 0}));
    EXPECT_EQ(LoadSerialSettings(Ini(), "COM2:"), (TSerialSettings{115200, 8, 2, 'N', 2}));
    EXPECT_EQ(IniContent(), "[COM2:]\r\nBAUD=115200\r\nDATABITS=8\r\nPARITY=N\r\nFLOWCONTROL=2\r\n"
                            "STOPBITS=2\r\n");
    EXPECT_TRUE(op.Messages().empty());
}

// A serial port on a pseudo-terminal mapped in "Portas", found the way the
// program finds it.
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

// The line as "<baud> <stop bits>[ odd][ rtscts][ xon]"; a pseudo-terminal
// keeps no data bits and no parity but odd.
std::string LineOf(const TPseudoTerminal& line)
{
    termios state{};
    line.LineState(state);
    const int speed = line.LineSpeed();
    std::string text = std::to_string(speed) + ((state.c_cflag & CSTOPB) ? " 2" : " 1");
    const std::map<int, speed_t> constants = {
        {2400, B2400}, {9600, B9600}, {19200, B19200}, {115200, B115200}};
    if (constants.contains(speed) && cfgetospeed(&state) != constants.at(speed))
        text += " (not its termios constant)";
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

// The settings as the device control text the port builds from them, and
// the line the port then sets up: speeds without a termios constant (the
// dialog's and any other a store typed) by their number; a line that cannot
// take the settings ("refused") is let go.
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
        {"STOPBITS=9", Default, "9600 1 rtscts"},
        {"STOPBITS=259 FLOWCONTROL=257",
         "baud=9600 parity=N data=8 stop=2 xon=on octs=off odsr=off", "9600 2 xon"},
        {"PARITY=Odd", nullptr, "9600 1 odd rtscts"},
        {"BAUD=4000", nullptr, "4000 1 rtscts"},
        {"BAUD=256000", nullptr, "256000 1 rtscts"},
        {"DATABITS=9", nullptr, "refused"},
        {"DATABITS=5 STOPBITS=3", nullptr, "refused"},
        {"PARITY=X", nullptr, "refused"},
        {"BAUD=0", nullptr, "refused"},
        {"BAUD=-9600", nullptr, "refused"},
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
        TSerialPort other(op, "COM8:", line.Device());
        Settings("");
        EXPECT_TRUE(other.StartData(Ini())) << "the device was let go";
        EXPECT_TRUE(other.EndData());
    }

    // Flow control the text does not name stays as the device has it.
    op.ClearMessages();
    termios state{};
    line.LineState(state);
    state.c_iflag |= IXON | IXOFF;
    state.c_cflag &= ~CRTSCTS;
    line.SetLineState(state);
    Settings("FLOWCONTROL=7");
    EXPECT_EQ(DeviceControlText(LoadSerialSettings(Ini(), "COM9:")),
              "baud=9600 parity=N data=8 stop=1");
    ASSERT_TRUE(port->StartData(Ini()));
    EXPECT_EQ(LineOf(line), "9600 1 xon");
    EXPECT_TRUE(port->EndData());
    EXPECT_TRUE(op.Messages().empty());
}

// A started port keeps its dialog and its device: another port on the same
// device is refused while it is held.
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
    op.QueueSerialLineCancel();
    port->Configure(Ini());
    EXPECT_EQ(op.SerialLineRequests().size(), 1u);
}

// Each job tries the device again: one that is there but no serial line
// gets further.
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

// The notice is the store's; the line itself keeps why it could not open.
TEST_F(SerialPortTest, AnUnopenedLineKeepsTheSystemsReason)
{
    const TOpened<TSerialLine> held = TSerialLine::Open(line.Device());
    ASSERT_TRUE(held);
    for (const auto& [device, code] :
         {std::pair{line.Device(), EBUSY}, std::pair{Root() + "/ttyUSB9", ENOENT}}) {
        SCOPED_TRACE(device.toStdString());
        const TOpened<TSerialLine> opened = TSerialLine::Open(device);
        EXPECT_FALSE(opened);
        EXPECT_EQ(opened.failure.code, code);
        EXPECT_EQ(opened.failure.reason, device.toStdString() + ": " + std::strerror(code));
    }
}

// A printer that sent XOFF holds the line back: the job gives up at the
// bound and says so once.
TEST_F(SerialPortTest, AWriteHeldBackByXoffGivesUpAtTheBound)
{
    Settings("FLOWCONTROL=1");
    const int probe =
        open(QFile::encodeName(line.Device()).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY);
    ASSERT_GE(probe, 0);
    TSerialPort held(op, "COM9:", line.Device(), 300ms);
    ASSERT_TRUE(held.StartData(Ini()));
    line.Write("\x13");
    // Held back once a byte written to the line no longer goes through.
    for (int tries = 0; write(probe, "", 1) == 1 && tries < 2000; ++tries)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(held.SendData(std::string(1000, 'Z')));
    EXPECT_FALSE(held.SendData("^XA^XZ"));
    EXPECT_EQ(op.Messages(), NotTaken);
    EXPECT_FALSE(held.EndData());
    close(probe);
}

// The modem lines of a printer that raises DSR after `lateLooks` looks,
// keeps it up for `readyAnswers` looks, then drops it; DTR as the port
// leaves it.
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

    // Ready throughout, or after a while: the whole job, DTR held up.
    for (const int late : {0, 5}) {
        modem.lateLooks = late;
        modem.dtr = false;
        ASSERT_TRUE(dsr.StartData(Ini()));
        EXPECT_TRUE(modem.dtr);
        EXPECT_TRUE(dsr.SendData(EveryByte(1000)));
        EXPECT_TRUE(dsr.EndData());
        EXPECT_EQ(line.Read(1000), EveryByte(1000));
    }
    EXPECT_TRUE(op.Messages().empty());

    // DSR dropped after three pieces (and the look at start): nothing more
    // arrives, and the job fails at the bound.
    modem.readyAnswers = 4;
    ASSERT_TRUE(dsr.StartData(Ini()));
    EXPECT_FALSE(dsr.SendData(std::string(1000, 'Z')));
    EXPECT_FALSE(dsr.EndData());
    EXPECT_EQ(line.Read(1000, 200ms), std::string(3 * TSerialLine::DsrPieceSize, 'Z'));
    EXPECT_EQ(op.Messages(), NotTaken);

    // A device without modem lines cannot do it, and says so.
    op.ClearMessages();
    EXPECT_FALSE(port->StartData(Ini()));
    EXPECT_EQ(op.Messages(), Said("notice", "Erro: o controle de fluxo DSR/DTR precisa das linhas "
                                            "de modem (DSR e DTR) da porta, e COM9: não as tem. "
                                            "Escolha outro controle de fluxo na configuração da "
                                            "porta."));
    EXPECT_FALSE(port->SendData("x"));
}

} // namespace
