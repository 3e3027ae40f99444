#pragma once

// The selection: the products chosen for printing (table selecao) and its
// reference date, "Selecao Data" in zev.ini, the day whose prices the
// selection is printed with.
//
// Every command that fills the selection empties it first, runs in one
// transaction and ends with the notice "Selecionado N item(s)". A command
// that fails changes nothing: neither the selection nor "Selecao Data".
// Dialogs are asked through the operator; cancelling one changes nothing.
//
// Texts are Windows-1252 bytes; dates are day numbers.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TConnection;
class TIniFile;
class TOperator;

// "Selecao Data" for the selection as `connection` reads it: zev.ini's date,
// unless the database's record of the selection's last date shows that
// zev.ini never got it (the program stopped between the commit and the
// write); then the recorded date, which is written to zev.ini again. Dates a
// person wrote into zev.ini by hand are taken as they are. `ini` is read
// before the connection's read transaction takes its first look: a
// selection committed in between then shows as not yet in zev.ini, and its
// own date goes with it.
double SelecaoDataOf(TConnection& connection, const TIniFile& ini);

// "Hoje", "Amanhã", "Data": the products whose price changes on the day (a
// price change, an offer that starts, an offer that ended the day before),
// without those lacking a barcode, those with a barcode below "Min Balanca",
// boxes unless "Atacado" is set, and those not of the type chosen. "Selecao
// Data" becomes the day.
void SelectByDate(TOperator& op, double day);

enum class TBarcodeFileFormat
{
    Barras = 1,    // each whole line
    Tarvo9000 = 2, // characters 5 to 17 of each line
};

// One entry per line of a barcode file, in file order, empty lines
// included. Lines end with CR LF, LF or CR; a line end after the last line
// adds no entry.
std::vector<std::string> BarcodeFileEntries(std::string_view bytes, TBarcodeFileFormat format);

// Asks for a barcode file ("PLU.TXT" proposed) and reads its entries;
// nothing when the operator cancels. Throws EInOutError when the file
// cannot be read.
std::optional<std::vector<std::string>> ReadBarcodeFile(TOperator& op, TBarcodeFileFormat format);

// "Ar&quivo": the products owning a barcode of the file, exactly as written
// (leading zeros included); with "Atacado" their boxes too. An entry longer
// than a barcode refuses the whole file, naming its line. "Selecao Data"
// becomes today.
void SelectFromBarcodeFile(TOperator& op, TBarcodeFileFormat format);

// "A&grupamento": every product below the branch chosen in the department
// tree dialog. "Selecao Data" becomes today.
void SelectFromTree(TOperator& op);

// "&Ultima Importação": the products whose regular or offer price differs
// from the one they had before the last import. "Selecao Data" stays.
void SelectChangedPrices(TOperator& op);

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
