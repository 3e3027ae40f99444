#include "preview/DplInterpreter.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "preview/Barcodes.h"
#include "preview/Code128.h"
#include "preview/LabelCanvas.h"
#include "preview/LabelFonts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace zev {

namespace {

constexpr char Soh = '\x01';
constexpr char Stx = '\x02';
constexpr char Cr = '\r';
constexpr char Lf = '\n';

// A picture without a width of its own is as wide as what is drawn, but
// never wider than the 4.1 inches of a four-inch print head.
constexpr double HeadWidthInches = 4.1;
// Nothing drawn and no size given: a four-inch-wide, one-inch-long label.
constexpr double EmptyLengthInches = 1.0;
// Bounds that keep garbage data from asking for gigabytes.
constexpr double MaxPictureDots = 64.0 * 1024 * 1024;
constexpr int MaxFieldSide = 16000;
constexpr double MaxFieldDots = 32.0 * 1024 * 1024;
// DPL's points: 72.307 to the inch.
constexpr double PointsPerInch = 72.307;

// ---------------------------------------------------------------- numbers

std::optional<int> Number(std::string_view digits)
{
    if (digits.empty() || digits.size() > 6)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Width and height multipliers: 1-9, then A-Z for 10-35 and a-z for 36-61;
// 0 asks a barcode for its default.
std::optional<int> Multiplier(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 36;
    return std::nullopt;
}

std::optional<int> HexByte(char high, char low)
{
    const int h = HexDigitValue(high);
    const int l = HexDigitValue(low);
    if (h < 0 || l < 0)
        return std::nullopt;
    return h * 16 + l;
}

std::string Hex(unsigned char byte)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    return {'0', 'x', Digits[byte >> 4], Digits[byte & 15]};
}

// ------------------------------------------------------------- characters

// Code page 850, the printer's PC code page for its bitmap fonts, from 0x80.
constexpr std::array<char16_t, 128> Cp850High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
    0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
    0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1,
    0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD,
    0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2,
    0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4,
    0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD,
    0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, 0x00B0,
    0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

QChar Cp850Char(unsigned char byte)
{
    if (byte == 127)
        return QChar(0x2302);
    return byte < 128 ? QChar(byte) : QChar(Cp850High[byte - 128]);
}

struct TByteRange
{
    int first;
    int last;
};

// The characters each bitmap font holds, as the manual lists them.
bool FontHolds(int font, unsigned char byte)
{
    static const std::vector<TByteRange> Full = {{32, 127}};
    static const std::vector<TByteRange> Latin = {{32, 168}, {171, 172}, {225, 225}};
    static const std::vector<TByteRange> Capitals = {
        {32, 32},   {35, 38},   {40, 58},   {65, 90},   {128, 128}, {142, 144}, {146, 146},
        {153, 154}, {156, 157}, {165, 165}, {168, 168}, {225, 225}};
    static const std::vector<TByteRange> Ocr = {{32, 126}};
    static const std::vector<TByteRange> Digits = {{32, 32}, {48, 57}, {60, 60}, {62, 62},
                                                   {67, 67}, {69, 69}, {78, 78}, {83, 84},
                                                   {88, 88}, {90, 90}};
    const std::vector<TByteRange>* ranges = &Full;
    if (font == 1 || font == 2)
        ranges = &Latin;
    else if (font >= 3 && font <= 6)
        ranges = &Capitals;
    else if (font == 7)
        ranges = &Ocr;
    else if (font == 8)
        ranges = &Digits;
    return std::any_of(ranges->begin(), ranges->end(),
                       [byte](const TByteRange& r) { return byte >= r.first && byte <= r.last; });
}

// ------------------------------------------------------------------ fonts

struct TBitmapFont
{
    int height;
    int width;
    int spacing;
};

// Fonts 0 to 8 in dots at 203, 300 and 406 dpi; other resolutions scale the
// nearest table.
TBitmapFont BitmapFont(int font, int dpi)
{
    static constexpr TBitmapFont At203[9] = {{7, 5, 1},   {13, 7, 2},  {18, 10, 2},
                                             {27, 14, 2}, {36, 18, 3}, {52, 18, 3},
                                             {64, 32, 4}, {32, 15, 5}, {28, 15, 5}};
    static constexpr TBitmapFont At300[9] = {{10, 7, 1},  {19, 10, 3}, {27, 15, 3},
                                             {40, 21, 3}, {53, 27, 4}, {77, 27, 4},
                                             {95, 47, 6}, {47, 22, 7}, {41, 22, 7}};
    static constexpr TBitmapFont At406[9] = {{14, 10, 2},  {26, 14, 4}, {36, 20, 4},
                                             {54, 28, 4},  {72, 36, 6}, {104, 36, 6},
                                             {128, 64, 8}, {64, 30, 10}, {56, 30, 10}};
    const TBitmapFont* table = At203;
    int tableDpi = 203;
    if (dpi >= 350) {
        table = At406;
        tableDpi = 406;
    } else if (dpi >= 250) {
        table = At300;
        tableDpi = 300;
    }
    const TBitmapFont base = table[font];
    if (dpi == tableDpi)
        return base;
    const double scale = static_cast<double>(dpi) / tableDpi;
    const auto scaled = [scale](int dots) {
        return std::max(1, static_cast<int>(std::lround(dots * scale)));
    };
    return {scaled(base.height), scaled(base.width), scaled(base.spacing)};
}

// Fonts 0, 1, 2 and 7 have lower case with descenders below the capitals;
// the others are capitals and digits filling the cell.
bool HasDescenders(int font)
{
    return font <= 2 || font == 7;
}

// Smooth font 9 sizes "001" to "010".
std::optional<int> SmoothPoints(int index)
{
    static constexpr int Points[] = {6, 8, 10, 12, 14, 18, 24, 30, 36, 48};
    if (index < 1 || index > 10)
        return std::nullopt;
    return Points[index - 1];
}

// ---------------------------------------------------------------- fields

enum class TBackground
{
    None,
    White,
    Black,
};

// Something to put on the label: a mask turned and placed, or a rule (no
// mask). Positions are dots from the left edge and above the bottom edge,
// width and height those of the turned field.
struct TItem
{
    QImage mask;
    TTurn turn = TTurn::None;
    int left = 0;
    int bottom = 0;
    int width = 0;
    int height = 0;
    TInk ink = TInk::Black;
    TBackground background = TBackground::None;
};

enum class TAttribute
{
    Xor = 1,
    Transparent = 2,
    Opaque = 3,
    Inverse = 5,
};

enum class TSymbolSet
{
    Windows1252,
    Pc850,
};

// What a format (STX L to E) sets for its records.
struct TFormat
{
    int dotWidth = 1;
    int dotHeight = 1;
    int columnOffset = 0; // dots
    int rowOffset = 0;    // dots
    TAttribute attribute = TAttribute::Transparent;
    bool slashedZero = true;
};

// A record's fixed fields: a b c d eee ffff gggg, then the rest.
struct TRecord
{
    TTurn turn = TTurn::None;
    std::string id; // "4", "9", "E", "W1D", "X"
    int widthFactor = 0;
    int heightFactor = 0;
    std::string_view size; // eee
    int row = 0;
    int column = 0;
    std::string_view rest;
    std::string header; // as written, for the gaps
};

std::optional<TRecord> ParseRecord(std::string_view line)
{
    TRecord record;
    if (line.size() < 2 || line[0] < '1' || line[0] > '4')
        return std::nullopt;
    record.turn = static_cast<TTurn>(line[0] - '1');
    std::size_t at = 1;
    if (line[at] == 'W') {
        // "Wna": n from 1 to 9, 1 when left out.
        ++at;
        char series = '1';
        if (at < line.size() && line[at] >= '1' && line[at] <= '9')
            series = line[at++];
        if (at >= line.size() || !std::isalpha(static_cast<unsigned char>(line[at])))
            return std::nullopt;
        record.id = std::string{'W', series, line[at]};
        ++at;
    } else {
        record.id = std::string(1, line[at]);
        ++at;
    }
    if (line.size() < at + 13)
        return std::nullopt;
    const auto width = Multiplier(line[at]);
    const auto height = Multiplier(line[at + 1]);
    const auto row = Number(line.substr(at + 5, 4));
    const auto column = Number(line.substr(at + 9, 4));
    if (!width || !height || !row || !column)
        return std::nullopt;
    record.widthFactor = *width;
    record.heightFactor = *height;
    record.size = line.substr(at + 2, 3);
    record.row = *row;
    record.column = *column;
    record.rest = line.substr(at + 13);
    record.header = std::string(line.substr(0, at + 13));
    return record;
}

// --------------------------------------------------------------- Code 128

// DPL's Code 128 (E) in the encoder's invocation codes: the set is the one
// the first character names (A, B or C; B when it names none) and changes
// only where the data says so (&D, &E, &F); "&A" to "&G" are the code values
// 96 to 102, as ">2" to ">8" are; in set C an odd digit or a non-digit goes
// to set B first; in set A, ` a-z { | } ~ DEL are the control characters.
class TCode128Writer
{
public:
    explicit TCode128Writer(char set)
        : m_set(set)
    {
        m_out = set == 'A' ? ">9" : set == 'C' ? ">;" : ">:";
    }

