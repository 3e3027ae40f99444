// zev-cli produto: one product as the labels will see it.

#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "cli/Cli.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"

#include <ostream>

namespace zev::cli {

namespace {

std::string Price(double value)
{
    return FormatFloat("%.2f", value);
}

std::string KeyAndDescription(const TProduto& record)
{
    return std::to_string(record.key) + " " + AnsiToUtf8(record.descricao);
}

void PrintProduto(std::ostream& out, const TProduto& record, double today)
{
    out << "Produto: " << record.key << "\n";
    out << "Descrição: " << AnsiToUtf8(record.descricao) << "\n";
    out << "Preço normal: " << Price(record.precoNormal) << "\n";
    out << "Preço oferta: " << Price(record.precoOferta) << "\n";
    if (record.dataInicial == 0 && record.dataFinal == 0)
        out << "Oferta: nenhuma\n";
    else
        out << "Oferta: de " << DateToStr(record.dataInicial) << " a "
            << DateToStr(record.dataFinal) << "\n";
    out << "Preço hoje (" << DateToStr(today) << "): " << Price(record.preco(today))
        << (record.emOferta(today) ? " (em oferta)" : "") << "\n";

    out << "Códigos de barras:";
    for (const std::string& barra : record.barras)
        out << " " << AnsiToUtf8(barra);
    out << (record.barras.empty() ? " nenhum\n" : "\n");

    out << "Embalagem: " << AnsiToUtf8(record.embalagem) << "\n";
    if (record.embalagemPadrao.empty())
        out << "Embalagem padrão: nenhuma\n";
    else
        out << "Embalagem padrão: " << AnsiToUtf8(record.embalagemPadrao) << " ("
            << FloatToStr(record.embalagemPadraoFator) << ")\n";
    out << "Fator de preço: " << FloatToStr(record.fatorPreco) << "\n";
    out << "Divisor de preço: " << record.divisorPreco << " "
        << AnsiToUtf8(record.divisorPrecoDescricao) << "\n";
    out << "Etiquetas: " << record.quantidadeEtiquetas << "\n";
    out << "Validade: " << record.diasValidade << " dias\n";
    out << "Pai: " << (record.pai ? KeyAndDescription(*record.pai) : "nenhum") << "\n";
    for (const auto& filho : record.filhos)
        out << "Filho: " << KeyAndDescription(*filho) << " (fator "
            << FloatToStr(filho->fatorPreco) << ")\n";
}

} // namespace

int ProdutoCommand(TCliContext& context, TArguments arguments)
{
    const bool byBarra = arguments.size() == 2 && arguments[0] == "--barra";
    if (!byBarra && arguments.size() != 1)
        return UsageError(context, "produto", "informe a chave ou o código de barras");
    std::optional<std::int32_t> key;
    if (!byBarra) {
        key = TryStrToInt(arguments[0]);
        if (!key)
            return UsageError(context, "produto", "chave inválida: '" + arguments[0] + "'");
    }

    CreateDatabase();
    const auto connection = OpenDatabase();
    const auto record = byBarra ? FindProdutoByBarra(*connection, Utf8ToAnsi(arguments[1]))
                                : FindProdutoByKey(*connection, *key);
    if (!record) {
        context.err << "Produto não cadastrado\n";
        return Failed;
    }
    PrintProduto(context.out, *record, Today());
    return Done;
}

} // namespace zev::cli
