// Print jobs of 1,000 labels of 600 bytes (plus the label header) through
// FILE: and through a FIFO standing in for a parallel printer, whose reader
// drains it as a printer would. One iteration is one whole job; the items
// are labels.

#include "cli/TerminalOperator.h"
#include "output/Filed.h"
#include "output/Paralleld.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int LabelsPerJob = 1000;
constexpr std::size_t LabelSize = 600;

const std::string& Label()
{
    static const std::string label = [] {
        std::string text = "^XA^PW800^LL400^FO20,20^A0N,40,40^FDCERVEJA PILSEN LATA 350ML^FS\r\n";
        while (text.size() < LabelSize - 6)
            text += "^FO20,80^BEN,60,Y,N^FD7890000000100^FS\r\n";
        text.resize(LabelSize - 6, ' ');
        return text + "^XZ\r\n";
    }();
    return label;
}

void RunJob(zev::TPrinterPort& port, const QString& settingsPath)
{
    if (!port.StartData(settingsPath))
        throw std::runtime_error("StartData failed");
    port.SendData("^XA^MMT^PW800^XZ\r\n");
    for (int i = 0; i < LabelsPerJob; ++i)
        port.SendData(Label());
    port.EndData();
}

void BM_FileJob(benchmark::State& state)
{
    QTemporaryDir dir;
    std::ostringstream out, err;
    zev::cli::TTerminalOperator op(out, err, {false, dir.filePath("etiquetas.prn")});
    zev::TFilePort port(op, "FILE:");
    for (auto _ : state)
        RunJob(port, dir.filePath("zev.ini"));
    state.SetItemsProcessed(state.iterations() * LabelsPerJob);
    state.SetBytesProcessed(state.iterations() * LabelsPerJob * static_cast<int64_t>(LabelSize));
}

void BM_FifoParallelJob(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("lp0");
    mkfifo(QFile::encodeName(fifo).constData(), 0600);
    // The printer: holds the FIFO open (so a block never meets a FIFO
    // without a reader) and drains it until told to stop.
    const int reader = open(QFile::encodeName(fifo).constData(), O_RDWR | O_CLOEXEC);
    std::atomic<bool> done = false;
    std::thread printer([&] {
        char buffer[65536];
        while (!done && read(reader, buffer, sizeof buffer) > 0) {
        }
    });
    std::ostringstream out, err;
    zev::cli::TTerminalOperator op(out, err);
    zev::TParallelPort port(op, "LPT1:", fifo);
    for (auto _ : state)
        RunJob(port, dir.filePath("zev.ini"));
    state.SetItemsProcessed(state.iterations() * LabelsPerJob);
    state.SetBytesProcessed(state.iterations() * LabelsPerJob * static_cast<int64_t>(LabelSize));
    done = true;
    (void)!write(reader, "", 1); // wakes the printer
    printer.join();
    close(reader);
}

BENCHMARK(BM_FileJob)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FifoParallelJob)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace
