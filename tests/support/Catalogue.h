#pragma once

// The catalogue a test starts from, written row by row into the program
// directory's zev.mdb (CreateDatabase first), and scalar looks at it.

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zev::test {

void Sql(std::string_view sql);

// The first column of the first row; 0 or "" when there is no row.
long long ScalarInt(std::string_view sql);
QString ScalarText(std::string_view sql);
// The first column of every row, in the query's order.
std::vector<int> IntColumn(std::string_view sql);

// The path from department to subgroup; a level already there is kept.
// Unnamed levels are "D<key>", "S<key>", "G<key>" and "U<key>".
struct TBranch
{
    int depto;
    int secao;
    int grupo;
    int subGrupo;
    std::string deptoNome = {};
    std::string secaoNome = {};
    std::string grupoNome = {};
    std::string subGrupoNome = {};
};
void AddBranch(const TBranch& branch);

// A product as the import leaves it; a box names its unit in pai.
struct TProdutoRow
{
    int key;
    std::string descricao;
    std::optional<int> subGrupo = {};
    double preco = 1.0;
    int etiquetas = 1;
    std::vector<std::string> barras = {};
    std::optional<int> pai = {};
    std::optional<double> fatorPreco = {};
};
void AddProduto(const TProdutoRow& row);

} // namespace zev::test
