#pragma once

// The product search of the counter window: products whose description
// holds the typed text, regardless of case and accents ("acucar" finds
// "AÇÚCAR" and "Açúcar"), in description order, at most BuscaLimit of them.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace zev {

class TConnection;

inline constexpr std::int64_t BuscaLimit = 500;

struct TBuscaRow
{
    std::int32_t key = 0;
    std::string descricao; // Windows-1252 bytes
    double preco = 0;      // in force on the search's date
};

struct TBuscaResult
{
    std::int64_t count = 0;      // every match
    std::vector<TBuscaRow> rows; // empty when count > BuscaLimit

    bool TooMany() const { return count > BuscaLimit; }
};

// An empty or blank text finds nothing.
TBuscaResult SearchProdutos(TConnection& connection, const QString& text, double date);

// "Número de resultados muito grande (n)" CR "Melhore sua busca".
QString TooManyMessage(std::int64_t count);
// The price column: the regional general float format.
QString PrecoText(double preco);

} // namespace zev
