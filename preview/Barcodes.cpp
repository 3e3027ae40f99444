#include "preview/Barcodes.h"

#include "preview/LabelCanvas.h"

#include <zint.h>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>

namespace zev {

namespace {

struct TZintDelete
{
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using TZintSymbol = std::unique_ptr<zint_symbol, TZintDelete>;

TZintSymbol ZintEncode(int symbology, std::string_view data, const char* name, int option1 = -1)
{
    TZintSymbol symbol(ZBarcode_Create());
    if (!symbol)
        throw ESymbolError(std::string(name) + ": memória insuficiente");
    symbol->symbology = symbology;
    symbol->input_mode = DATA_MODE; // the bytes as the printer gets them
    if (option1 >= 0)
        symbol->option_1 = option1;
    const int result =
        ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    if (result >= ZINT_ERROR)
        throw ESymbolError(std::string(name) + ": dados que o símbolo não codifica (" + symbol->errtxt + ")");
    return symbol;
}

bool IsDark(const zint_symbol& symbol, int row, int column)
{
    return ((symbol.encoded_data[row][column >> 3] >> (column & 7)) & 1) != 0;
}

// The runs of the first row, bar first.
std::vector<int> Runs(const zint_symbol& symbol)
{
    std::vector<int> runs;
    bool dark = true;
    for (int column = 0; column < symbol.width; ++column) {
        if (IsDark(symbol, 0, column) != dark || runs.empty()) {
            if (!runs.empty())
                dark = !dark;
            runs.push_back(0);
        }
        ++runs.back();
    }
    return runs;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void RequireDigits(std::string_view digits, const char* name)
{
    if (!AllDigits(digits))
        throw ESymbolError(std::string(name) + ": só dígitos são aceitos");
}


// The printer's data digits for a symbol of `length` digits and a check
// digit: with the check digit given, it is left for the printer's own;
// otherwise padded on the left with zeros or cut to the last `length`.
std::string DataDigits(std::string_view digits, std::size_t length, const char* name)
{
    RequireDigits(digits, name);
    if (digits.size() == length + 1)
        return std::string(digits.substr(0, length));
    if (digits.size() > length)
        return std::string(digits.substr(digits.size() - length));
    return std::string(length - digits.size(), '0') + std::string(digits);
}

TLinearSymbol EanUpc(TSymbology symbology, const std::string& withCheck, int zintSymbology, const char* name)
{
    const TZintSymbol symbol = ZintEncode(zintSymbology, withCheck, name);
    return {symbology, Runs(*symbol), false, withCheck};
}

bool IsEanUpc(TSymbology symbology)
{
    return symbology == TSymbology::Ean13 || symbology == TSymbology::Ean8 || symbology == TSymbology::UpcA;
}

// The elements of the guard bars, and of UPC-A's first and last digits,
// that reach down into the interpretation line.
bool IsLongElement(TSymbology symbology, std::size_t index, std::size_t count)
{
    const std::size_t edge = symbology == TSymbology::UpcA ? 7 : 3;
    const std::size_t centre = count / 2;
    return index < edge || index + edge >= count || (index + 2 >= centre && index <= centre + 2);
}

int TextPixels(int module) { return 9 * module; }

QFont InterpretationFont(int module)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(TextPixels(module));
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

int TextAdvance(int module) { return QFontMetrics(InterpretationFont(module)).horizontalAdvance(QLatin1Char('0')); }

// Dots of each element, in order.
std::vector<int> ElementDots(const TLinearSymbol& symbol, const TLinearStyle& style)
{
    // The printer drops the fraction: 2.5 x 3 dots prints 7-dot wide bars.
    const int wide = static_cast<int>(std::floor(style.ratio * style.module + 1e-6));
    std::vector<int> dots;
    for (const int element : symbol.elements)
        dots.push_back(symbol.twoWidths ? (element > 1 ? wide : style.module) : element * style.module);
    return dots;
}

void DrawText(QPainter& painter, const QRect& box, const QString& text, int module)
{
    painter.setFont(InterpretationFont(module));
    painter.drawText(box, Qt::AlignCenter, text);
}

// EAN and UPC digits: the first one left of the bars (and UPC-A's last
// one right of them), the others centred under each half.
void DrawEanUpcText(QPainter& painter, const TLinearSymbol& symbol, const std::vector<int>& starts, int barsLeft,
                    int barsRight, int top, int module)
{
    const QString text = QString::fromStdString(symbol.text);
    const int height = TextPixels(module);
    const int count = static_cast<int>(starts.size());
    const int centre = starts[static_cast<std::size_t>(count / 2 - 2)];
    const int centreEnd = starts[static_cast<std::size_t>(count / 2 + 3)];
    const int edge = symbol.symbology == TSymbology::UpcA ? 7 : 3;
    const int left = starts[static_cast<std::size_t>(edge)];
    const int right = starts[static_cast<std::size_t>(count - edge)];
    QString leftDigits = text.left(text.size() / 2);
    QString rightDigits = text.mid(text.size() / 2);
    if (symbol.symbology == TSymbology::Ean13) {
        DrawText(painter, QRect(0, top, barsLeft, height), text.left(1), module);
        leftDigits = text.mid(1, 6);
        rightDigits = text.mid(7);
    } else if (symbol.symbology == TSymbology::UpcA) {
        DrawText(painter, QRect(0, top, barsLeft, height), text.left(1), module);
        DrawText(painter, QRect(barsRight, top, barsLeft, height), text.mid(11), module);
        leftDigits = text.mid(1, 5);
        rightDigits = text.mid(6, 5);
    }
    DrawText(painter, QRect(left, top, centre - left, height), leftDigits, module);
    DrawText(painter, QRect(centreEnd, top, right - centreEnd, height), rightDigits, module);
}

} // namespace

int Mod10(std::string_view digits)
{
    int sum = 0;
    int weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

TLinearSymbol EncodeEan13(std::string_view digits)
{
    std::string data = DataDigits(digits, 12, "EAN-13");
    data += static_cast<char>('0' + Mod10(data));
    return EanUpc(TSymbology::Ean13, data, BARCODE_EANX_CHK, "EAN-13");
}

TLinearSymbol EncodeEan8(std::string_view digits)
{
    std::string data = DataDigits(digits, 7, "EAN-8");
    data += static_cast<char>('0' + Mod10(data));
    return EanUpc(TSymbology::Ean8, data, BARCODE_EANX_CHK, "EAN-8");
}

TLinearSymbol EncodeUpcA(std::string_view digits, bool checkDigit)
{
    std::string data = DataDigits(digits, 11, "UPC-A");
    data += static_cast<char>('0' + Mod10(data));
    TLinearSymbol symbol = EanUpc(TSymbology::UpcA, data, BARCODE_UPCA_CHK, "UPC-A");
    if (!checkDigit)
        symbol.text.pop_back();
    return symbol;
}

TLinearSymbol EncodeInterleaved2of5(std::string_view digits, bool checkDigit)
{
    RequireDigits(digits, "2 de 5 intercalado");
    std::string data(digits);
    if ((data.size() + (checkDigit ? 1 : 0)) % 2 != 0)
        data.insert(data.begin(), '0'); // pairs of digits: a leading zero completes them
    if (checkDigit)
        data += static_cast<char>('0' + Mod10(data));
    const TZintSymbol symbol = ZintEncode(BARCODE_C25INTER, data, "2 de 5 intercalado");
    std::vector<int> elements = Runs(*symbol);
    for (int& element : elements)
        element = element > 1 ? 2 : 1;
    return {TSymbology::Interleaved2of5, std::move(elements), true, data};
}

TLinearSymbol EncodeCode39(std::string_view data, bool checkDigit)
{
    TZintSymbol symbol(ZBarcode_Create());
    if (!symbol)
        throw ESymbolError("Code 39: memória insuficiente");
    symbol->symbology = BARCODE_CODE39;
    symbol->option_2 = checkDigit ? 1 : 0;
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()))
        >= ZINT_ERROR)
        throw ESymbolError(std::string("Code 39: dados que o símbolo não codifica (") + symbol->errtxt + ")");
    std::vector<int> elements = Runs(*symbol);
    for (int& element : elements)
        element = element > 1 ? 2 : 1;
    return {TSymbology::Code39, std::move(elements), true, reinterpret_cast<const char*>(symbol->text)};
}

int LinearBarsLeft(const TLinearSymbol& symbol, const TLinearStyle& style)
{
    const bool outsideDigit = symbol.symbology == TSymbology::Ean13 || symbol.symbology == TSymbology::UpcA;
    return style.text && outsideDigit ? TextAdvance(style.module) + style.module : 0;
}

QImage DrawLinear(const TLinearSymbol& symbol, const TLinearStyle& style)
{
    const std::vector<int> dots = ElementDots(symbol, style);
    const int barsLeft = LinearBarsLeft(symbol, style);
    std::vector<int> starts;
    int x = barsLeft;
    for (const int width : dots) {
        starts.push_back(x);
        x += width;
    }
    const int barsRight = x;
    const bool eanUpc = IsEanUpc(symbol.symbology);
    const QString text = QString::fromStdString(symbol.text);
    const int textHeight = style.text ? TextPixels(style.module) : 0;
    const int textWidth = style.text && !eanUpc ? TextAdvance(style.module) * static_cast<int>(text.size()) : 0;
    const int gap = style.text ? style.module : 0;
    const int rightMargin = symbol.symbology == TSymbology::UpcA ? barsLeft : 0;
    const int width = std::max({barsRight + rightMargin, textWidth, 1});
    const int barsTop = style.text && style.textAbove ? textHeight + gap : 0;
    const int longBars = style.text && !style.textAbove && eanUpc ? textHeight / 2 + gap : 0;

    // Bars beyond the largest label are cut: the painter clips them.
    QImage mask = TLabelCanvas::NewMask(width, style.height + textHeight + gap);
    QPainter painter(&mask);
    for (std::size_t i = 0; i < dots.size(); i += 2) {
        const bool reaches = eanUpc && IsLongElement(symbol.symbology, i, dots.size());
        painter.fillRect(starts[i], barsTop, dots[i], style.height + (reaches ? longBars : 0), Qt::black);
    }
    if (!style.text)
        return mask;
    painter.setPen(Qt::black);
    const int textTop = style.textAbove ? 0 : style.height + gap;
    if (eanUpc && starts.size() > 6)
        DrawEanUpcText(painter, symbol, starts, barsLeft, barsRight, textTop, style.module);
    else
        DrawText(painter, QRect(std::max(0, (barsRight - textWidth) / 2), textTop, textWidth, textHeight), text,
                 style.module);
    return mask;
}

TMatrixSymbol EncodeQr(std::string_view data, char errorCorrection)
{
    const char* const levels = "LMQH";
    const char* level = std::strchr(levels, errorCorrection);
    if (errorCorrection == '\0' || level == nullptr)
        throw ESymbolError(std::string("QR Code: nível de correção de erros \"") + errorCorrection + "\" desconhecido");
    const TZintSymbol symbol = ZintEncode(BARCODE_QRCODE, data, "QR Code", static_cast<int>(level - levels) + 1);
    TMatrixSymbol matrix;
    matrix.size = symbol->width;
    matrix.dark.reserve(static_cast<std::size_t>(matrix.size * matrix.size));
    for (int row = 0; row < symbol->rows; ++row)
        for (int column = 0; column < symbol->width; ++column)
            matrix.dark.push_back(IsDark(*symbol, row, column) ? 1 : 0);
    return matrix;
}

QImage DrawMatrix(const TMatrixSymbol& symbol, int moduleDots)
{
    const int side = std::max(1, symbol.size * moduleDots);
    QImage mask(side, side, QImage::Format_Alpha8);
    mask.fill(0);
    for (int row = 0; row < symbol.size; ++row)
        for (int column = 0; column < symbol.size; ++column)
            if (symbol.dark[static_cast<std::size_t>(row * symbol.size + column)] != 0)
                for (int y = row * moduleDots; y < (row + 1) * moduleDots; ++y)
                    std::memset(mask.scanLine(y) + column * moduleDots, 255, static_cast<std::size_t>(moduleDots));
    return mask;
}

} // namespace zev