    char Set() const { return m_set; }
    const std::string& Out() const { return m_out; }

    void Switch(char set)
    {
        if (set == m_set)
            return;
        m_out += set == 'A' ? ">7" : set == 'B' ? ">6" : ">5";
        m_set = set;
    }

    // "&A" to "&G": the same code value in every set.
    void Special(char letter)
    {
        m_out += '>';
        m_out += static_cast<char>('2' + (letter - 'A'));
        if (letter == 'D' && m_set != 'C')
            m_set = 'C';
        else if (letter == 'E' && m_set != 'B')
            m_set = 'B';
        else if (letter == 'F' && m_set != 'A')
            m_set = 'A';
    }

    void Character(char c)
    {
        if (m_set == 'A') {
            if (c == '`')
                c = '\0';
            else if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 1);
            else if (c >= '{' && c <= '~')
                c = static_cast<char>(c - '{' + 27);
            else if (c == '\x7f')
                c = '\x1f';
        }
        if (c == '>')
            m_out += "><";
        else
            m_out += c;
    }

    void DigitPair(char first, char second)
    {
        m_out += first;
        m_out += second;
    }

private:
    char m_set;
    std::string m_out;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpecial(std::string_view data, std::size_t at)
{
    return data[at] == '&' && at + 1 < data.size() && data[at + 1] >= 'A' && data[at + 1] <= 'G';
}

std::size_t DigitRun(std::string_view data, std::size_t at)
{
    std::size_t end = at;
    while (end < data.size() && IsDigit(data[end]))
        ++end;
    return end - at;
}

// In set C: digit pairs; an odd last digit or anything else goes to set B.
void WriteInSetC(TCode128Writer& writer, std::string_view data, std::size_t& at)
{
    if (at + 1 < data.size() && IsDigit(data[at]) && IsDigit(data[at + 1])) {
        writer.DigitPair(data[at], data[at + 1]);
        at += 2;
        return;
    }
    writer.Switch('B');
}

std::string DplCode128(std::string_view data)
{
    std::size_t at = 0;
    char start = 'B';
    if (!data.empty() && (data[0] == 'A' || data[0] == 'B' || data[0] == 'C')) {
        start = data[0];
        at = 1;
    }
    TCode128Writer writer(start);
    while (at < data.size()) {
        if (IsSpecial(data, at)) {
            writer.Special(data[at + 1]);
            at += 2;
        } else if (writer.Set() == 'C') {
            WriteInSetC(writer, data, at);
        } else {
            writer.Character(data[at++]);
        }
    }
    return writer.Out();
}

// W1J, Code 128 with the printer's own set switching: set C from the start
// for four digits or more, set C again for a run of four digits or more (an
// odd run leaving its first digit in B), set B for the rest.
std::string DplCode128Auto(std::string_view data)
{
    TCode128Writer writer(DigitRun(data, 0) >= 4 ? 'C' : 'B');
    std::size_t at = 0;
    while (at < data.size()) {
        if (IsSpecial(data, at)) {
            writer.Special(data[at + 1]);
            at += 2;
        } else if (writer.Set() == 'C') {
            WriteInSetC(writer, data, at);
        } else if (writer.Set() == 'B' && DigitRun(data, at) >= 4) {
            if (DigitRun(data, at) % 2 == 1)
                writer.Character(data[at++]);
            writer.Switch('C');
        } else {
            writer.Character(data[at++]);
        }
    }
    return writer.Out();
}

// ------------------------------------------------------------ the reader

class TDplReader
{
public:
    explicit TDplReader(const TPreviewHints& hints)
        : m_hints(hints)
        , m_dpi(hints.dpi > 0 ? hints.dpi : DefaultPreviewDpi)
    {
    }

