// `zev-cli ports` on a zev.ini whose "Portas" maps N printers, each a plain
// file, or whose "Rede" holds N network printers: the settings read, the
// drivers' enumeration and the listing with the devices or addresses. One
// iteration is one whole command.

#include "cli/Cli.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

void WriteSettings(const QTemporaryDir& home, const std::string& ini)
{
    QFile settings(home.filePath("zev.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(ini.data(), static_cast<qint64>(ini.size()));
}

void ListPorts(benchmark::State& state, const QTemporaryDir& home, int count)
{
    const std::vector<std::string> arguments = {"--home", home.path().toStdString(), "ports"};
    for (auto _ : state) {
        std::ostringstream out, err;
        zev::cli::TCliContext context{out, err};
        if (zev::cli::RunCli(context, arguments) != zev::cli::Done)
            state.SkipWithError(err.str().c_str());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_PortsListing(benchmark::State& state)
{
    QTemporaryDir home;
    const auto count = static_cast<int>(state.range(0));
    std::string ini = "[Portas]\r\n";
    for (int i = 0; i < count; ++i) {
        const QString device = home.filePath(QString("lp%1").arg(i));
        QFile(device).open(QIODevice::WriteOnly);
        ini += "LPT" + std::to_string(10 + i) + ":=" + device.toStdString() + "\r\n";
    }
    WriteSettings(home, ini);
    ListPorts(state, home, count);
}

BENCHMARK(BM_PortsListing)->Arg(1000)->Arg(4000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Addresses of a private network; listing them connects to none.
void BM_NetworkPortsListing(benchmark::State& state)
{
    QTemporaryDir home;
    const auto count = static_cast<int>(state.range(0));
    std::string ini = "[Rede]\r\n";
    for (int i = 0; i < count; ++i)
        ini += "IMP" + std::to_string(i) + ":=10.0." + std::to_string(i / 250) + "." +
               std::to_string(i % 250 + 1) + ":9100\r\n";
    WriteSettings(home, ini);
    ListPorts(state, home, count);
}

BENCHMARK(BM_NetworkPortsListing)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);

} // namespace
