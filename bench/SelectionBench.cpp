// The selection commands the operator waits for at the screen, on a
// catalogue of 100,000 products: the date selection (today, "Todos"), the
// tree selection of the largest department and a barcode file of 10,000
// lines. Each run is the whole command: its connection, its transaction,
// "Selecao Data" and the count.

#include "bench/BenchOperator.h"
#include "bench/CatalogueGenerator.h"
#include "catalogue/Database.h"
#include "platform/ProgramDir.h"
#include "selection/Arvore.h"
#include "selection/BarcodeFile.h"
#include "selection/SelectByDate.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

constexpr int CatalogueSize = 100000;
constexpr int BarcodeLines = 10000;

using zev::bench::TBenchOperator;

struct Catalogue
{
    Catalogue()
    {
        zev::SetProgramDir(directory.path());
        zev::CreateDatabase();
        const auto connection = zev::OpenDatabase();
        zev::TCatalogueShape shape;
        shape.produtos = CatalogueSize;
        summary = zev::GenerateCatalogue(*connection, shape);

        zev::TQuery& largest = connection->Query(
            "select s.depto_key, count(*) from produto p, sub_grupo sg, grupo g, secao s "
            "where p.sub_grupo_key = sg.sub_grupo_key and sg.grupo_key = g.grupo_key "
            "and g.secao_key = s.secao_key group by s.depto_key order by 2 desc limit 1");
        largest.Exec();
        largest.Next();
        op.arvore = zev::TArvoreChoice{'D', largest.Int(0)};
        largestDepartment = largest.Int(1);
        largest.Finish();

        // Barcodes of random products, as a collector writes them.
        std::mt19937 random(7);
        std::uniform_int_distribution<std::int32_t> key(1, CatalogueSize);
        std::string lines;
        for (int i = 0; i < BarcodeLines; ++i)
            lines += zev::GeneratedEan13(key(random)) + "\r\n";
        op.openFile = directory.filePath("PLU.TXT");
        QFile file(*op.openFile);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(lines.data(), static_cast<qint64>(lines.size())) !=
                static_cast<qint64>(lines.size()))
            throw std::runtime_error("cannot write the barcode file");
    }

    QTemporaryDir directory;
    zev::TCatalogueSummary summary;
    int largestDepartment = 0;
    TBenchOperator op;
};

Catalogue& SharedCatalogue()
{
    static Catalogue catalogue;
    return catalogue;
}

template <typename Command> void Run(benchmark::State& state, Command command)
{
    Catalogue& catalogue = SharedCatalogue();
    for (auto _ : state) {
        catalogue.op.notice.clear();
        command(catalogue.op);
        if (!catalogue.op.notice.startsWith(QStringLiteral("Selecionado ")))
            state.SkipWithError("the command showed no count");
    }
    state.SetLabel(catalogue.op.notice.toStdString());
}

void BM_SelectByDate(benchmark::State& state)
{
    Run(state, [](TBenchOperator& op) { zev::SelectByDate(op, zev::Today()); });
}

void BM_SelectFromTreeLargestDepartment(benchmark::State& state)
{
    Run(state, [](TBenchOperator& op) { zev::SelectFromTree(op); });
}

void BM_SelectFromBarcodeFile(benchmark::State& state)
{
    Run(state, [](TBenchOperator& op) {
        zev::SelectFromBarcodeFile(op, zev::TBarcodeFileFormat::Barras);
    });
}

BENCHMARK(BM_SelectByDate)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SelectFromTreeLargestDepartment)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_SelectFromBarcodeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    SharedCatalogue();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