    void Read(std::string_view data, bool inHeader);
    TLabelPicture Picture();

private:
    std::size_t ReadSystemCommand(std::string_view data, std::size_t at, bool inHeader);
    std::size_t ReadFormat(std::string_view data, std::size_t from, std::size_t stxAt,
                           bool inHeader);
    // `ends` when the command ends the format.
    void ReadFormatCommand(std::string_view line, std::size_t at, TFormat& format,
                           char& terminator, bool& ends);
    std::size_t ReadRecord(std::string_view data, std::size_t at, std::size_t end,
                           const TFormat& format);
    // "ySPM" selects code page 850, any other "yS.." Windows Latin 1.
    void SelectSymbolSet(std::string_view argument)
    {
        if (argument.size() >= 3 && argument[0] == 'S')
            m_symbolSet = argument.substr(1, 2) == "PM" ? TSymbolSet::Pc850 : TSymbolSet::Windows1252;
    }
    void DrawBitmapText(const TRecord& record, int font, const TFormat& format, std::size_t at);
    void DrawSmoothText(const TRecord& record, const TFormat& format, std::size_t at);
    void DrawScalableText(const TRecord& record, const TFormat& format, std::size_t at);
    void DrawGraphic(const TRecord& record, const TFormat& format, std::size_t at);
    void DrawLinearBarcode(const TRecord& record, const TFormat& format, std::size_t at);
    std::size_t DrawQr(const TRecord& record, const TFormat& format, std::string_view data,
                       std::size_t at, std::size_t end);

    void AddField(QImage mask, const TRecord& record, const TFormat& format);
    void AddRule(int left, int bottom, int width, int height, const TFormat& format);
    void PlaceText(const QString& text, int height, int width, const TRecord& record,
                   const TFormat& format, std::size_t at);
    bool FitsField(double width, double height, const TRecord& record, std::size_t at);

    int Dots(int units) const
    {
        const double perUnit = m_metric ? m_dpi / 254.0 : m_dpi / 100.0;
        return static_cast<int>(std::lround(units * perUnit));
    }
    int InchDots(double inches) const { return static_cast<int>(std::lround(inches * m_dpi)); }
    QString SymbolSetText(std::string_view data) const;

    void Gap(std::string command, std::size_t offset, std::string reason = {})
    {
        m_gaps.push_back({std::move(command), offset, m_inHeader, std::move(reason)});
    }

