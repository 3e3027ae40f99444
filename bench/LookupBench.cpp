// Product lookups on a catalogue of 100,000 products: by key and by barcode,
// each 3 to 4 queries (product, barcodes, children, parent of a box).

#include "bench/CatalogueGenerator.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int CatalogueSize = 100000;

struct Catalogue
{
    Catalogue()
    {
        zev::SetProgramDir(directory.path());
        zev::CreateDatabase();
        connection = zev::OpenDatabase();
        zev::TCatalogueShape shape;
        shape.produtos = CatalogueSize;
        zev::GenerateCatalogue(*connection, shape);
    }

    QTemporaryDir directory;
    std::unique_ptr<zev::TConnection> connection;
};

Catalogue& SharedCatalogue()
{
    static Catalogue catalogue;
    return catalogue;
}

std::vector<std::int32_t> RandomKeys(std::size_t count)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<std::int32_t> key(1, CatalogueSize);
    std::vector<std::int32_t> keys(count);
    for (auto& k : keys)
        k = key(random);
    return keys;
}

void BM_FindProdutoByKey(benchmark::State& state)
{
    Catalogue& catalogue = SharedCatalogue();
    const std::vector<std::int32_t> keys = RandomKeys(4096);
    std::size_t next = 0;
    for (auto _ : state) {
        auto record = zev::FindProdutoByKey(*catalogue.connection, keys[next++ % keys.size()]);
        benchmark::DoNotOptimize(record);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FindProdutoByBarra(benchmark::State& state)
{
    Catalogue& catalogue = SharedCatalogue();
    std::vector<std::string> barcodes;
    for (const std::int32_t key : RandomKeys(4096))
        barcodes.push_back("0" + zev::GeneratedEan13(key)); // typed with a leading zero
    std::size_t next = 0;
    for (auto _ : state) {
        auto record =
            zev::FindProdutoByBarra(*catalogue.connection, barcodes[next++ % barcodes.size()]);
        if (!record)
            state.SkipWithError("barcode not found");
        benchmark::DoNotOptimize(record);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_FindProdutoByKey)->MinTime(2.0);
BENCHMARK(BM_FindProdutoByBarra)->MinTime(2.0);

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
