// A label definition file loaded and rendered for a unit product, a box on
// offer and a product with supplier dates. Input: the file's bytes,
// optionally followed by two NUL bytes and the unit product's description.

#include "catalogue/Produto.h"
#include "fuzz/FuzzTarget.h"
#include "labels/FileLabel.h"
#include "platform/Regional.h"

#include <cstdlib>

namespace {

void Render(const zev::TFileLabel& label, const zev::TProduto& produto, double date)
{
    using Render = void (zev::TFileLabel::*)(const zev::TProduto&, std::string&, double) const;
    for (const Render render : {&zev::TFileLabel::RenderFirst, &zev::TFileLabel::RenderSingle}) {
        std::string text;
        try {
            (label.*render)(produto, text, date);
        } catch (const zev::ELabelError&) {
            continue;
        }
        // The closing text is never more than the file's own bytes.
        if (text.size() > zev::MaxRenderedLabel + 1024 * 1024)
            std::abort();
    }
}

void RunLabelFile(std::string_view bytes)
{
    const std::size_t split = bytes.find(std::string_view("\0\0", 2));
    const std::string_view file = bytes.substr(0, split);
    const std::string_view descricao = split == std::string_view::npos
                                           ? std::string_view("ARROZ TIPO 1 LONGO 5KG")
                                           : bytes.substr(split + 2);

    std::unique_ptr<zev::TFileLabel> label;
    try {
        label = std::make_unique<zev::TFileLabel>(
            zev::fuzz::WriteScratchFile(QStringLiteral("fuzz.lbl"), file));
    } catch (const zev::EZevError&) {
        return;
    }
    (void)label->GetHeader();

    const double day = zev::EncodeDate(2026, 12, 5);
    zev::TProduto unidade;
    unidade.key = 7;
    unidade.descricao = std::string(descricao);
    unidade.precoNormal = 21.90;
    unidade.precoOferta = 19.50;
    unidade.dataInicial = day - 4;
    unidade.dataFinal = day;
    unidade.barras = {"7891234567895"};
    unidade.embalagem = "UN";
    unidade.embalagemPadrao = "KG";
    unidade.embalagemPadraoFator = 5;

    zev::TProduto caixa;
    caixa.key = 1234567;
    caixa.descricao = "CX LEITE INTEGRAL COM 12 UN";
    caixa.precoNormal = 59.90;
    caixa.precoOferta = 54.00;
    caixa.dataInicial = day - 4;
    caixa.dataFinal = day;
    caixa.fatorPreco = 12;
    caixa.barra = "123456";
    caixa.pai = &unidade;

    zev::TProduto procon;
    procon.key = 42;
    procon.descricao = std::string(descricao);
    procon.barras = {"789"};
    procon.fornecedorDescricao = "GRANJA";
    procon.fabricacao = day;
    procon.diasValidade = 30;

    for (const double date : {day, day + 1}) {
        Render(*label, unidade, date);
        Render(*label, caixa, date);
    }
    Render(*label, procon, day);
}

} // namespace

ZEV_FUZZ_TARGET("label_file", RunLabelFile);