    const TPreviewHints& m_hints;
    const int m_dpi;
    bool m_metric = false;
    bool m_inHeader = false;
    bool m_formatSeen = false;
    int m_continuousLength = 0; // dots; 0: die-cut labels
    TSymbolSet m_symbolSet = TSymbolSet::Windows1252;
    std::vector<TItem> m_items;
    std::vector<TPreviewGap> m_gaps;
};

std::size_t LineEnd(std::string_view data, std::size_t at)
{
    const std::size_t end = data.find(Cr, at);
    return end == std::string_view::npos ? data.size() : end;
}

void TDplReader::Read(std::string_view data, bool inHeader)
{
    m_inHeader = inHeader;
    bool inDownload = false;
    std::size_t at = 0;
    while (at < data.size()) {
        const char c = data[at];
        if (c == Cr || c == Lf || c == ' ' || c == '\t') {
            ++at;
        } else if (c == Soh) {
            // Immediate commands: status, pause, reset; nothing is drawn.
            at += 2;
        } else if (c == Stx) {
            inDownload = at + 1 < data.size() && data[at + 1] == 'I';
            at = ReadSystemCommand(data, at, inHeader);
        } else {
            if (!inDownload)
                Gap(std::string(1, c), at, "dados fora de um formato (<STX>L ... E)");
            at = LineEnd(data, at);
        }
    }
}

std::size_t TDplReader::ReadSystemCommand(std::string_view data, std::size_t at, bool inHeader)
{
    if (at + 1 >= data.size()) {
        Gap("<STX>", at, "comando incompleto");
        return data.size();
    }
    const char command = data[at + 1];
    std::size_t end = at + 2;
    while (end < data.size() && data[end] != Cr && data[end] != Lf && data[end] != Stx)
        ++end;
    const std::string_view argument = data.substr(at + 2, end - at - 2);
    const std::string name = std::string("<STX>") + command;
    switch (command) {
    case 'L':
        return ReadFormat(data, end < data.size() && data[end] == Cr ? end + 1 : end, at,
                          inHeader);
    case 'm':
        m_metric = true;
        break;
    case 'n':
        m_metric = false;
        break;
    case 'c':
        if (const auto length = Number(argument.substr(0, 4)))
            m_continuousLength = Dots(*length);
        else
            Gap(name, at, "comprimento inválido");
        break;
    case 'y':
        SelectSymbolSet(argument);
        break;
    case 'I':
        Gap(name, at, "imagem carregada na impressora: não visualizada");
        break;
    // Settings, sensors, speeds, memory and status: nothing to draw.
    case 'A': case 'a': case 'B': case 'd': case 'E': case 'e': case 'F': case 'f':
    case 'G': case 'J': case 'K': case 'k': case 'M': case 'O': case 'o': case 'P':
    case 'p': case 'Q': case 'q': case 'r': case 'S': case 's': case 'T': case 't':
    case 'U': case 'V': case 'v': case 'W': case 'w': case 'X': case 'x': case 'Y':
    case 'z': case 'Z':
        break;
    default:
        Gap(name, at);
        break;
    }
    return end;
}

std::size_t TDplReader::ReadFormat(std::string_view data, std::size_t from, std::size_t stxAt,
                                   bool inHeader)
{
    const bool draws = !inHeader && !m_formatSeen;
    if (inHeader)
        Gap("<STX>L", stxAt, "etiqueta no cabeçalho: não visualizada");
    else if (m_formatSeen)
        Gap("<STX>L", stxAt, "outra etiqueta nos dados: só a primeira é visualizada");
    if (!inHeader)
        m_formatSeen = true;

    TFormat format;
    char terminator = Cr;
    std::size_t at = from;
    while (at < data.size()) {
        while (at < data.size() && data[at] == Lf)
            ++at;
        if (at >= data.size())
            break;
        std::size_t end = data.find(terminator, at);
        if (end == std::string_view::npos)
            end = data.size();
        const std::string_view line = data.substr(at, end - at);
        std::size_t next = end < data.size() ? end + 1 : end;
        terminator = Cr;
        if (line.empty()) {
            at = next;
            continue;
        }
        if (line[0] >= '1' && line[0] <= '4') {
            if (draws) {
                try {
                    next = ReadRecord(data, at, end, format);
                } catch (const std::exception& error) {
                    Gap(std::string(line.substr(0, 4)), at, error.what());
                }
            }
        } else {
            bool ends = false;
            ReadFormatCommand(line, at, format, terminator, ends);
            if (ends)
                return next;
        }
        at = next;
    }
    Gap("<STX>L", stxAt, "formato sem E no fim: a impressora não imprime a etiqueta");
    return data.size();
}

void TDplReader::ReadFormatCommand(std::string_view line, std::size_t at, TFormat& format,
                                   char& terminator, bool& ends)
{
    const char command = line[0];
    const std::string_view argument = line.substr(1);
    const std::string name(1, command);
    switch (command) {
    case 'E':
        ends = true;
        return;
    case 'X':
    case 's':
        Gap(name, at, "formato encerrado sem imprimir a etiqueta");
        ends = true;
        return;
    case 'D': {
        const auto width = argument.size() >= 2 ? Multiplier(argument[0]) : std::nullopt;
        const auto height = argument.size() >= 2 ? Multiplier(argument[1]) : std::nullopt;
        if (width && height && *width >= 1 && *width <= 9 && *height >= 1 && *height <= 9) {
            format.dotWidth = *width;
            format.dotHeight = *height;
        } else {
            Gap(std::string(line.substr(0, 3)), at, "tamanho de ponto inválido");
        }
        return;
    }
    case 'm':
        m_metric = true;
        return;
    case 'n':
        m_metric = false;
        return;
    case 'C':
    case 'R':
        if (const auto offset = Number(argument.substr(0, 4)))
            (command == 'C' ? format.columnOffset : format.rowOffset) = Dots(*offset);
        else
            Gap(name, at, "deslocamento inválido");
        return;
    case 'A': {
        const auto mode = Number(argument.substr(0, 1));
        if (mode && (*mode == 1 || *mode == 2 || *mode == 3 || *mode == 5))
            format.attribute = static_cast<TAttribute>(*mode);
        else
            Gap(std::string(line.substr(0, 2)), at);
        return;
    }
    case 'z':
        format.slashedZero = false;
        return;
    case 'T':
        if (const auto byte = argument.size() >= 2 ? HexByte(argument[0], argument[1])
                                                   : std::nullopt)
            terminator = static_cast<char>(*byte);
        else
            Gap(name, at, "terminador inválido");
        return;
    case 'y':
        SelectSymbolSet(argument);
        return;
    case 'M':
        Gap(name, at, "impressão espelhada não visualizada");
        return;
    // Heat, speeds, quantity, cut, counters, global data and replaced
    // fields: the first label looks the same without them.
    case 'H': case 'S': case 'P': case 'p': case 'Q': case 'c': case ':': case '+':
    case '-': case '<': case '>': case '^': case 'G': case 'U':
        return;
    default:
        Gap(name, at);
        return;
    }
}

std::size_t TDplReader::ReadRecord(std::string_view data, std::size_t at, std::size_t end,
                                   const TFormat& format)
{
    const std::string_view line = data.substr(at, end - at);
    const std::size_t next = end < data.size() ? end + 1 : end;
    const auto parsed = ParseRecord(line);
    if (!parsed) {
        Gap(std::string(line.substr(0, std::min<std::size_t>(line.size(), 15))), at,
            "registro incompleto ou com números inválidos");
        return next;
    }
    const TRecord& record = *parsed;
    const char kind = record.id[0];
    if (kind >= '0' && kind <= '8')
        DrawBitmapText(record, kind - '0', format, at);
    else if (kind == '9' && !record.size.empty() &&
             (record.size[0] == 'S' || record.size[0] == 'U' || record.size[0] == 'u'))
        DrawScalableText(record, format, at);
    else if (kind == '9')
        DrawSmoothText(record, format, at);
    else if (kind == 'X')
        DrawGraphic(record, format, at);
    else if (kind == 'Y')
        Gap(record.header, at, "imagem guardada na impressora: não visualizada");
    else if (record.id == "W1D" || record.id == "W1d")
        return DrawQr(record, format, data, at, end);
    else if (kind == 'W' && record.id != "W1J" && record.id != "W1j")
        Gap(record.id, at, "código de barras não visualizado");
    else if (std::isalpha(static_cast<unsigned char>(kind)) || kind == 'W')
        DrawLinearBarcode(record, format, at);
    else
        Gap(record.header, at);
    return next;
}

bool TDplReader::FitsField(double width, double height, const TRecord& record, std::size_t at)
{
    if (width <= MaxFieldSide && height <= MaxFieldSide && width * height <= MaxFieldDots)
        return true;
    Gap(record.header, at, "campo grande demais para a visualização");
    return false;
}

void TDplReader::AddField(QImage mask, const TRecord& record, const TFormat& format)
{
    if (mask.isNull())
        return;
    TItem item;
    const int w = mask.width();
    const int h = mask.height();
    const int column = Dots(record.column) + format.columnOffset;
    const int row = Dots(record.row) + format.rowOffset;
    // The record names the upright field's lower-left corner; the field
    // turns clockwise about it.
    switch (record.turn) {
    case TTurn::None:
        item = {QImage(), TTurn::None, column, row, w, h};
        break;
    case TTurn::Quarter:
        item = {QImage(), TTurn::Quarter, column, row - w, h, w};
        break;
    case TTurn::Half:
        item = {QImage(), TTurn::Half, column - w, row - h, w, h};
        break;
    case TTurn::ThreeQuarters:
        item = {QImage(), TTurn::ThreeQuarters, column - h, row, h, w};
        break;
    }
    item.mask = std::move(mask);
    switch (format.attribute) {
    case TAttribute::Xor:
        item.ink = TInk::Reverse;
        break;
    case TAttribute::Transparent:
        break;
    case TAttribute::Opaque:
        item.background = TBackground::White;
        break;
    case TAttribute::Inverse:
        item.background = TBackground::Black;
        item.ink = TInk::White;
        break;
    }
    m_items.push_back(std::move(item));
}

void TDplReader::AddRule(int left, int bottom, int width, int height, const TFormat& format)
{
    if (width <= 0 || height <= 0)
        return;
    TItem item;
    item.left = left + format.columnOffset;
    item.bottom = bottom + format.rowOffset;
    item.width = width;
    item.height = height;
    item.ink = format.attribute == TAttribute::Xor ? TInk::Reverse : TInk::Black;
    m_items.push_back(std::move(item));
}

void TDplReader::DrawBitmapText(const TRecord& record, int font, const TFormat& format,
                                std::size_t at)
{
    if (record.widthFactor < 1 || record.heightFactor < 1) {
        Gap(record.header, at, "multiplicador zero");
        return;
    }
    if (record.rest.empty())
        return;
    const TBitmapFont cell = BitmapFont(font, m_dpi);
    const int across = record.widthFactor * format.dotWidth;
    const int up = record.heightFactor * format.dotHeight;
    TCellFont face;
    face.glyphWidth = cell.width * across;
    face.cellWidth = (cell.width + cell.spacing) * across;
    face.glyphHeight = cell.height * up;
    face.cellHeight = face.glyphHeight;
    face.baseline = HasDescenders(font) ? face.glyphHeight * 3 / 4 : face.glyphHeight;
    if (!FitsField(static_cast<double>(face.cellWidth) * record.rest.size(), face.cellHeight,
                   record, at))
        return;

    QString text;
    std::string missing;
    for (const char c : record.rest) {
        const auto byte = static_cast<unsigned char>(c);
        if (!FontHolds(font, byte)) {
            text += u' ';
            if (missing.find(Hex(byte)) == std::string::npos)
                missing += (missing.empty() ? "" : " ") + Hex(byte);
        } else if (byte == '0' && format.slashedZero) {
            text += QChar(0x00D8);
        } else {
            text += Cp850Char(byte);
        }
    }
    if (!missing.empty())
        Gap(record.header, at,
            "caracteres fora da fonte " + std::to_string(font) + ", em branco: " + missing);
    AddField(DrawCellText(text, face).mask, record, format);
}

QString TDplReader::SymbolSetText(std::string_view data) const
{
    if (m_symbolSet == TSymbolSet::Windows1252)
        return AnsiToQString(data);
    QString text;
    for (const char c : data)
        text += Cp850Char(static_cast<unsigned char>(c));
    return text;
}

void TDplReader::PlaceText(const QString& text, int height, int width, const TRecord& record,
                           const TFormat& format, std::size_t at)
{
    if (text.isEmpty())
        return;
    if (height < 1 || width < 1 || !FitsField(static_cast<double>(width) * text.size(), height,
                                              record, at))
        return;
    AddField(zev::DrawScalableText(text, height, width).mask, record, format);
}

void TDplReader::DrawSmoothText(const TRecord& record, const TFormat& format, std::size_t at)
{
    const std::string_view size = record.size;
    std::optional<int> points;
    if (size.size() == 3 && size[0] >= 'A' && size[0] <= 'Z')
        points = Number(size.substr(1));
    else if (const auto index = Number(size)) {
        if (*index >= 100) {
            Gap(record.header, at, "fonte carregada na impressora: não visualizada");
            return;
        }
        points = SmoothPoints(*index);
    }
    if (!points || *points < 4 || *points > 999 || record.widthFactor < 1 ||
        record.heightFactor < 1) {
        Gap(record.header, at, "tamanho de fonte inválido");
        return;
    }
    const double em = *points * m_dpi / PointsPerInch;
    const int height = static_cast<int>(std::lround(em * record.heightFactor * format.dotHeight));
    const int width = static_cast<int>(std::lround(em * record.widthFactor * format.dotWidth));
    PlaceText(SymbolSetText(record.rest), height, width, record, format, at);
}

void TDplReader::DrawScalableText(const TRecord& record, const TFormat& format, std::size_t at)
{
    // hhhh and iiii follow the column: dots, or "P" and points.
    const auto sizeDots = [this](std::string_view field) -> std::optional<int> {
        if (field.size() != 4)
            return std::nullopt;
        if (field[0] == 'P') {
            const auto points = Number(field.substr(1));
            if (!points)
                return std::nullopt;
            return static_cast<int>(std::lround(*points * m_dpi / PointsPerInch));
        }
        return Number(field);
    };
    const auto height = sizeDots(record.rest.substr(0, 4));
    const auto width = sizeDots(record.rest.substr(std::min<std::size_t>(4, record.rest.size()), 4));
    if (!height || !width || record.rest.size() < 8 || record.widthFactor < 1 ||
        record.heightFactor < 1) {
        Gap(record.header, at, "tamanho de fonte escalável inválido");
        return;
    }
    if (record.size[0] == 'u') {
        Gap(record.header, at, "texto em hexadecimal não visualizado");
        return;
    }
    PlaceText(SymbolSetText(record.rest.substr(8)), *height * record.heightFactor * format.dotHeight,
              *width * record.widthFactor * format.dotWidth, record, format, at);
}

void TDplReader::DrawGraphic(const TRecord& record, const TFormat& format, std::size_t at)
{
    const std::string_view layout = record.rest;
    const char shape = layout.empty() ? '\0' : layout[0];
    // L hhh vvv, l hhhh vvvv, B hhh vvv ttt sss, b hhhh vvvv tttt ssss.
    const std::size_t digits = shape == 'l' || shape == 'b' ? 4 : 3;
    const std::size_t count = shape == 'L' || shape == 'l' ? 2 : 4;
    if (shape != 'L' && shape != 'l' && shape != 'B' && shape != 'b') {
        Gap(record.header + std::string(layout.substr(0, 1)), at, "figura não visualizada");
        return;
    }
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = Number(layout.substr(std::min(layout.size(), 1 + i * digits), digits));
        if (!value || layout.size() < 1 + (i + 1) * digits) {
            Gap(record.header + std::string(1, shape), at, "medidas inválidas");
            return;
        }
        // A dimension too thin to round to a dot still prints one.
        values[i] = *value > 0 ? std::max(1, Dots(*value)) : 0;
    }
    const int left = Dots(record.column);
    const int bottom = Dots(record.row);
    const int width = values[0];
    const int height = values[1];
    if (count == 2) {
        AddRule(left, bottom, width, height, format);
        return;
    }
    const int edge = std::min(values[2], (height + 1) / 2);
    const int side = std::min(values[3], (width + 1) / 2);
    // Four rules that do not overlap, so that XOR keeps the corners.
    AddRule(left, bottom, width, edge, format);
    AddRule(left, bottom + height - edge, width, edge, format);
    AddRule(left, bottom + edge, side, height - 2 * edge, format);
    AddRule(left + width - side, bottom + edge, side, height - 2 * edge, format);
}

