// `zev-cli ports` on a zev.ini whose "Portas" maps N printers, each a plain
// file: the settings read, both system-port drivers' enumeration and the
// listing with the devices. One iteration is one whole command.

#include "cli/Cli.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

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
    QFile settings(home.filePath("zev.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(ini.data(), static_cast<qint64>(ini.size()));
    settings.close();

    const std::vector<std::string> arguments = {"--home", home.path().toStdString(), "ports"};
    for (auto _ : state) {
        std::ostringstream out, err;
        zev::cli::TCliContext context{out, err};
        if (zev::cli::RunCli(context, arguments) != zev::cli::Done)
            state.SkipWithError(err.str().c_str());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_PortsListing)->Arg(1000)->Arg(4000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
