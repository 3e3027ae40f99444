#pragma once

// Barcode files: their entries, and the selection of the products they
// name (a selection command, SelecaoCommand.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TOperator;

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

} // namespace zev