struct TBarDefaults
{
    double heightInches;
    int wide;
    int narrow;
};

void TDplReader::DrawLinearBarcode(const TRecord& record, const TFormat& format, std::size_t at)
{
    const char id = record.id.back();
    const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(id)));
    const bool autoCode128 = record.id.size() == 3;
    const std::string data(record.rest);
    TLinearSymbol symbol;
    TBarDefaults defaults{0.40, 2, 2};
    bool ratioBased = false;
    switch (autoCode128 ? 'w' : kind) {
    case 'a':
        symbol = EncodeCode39(data, false);
        defaults = {0.40, 6, 2};
        ratioBased = true;
        break;
    case 'b':
        symbol = EncodeUpcA(data.substr(0, 11), true);
        defaults = {0.80, 3, 3};
        break;
    case 'd':
    case 'j':
        symbol = EncodeInterleaved2of5(data, kind == 'j');
        defaults = {0.40, kind == 'j' ? 5 : 6, 2};
        ratioBased = true;
        break;
    case 'e':
        symbol = EncodeCode128(DplCode128(data), TCode128Mode::Normal);
        break;
    case 'w':
        symbol = EncodeCode128(DplCode128Auto(data), TCode128Mode::Normal);
        break;
    case 'f':
        symbol = EncodeEan13(data);
        defaults = {0.80, 3, 3};
        break;
    case 'g':
        symbol = EncodeEan8(data);
        defaults = {0.80, 3, 3};
        break;
    default:
        Gap(record.header.substr(0, 2), at, "código de barras não visualizado");
        return;
    }
    int wide = record.widthFactor;
    int narrow = record.heightFactor;
    if (wide == 0 && narrow == 0) {
        const double scale = m_dpi / 203.0;
        wide = std::max(1, static_cast<int>(std::lround(defaults.wide * scale)));
        narrow = std::max(1, static_cast<int>(std::lround(defaults.narrow * scale)));
    }
    if (narrow < 1) {
        Gap(record.header, at, "barra estreita zero");
        return;
    }
    const auto units = Number(record.size);
    if (!units) {
        Gap(record.header, at, "altura inválida");
        return;
    }
    TLinearStyle style;
    style.module = narrow * format.dotWidth;
    style.ratio = ratioBased ? std::clamp(static_cast<double>(wide) / narrow, 2.0, 3.0) : 3.0;
    style.height = *units > 0 ? Dots(*units) : InchDots(defaults.heightInches);
    style.text = std::isupper(static_cast<unsigned char>(id)) != 0;
    double modules = 0;
    for (const int element : symbol.elements)
        modules += symbol.twoWidths && element == 2 ? style.ratio : element;
    if (!FitsField(modules * style.module, style.height * 1.5 + 100, record, at))
        return;
    if (kind == 'b' && data.size() == 12 && symbol.text.find(data) == std::string::npos &&
        symbol.text.find(data.substr(0, 11)) != std::string::npos)
        Gap(record.header, at, "dígito verificador diferente do calculado");
    AddField(DrawLinear(symbol, style), record, format);
}

