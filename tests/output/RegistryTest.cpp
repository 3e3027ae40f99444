#include "output/PortRegistry.h"
#include "platform/AnsiText.h"
#include "platform/Ports.h"
#include "tests/output/OutputTestSupport.h"

#include <gmock/gmock.h>

using namespace zev;
using namespace zev::test;

namespace {

using RegistryTest = OutputTest;

TEST_F(RegistryTest, WithoutDevicesOnlyTheFileAndNullPortsExistAndOthersAreMissing)
{
    const auto registry = BuildPortRegistry(op, Root());
    EXPECT_EQ(Names(registry->PortList()), (std::vector<std::string>{"FILE:", "NULL:"}));
    EXPECT_EQ(registry->DriverOf(registry->Port("FILE:")).GetName(), "File Driver");
    EXPECT_THAT([&] { (void)registry->Port("COM9:"); },
                testing::ThrowsMessage<EHashFindError>(testing::StrEq("Key \"COM9:\" not found")));
    EXPECT_TRUE(op.Messages().empty());
}

// The USB adapter and the USB printer that were recorded in "Portas" are
// unplugged; the recorded parallel port is there.
TEST_F(RegistryTest, APortWhoseRecordedDeviceIsUnpluggedSaysWhichDeviceToPlugIn)
{
    const QString adapter = Root() + "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    const QString printer = Root() + "/dev/usb/lp0";
    SetIni("[Portas]\r\nCOM3:=" + adapter.toStdString() + "\r\nLPT2:=" + printer.toStdString() +
           "\r\nLPT5:=" + Device("lp4").toStdString() + "\r\n");
    const auto registry = BuildPortRegistry(op, Root());
    EXPECT_EQ(registry->Port("LPT5:").GetName(), "LPT5:");
    for (const auto& [name, device] : {std::pair("COM3:", adapter), std::pair("LPT2:", printer)}) {
        const std::string message =
            "A impressora da porta " + std::string(name) + " não está conectada: o dispositivo \"" +
            device.toStdString() +
            "\", anotado para ela na seção [Portas] do zev.ini, não existe "
            "agora. Conecte a impressora (ou o adaptador USB), verifique o cabo e tente de novo (o "
            "programa ZEV procura as portas ao abrir: feche-o e abra-o de novo).";
        EXPECT_THAT([&] { (void)registry->Port(name); },
                    testing::ThrowsMessage<EHashFindError>(testing::StrEq(message)));
    }
}

// The machine: two UART nodes of which one has a UART, a parallel port, a
// USB serial adapter with its by-id link, a USB modem, a USB printer, and
// "Portas" entries written by hand.
TEST_F(RegistryTest, SystemPortsFollowTheirDevicesAndPortas)
{
    const QString ttyS0 = Device("ttyS0");
    Device("ttyS1");
    UartType("ttyS0", 4);
    UartType("ttyS1", 0);
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
    EXPECT_EQ(found(), expected) << "second run";
    // The hot-plug devices were recorded once, the adapter by its stable path.
    const TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadSectionKeys("Portas"),
              (std::vector<std::string>{"COM5:", "LPT3:", "com7:", "COM2:", "COM3:", "LPT2:"}));
    EXPECT_EQ(ini.ReadString("Portas", "COM2:"), byId.toStdString());

    for (const auto& [name, device] :
         {std::pair{"COM1:", ttyS0}, std::pair{"COM2:", byId},
          std::pair{"LPT4:", Root() + "/dev/lp3"}, std::pair{"FILE:", QString()}})
        EXPECT_EQ(PortDevicePath(name, Ini(), Root()), device) << name;

    const auto registry = BuildPortRegistry(op, Root());
    EXPECT_EQ(Names(registry->PortList()),
              (std::vector<std::string>{
                  "COM1:", "COM2:", "COM3:", "COM5:", "FILE:", "LPT1:", "LPT2:", "NULL:"}));
    EXPECT_EQ(registry->DriverOf(registry->Port("COM2:")).GetName(), "Serial Driver");
    EXPECT_EQ(registry->DriverOf(registry->Port("LPT2:")).GetName(), "Parallel Driver");

    // Unplugged, the adapter is no port; plugged in again elsewhere, it is
    // COM2: once more.
    QFile::remove(Root() + "/dev/ttyUSB0");
    auto unplugged = expected;
    unplugged.erase(unplugged.begin() + 1);
    EXPECT_EQ(found(), unplugged);
    Device("ttyUSB3");
    QFile::remove(byId);
    ASSERT_TRUE(QFile::link("../../ttyUSB3", byId));
    EXPECT_EQ(found(), expected);
}

