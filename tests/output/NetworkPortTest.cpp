#include "output/PortRegistry.h"
#include "tests/output/OutputTestSupport.h"

#include <array>
#include <tuple>

using namespace zev;
using namespace zev::test;
using namespace std::chrono_literals;

namespace {

// Short bounds; the resolver knows only 127.0.0.1 and records what it is asked.
class NetworkPortTest : public OutputTest
{
protected:
    TNetworkPort& PortFor(const std::string& rede)
    {
        SetIni("[Rede]\r\n" + rede);
        const auto resolve = [this](const std::string& host, std::uint16_t number) {
            lookups.push_back(host + " " + std::to_string(number));
            if (host == "127.0.0.1")
                return ResolveTcpAddress(host, number);
            return TResolveResult{{}, "nome não encontrado"};
        };
        made = std::make_unique<TNetworkPort>(op, "IMP:", resolve,
                                              TNetworkBounds{1000ms, 300ms, 200ms});
        return *made;
    }
    TNetworkPort& PortAt(const TLoopbackPrinter& printer)
    {
        return PortFor("IMP:=127.0.0.1:" + std::to_string(printer.Port()) + "\r\n");
    }

    std::vector<std::string> lookups;
    std::unique_ptr<TNetworkPort> made;
};

TEST(NetworkAddressTest, RedeEntriesParse)
{
    // The address as written back, or the reason.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"192.168.0.50", "192.168.0.50:9100"},
        {" etiquetas.loja:9101 ", "etiquetas.loja:9101"},
        {"fe80::1", "[fe80::1]:9100"},
        {"impressora:65535", "impressora:65535"},
        {"impressora:65536", "o número da porta \"65536\" não está entre 1 e 65535"},
        {"impressora:0", "o número da porta \"0\" não está entre 1 e 65535"},
        {"impressora:91x", "o número da porta \"91x\" não está entre 1 e 65535"},
        {"impressora:", "falta o número da porta depois do \":\""},
        {"[::1", "falta o \"]\" que fecha o endereço IPv6"},
        {"[::1]9100", "depois do \"]\" só pode vir \":\" e o número da porta"},
        {"", "falta o nome ou endereço da impressora"},
        {"minha impressora", "o nome \"minha impressora\" não é um endereço"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        const auto address = ParseNetworkAddress(text, error);
        EXPECT_EQ(address ? NetworkAddressText(*address) : error, expected) << text;
    }
}

// Saved, an address takes the place of the last entry of its name, whatever its case.
TEST_F(NetworkPortTest, SavingAnAddressReplacesEveryEntryOfItsName)
{
    SetIni("[Rede]\r\nZEBRA1:=127.0.0.1\r\nZEBRA2:=etiquetas.loja:9101\r\n"
           "ZEBRA1:=[::1]:9200\r\n");
    SaveNetworkAddress(Ini(), "zebra1:", "10.0.0.7:9100");
    SaveNetworkAddress(Ini(), "ZEBRA3:", "[::1]:9100");
    EXPECT_EQ(IniContent(), "[Rede]\r\nZEBRA2:=etiquetas.loja:9101\r\nzebra1:=10.0.0.7:9100\r\n"
                            "ZEBRA3:=[::1]:9100\r\n");
}

TEST_F(NetworkPortTest, AddressesAreCheckedWhenThePortIsUsed)
{
    TLoopbackPrinter refusing(AF_INET, 0, false);
    const std::string refused = std::to_string(refusing.Port());
    const std::string check =
        ". Verifique se a impressora está ligada e na rede e se o endereço está certo.";
    // The entry, the name looked up, the message.
    const std::vector<std::array<std::string, 3>> cases = {
        {"IMP:=impressora:99999", "",
         "O endereço \"impressora:99999\" da porta IMP: é inválido: o número da porta \"99999\" "
         "não está entre 1 e 65535. Corrija-o em Configuração, Etiquetas, \"Configura\"."},
        {"IMP:=balcao", "balcao 9100",
         "Não foi possível encontrar a impressora da porta IMP: (balcao:9100): nome não "
         "encontrado" +
             check},
        {"IMP:=127.0.0.1:" + refused, "127.0.0.1 " + refused,
         "Não foi possível conectar à impressora da porta IMP: (127.0.0.1:" + refused +
             "): conexão recusada" + check},
        {"OUTRA:=127.0.0.1", "", "A porta IMP: não tem endereço na seção [Rede] do zev.ini."},
    };
    for (const auto& [entry, lookup, message] : cases) {
        SCOPED_TRACE(entry);
        lookups.clear();
        op.ClearMessages();
        TNetworkPort& used = PortFor(entry + "\r\n");
        EXPECT_FALSE(used.StartData(Ini()));
        EXPECT_EQ(lookups, lookup.empty() ? std::vector<std::string>{} : std::vector{lookup});
        EXPECT_EQ(op.Messages(), Said("error", message));
    }
}

// A job given up resets the connection: the printer gets none of the rest.
TEST_F(NetworkPortTest, AJobGivenUpResetsTheConnection)
{
    TLoopbackPrinter printer(AF_INET, 4096);
    TNetworkPort& port = PortAt(printer);
    ASSERT_TRUE(port.StartData(Ini()));
    const int fd = printer.Accept();
    EXPECT_FALSE(port.SendData(std::string(16 << 20, 'Z')));
    EXPECT_FALSE(port.EndData());
    EXPECT_EQ(op.Messages(),
              Said("error", "A porta IMP: (127.0.0.1:" + std::to_string(printer.Port()) +
                                ") não recebeu os dados em 0,3 segundos: verifique "
                                "se a impressora está ligada, conectada e pronta."));
    char buffer[65536];
    ssize_t got = 0;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
    }
    EXPECT_EQ(got, -1) << "the connection ended as a whole job";
    EXPECT_EQ(errno, ECONNRESET);
}

