// Printing the selection, end to end, on a catalogue of 100,000 products: a
// selection of 10,000 unit products printed with the shipped ZPL template
// to the FILE: port (the query, the product lookups, the rendering and the
// writing of every label). Reported: labels per second over the whole job,
// the time from the person's "Sim" to the first label handed to the port,
// and the time from the command to the question (the selection is counted
// and sorted before it).

#include "app/Registries.h"
#include "app/Settings.h"
#include "bench/BenchOperator.h"
#include "bench/CatalogueGenerator.h"
#include "catalogue/Database.h"
#include "output/Filed.h"
#include "platform/Profile.h"
#include "platform/ProgramDir.h"
#include "printing/PrintJobs.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int CatalogueSize = 100000;
constexpr int Selected = 10000;

// The confirmation's moment.
class TTimedOperator final : public zev::bench::TBenchOperator
{
public:
    bool AskYesNo(const QString& text) override
    {
        confirmed = Clock::now();
        return TBenchOperator::AskYesNo(text);
    }

    Clock::time_point confirmed;
};

// The FILE: port, noting when the first label (the block after the header)
// reaches it.
class TTimedFilePort final : public zev::TPrinterPort
{
public:
    explicit TTimedFilePort(zev::TOperator& op) : m_file(op, "FILE:") {}

    std::string GetName() const override { return m_file.GetName(); }
    void Configure(const QString& settingsPath) override { m_file.Configure(settingsPath); }
    bool StartData(const QString& settingsPath) override
    {
        m_blocks = 0;
        firstLabel.reset();
        return m_file.StartData(settingsPath);
    }
    bool EndData() override { return m_file.EndData(); }
    bool SendData(const std::string& data) override
    {
        if (++m_blocks == 2)
            firstLabel = Clock::now();
        return m_file.SendData(data);
    }

    std::optional<Clock::time_point> firstLabel;

private:
    zev::TFilePort m_file;
    int m_blocks = 0;
};

class TTimedFileDriver final : public zev::TPrinterDriver
{
public:
    explicit TTimedFileDriver(zev::TOperator& op) : m_operator(op) {}
    std::string GetName() const override { return "File Driver"; }
    zev::TPortKind Kind() const override { return zev::TPortKind::Arquivo; }
    std::string GetVersion() const override { return "1.0.1"; }
    zev::TPrinterPortList GetPorts() override
    {
        zev::TPrinterPortList ports;
        ports.push_back(std::make_unique<TTimedFilePort>(m_operator));
        return ports;
    }

private:
    zev::TOperator& m_operator;
};

struct Store
{
    Store()
    {
        zev::SetProgramDir(directory.path());
        zev::CreateDatabase();
        {
            const auto connection = zev::OpenDatabase();
            zev::TCatalogueShape shape;
            shape.produtos = CatalogueSize;
            zev::GenerateCatalogue(*connection, shape);
            // Unit products with a barcode, drawn at random, as a day's
            // selection leaves them.
            connection->Execute("insert into selecao select produto_key from produto "
                                "where caixa = 0 and produto_key in (select produto_key from item) "
                                "order by random() limit " +
                                std::to_string(Selected));
        }
        zev::TIniFile ini(zev::SettingsPath());
        ini.WriteString(zev::settings::Geral, zev::settings::PathModelos.key, ZEV_EXAMPLES "/modelos");
        ini.WriteString(zev::settings::Labels, "gondola-zpl", "FILE:");
        op.saveFile = directory.filePath("etiquetas.prn");

        registries.Ports = std::make_unique<zev::TPortRegistry>();
        registries.Ports->AddDriver(std::make_unique<TTimedFileDriver>(op));
        registries.Labels = zev::BuildLabelRegistry(zev::SettingsPath());
        port = &dynamic_cast<TTimedFilePort&>(registries.Ports->Port("FILE:"));
    }

    QTemporaryDir directory;
    TTimedOperator op;
    zev::TRegistries registries;
    TTimedFilePort* port = nullptr;
};

void BM_PrintSelecao(benchmark::State& state)
{
    static Store store;
    std::int64_t labels = 0;
    double firstLabelMs = 0;
    double worstFirstLabelMs = 0;
    double questionMs = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const zev::TPrintResult result =
            zev::PrintSelecao(store.op, store.registries, "gondola-zpl");
        if (!result.Complete() || !store.port->firstLabel) {
            state.SkipWithError("the job did not print every label");
            return;
        }
        labels += result.sent;
        const double ms =
            std::chrono::duration<double, std::milli>(*store.port->firstLabel - store.op.confirmed)
                .count();
        firstLabelMs += ms;
        worstFirstLabelMs = std::max(worstFirstLabelMs, ms);
        questionMs += std::chrono::duration<double, std::milli>(store.op.confirmed - start).count();
    }
    state.counters["labels"] =
        benchmark::Counter(static_cast<double>(labels) / static_cast<double>(state.iterations()));
    state.counters["labels/s"] =
        benchmark::Counter(static_cast<double>(labels), benchmark::Counter::kIsRate);
    state.counters["first_label_ms"] = firstLabelMs / static_cast<double>(state.iterations());
    state.counters["worst_first_label_ms"] = worstFirstLabelMs;
    state.counters["question_ms"] = questionMs / static_cast<double>(state.iterations());
}

BENCHMARK(BM_PrintSelecao)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace
