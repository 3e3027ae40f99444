#pragma once

// Synthetic catalogues for benchmarks, demonstrations and tests: a store's
// department tree, N products with one to three barcodes each, some boxes of
// other products, some offers around the given day, Portuguese descriptions
// with accents. Written straight into the database, replacing its catalogue,
// or as the store's package file for the import. The same shape and seed
// give the same catalogue either way.

#include "platform/Regional.h"

#include <QString>

#include <cstdint>
#include <string>

namespace zev {

class TConnection;

struct TCatalogueShape
{
    int produtos = 1000;
    std::uint32_t seed = 1;
    double today = Today();
    // Mean barcodes per product, from 1 to 2.5.
    double barrasPorProduto = 1.45;
};

struct TCatalogueSummary
{
    int produtos = 0;
    int caixas = 0;
    int ofertas = 0;
    int barras = 0;
};

TCatalogueSummary GenerateCatalogue(TConnection& connection, const TCatalogueShape& shape);

// The same catalogue as a package file "ZEV.TXT" of version 5: Windows-1252,
// CR LF, dates in the regional short date format, numbers with ".", the
// EAN-13 of every seventh product written with a leading zero.
TCatalogueSummary GeneratePackage(const QString& path, const TCatalogueShape& shape);

// The barcodes the generator gives product `key`: its EAN-13 is always the first.
std::string GeneratedEan13(std::int32_t key);

} // namespace zev
