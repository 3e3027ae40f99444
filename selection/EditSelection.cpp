#include "selection/EditSelection.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "selection/SelecaoCommand.h"

#include <algorithm>
#include <limits>

namespace zev {

namespace {

// Only the columns the listing shows and its price needs.
const char* const SelectListing =
    "select p.produto_key, p.descricao, p.preco_normal, p.preco_oferta,    \n"
    "       p.data_inicial, p.data_final, p.data_alteracao                 \n"
    "from   (selecao s                                                     \n"
    "       inner join produto p on (s.produto_key = p.produto_key))       \n"
    "order  by p.descricao                                                 ";

// Runs one statement with a key in a transaction of its own.
void ExecuteWithKey(const char* sql, std::int32_t key)
{
    const auto connection = OpenDatabase();
    TTransaction transaction(*connection);
    connection->Query(sql).Bind(0, key).Exec();
    transaction.Commit();
}

} // namespace

TSelectedItems ListSelection()
{
    const TIniFile ini(SettingsPath());
    const auto connection = OpenDatabase();
    // The rows and the date from one view of the selection.
    const TReadTransaction snapshot(*connection);
    const double selecaoData = SelecaoDataOf(*connection, ini);
    TQuery& query = connection->Query(SelectListing);
    const TQueryScope scope(query);
    query.Exec();
    TSelectedItems items;
    while (query.Next()) {
        // The price rule of the product record, on the columns it reads.
        TProduto produto;
        produto.precoNormal = query.Double(2);
        produto.precoOferta = query.Double(3);
        produto.dataInicial = query.Date(4);
        produto.dataFinal = query.Date(5);
        items.push_back(TSelectedItem{std::to_string(query.Int(0)), query.Text(1),
                                      produto.preco(selecaoData), query.Date(6)});
    }
    return items;
}

std::array<QString, 4> SelectedItemHeader()
{
    return {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Data Alt."),
            QStringLiteral("Preço")};
}

std::array<QString, 4> SelectedItemTexts(const TSelectedItem& item)
{
    return {AnsiToQString(item.codigo), AnsiToQString(item.descricao),
            item.dataAlteracao == 0 ? QString() : AnsiToQString(DateToStr(item.dataAlteracao)),
            AnsiToQString(FormatFloat("%.2f", item.precoSelecao))};
}

void AddToSelection(std::int32_t key)
{
    ExecuteWithKey("insert into selecao values (?)", key);
}

void RemoveFromSelection(std::int32_t key)
{
    ExecuteWithKey("delete from selecao where produto_key = ?", key);
}

std::optional<std::int32_t> AddCodeToSelection(TOperator& op, std::string_view code,
                                               const std::vector<std::string>& listedCodes)
{
    if (code.empty())
        return std::nullopt;
    const std::optional<std::int64_t> number = TryStrToInt64(code);
    if (!number || *number == -1) {
        op.ShowWarning(QStringLiteral("Somente cóidogo interno ou de barra"));
        return std::nullopt;
    }

    std::unique_ptr<TProduto> produto;
    {
        const auto connection = OpenDatabase();
        // A code in the key range is a key first: product 1234 wins over a
        // barcode 1234.
        if (*number >= std::numeric_limits<std::int32_t>::min() &&
            *number <= std::numeric_limits<std::int32_t>::max())
            produto = FindProdutoByKey(*connection, static_cast<std::int32_t>(*number));
        if (!produto)
            produto = FindProdutoByBarra(*connection, code);
    }
    if (!produto) {
        op.ShowWarning(QStringLiteral("Produto não cadastrado"));
        return std::nullopt;
    }
    if (std::find(listedCodes.begin(), listedCodes.end(), std::to_string(produto->key)) !=
        listedCodes.end()) {
        op.ShowWarning(QStringLiteral("Produto ja cadastrado"));
        return std::nullopt;
    }
    AddToSelection(produto->key);
    return produto->key;
}

} // namespace zev