// QR Code data: W1d takes the data as it is, up to two CRs; W1D reads
// "[model,] [ECC [mask] input,]" first, then with manual input the
// segments "N..", "A..", "K.." and "Bnnnn" with its byte count, split by
// commas.
struct TQrData
{
    std::string bytes;
    char errorCorrection = 'M';
    std::size_t end = 0; // where the record ends in the data
    std::string problem;
};

std::optional<std::string> FromHex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const auto byte = HexByte(hex[i], hex[i + 1]);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

// The data of automatic input ends at two CRs in a row (line feeds between
// them aside); a single CR ends it here too, with a note.
TQrData AutomaticQr(std::string_view data, std::size_t from, std::size_t end, bool hex)
{
    TQrData qr;
    const std::string_view text = data.substr(from, end - from);
    std::size_t after = end < data.size() ? end + 1 : end;
    std::size_t probe = after;
    while (probe < data.size() && data[probe] == Lf)
        ++probe;
    if (probe < data.size() && data[probe] == Cr)
        after = probe + 1;
    else
        qr.problem = "sem o segundo CR que encerra os dados: a impressora leria a linha seguinte";
    qr.end = after;
    if (hex) {
        const auto bytes = FromHex(text);
        if (!bytes) {
            qr.problem = "dados hexadecimais inválidos";
            qr.bytes.clear();
            return qr;
        }
        qr.bytes = *bytes;
    } else {
        qr.bytes = std::string(text);
    }
    return qr;
}