// A printer that closes with data unread, during the send or after it.
TEST_F(NetworkPortTest, APrinterThatDropsTheConnectionFailsTheJob)
{
    const std::string check =
        ": conexão interrompida pela impressora. Verifique se a impressora está ligada e na rede "
        "e se o endereço está certo.";
    // The size of the job, whether all of it was sent, the message.
    const std::vector<std::tuple<std::size_t, bool, std::string>> cases = {
        {16 << 20, false, "Erro ao enviar dados para a porta W" + check},
        {2000, true, "A impressora da porta W não recebeu todos os dados" + check},
    };
    for (const auto& [size, sent, text] : cases) {
        SCOPED_TRACE(size);
        op.ClearMessages();
        TLoopbackPrinter printer(AF_INET, 4096);
        TNetworkPort& port = PortAt(printer);
        std::future<void> dropped = std::async(std::launch::async, [&] {
            const int fd = printer.Accept();
            char buffer[1000];
            EXPECT_GT(read(fd, buffer, sizeof buffer), 0);
            printer.Close(fd);
        });
        ASSERT_TRUE(port.StartData(Ini()));
        EXPECT_EQ(port.SendData(std::string(size, 'Z')), sent);
        dropped.get();
        EXPECT_FALSE(port.EndData());
        std::string message = text;
        message.replace(message.find(" W"), 2,
                        " IMP: (127.0.0.1:" + std::to_string(printer.Port()) + ")");
        EXPECT_EQ(op.Messages(), Said("error", message));
    }
}

