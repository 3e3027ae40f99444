// Label rendering and the label registry at start-up.
//
// Rendering: a typical ZPL II gondola template of about 600 bytes with 30
// placeholders, for a unit product and a box, on offer and not.
// Registry: 500 definition files shaped like the shipped ZPL template,
// preview picture included.

#include "app/Settings.h"
#include "catalogue/Produto.h"
#include "labels/FileLabel.h"
#include "labels/LabelRegistry.h"
#include "platform/Profile.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// 30 placeholders (the escape is not counted), 600 bytes once rendered.
constexpr const char* Template =
    "[geral]\n"
    "name=bench\n"
    "line length=28\n"
    "[normal]\n"
    "01=^XA^CI27^PW480^LL320\n"
    "02=^FO16,16^A0N,28,24^FD{Produto.descricao[0]}^FS\n"
    "03=^FO16,46^A0N,28,24^FD{Produto.descricao[1]}^FS\n"
    "04=^FO16,76^A0N,28,24^FD{Produto.descricao[2]}^FS\n"
    "05=^FO16,86^A0N,20,18^FDR$ {Produto.embalagemPadraoPreco}/{Produto.embalagemPadrao}^FS\n"
    "06=^FO264,96^A0N,84,64^FD{Produto.preco}^FS^FO232,112^A0N,26,22^FDR$^FS\n"
    "07=^FO16,130^A0N,18,16^FDDe {Produto.precoNormal} por {Produto.precoOferta}^FS\n"
    "08=^FO16,150^A0N,18,16^FD{Produto.embalagem} {Produto.data} {Produto.key}^FS\n"
    "09=^FO16,190^BY2^BCN,70,Y,N,N^FD{Produto.barra}^FS\n"
    "10=^FO16,280^A0N,18,16^FD{Caixa.descricao[0]} {Caixa.descricao[1]}^FS\n"
    "11=^FO16,300^A0N,18,16^FDCX{Caixa.fator} {Caixa.embalagem} {Caixa.preco} "
    "{Caixa.precoUnitario}^FS\n"
    "12=^FO300,300^A0N,18,16^FD{Produto.key} {Produto.data} {Produto.barra}^FS\n"
    "13=^FO300,280^A0N,18,16^FD{Produto.descricao[3]} {Produto.preco} {Produto.embalagem}^FS\n"
    "14=^FO300,260^A0N,18,16^FD{Produto.precoNormal} {Produto.precoOferta} {SOH}^FS\n"
    "[bottom_middle]\n"
    "01=^PQ1^XZ\n";

std::unique_ptr<zev::TProduto> Produto(std::int32_t key, bool offer)
{
    auto produto = std::make_unique<zev::TProduto>();
    produto->key = key;
    produto->descricao = "ARROZ TIPO 1 LONGO FINO PARBOILIZADO 5KG PACOTE";
    produto->precoNormal = 21.90;
    produto->precoOferta = 19.49;
    produto->dataInicial = offer ? zev::EncodeDate(2026, 12, 1) : 0;
    produto->dataFinal = offer ? zev::EncodeDate(2026, 12, 31) : 0;
    produto->barras = {"7891234567895"};
    produto->embalagem = "UN";
    produto->embalagemPadrao = "KG";
    produto->embalagemPadraoFator = 5;
    produto->fatorPreco = 1;
    return produto;
}

void BM_RenderLabel(benchmark::State& state)
{
    QTemporaryDir directory;
    const QString path = directory.filePath("bench.lbl");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(Template);
    file.close();
    const zev::TFileLabel label(path);

    auto unit = Produto(42, false);
    auto onOffer = Produto(43, true);
    auto box = Produto(44, false);
    box->pai = unit.get();
    box->fatorPreco = 12;
    auto boxOnOffer = Produto(45, true);
    boxOnOffer->pai = unit.get();
    boxOnOffer->fatorPreco = 6;
    const std::vector<const zev::TProduto*> produtos = {unit.get(), onOffer.get(), box.get(),
                                                        boxOnOffer.get()};
    const double date = zev::EncodeDate(2026, 12, 6);

    std::string text;
    std::size_t next = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        label.RenderNext(*produtos[next++ % produtos.size()], text, date);
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes_per_label"] = double(bytes) / double(state.iterations());
}
BENCHMARK(BM_RenderLabel);

void BM_BuildLabelRegistry(benchmark::State& state)
{
    QTemporaryDir home;
    zev::SetProgramDir(home.path());
    const QString modelos = home.filePath("modelos");
    QDir().mkpath(modelos);
    zev::TIniFile(zev::SettingsPath())
        .WriteText(zev::settings::Geral, zev::settings::PathModelos.key, modelos);

    QFile example(QStringLiteral(ZEV_EXAMPLES "/modelos/gondola-zpl.lbl"));
    example.open(QIODevice::ReadOnly);
    const QByteArray definition = example.readAll();
    const int files = int(state.range(0));
    for (int i = 0; i < files; ++i) {
        QFile copy(QString("%1/etiqueta%2.lbl").arg(modelos).arg(i, 3, 10, QChar('0')));
        copy.open(QIODevice::WriteOnly);
        copy.write(QByteArray(definition)
                       .replace("name=gondola-zpl", "name=etiqueta" + QByteArray::number(i)));
    }
    for (auto _ : state) {
        const auto registry = zev::BuildLabelRegistry(zev::SettingsPath());
        if (registry->LabelList.size() != std::size_t(files) + 1)
            state.SkipWithError("not every label was registered");
    }
    state.counters["files"] = files;
}
BENCHMARK(BM_BuildLabelRegistry)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