TQrData ManualQr(std::string_view data, std::size_t from, std::size_t end)
{
    std::size_t at = from;
    const auto peek = [&](std::size_t i) { return i < data.size() ? data[i] : '\0'; };
    if (peek(at) == '1' || peek(at) == '2') {
        ++at;
        if (peek(at) == ',')
            ++at;
    }
    char ecc = 'M';
    char input = 'A';
    if (std::string_view("HQML").find(peek(at)) != std::string_view::npos && peek(at) != '\0') {
        ecc = peek(at++);
        if (peek(at) >= '0' && peek(at) <= '8')
            ++at;
        if (std::string_view("AaMm").find(peek(at)) == std::string_view::npos || peek(at) == '\0' ||
            peek(at + 1) != ',') {
            TQrData bad;
            bad.end = end < data.size() ? end + 1 : end;
            bad.problem = "parâmetros do QR Code inválidos";
            return bad;
        }
        input = peek(at);
        at += 2;
    }
    if (input == 'A' || input == 'a') {
        TQrData qr = AutomaticQr(data, at, end, input == 'a');
        qr.errorCorrection = ecc;
        return qr;
    }
    TQrData qr;
    qr.errorCorrection = ecc;
    const bool hex = input == 'm';
    while (at < data.size() && data[at] != Cr) {
        const char mode = data[at++];
        if (mode == 'B') {
            const auto count = Number(data.substr(at, 4));
            const std::size_t length = count ? static_cast<std::size_t>(*count) * (hex ? 2 : 1) : 0;
            if (!count || at + 4 + length > data.size()) {
                qr.problem = "segmento binário do QR Code inválido";
                break;
            }
            const std::string_view raw = data.substr(at + 4, length);
            if (hex) {
                const auto bytes = FromHex(raw);
                if (!bytes) {
                    qr.problem = "dados hexadecimais inválidos";
                    break;
                }
                qr.bytes += *bytes;
            } else {
                qr.bytes += raw;
            }
            at += 4 + length;
        } else if (mode == 'N' || mode == 'A' || mode == 'K') {
            std::size_t stop = at;
            while (stop < data.size() && data[stop] != ',' && data[stop] != Cr)
                ++stop;
            qr.bytes += data.substr(at, stop - at);
            at = stop;
        } else {
            qr.problem = std::string("modo de caracteres \"") + mode + "\" inválido no QR Code";
            break;
        }
        if (at < data.size() && data[at] == ',')
            ++at;
    }
    const std::size_t stop = LineEnd(data, at);
    qr.end = stop < data.size() ? stop + 1 : stop;
    return qr;
}

