#include "catalogue/Produto.h"

#include "catalogue/Database.h"
#include "platform/Conversions.h"

#include <algorithm>

namespace zev {

namespace {

const char* const SelectItemsOfProduto = "select * from item where produto_key = ? order by rowid";
const char* const SelectProdutoByKey = "select * from produto where produto_key = ?";
const char* const SelectFilhos = "select * from produto where pai = ? order by produto_key";

const char* const FindByKeySql = "select *                 \n"
                                 "from   produto p         \n"
                                 "where  p.produto_key = ? ";

const char* const FindByBarraSql = "select p.*                           \n"
                                   "from   produto p, item i             \n"
                                   "where  p.produto_key = i.produto_key \n"
                                   "  and  i.barra = ?                   ";

constexpr std::int32_t DefaultDivisorPreco = 100;

void LoadBarras(TConnection& connection, TProduto& record)
{
    TQuery& items = connection.Query(SelectItemsOfProduto);
    const TQueryScope scope(items);
    items.Bind(0, record.key);
    items.Exec();
    const int barra = items.ColumnIndex("barra");
    while (items.Next())
        record.barras.push_back(items.Text(barra));
}

// What a box gets when its `pai` names no product: a record with every
// field empty.
std::unique_ptr<TProduto> EmptyParent()
{
    auto record = std::make_unique<TProduto>();
    record->divisorPreco = DefaultDivisorPreco;
    return record;
}

struct TRowRecord
{
    std::unique_ptr<TProduto> record;
    bool caixa = false;
    std::int32_t paiKey = 0;
};

// Everything is read from the row before the next query runs: loading a
// parent reuses the statement this row may come from.
TRowRecord ReadRow(TConnection& connection, const TQuery& row, bool followsParent)
{
    TRowRecord read;
    read.record = std::make_unique<TProduto>();
    TProduto& record = *read.record;
    record.key = row.Int("produto_key");
    record.descricao = row.Text("descricao");
    record.precoNormal = row.Double("preco_normal");
    record.dataAlteracao = row.Date("data_alteracao");
    record.precoOferta = row.Double("preco_oferta");
    record.dataInicial = row.Date("data_inicial");
    record.dataFinal = row.Date("data_final");
    record.fatorPreco = row.Double("fator_preco");
    record.divisorPrecoDescricao = row.Text("divisor_preco_descricao");
    record.divisorPreco = row.Int("divisor_preco");
    record.quantidadeEtiquetas = row.Int("quantidade_etiquetas");
    record.embalagem = row.Text("embalagem_key");
    record.diasValidade = row.Int("dias_validade");
    record.embalagemPadrao = row.Text("embalagem_padrao_key");
    record.embalagemPadraoFator = row.Double("embalagem_padrao_fator");
    read.caixa = followsParent && row.Bool("caixa");
    read.paiKey = read.caixa ? row.Int("pai") : 0;

    if (record.divisorPreco == 0)
        record.divisorPreco = DefaultDivisorPreco;

    LoadBarras(connection, record);
    return read;
}

// A box's unit product, its box's, and so on, in a loop: a package may chain
// boxes as deep as it likes, and a frame per link would run out of stack. The
// chain stops at a key already loaded (a cycle) and at MaxProdutoChain.
std::unique_ptr<TProduto> LoadRecord(TConnection& connection, const TQuery& row, TProduto* parent)
{
    TRowRecord read = ReadRow(connection, row, parent == nullptr);
    std::unique_ptr<TProduto> first = std::move(read.record);
    if (parent != nullptr) {
        first->pai = parent;
        return first;
    }
    std::vector<std::int32_t> chain{first->key};
    TProduto* last = first.get();
    while (read.caixa && chain.size() < static_cast<std::size_t>(MaxProdutoChain) &&
           std::find(chain.begin(), chain.end(), read.paiKey) == chain.end()) {
        TQuery& parentRow = connection.Query(SelectProdutoByKey);
        const TQueryScope scope(parentRow);
        parentRow.Bind(0, read.paiKey);
        parentRow.Exec();
        if (parentRow.Next()) {
            read = ReadRow(connection, parentRow, true);
        } else {
            read = {EmptyParent(), false, 0};
        }
        last->paiCarregado = std::move(read.record);
        last->pai = last->paiCarregado.get();
        last = last->pai;
        chain.push_back(last->key);
    }
    return first;
}

// The first row of a query that is already running.
std::unique_ptr<TProduto> LoadFound(TConnection& connection, TQuery& query)
{
    std::unique_ptr<TProduto> record;
    {
        const TQueryScope scope(query);
        if (!query.Next())
            return nullptr;
        record = LoadRecord(connection, query, nullptr);
    }
    LoadFilhos(connection, *record);
    return record;
}

} // namespace

double TProduto::preco(double date) const
{
    return emOferta(date) ? precoOferta : precoNormal;
}

bool TProduto::emOferta(double date) const
{
    return dataInicial <= date && date <= dataFinal;
}

std::unique_ptr<TProduto> LoadProduto(TConnection& connection, const TQuery& query,
                                      TProduto* parent)
{
    return LoadRecord(connection, query, parent);
}

void LoadFilhos(TConnection& connection, TProduto& record)
{
    TQuery& children = connection.Query(SelectFilhos);
    const TQueryScope scope(children);
    children.Bind(0, record.key);
    children.Exec();
    record.filhos.clear();
    while (children.Next())
        record.filhos.push_back(LoadProduto(connection, children, &record));
}

std::unique_ptr<TProduto> FindProdutoByKey(TConnection& connection, std::int32_t key)
{
    const TReadTransaction snapshot(connection);
    TQuery& query = connection.Query(FindByKeySql);
    const TQueryScope scope(query);
    query.Bind(0, key);
    query.Exec();
    return LoadFound(connection, query);
}

std::unique_ptr<TProduto> FindProdutoByBarra(TConnection& connection, std::string_view barcode)
{
    const std::string_view stored = BarcodeAsStored(barcode);
    if (stored.empty())
        return nullptr;
    const TReadTransaction snapshot(connection);
    TQuery& query = connection.Query(FindByBarraSql);
    const TQueryScope scope(query);
    query.BindText(0, stored);
    query.Exec();
    return LoadFound(connection, query);
}

std::string_view BarcodeAsStored(std::string_view code)
{
    const bool digitsOnly = !code.empty() && std::all_of(code.begin(), code.end(), IsAsciiDigit);
    if (!digitsOnly)
        return code;
    const std::size_t first = code.find_first_not_of('0');
    return first == std::string_view::npos ? code.substr(code.size() - 1) : code.substr(first);
}

} // namespace zev
