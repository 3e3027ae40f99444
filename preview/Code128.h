#pragma once

// Code 128 as a label printer encodes it. The printer's choice of code sets
// decides the bars, so the choice is made here as the printer makes it: in
// the normal mode from the invocation codes in the data (">;" start in set C,
// ">:" B, ">9" A; ">5" ">6" ">7" switch to C, B, A; ">8" FNC1 ...), in the
// automatic mode by the shortest encoding the printer picks.

#include "preview/Barcodes.h"

#include <string_view>

namespace zev {

enum class TCode128Mode
{
    Normal,    // ZPL N
    Ucc,       // ZPL U: UCC case mode, 19 digits and a check digit
    Automatic, // ZPL A
    Ean,       // ZPL D: UCC/EAN with application identifiers
};

// Throws ESymbolError for data the mode cannot encode.
TLinearSymbol EncodeCode128(std::string_view data, TCode128Mode mode, bool uccCheckDigit = false);

} // namespace zev
