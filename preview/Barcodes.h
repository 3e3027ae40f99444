#pragma once

// Barcode symbols: their bars and modules, and their drawing into masks
// (see LabelCanvas). The symbologies whose encoding does not depend on the
// printer come from zint; Code 128 has its own encoder (Code128.h).

#include "platform/Error.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

// Data a symbology cannot encode; the message says why (UTF-8).
class ESymbolError : public EZevError
{
public:
    using EZevError::EZevError;
};

// The check digit of EAN, UPC, I2of5 and the UCC codes: weights 3 and 1
// from the right, digits only.
int Mod10(std::string_view digits);

enum class TSymbology
{
    Code128,
    Ean13,
    Ean8,
    UpcA,
    Interleaved2of5,
    Code39,
};

struct TLinearSymbol
{
    TSymbology symbology = TSymbology::Code128;
    // Widths of the bars and spaces, bar first, in modules. With
    // `twoWidths` every element is 1 (narrow) or 2 (wide), the wide one
    // drawn `ratio` times the narrow.
    std::vector<int> elements;
    bool twoWidths = false;
    // The interpretation line as the printer prints it, check digits
    // included; for EAN and UPC, the digits in their printed order.
    std::string text;
};

// Throws ESymbolError. EAN and UPC take their digits as the printer does:
// with the check digit given, the printer's own replaces it; a shorter
// number is padded on the left with zeros, a longer one keeps its last digits.
TLinearSymbol EncodeEan13(std::string_view digits);         // 12 digits (13: check given)
TLinearSymbol EncodeEan8(std::string_view digits);          // 7 digits (8: check given)
TLinearSymbol EncodeUpcA(std::string_view digits, bool checkDigit); // 11 digits
TLinearSymbol EncodeInterleaved2of5(std::string_view digits, bool checkDigit);
TLinearSymbol EncodeCode39(std::string_view data, bool checkDigit);

struct TLinearStyle
{
    int module = 2;     // dots of a narrow element
    double ratio = 3.0; // wide to narrow, for two-width symbologies
    int height = 10;    // bar height in dots, interpretation line not included
    bool text = true;   // draw the interpretation line
    bool textAbove = false;
};

// The symbol upright (alpha 255 ink, 0 paper): bars from the left edge, the
// interpretation line above or below them, in a monospaced font 9 modules
// tall. EAN and UPC guard bars reach into the line below; the first digit of
// EAN-13 and UPC-A stands left of the bars (and UPC-A's check digit right of
// them), so there the mask's left edge is the text's and the bars start at
// LinearBarsLeft.
QImage DrawLinear(const TLinearSymbol& symbol, const TLinearStyle& style);
int LinearBarsLeft(const TLinearSymbol& symbol, const TLinearStyle& style);

struct TMatrixSymbol
{
    int size = 0;                    // modules per side
    std::vector<std::uint8_t> dark;  // size * size, row by row
};

// QR Code (model 2), error correction 'L', 'M', 'Q' or 'H'. Throws ESymbolError.
TMatrixSymbol EncodeQr(std::string_view data, char errorCorrection);
// Without a quiet zone; each module `moduleDots` square.
QImage DrawMatrix(const TMatrixSymbol& symbol, int moduleDots);

} // namespace zev
