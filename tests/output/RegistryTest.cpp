#include "output/PortRegistry.h"
#include "platform/AnsiText.h"
#include "platform/Ports.h"
#include "tests/output/OutputTestSupport.h"

#include <gmock/gmock.h>

using namespace zev;
using namespace zev::test;

namespace {

using RegistryTest = OutputTest;

// Ports sort byte-wise; of two of one name, in one driver or two, the later counts.
TEST_F(RegistryTest, PortsSortByteWiseAndTheLaterOfTwoOfANameCounts)
{
    EXPECT_EQ(Names(BuildPortRegistry(op, Root())->PortList()),
              (std::vector<std::string>{"FILE:", "NULL:"}));
    SetIni("[Rede]\r\nabc=127.0.0.1\r\nFILE:=127.0.0.1\r\nZebra=127.0.0.1\r\nabc=[::1]\r\n");
    const auto registry = BuildPortRegistry(op, Root());
    EXPECT_EQ(Names(registry->PortList()),
              (std::vector<std::string>{"FILE:", "NULL:", "Zebra", "abc"}));
    EXPECT_EQ(registry->DriverOf(registry->Port("FILE:")).GetName(), "Network Driver");
    EXPECT_THAT([&] { (void)registry->Port("COM9:"); },
                testing::ThrowsMessage<EHashFindError>(testing::StrEq("Key \"COM9:\" not found")));
    EXPECT_TRUE(op.Messages().empty());
}

// The adapter recorded in "Portas" is unplugged, the parallel port is not.
TEST_F(RegistryTest, APortWhoseRecordedDeviceIsUnpluggedSaysWhichDeviceToPlugIn)
{
    const QString adapter = Root() + "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    SetIni("[Portas]\r\nCOM3:=" + adapter.toStdString() +
           "\r\nLPT5:=" + Device("lp4").toStdString() + "\r\n");
    const auto registry = BuildPortRegistry(op, Root());
    EXPECT_EQ(registry->Port("LPT5:").GetName(), "LPT5:");
    const std::string message =
        "A impressora da porta COM3: não está conectada: o dispositivo \"" + adapter.toStdString() +
        "\", anotado para ela na seção [Portas] do zev.ini, não existe agora. Conecte a impressora "
        "(ou o adaptador USB), verifique o cabo e tente de novo (o programa ZEV procura as portas "
        "ao abrir: feche-o e abra-o de novo).";
    EXPECT_THAT([&] { (void)registry->Port("COM3:"); },
                testing::ThrowsMessage<EHashFindError>(testing::StrEq(message)));
}

// Two UART nodes (one without a UART), a parallel port, a USB adapter with its
// by-id link, a USB modem and printer, and "Portas" entries written by hand.
TEST_F(RegistryTest, SystemPortsFollowTheirDevicesAndPortas)
{
    const QString ttyS0 = Device("ttyS0");
    Device("ttyS1");
    // A UART as sysfs shows it: type 0 is no UART.
    for (const auto& [tty, type] : {std::pair{"ttyS0", "4\n"}, std::pair{"ttyS1", "0\n"}}) {
        QDir().mkpath(Root() + "/sys/class/tty/" + tty);
        WriteFileBytes(Root() + "/sys/class/tty/" + tty + "/type", type);
    }
    const QString lp0 = Device("lp0");
    Device("ttyUSB0");
    QDir().mkpath(Root() + "/dev/serial/by-id");
    const QString byId = Root() + "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    ASSERT_TRUE(QFile::link("../../ttyUSB0", byId));
    const QString acm = Device("ttyACM0");
    const QString usbLp = Device("usb/lp0");
    // zev.ini holds the paths in the store's code page.
    const QString fixed = Device("impressora-balcão");
    const std::string fixedAnsi = QStringToAnsi(fixed);
    SetIni("[Portas]\r\nCOM5:=" + fixedAnsi + "\r\nLPT3:=" + Root().toStdString() +
           "/dev/lp7\r\ncom7:=" + fixedAnsi + "\r\n");

    auto found = [&] {
        std::vector<std::pair<std::string, QString>> ports;
        for (const TSystemPort& port : EnumeratePorts(Ini(), Root()))
            ports.emplace_back(port.name, port.device);
        return ports;
    };
    const std::vector<std::pair<std::string, QString>> expected = {
        {"COM1:", ttyS0}, {"COM2:", byId},  {"COM3:", acm},  {"COM5:", fixed},
        {"LPT1:", lp0},   {"LPT2:", usbLp}, {"com7:", fixed}};
    EXPECT_EQ(found(), expected);
    // The hot-plug devices were recorded once, the adapter by its stable path.
    const TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadSectionKeys("Portas"),
              (std::vector<std::string>{"COM5:", "LPT3:", "com7:", "COM2:", "COM3:", "LPT2:"}));

    const auto registry = BuildPortRegistry(op, Root());
    EXPECT_EQ(Names(registry->PortList()),
              (std::vector<std::string>{
                  "COM1:", "COM2:", "COM3:", "COM5:", "FILE:", "LPT1:", "LPT2:", "NULL:"}));

    // Unplugged the adapter is no port; plugged in elsewhere it is COM2: again.
    QFile::remove(Root() + "/dev/ttyUSB0");
    auto unplugged = expected;
    unplugged.erase(unplugged.begin() + 1);
    EXPECT_EQ(found(), unplugged);
    Device("ttyUSB3");
    QFile::remove(byId);
    ASSERT_TRUE(QFile::link("../../ttyUSB3", byId));
    EXPECT_EQ(found(), expected);
}

using ConfiguredLabelsTest = OutputTest;

TEST_F(ConfiguredLabelsTest, RoundTripInTheListsOrder)
{
    SetIni("[Labels]\r\nvelha=LPT1:\r\n[COM1:]\r\nBAUD=19200\r\n");

    const TConfiguredLabelList labels = {
        {"Gondola", "COM1:"}, {"Preço Oferta", "FILE:"}, {"Atacado", ""}, {"Balcão", "NULL:"}};
    SaveConfiguredLabels(Ini(), labels);
    EXPECT_EQ(LoadConfiguredLabels(Ini()), labels);

    SaveConfiguredLabels(Ini(), {});
    EXPECT_TRUE(LoadConfiguredLabels(Ini()).empty());
    EXPECT_FALSE(TIniFile(Ini()).SectionExists("Labels"));
    EXPECT_EQ(TIniFile(Ini()).ReadInteger("COM1:", "BAUD", 0), 19200);
}

} // namespace