TEST_F(NetworkPortTest, ConfigureAndAddWriteRede)
{
    SetIni("[Rede]\r\nZEBRA1:=10.0.0.5\r\nZEBRA1:=[::1]:9200\r\n");
    const auto registry = BuildPortRegistry(op, Root());
    TPrinterPort& port = registry->Port("ZEBRA1:");

    // A wrong address reopens the dialog on what was typed.
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", false, "minha impressora", 9100});
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", false, "[fe80::2]", 9101});
    port.Configure(Ini());
    EXPECT_EQ(op.NetworkPortRequests(),
              (std::vector<TNetworkPortChoice>{
                  {"ZEBRA1:", false, "::1", 9200},
                  {"ZEBRA1:", false, "minha impressora", 9100, TNetworkPortField::Host}}));
    EXPECT_EQ(op.Messages(),
              Said("warning", "Endereço inválido: o nome \"minha impressora\" não é um endereço."));
    EXPECT_EQ(IniContent(), "[Rede]\r\nZEBRA1:=[fe80::2]:9101\r\n");

    op.ClearMessages();
    op.QueueNetworkPort(TNetworkPortChoice{"ZEBRA1:", true, "10.0.0.6", 9100});
    op.QueueNetworkPort(TNetworkPortChoice{" BALCAO: ", true, "etiquetas.loja", 9102});
    EXPECT_EQ(AddNetworkPort(*registry, Ini()), "BALCAO:");
    // The refused field is the one the dialog opens on again.
    EXPECT_EQ(op.NetworkPortRequests().back().fault, TNetworkPortField::Name);
    EXPECT_EQ(op.Messages(), Said("warning", "Já existe uma porta ZEBRA1:. Escolha outro nome."));
    EXPECT_EQ(IniContent(), "[Rede]\r\nZEBRA1:=[fe80::2]:9101\r\nBALCAO:=etiquetas.loja:9102\r\n");
}

// Yes removes the port with its assignments, saved or pending; No changes nothing.
TEST_F(NetworkPortTest, RemovingAPortTakesItsAssignmentsWithIt)
{
    const std::string ini = "[Labels]\r\ngondola=ZEBRA1:\r\nlinha=FILE:\r\n\r\n"
                            "[Rede]\r\nZEBRA1:=10.0.0.5:9100\r\nZEBRA2:=10.0.0.6\r\n";
    const TConfiguredLabelList shown = {{"gondola", "ZEBRA1:"}, {"linha", "FILE:"}};
    // The dialog's unsaved list is `shown`; question nullptr: none asked.
    struct TCase
    {
        std::string port;
        bool yes;
        const char* question;
        bool removed;
        std::string iniAfter;
        TConfiguredLabelList pendingAfter;
    };
    const char* const one = "A impressora de rede ZEBRA1: (10.0.0.5:9100) ainda está atribuída à "
                            "etiqueta \"Etiqueta gondola\".\nRemover a impressora e essa "
                            "atribuição? A etiqueta fica sem porta até receber outra.";
    const std::string without1 = "[Labels]\r\nlinha=FILE:\r\n\r\n[Rede]\r\nZEBRA2:=10.0.0.6\r\n";
    const std::vector<TCase> cases = {
        {"ZEBRA1:", true, one, true, without1, {{"linha", "FILE:"}}},
        {"ZEBRA2:", true, "Remover a impressora de rede ZEBRA2: (10.0.0.6)?", true,
         "[Labels]\r\ngondola=ZEBRA1:\r\nlinha=FILE:\r\n\r\n[Rede]\r\nZEBRA1:=10.0.0.5:9100\r\n",
         shown},
        {"ZEBRA1:", false, one, false, ini, shown},
        {"FILE:", true, nullptr, false, ini, shown},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.port + (c.yes ? " Sim" : " Não"));
        SetIni(ini);
        const auto registry = BuildPortRegistry(op, Root());
        op.ClearMessages();
        if (c.question)
            op.QueueYesNo(c.yes);
        TConfiguredLabelList pending = shown;
        const auto title = [](const TConfiguredLabel& entry) {
            return QString::fromStdString("Etiqueta " + entry.LabelName);
        };
        EXPECT_EQ(RemoveNetworkPort(*registry, c.port, Ini(), pending, title), c.removed);
        EXPECT_EQ(op.Messages(),
                  c.question ? Said("question", c.question) : std::vector<TOperatorMessage>{});
        EXPECT_EQ(IniContent(), c.iniAfter);
        EXPECT_EQ(pending, c.pendingAfter);
        EXPECT_EQ(std::ranges::count(Names(registry->PortList()), c.port), c.removed ? 0 : 1);
    }
}

} // namespace
