#include "printing/Busca.h"

#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Regional.h"

namespace zev {

namespace {

const char* const BuscaSql =
    "select produto_key, descricao, preco_normal, preco_oferta, data_inicial, data_final\n"
    "from   produto\n"
    "where  instr(ptbr_fold(descricao), ?) > 0\n"
    "order  by descricao";

} // namespace

TBuscaResult SearchProdutos(TConnection& connection, const QString& text, double date)
{
    TBuscaResult result;
    if (text.trimmed().isEmpty())
        return result;
    TQuery& query = connection.Query(BuscaSql);
    const TQueryScope scope(query);
    const QByteArray utf8 = text.toUtf8();
    query.BindText(0, Utf8ToAnsi(FoldUtf8(std::string_view(utf8.constData(), utf8.size()))));
    query.Exec();
    TProduto prices; // the price in force, by the product's own rule
    while (query.Next()) {
        // Past the limit only the count matters.
        if (++result.count > BuscaLimit)
            continue;
        prices.precoNormal = query.Double(2);
        prices.precoOferta = query.Double(3);
        prices.dataInicial = query.Date(4);
        prices.dataFinal = query.Date(5);
        result.rows.push_back({query.Int(0), query.Text(1), prices.preco(date)});
    }
    if (result.TooMany())
        result.rows.clear();
    return result;
}

QString TooManyMessage(std::int64_t count)
{
    return QString::fromUtf8("Número de resultados muito grande (%1)\rMelhore sua busca").arg(count);
}

QString PrecoText(double preco)
{
    return QString::fromStdString(FloatToStr(preco));
}

} // namespace zev