std::size_t TDplReader::DrawQr(const TRecord& record, const TFormat& format, std::string_view data,
                               std::size_t at, std::size_t end)
{
    const std::size_t from = at + record.header.size();
    const TQrData qr = record.id == "W1d" ? AutomaticQr(data, from, end, false)
                                          : ManualQr(data, from, end);
    if (!qr.problem.empty())
        Gap(record.header, at, qr.problem);
    if (qr.bytes.empty())
        return qr.end;
    // Module size in the record's units (0.01 inch, 0.1 mm); 0: the
    // printer's default of 0.02 inch.
    const int module = record.widthFactor > 0 ? std::max(1, Dots(record.widthFactor))
                                              : std::max(1, InchDots(0.02));
    const TMatrixSymbol symbol = EncodeQr(qr.bytes, qr.errorCorrection);
    const int side = symbol.size * module * std::max(format.dotWidth, format.dotHeight);
    if (FitsField(side, side, record, at))
        AddField(DrawMatrix(symbol, module * std::max(format.dotWidth, format.dotHeight)), record,
                 format);
    return qr.end;
}

TLabelPicture TDplReader::Picture()
{
    TLabelPicture picture;
    picture.dpi = m_dpi;
    int right = 0;
    int top = 0;
    for (const TItem& item : m_items) {
        right = std::max(right, item.left + item.width);
        top = std::max(top, item.bottom + item.height);
    }
    const int head = InchDots(HeadWidthInches);
    int width = m_hints.widthMm > 0 ? static_cast<int>(std::lround(m_hints.widthMm * m_dpi / 25.4))
                                    : (m_items.empty() ? head : std::min(right, head));
    int height = m_hints.heightMm > 0
                     ? static_cast<int>(std::lround(m_hints.heightMm * m_dpi / 25.4))
                 : m_continuousLength > 0 ? m_continuousLength
                 : m_items.empty()        ? InchDots(EmptyLengthInches)
                                          : top;
    width = std::clamp(width, 1, MaxFieldSide);
    height = std::clamp(height, 1, static_cast<int>(MaxPictureDots / width));

    TLabelCanvas canvas(width, height);
    for (const TItem& item : m_items) {
        const QPoint topLeft(item.left, height - item.bottom - item.height);
        const QRect area(topLeft, QSize(item.width, item.height));
        if (item.background != TBackground::None)
            canvas.FillRect(area, item.background == TBackground::White ? TInk::White
                                                                        : TInk::Black);
        if (item.mask.isNull())
            canvas.FillRect(area, item.ink);
        else
            canvas.Place(item.mask, topLeft, item.turn, item.ink);
    }
    picture.image = canvas.Picture();
    picture.gaps = std::move(m_gaps);
    return picture;
}

} // namespace

TLabelPicture RenderDpl(std::string_view header, std::string_view label, const TPreviewHints& hints)
{
    try {
        TDplReader reader(hints);
        reader.Read(header, true);
        reader.Read(label, false);
        return reader.Picture();
    } catch (const std::exception& error) {
        TLabelPicture picture;
        picture.noPreview =
            QStringLiteral("DPL: a visualização falhou (%1).").arg(QString::fromUtf8(error.what()));
        return picture;
    }
}

} // namespace zev