// A port that counts its releases, and a driver of such ports.
struct TCountedPort final : TPrinterPort
{
    TCountedPort(std::string name, int& released) : name(std::move(name)), released(released) {}
    ~TCountedPort() override { ++released; }
    std::string GetName() const override { return name; }
    void Configure(const QString&) override {}
    bool StartData(const QString&) override { return true; }
    bool EndData() override { return true; }
    bool SendData(const std::string&) override { return true; }
    std::string name;
    int& released;
};

struct TListDriver final : TPrinterDriver
{
    TListDriver(std::vector<std::string> names, int& released)
        : names(std::move(names)), released(released)
    {}
    std::string GetName() const override { return "List " + names.front(); }
    TPortKind Kind() const override { return TPortKind::Nulo; }
    std::string GetVersion() const override { return "0"; }
    TPrinterPortList GetPorts() override
    {
        TPrinterPortList ports;
        for (const std::string& name : names)
            ports.push_back(std::make_unique<TCountedPort>(name, released));
        return ports;
    }
    std::vector<std::string> names;
    int& released;
};

TEST(PortRegistry, OrdersByteWiseAndTheLaterOfTwoEqualNamesWins)
{
    int released = 0;
    {
        TPortRegistry registry;
        registry.AddDriver(std::make_unique<TListDriver>(
            std::vector<std::string>{"NULL:", "abc", "FILE:"}, released));
        const TPrinterPort* earlierAbc = &registry.Port("abc");
        registry.AddDriver(std::make_unique<TListDriver>(
            std::vector<std::string>{"Zebra", "abc", "COM1:"}, released));

        EXPECT_EQ(Names(registry.PortList()),
                  (std::vector<std::string>{"COM1:", "FILE:", "NULL:", "Zebra", "abc"}));
        EXPECT_EQ(released, 1); // the earlier "abc"
        const TPrinterPort& abc = registry.Port("abc");
        EXPECT_NE(&abc, earlierAbc);
        EXPECT_EQ(registry.DriverOf(abc).GetName(), "List Zebra");
        for (const TPrinterPort* port : registry.PortList())
            EXPECT_EQ(&registry.Port(port->GetName()), port);
    }
    EXPECT_EQ(released, 6);
}

using ConfiguredLabelsTest = OutputTest;

TEST_F(ConfiguredLabelsTest, RoundTripInTheListsOrder)
{
    EXPECT_TRUE(LoadConfiguredLabels(Ini()).empty());
    SetIni(
        "[Geral]\r\nLabel Default=Gondola\r\n[Labels]\r\nvelha=LPT1:\r\n[COM1:]\r\nBAUD=19200\r\n");

    const TConfiguredLabelList labels = {
        {"Gondola", "COM1:"}, {"Preço Oferta", "FILE:"}, {"Atacado", ""}, {"Balcão", "NULL:"}};
    SaveConfiguredLabels(Ini(), labels);
    EXPECT_EQ(LoadConfiguredLabels(Ini()), labels);
    const TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadString("Geral", "Label Default"), "Gondola");
    EXPECT_EQ(ini.ReadInteger("COM1:", "BAUD", 0), 19200);
    EXPECT_FALSE(ini.ValueExists("Labels", "velha"));

    SaveConfiguredLabels(Ini(), {});
    EXPECT_TRUE(LoadConfiguredLabels(Ini()).empty());
    EXPECT_FALSE(TIniFile(Ini()).SectionExists("Labels"));
    EXPECT_EQ(TIniFile(Ini()).ReadInteger("COM1:", "BAUD", 0), 19200);
}

TEST(ConfiguredLabels, AnAssignedLabelChangesItsPortOrComesLastAndARemovedOneGoes)
{
    const TConfiguredLabelList start = {{"gondola", "COM1:"}, {"oferta", "FILE:"}};
    // A label assigned (a port) or removed (a row), and the list after.
    const struct
    {
        const char* label;
        const char* port;
        std::size_t row;
        TConfiguredLabelList after;
    } cases[] = {
        {"balcao", "NULL:", 0, {{"gondola", "COM1:"}, {"oferta", "FILE:"}, {"balcao", "NULL:"}}},
        {"gondola", "LPT1:", 0, {{"gondola", "LPT1:"}, {"oferta", "FILE:"}}},
        {"Gondola", "LPT1:", 0, {{"gondola", "COM1:"}, {"oferta", "FILE:"}, {"Gondola", "LPT1:"}}},
        {nullptr, nullptr, 0, {{"oferta", "FILE:"}}},
        {nullptr, nullptr, 2, start},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label ? std::string(c.label) : "row " + std::to_string(c.row));
        TConfiguredLabelList labels = start;
        if (c.label)
            AssignLabel(labels, c.label, c.port);
        else
            RemoveLabel(labels, c.row);
        EXPECT_EQ(labels, c.after);
    }
}

} // namespace
