// The label preview: one 60 x 40 mm label at 203 dpi from each shipped
// template, its barcode included, from the bytes the printer would get to
// the finished picture. The counter draws one after every Enter.

#include "catalogue/Produto.h"
#include "labels/FileLabel.h"
#include "platform/Regional.h"
#include "preview/LabelPreview.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void FillProduto(zev::TProduto& produto, bool offer)
{
    produto.key = 42;
    produto.descricao = "FEIJ\xC3O CARIOCA TIPO 1 PACOTE COM 1 KG";
    produto.precoNormal = 8.79;
    produto.precoOferta = 7.49;
    produto.dataInicial = offer ? zev::EncodeDate(2026, 12, 1) : 0;
    produto.dataFinal = offer ? zev::EncodeDate(2026, 12, 31) : 0;
    produto.barras = {"7896006716112"};
    produto.embalagem = "UN";
    produto.embalagemPadrao = "KG";
    produto.embalagemPadraoFator = 1;
}

void Preview(benchmark::State& state, const char* file, bool offer)
{
    const zev::TFileLabel label(QStringLiteral(ZEV_EXAMPLES "/modelos/") + QString::fromLatin1(file));
    zev::TProduto produto;
    FillProduto(produto, offer);
    const double date = zev::EncodeDate(2026, 12, 7);
    std::string text;
    label.RenderSingle(produto, text, date);
    const std::string header = label.GetHeader();
    const zev::TPreviewHints hints = label.PreviewHints();
    for (auto _ : state) {
        const zev::TLabelPicture picture = zev::RenderPreview(header, text, hints);
        if (!picture.HasPicture())
            state.SkipWithError("no picture");
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

void BM_PreviewZplUnit(benchmark::State& state) { Preview(state, "gondola-zpl.lbl", false); }
void BM_PreviewZplOffer(benchmark::State& state) { Preview(state, "gondola-zpl.lbl", true); }
void BM_PreviewProconZpl(benchmark::State& state) { Preview(state, "gondola-procon-zpl.lbl", false); }
void BM_PreviewDplUnit(benchmark::State& state) { Preview(state, "datamax-dpl.lbl", false); }

BENCHMARK(BM_PreviewZplUnit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewZplOffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewProconZpl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewDplUnit)->Unit(benchmark::kMillisecond);

} // namespace

// Text needs the font database: a QGuiApplication, offscreen unless told.
int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
