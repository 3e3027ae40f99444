#pragma once

// One catalogue product as the label templates see it, and its loaders.
//
// Ownership: a loader returns the record it looked up, and that record owns
// its whole family: the parent chain it loaded (a box's unit product, and so
// on) and its child records (its boxes). A child's `pai` points back to the
// record without owning it. Callers keep the returned record alive while
// they work with any member of the family (individual printing may print a
// box in place of the unit product it looked up) and release the returned
// record alone; that destroys every record of the family exactly once.
//
// Texts are Windows-1252 bytes; dates are day numbers.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TConnection;
class TQuery;

class TProduto
{
public:
    TProduto() = default;
    TProduto(const TProduto&) = delete;
    TProduto& operator=(const TProduto&) = delete;

    // The price in force on the day: the offer price from dataInicial to
    // dataFinal, both days included; the regular price otherwise.
    double preco(double date) const;
    bool emOferta(double date) const;

    std::int32_t key = 0;
    std::string descricao;
    double precoNormal = 0;
    double precoOferta = 0;
    double dataInicial = 0;
    double dataFinal = 0;
    double dataAlteracao = 0;
    double fatorPreco = 0; // for a box, the units it holds
    std::vector<std::string> barras; // in the order the package listed them
    std::string barra;               // code to print; blank: the first of barras
    std::int32_t divisorPreco = 0;
    std::string divisorPrecoDescricao;
    TProduto* pai = nullptr; // for a box, the unit product it holds
    std::vector<std::unique_ptr<TProduto>> filhos; // the boxes of a unit product
    std::int32_t quantidadeEtiquetas = 0;
    std::string embalagem;
    std::int32_t diasValidade = 0;
    std::string fornecedorDescricao; // set by individual printing only
    double fabricacao = 0;           // set with fornecedorDescricao
    std::string embalagemPadrao;     // empty: no standard package
    double embalagemPadraoFator = 0;

    // Owns `pai` when this record loaded its parent itself; empty when the
    // parent is the record whose child this one is.
    std::unique_ptr<TProduto> paiCarregado;
};

// The most records a parent chain holds, the record loaded included. Real
// catalogues nest a unit, its box and a pallet; a package that chains boxes
// deeper is cut here.
inline constexpr int MaxProdutoChain = 8;

// A record from the current row of a query over produto ("select *",
// "select p.*"). With parent null, a box loads its unit product by the row's
// `pai` column, and so on up the chain; the chain stops at a key already
// loaded and after MaxProdutoChain records, the last one then without `pai`.
std::unique_ptr<TProduto> LoadProduto(TConnection& connection, const TQuery& query,
                                      TProduto* parent);
// Fills record.filhos with the products whose `pai` is record.key, by key.
void LoadFilhos(TConnection& connection, TProduto& record);
// Null when no product has the key / the barcode.
std::unique_ptr<TProduto> FindProdutoByKey(TConnection& connection, std::int32_t key);
// The code as the catalogue keeps it (BarcodeAsStored); an empty code finds
// no product.
std::unique_ptr<TProduto> FindProdutoByBarra(TConnection& connection, std::string_view barcode);

// A barcode of digits only is the number it is: without its leading zeros,
// "0" when it is all zeros. Any other code stays as written. A view of `code`.
std::string_view BarcodeAsStored(std::string_view code);

} // namespace zev
