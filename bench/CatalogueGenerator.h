#pragma once

// Synthetic catalogues for benchmarks, demonstrations and tests: a store's
// department tree, N products with one to three barcodes each, some boxes of
// other products, some offers around the given day, Portuguese descriptions
// with accents. Written straight into the database, replacing its catalogue.
// The same shape and seed give the same catalogue.

#include "platform/Regional.h"

#include <cstdint>

namespace zev {

class TConnection;

struct TCatalogueShape
{
    int produtos = 1000;
    std::uint32_t seed = 1;
    double today = Today();
};

struct TCatalogueSummary
{
    int produtos = 0;
    int caixas = 0;
    int ofertas = 0;
    int barras = 0;
};

TCatalogueSummary GenerateCatalogue(TConnection& connection, const TCatalogueShape& shape);

// The barcodes the generator gives product `key`: its EAN-13 is always the first.
std::string GeneratedEan13(std::int32_t key);

} // namespace zev
