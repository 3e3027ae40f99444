#pragma once

// The selection as its editor lists and changes it.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TOperator;

// One row of the selection as its editor lists it.
struct TSelectedItem
{
    std::string codigo; // produto_key in decimal
    std::string descricao;
    double precoSelecao = 0; // the price in force on "Selecao Data"
    double dataAlteracao = 0;
};
using TSelectedItems = std::vector<TSelectedItem>;

// The selection by description, a product selected twice listed twice.
TSelectedItems ListSelection();

// The editor's columns: "Código", "Descrição", "Data Alt.", "Preço".
std::array<QString, 4> SelectedItemHeader();
// A row's texts under those columns: the date in the short date format
// (blank when the product has none), the price with two decimals.
std::array<QString, 4> SelectedItemTexts(const TSelectedItem& item);

// Each in a transaction of its own. Removing takes every row of the product.
void AddToSelection(std::int32_t key);
void RemoveFromSelection(std::int32_t key);

// The editor's "Incluir código": the code is read as a product key first
// (when it is one), then as a barcode (leading zeros ignored). A code that
// is no number, an unknown product, or one already among `listedCodes`
// (the codes the editor shows) is refused with the operator's warning.
// The key added, or nothing when refused.
std::optional<std::int32_t> AddCodeToSelection(TOperator& op, std::string_view code,
                                               const std::vector<std::string>& listedCodes);

} // namespace zev
