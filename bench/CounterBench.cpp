// The counter on a catalogue of 100,000 products: the time from Enter to
// the label handed to the FILE: port (lookup by barcode, rendering with the
// shipped ZPL template, the write), median and 99th percentile over 10,000
// codes drawn at random, "Imp Autom" on; the label's picture the window
// draws after each Enter, once the label is at the port; and the product
// search for a common word typed without accents ("acucar": every
// twenty-fourth product).

#include "app/Registries.h"
#include "app/Settings.h"
#include "bench/BenchOperator.h"
#include "bench/CatalogueGenerator.h"
#include "catalogue/Database.h"
#include "output/Filed.h"
#include "platform/Profile.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"
#include "printing/Busca.h"
#include "printing/ItemSession.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int CatalogueSize = 100000;
constexpr int Codes = 10000;
constexpr int Searches = 20;

class TNoQuestions final : public zev::TItemQuestions
{
public:
    std::optional<zev::TProconData> AskProcon() override { return std::nullopt; }
    std::optional<QString> AskCount() override { return std::nullopt; }
};

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    // The picture's text needs the font database.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    // "--no-preview": Enter alone, to compare the port's time with and without the picture.
    const bool withPreview = !(argc > 1 && std::string(argv[1]) == "--no-preview");
    QTemporaryDir directory;
    zev::SetProgramDir(directory.path());
    zev::CreateDatabase();
    std::vector<std::string> codes;
    {
        const auto connection = zev::OpenDatabase();
        zev::TCatalogueShape shape;
        shape.produtos = CatalogueSize;
        zev::GenerateCatalogue(*connection, shape);
        zev::TQuery& query = connection->Query("select barra from item order by random() limit " +
                                               std::to_string(Codes));
        query.Exec();
        while (query.Next())
            codes.push_back(query.Text(0));
    }
    zev::TIniFile ini(zev::SettingsPath());
    ini.WriteString(zev::settings::Geral, zev::settings::PathModelos.key, ZEV_EXAMPLES "/modelos");
    ini.WriteString(zev::settings::Geral, zev::settings::ImpAutom.key, "1");
    ini.WriteString(zev::settings::Labels, "gondola-zpl", "FILE:");

    zev::bench::TBenchOperator op;
    op.saveFile = directory.filePath("etiquetas.prn");
    zev::TRegistries registries;
    registries.Ports = std::make_unique<zev::TPortRegistry>();
    registries.Ports->AddDriver(std::make_unique<zev::TFileDriver>(op));
    registries.Labels = zev::BuildLabelRegistry(zev::SettingsPath());

    std::vector<double> enter;
    enter.reserve(codes.size());
    std::vector<double> preview;
    preview.reserve(codes.size());
    TNoQuestions questions;
    std::vector<double> search;
    {
        zev::TItemSession session(op, registries, "gondola-zpl", {});
        for (const std::string& code : codes) {
            const Clock::time_point start = Clock::now();
            session.Enter(code, questions);
            const Clock::time_point sent = Clock::now();
            enter.push_back(std::chrono::duration<double, std::milli>(sent - start).count());
            if (!withPreview)
                continue;
            if (!session.Preview().HasPicture())
                std::printf("no picture for %s\n", code.c_str());
            preview.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        }
        for (int i = 0; i < Searches; ++i) {
            const Clock::time_point start = Clock::now();
            const zev::TBuscaResult found =
                zev::SearchProdutos(session.Connection(), QStringLiteral("acucar"), zev::Today());
            search.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (i == 0)
                std::printf("search \"acucar\": %lld matches\n", static_cast<long long>(found.count));
        }
    }
    std::printf("Enter to label, %zu codes: p50 %.3f ms, p99 %.3f ms\n", enter.size(),
                Percentile(enter, 0.5), Percentile(enter, 0.99));
    if (withPreview)
        std::printf("picture after Enter: p50 %.3f ms, p99 %.3f ms\n", Percentile(preview, 0.5),
                    Percentile(preview, 0.99));
    std::printf("search for a common word, %d runs: p50 %.1f ms, max %.1f ms\n", Searches,
                Percentile(search, 0.5), Percentile(search, 1.0));
    return 0;
}
