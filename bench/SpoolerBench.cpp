// A print job of 1,000 labels of 600 bytes through the spooler port, into a
// raw queue of a private CUPS daemon whose backend writes a file: once until
// the job is handed over (what the operator waits for), once until the
// spooler has printed it. Wall time: most of the work is the daemon's.

#include "output/Windowsd.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/ScriptedOperator.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int LabelsPerJob = 1000;
constexpr std::size_t LabelSize = 600;
const std::string Header = "^XA^LH0,0^PW800^XZ\r\n";

// A ZPL-shaped label of exactly LabelSize bytes, different for each number.
std::string Label(int number)
{
    std::string label = "^XA^FO20,20^A0N,40,40^FDProduto " + std::to_string(number) +
                        "^FS^FO20,80^BEN,80,Y,N^FD7891234567895^FS^FO20,200^FD";
    const std::string tail = "^FS^XZ\r\n";
    label.resize(LabelSize - tail.size(), 'x');
    return label + tail;
}

void SpoolJob(benchmark::State& state, zev::test::TPrivateCups& cups, bool untilPrinted)
{
    const std::string queue = untilPrinted ? "Impresso" : "Entregue";
    cups.AddQueue(queue);
    zev::test::TScriptedOperator quiet;
    zev::TWindowsPort port(quiet, queue);
    std::vector<std::string> labels;
    for (int i = 0; i < LabelsPerJob; ++i)
        labels.push_back(Label(i));
    // The benchmark calls this again for each round: count this round's bytes.
    const std::size_t printedBefore = cups.OutputOf(queue).size();

    for (auto _ : state) {
        bool sent = port.StartData({}) && port.SendData(Header);
        for (const std::string& label : labels)
            sent = port.SendData(label) && sent;
        sent = port.EndData() && sent;
        if (untilPrinted)
            cups.WaitForJobs(queue);
        if (!sent) {
            state.SkipWithError("the job failed");
            return;
        }
    }

    cups.WaitForJobs(queue);
    const std::size_t expected = state.iterations() * (Header.size() + LabelsPerJob * LabelSize);
    if (cups.OutputOf(queue).size() - printedBefore != expected)
        state.SkipWithError("the printed bytes differ from the bytes sent");
    state.counters["labels/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * LabelsPerJob), benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!zev::test::TPrivateCups::IsInstalled()) {
        std::cerr << "cupsd is not installed (scripts/install-deps installs cups-daemon)\n";
        return 1;
    }
    zev::test::TPrivateCups cups;
    benchmark::RegisterBenchmark("SpoolerJob/handedOver",
                                 [&cups](benchmark::State& state) { SpoolJob(state, cups, false); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("SpoolerJob/printed",
                                 [&cups](benchmark::State& state) { SpoolJob(state, cups, true); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
