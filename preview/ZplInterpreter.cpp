#include "preview/ZplInterpreter.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "preview/Barcodes.h"
#include "preview/Code128.h"
#include "preview/LabelCanvas.h"
#include "preview/LabelFonts.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace zev {

namespace {

// ---------------------------------------------------------------------------
// Commands as the printer reads them

struct TCommand
{
    char prefix = '^';
    std::string code;   // "FO", "A", "BC"
    std::string params; // up to the next command, CR and LF removed
    std::size_t offset = 0;
    bool inHeader = false;
};

// ^A takes its font's name as its second letter; every other command has a
// two-letter name.
std::size_t CodeLength(std::string_view data, std::size_t at)
{
    if (at + 1 < data.size() && (data[at + 1] == 'A' || data[at + 1] == 'a'))
        return 1;
    return 2;
}

std::vector<TCommand> Commands(std::string_view data, bool inHeader)
{
    std::vector<TCommand> commands;
    std::size_t at = data.find_first_of("^~");
    while (at != std::string_view::npos) {
        TCommand command;
        command.prefix = data[at];
        command.offset = at;
        command.inHeader = inHeader;
        const std::size_t length = std::min(CodeLength(data, at), data.size() - at - 1);
        for (std::size_t i = 1; i <= length; ++i)
            command.code += static_cast<char>(std::toupper(static_cast<unsigned char>(data[at + i])));
        const std::size_t from = at + 1 + length;
        // Field data may hold a tilde; everything else ends at either prefix.
        const bool fieldData = command.code == "FD" || command.code == "FV" || command.code == "FX";
        std::size_t next = from < data.size() ? data.find_first_of(fieldData ? "^" : "^~", from)
                                              : std::string_view::npos;
        const std::string_view params =
            from < data.size() ? data.substr(from, next == std::string_view::npos ? next : next - from)
                               : std::string_view();
        for (const char c : params)
            if (c != '\r' && c != '\n')
                command.params += c;
        commands.push_back(std::move(command));
        at = next;
    }
    return commands;
}

std::vector<std::string_view> Split(std::string_view params)
{
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = params.find(',', from);
        parts.push_back(params.substr(from, comma == std::string_view::npos ? comma : comma - from));
        if (comma == std::string_view::npos)
            return parts;
        from = comma + 1;
    }
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::optional<double> Number(const std::vector<std::string_view>& parts, std::size_t index)
{
    if (index >= parts.size())
        return std::nullopt;
    const std::string_view text = Trimmed(parts[index]);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || text.empty() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Dots are whole; the printer clamps what no label could hold.
int Dots(const std::vector<std::string_view>& parts, std::size_t index, int fallback,
         int low = 0, int high = 32000)
{
    const std::optional<double> value = Number(parts, index);
    if (!value)
        return fallback;
    return static_cast<int>(std::clamp(std::trunc(*value), static_cast<double>(low),
                                       static_cast<double>(high)));
}

char Letter(const std::vector<std::string_view>& parts, std::size_t index, char fallback)
{
    if (index >= parts.size())
        return fallback;
    const std::string_view text = Trimmed(parts[index]);
    return text.empty() ? fallback : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

bool YesNo(const std::vector<std::string_view>& parts, std::size_t index, bool fallback)
{
    const char letter = Letter(parts, index, fallback ? 'Y' : 'N');
    return letter == 'Y' ? true : letter == 'N' ? false : fallback;
}

std::optional<TTurn> TurnOf(char letter)
{
    switch (letter) {
    case 'N':
        return TTurn::None;
    case 'R':
        return TTurn::Quarter;
    case 'I':
        return TTurn::Half;
    case 'B':
        return TTurn::ThreeQuarters;
    default:
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------
// Characters

// The upper half of code page 850, which ^CI0 prints for bytes 128-255.
constexpr std::array<char16_t, 128> Cp850High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

enum class TCharacterSet
{
    Cp850,       // ^CI0 and the other single-byte sets the preview shows alike
    Windows1252, // ^CI27
    Utf8,        // ^CI28
};

QString Decode(std::string_view bytes, TCharacterSet set)
{
    switch (set) {
    case TCharacterSet::Utf8:
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    case TCharacterSet::Windows1252:
        return AnsiToQString(bytes);
    case TCharacterSet::Cp850:
        break;
    }
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 128 ? QChar(byte) : QChar(Cp850High[byte - 128]);
    }
    return text;
}

// "_41" is "A" under ^FH_.
std::string WithHexEscapes(std::string_view data, char indicator)
{
    std::string bytes;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const int high = i + 2 < data.size() ? HexDigitValue(data[i + 1]) : -1;
        const int low = i + 2 < data.size() ? HexDigitValue(data[i + 2]) : -1;
        if (data[i] == indicator && high >= 0 && low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            bytes += data[i];
        }
    }
    return bytes;
}

// ---------------------------------------------------------------------------
// Fonts

struct TBitmapFont
{
    char name;
    int height;   // dots at 203 dpi
    int width;
    int gap;      // between characters
    int baseline; // from the top of the cell
};

constexpr std::array<TBitmapFont, 8> BitmapFonts = {{
    {'A', 9, 5, 1, 7},
    {'B', 11, 7, 2, 11},
    {'C', 18, 10, 2, 14},
    {'D', 18, 10, 2, 14},
    {'E', 28, 15, 5, 23},
    {'F', 26, 13, 3, 21},
    {'G', 60, 40, 8, 48},
    {'H', 21, 13, 6, 21},
}};

const TBitmapFont* BitmapFont(char name)
{
    for (const TBitmapFont& font : BitmapFonts)
        if (font.name == name)
            return &font;
    return nullptr;
}

// Characters larger than this fill no shelf label; the printer takes up to
// 32,000 dots, which only costs the preview time.
constexpr int MaxCharacter = 2000;
// The longest field data the printer takes.
constexpr std::size_t MaxFieldData = 3072;
// Lines past a block's last print over it; past this many it is all ink.
constexpr std::size_t MaxBlockLines = 200;

struct TFont
{
    char name = 'A';
    int height = 9; // 0: the font's own
    int width = 5;
};

// Bitmap fonts grow by whole multiples of their cell, the size asked for
// rounded to the nearest; a size not given follows the other.
int Multiple(int size, int base)
{
    return std::clamp((size + base / 2) / base, 1, 10);
}

std::pair<int, int> Magnification(const TFont& font, const TBitmapFont& bitmap)
{
    const int high = font.height > 0 ? Multiple(font.height, bitmap.height) : 0;
    const int wide = font.width > 0 ? Multiple(font.width, bitmap.width) : 0;
    return {high > 0 ? high : std::max(wide, 1), wide > 0 ? wide : std::max(high, 1)};
}

TTextMask DrawText(const QString& text, const TFont& font)
{
    if (const TBitmapFont* bitmap = BitmapFont(font.name)) {
        const auto [high, wide] = Magnification(font, *bitmap);
        TCellFont cells;
        cells.cellWidth = (bitmap->width + bitmap->gap) * wide;
        cells.cellHeight = bitmap->height * high;
        cells.glyphWidth = bitmap->width * wide;
        cells.glyphHeight = bitmap->height * high;
        cells.baseline = bitmap->baseline * high;
        return DrawCellText(text, cells);
    }
    return DrawScalableText(text, font.height, font.width);
}

int TextWidth(const QString& text, const TFont& font)
{
    if (const TBitmapFont* bitmap = BitmapFont(font.name)) {
        const auto [high, wide] = Magnification(font, *bitmap);
        return static_cast<int>(text.size()) * (bitmap->width + bitmap->gap) * wide;
    }
    return ScalableTextWidth(text, font.height, font.width);
}

// ---------------------------------------------------------------------------
// State

// What holds from one format to the next, as on the printer.
struct TPrinterState
{
    int width = 0;  // ^PW; 0: not given
    int length = 0; // ^LL
    QPoint home;    // ^LH
    int top = 0;    // ^LT
    int shift = 0;  // ^LS
    TCharacterSet characters = TCharacterSet::Cp850;
    int module = 2; // ^BY
    double ratio = 3.0;
    int barHeight = 10;
    TFont font; // ^CF
    TTurn turn = TTurn::None; // ^FW
    bool reverseLabel = false; // ^LR
    bool inverted = false;     // ^POI: the label printed upside down
    bool mirrored = false;     // ^PMY
};

struct TBlock // ^FB
{
    int width = 0;
    int lines = 1;
    int spacing = 0;
    char justify = 'L';
    int indent = 0;
};

enum class TFieldKind
{
    None,
    Text,
    Barcode,
    Graphic,
};

struct TField
{
    QPoint origin;
    bool typeset = false; // ^FT: origin is the baseline's left end
    bool rightAligned = false;
    std::optional<TFont> font;
    std::optional<TTurn> turn;
    std::optional<TBlock> block;
    bool reverse = false;
    char hexIndicator = 0; // ^FH; 0: none
    bool hasData = false;
    std::string data;
    std::size_t dataOffset = 0;
    // The barcode command waiting for the data, or the graphic drawn.
    std::optional<TCommand> barcode;
    QImage graphic;
};

class TZplRenderer
{
public:
    TZplRenderer(const TPreviewHints& hints, TLabelPicture& result) : m_hints(hints), m_result(result) {}

    void RunHeader(const std::vector<TCommand>& commands)
    {
        m_drawing = false;
        for (const TCommand& command : commands)
            Execute(command);
    }

    void RunLabel(const std::vector<TCommand>& commands)
    {
        m_drawing = true;
        for (const TCommand& command : commands) {
            if (m_done)
                break;
            Execute(command);
        }
        if (m_inFormat)
            EndField();
    }

    void Open(const std::vector<TCommand>& label)
    {
        const int width = LabelWidth(label);
        const int length = LabelLength(label);
        m_canvas.emplace(width, length);
        if (width > MaxLabelWidth || length > MaxLabelLength)
            m_result.gaps.push_back({"^PW", 0, false,
                                     "etiqueta maior que " + std::to_string(MaxLabelWidth) + " x " +
                                         std::to_string(MaxLabelLength) +
                                         " pontos: só o começo é mostrado"});
    }

    QImage Picture() const
    {
        if (!m_canvas)
            return {};
        QImage picture = m_canvas->Picture();
        if (m_state.inverted)
            picture = picture.mirrored(true, true);
        if (m_state.mirrored)
            picture = picture.mirrored(true, false);
        return picture;
    }
    bool Drew() const { return m_drew; }

private:
    int Dpi() const { return m_hints.dpi > 0 ? m_hints.dpi : DefaultPreviewDpi; }
    int FromMm(double mm) const { return static_cast<int>(std::lround(mm * Dpi() / 25.4)); }

    // The label's own ^PW and ^LL come first, then the header's, then the
    // label file's; a printer at its widest, 4 by 6 inches, when none says.
    int LabelWidth(const std::vector<TCommand>& label) const
    {
        for (const TCommand& command : label)
            if (command.code == "PW")
                return std::max(Dots(Split(command.params), 0, 0, 2, 32000), 2);
        if (m_state.width > 0)
            return m_state.width;
        return m_hints.widthMm > 0 ? FromMm(m_hints.widthMm) : 4 * Dpi();
    }
    int LabelLength(const std::vector<TCommand>& label) const
    {
        for (const TCommand& command : label)
            if (command.code == "LL")
                return std::max(Dots(Split(command.params), 0, 0, 1, 32000), 1);
        if (m_state.length > 0)
            return m_state.length;
        return m_hints.heightMm > 0 ? FromMm(m_hints.heightMm) : 6 * Dpi();
    }

    void Gap(const TCommand& command, std::string reason = {})
    {
        m_result.gaps.push_back({std::string(1, command.prefix) + command.code, command.offset,
                                 command.inHeader, std::move(reason)});
    }

    void Execute(const TCommand& command)
    {
        if (command.prefix == '~')
            return; // control commands set the printer up, they draw nothing
        const std::vector<std::string_view> p = Split(command.params);
        const std::string& code = command.code;
        if (code == "XA") {
            m_inFormat = true;
            m_field = {};
        } else if (code == "XZ") {
            EndField();
            m_inFormat = false;
            if (m_drawing && m_drew)
                m_done = true; // the picture is the label's first format
        } else if (code == "PW") {
            m_state.width = Dots(p, 0, m_state.width, 2, 32000);
        } else if (code == "LL") {
            m_state.length = Dots(p, 0, m_state.length, 1, 32000);
        } else if (code == "LH") {
            m_state.home = QPoint(Dots(p, 0, m_state.home.x()), Dots(p, 1, m_state.home.y()));
        } else if (code == "LT") {
            m_state.top = Dots(p, 0, 0, -120, 120);
        } else if (code == "LS") {
            m_state.shift = Dots(p, 0, 0, -9999, 9999);
        } else if (code == "PO") {
            m_state.inverted = Letter(p, 0, 'N') == 'I';
        } else if (code == "PM") {
            m_state.mirrored = YesNo(p, 0, false);
        } else if (code == "MU") {
            if (Letter(p, 0, 'D') != 'D')
                Gap(command, "medidas em milímetros ou polegadas não visualizadas");
        } else if (code == "SN") {
            // A serial number prints its first value.
            m_field.hasData = true;
            m_field.data = std::string(Trimmed(p.empty() ? std::string_view() : p[0]));
            m_field.dataOffset = command.offset;
        } else if (code == "LR") {
            m_state.reverseLabel = YesNo(p, 0, false);
        } else if (code == "CI") {
            SetCharacters(command, Dots(p, 0, 0, 0, 255));
        } else if (code == "BY") {
            m_state.module = Dots(p, 0, m_state.module, 1, 10);
            if (const std::optional<double> ratio = Number(p, 1))
                m_state.ratio = std::clamp(*ratio, 2.0, 3.0);
            m_state.barHeight = Dots(p, 2, m_state.barHeight, 1, 32000);
        } else if (code == "CF") {
            SetDefaultFont(command, p);
        } else if (code == "FW") {
            if (const std::optional<TTurn> turn = TurnOf(Letter(p, 0, 'N')))
                m_state.turn = *turn;
        } else if (code == "FO" || code == "FT") {
            EndField();
            m_field.origin = QPoint(Dots(p, 0, 0), Dots(p, 1, 0));
            m_field.typeset = code == "FT";
            m_field.rightAligned = Letter(p, 2, '0') == '1';
        } else if (code == "A") {
            SetFieldFont(command);
        } else if (code == "FB") {
            TBlock block;
            block.width = Dots(p, 0, 0);
            block.lines = Dots(p, 1, 1, 1, 9999);
            block.spacing = Dots(p, 2, 0, -9999, 9999);
            block.justify = Letter(p, 3, 'L');
            block.indent = Dots(p, 4, 0);
            m_field.block = block;
        } else if (code == "FR") {
            m_field.reverse = true;
        } else if (code == "FH") {
            m_field.hexIndicator = command.params.empty() ? '_' : command.params[0];
        } else if (code == "FD" || code == "FV") {
            m_field.hasData = true;
            m_field.data = command.params;
            m_field.dataOffset = command.offset;
            if (m_field.data.size() > MaxFieldData) {
                m_field.data.resize(MaxFieldData);
                Gap(command, "dados além de " + std::to_string(MaxFieldData) + " bytes não são impressos");
            }
        } else if (code == "FS") {
            EndField();
        } else if (code == "FX") {
            // a comment
        } else if (code.size() == 2 && code[0] == 'B' && code != "BY") {
            // An unknown symbology still takes the field's data: it draws
            // nothing, its data is no text.
            m_field.barcode = command;
        } else if (code == "GB" || code == "GC" || code == "GD" || code == "GE" || code == "GF") {
            m_field.graphic = DrawGraphic(command, p);
        } else if (!IsSilent(code)) {
            Gap(command);
        }
    }

    static bool IsSilent(const std::string& code)
    {
        // Media, speed, darkness and job settings: nothing they do shows on
        // the label's picture.
        static constexpr std::array<const char*, 28> silent = {
            "PQ", "MN", "MM", "PR", "MD", "MT", "MP", "XB", "MC", "JM", "JU", "JZ", "JS", "JT",
            "SD", "SS", "ST", "SZ", "PF", "PH", "PP", "PA", "KL", "KN", "KP", "JJ", "ML", "MF"};
        return std::any_of(silent.begin(), silent.end(), [&](const char* name) { return code == name; });
    }

    void SetCharacters(const TCommand& command, int number)
    {
        if (number == 27)
            m_state.characters = TCharacterSet::Windows1252;
        else if (number == 28)
            m_state.characters = TCharacterSet::Utf8;
        else {
            m_state.characters = TCharacterSet::Cp850;
            if (number != 0 && number != 13)
                Gap(command, "conjunto de caracteres " + std::to_string(number) +
                                 " mostrado como o ^CI0");
        }
    }

    // A name the printer has no font for is drawn with font 0, and said.
    char KnownFont(const TCommand& command, char name)
    {
        if (name == '0' || BitmapFont(name))
            return name;
        Gap(command, std::string("fonte ") + name + " desenhada com a fonte 0");
        return '0';
    }

    static void Complete(TFont& font)
    {
        if (const TBitmapFont* bitmap = BitmapFont(font.name)) {
            if (font.height <= 0)
                font.height = bitmap->height * Multiple(std::max(font.width, 1), bitmap->width);
        } else {
            if (font.height <= 0 && font.width > 0)
                font.height = font.width;
            if (font.height <= 0)
                font.height = 9;
            if (font.width <= 0)
                font.width = font.height;
        }
    }

    void SetDefaultFont(const TCommand& command, const std::vector<std::string_view>& p)
    {
        TFont font;
        font.name = KnownFont(command, Letter(p, 0, m_state.font.name));
        font.height = Dots(p, 1, 0, 1, MaxCharacter);
        font.width = Dots(p, 2, 0, 1, MaxCharacter);
        if (font.height == 0 && font.width == 0 && font.name == m_state.font.name) {
            font.height = m_state.font.height;
            font.width = m_state.font.width;
        }
        Complete(font);
        m_state.font = font;
    }

    // "^A0N,28,24": font 0, normal, 28 dots high, 24 wide.
    void SetFieldFont(const TCommand& command)
    {
        const std::string& params = command.params;
        TFont font;
        font.name = KnownFont(command, params.empty() ? 'A'
                                                      : static_cast<char>(std::toupper(static_cast<unsigned char>(params[0]))));
        const std::vector<std::string_view> p = Split(std::string_view(params).substr(std::min<std::size_t>(params.size(), 1)));
        if (const std::optional<TTurn> turn = TurnOf(Letter(p, 0, ' ')))
            m_field.turn = *turn;
        font.height = Dots(p, 1, 0, 1, MaxCharacter);
        font.width = Dots(p, 2, 0, 1, MaxCharacter);
        if (font.height == 0 && font.width == 0) {
            font.height = m_state.font.height;
            font.width = m_state.font.width;
        }
        Complete(font);
        m_field.font = font;
    }

    TTurn FieldTurn() const { return m_field.turn.value_or(m_state.turn); }

    TInk FieldInk(TInk ink) const
    {
        return m_field.reverse != m_state.reverseLabel ? TInk::Reverse : ink;
    }

    // The field's place on the label: ^FO puts the turned field's top left
    // there, ^FT the anchor (the baseline's left end, turned with the field).
    QPoint TopLeft(QSize upright, QPoint anchor, TTurn turn) const
    {
        QPoint at = m_field.origin + m_state.home + QPoint(-m_state.shift, m_state.top);
        if (!m_field.typeset)
            return at;
        const int w = upright.width();
        const int h = upright.height();
        switch (turn) {
        case TTurn::None:
            return at - anchor;
        case TTurn::Quarter:
            return at - QPoint(h - anchor.y(), anchor.x());
        case TTurn::Half:
            return at - QPoint(w - anchor.x(), h - anchor.y());
        case TTurn::ThreeQuarters:
            return at - QPoint(anchor.y(), w - anchor.x());
        }
        return at;
    }

    // `above`: rows at the mask's top that lie outside the field, so ^FO
    // leaves them beyond the field's top edge.
    void Put(const QImage& mask, QPoint anchor, TTurn turn, TInk ink, int above = 0)
    {
        if (!m_drawing || !m_canvas)
            return;
        QPoint at = TopLeft(mask.size(), anchor, turn);
        if (!m_field.typeset && turn == TTurn::None)
            at.ry() -= above;
        if (!m_field.typeset && turn == TTurn::ThreeQuarters)
            at.rx() -= above;
        if (m_field.rightAligned)
            at.rx() -= turn == TTurn::Quarter || turn == TTurn::ThreeQuarters ? mask.height() : mask.width();
        m_canvas->Place(mask, at, turn, FieldInk(ink));
        m_drew = true;
    }

    void EndField()
    {
        if (!m_drawing && (m_field.hasData || !m_field.graphic.isNull())) {
            m_result.gaps.push_back({"^FS", m_field.dataOffset, true,
                                     "campo do cabeçalho: sai numa etiqueta à parte"});
        } else if (!m_field.graphic.isNull()) {
            // Graphics have no orientation: ^FW does not turn them.
            Put(m_field.graphic, QPoint(0, m_field.graphic.height()), TTurn::None, m_graphicInk);
        } else if (m_field.barcode && m_field.hasData) {
            DrawBarcode(*m_field.barcode);
        } else if (m_field.hasData) {
            DrawField();
        }
        m_field = {};
    }

    QString FieldText() const
    {
        const std::string bytes = m_field.hexIndicator != 0
                                      ? WithHexEscapes(m_field.data, m_field.hexIndicator)
                                      : m_field.data;
        return Decode(bytes, m_state.characters);
    }

    std::string FieldBytes() const
    {
        return m_field.hexIndicator != 0 ? WithHexEscapes(m_field.data, m_field.hexIndicator)
                                         : m_field.data;
    }

    void DrawField()
    {
        const TFont font = m_field.font.value_or(m_state.font);
        const QString text = FieldText();
        if (m_field.block) {
            DrawBlock(text, font, *m_field.block);
            return;
        }
        const TTextMask drawn = DrawText(text, font);
        Put(drawn.mask, QPoint(0, drawn.baseline), FieldTurn(), TInk::Black, drawn.above);
    }

    // Words broken into the block's width; "\&" breaks a line. Lines past
    // the block's last are printed over it, as the printer does.
    std::vector<QString> BlockLines(const QString& text, const TFont& font, const TBlock& block) const
    {
        std::vector<QString> lines;
        const QStringList paragraphs = text.split(QStringLiteral("\\&"));
        for (QString paragraph : paragraphs) {
            paragraph.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
            QString line;
            for (const QString& word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
                const int indent = lines.empty() ? 0 : block.indent;
                const QString longer = line.isEmpty() ? word : line + u' ' + word;
                if (!line.isEmpty() && TextWidth(longer, font) > block.width - indent) {
                    lines.push_back(line);
                    line = word;
                } else {
                    line = longer;
                }
            }
            lines.push_back(line);
        }
        return lines;
    }

    void DrawBlock(const QString& text, const TFont& font, const TBlock& block)
    {
        // A block narrower than a character prints nothing.
        if (block.width < (BitmapFont(font.name) ? TextWidth(QStringLiteral("W"), font) : font.width))
            return;
        std::vector<QString> lines = BlockLines(text, font, block);
        if (lines.size() > MaxBlockLines)
            lines.resize(MaxBlockLines);
        const TTextMask cell = DrawText(QString(), font);
        const int above = cell.above;
        const int lineHeight = cell.mask.height() - above;
        const int pitch = std::max(lineHeight + block.spacing, 1);
        const int shown = std::max(block.lines, 1);
        const int height = lineHeight + (shown - 1) * pitch;
        QImage mask = TLabelCanvas::NewMask(std::max(block.width, 1), std::max(above + height, 1));
        {
            QPainter painter(&mask);
            // Over the block's last line: ink adds, as on paper.
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const int row = std::min<int>(static_cast<int>(i), shown - 1);
                const int indent = i == 0 ? 0 : block.indent;
                const int width = TextWidth(lines[i], font);
                const int room = block.width - indent - width;
                int x = indent;
                if (block.justify == 'R')
                    x += room;
                else if (block.justify == 'C')
                    x += room / 2;
                const int y = row * pitch; // the line's cell top, below the headroom
                if (y >= mask.height())
                    break; // below the largest label: no line after shows
                if (block.justify == 'J' && i + 1 < lines.size() && room > 0)
                    DrawJustified(painter, lines[i], font, QPoint(x, y), block.width - indent);
                else
                    painter.drawImage(x, y, DrawText(lines[i], font).mask);
            }
        }
        // ^FT stands on the baseline of the block's last line, drawn or not.
        const int baseline = above + (shown - 1) * pitch + cell.baseline - cell.above;
        Put(mask, QPoint(0, baseline), FieldTurn(), TInk::Black, above);
    }

    void DrawJustified(QPainter& painter, const QString& line, const TFont& font, QPoint at, int width) const
    {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        int inked = 0;
        for (const QString& word : words)
            inked += TextWidth(word, font);
        const double space = words.size() > 1 ? static_cast<double>(width - inked) / (words.size() - 1) : 0;
        double x = at.x();
        for (const QString& word : words) {
            painter.drawImage(static_cast<int>(std::lround(x)), at.y(), DrawText(word, font).mask);
            x += TextWidth(word, font) + space;
        }
    }

    // ---------------------------------------------------------------------
    // Barcodes

    void DrawBarcode(const TCommand& command)
    {
        const std::vector<std::string_view> p = Split(command.params);
        const std::string& code = command.code;
        const std::optional<TTurn> turn = TurnOf(Letter(p, 0, ' '));
        if (turn)
            m_field.turn = *turn;
        static constexpr std::array<const char*, 7> drawn = {"BC", "BE", "B8", "BU", "B2", "B3", "BQ"};
        if (std::none_of(drawn.begin(), drawn.end(), [&](const char* name) { return code == name; })) {
            Gap(command, "código de barras sem visualização");
            return;
        }
        try {
            if (code == "BQ") {
                DrawQr(p);
                return;
            }
            TLinearStyle style;
            style.module = m_state.module;
            style.ratio = m_state.ratio;
            // ^B3 has its check-digit flag before the height.
            const std::size_t heightAt = code == "B3" ? 2 : 1;
            style.height = Dots(p, heightAt, m_state.barHeight, 1, 32000);
            style.text = YesNo(p, heightAt + 1, true);
            style.textAbove = YesNo(p, heightAt + 2, false);
            const std::string data = FieldBytes();
            TLinearSymbol symbol;
            if (code == "BC")
                symbol = EncodeCode128(data, Code128Mode(Letter(p, 5, 'N')), YesNo(p, 4, false));
            else if (code == "BE")
                symbol = EncodeEan13(data);
            else if (code == "B8")
                symbol = EncodeEan8(data);
            else if (code == "BU")
                symbol = EncodeUpcA(data, YesNo(p, 4, true));
            else if (code == "B2")
                symbol = EncodeInterleaved2of5(data, YesNo(p, 4, false));
            else
                symbol = EncodeCode39(data, YesNo(p, 1, false));
            const QImage mask = DrawLinear(symbol, style);
            const int barsBottom = style.textAbove ? mask.height() : style.height;
            Put(mask, QPoint(0, barsBottom), FieldTurn(), TInk::Black);
        } catch (const ESymbolError& error) {
            Gap(command, error.what());
        }
    }

    static TCode128Mode Code128Mode(char letter)
    {
        switch (letter) {
        case 'U':
            return TCode128Mode::Ucc;
        case 'A':
            return TCode128Mode::Automatic;
        case 'D':
            return TCode128Mode::Ean;
        default:
            return TCode128Mode::Normal;
        }
    }

    // "^BQN,2,4" then "^FDQA,text": the data's first letters choose the error
    // correction and how the data is given.
    void DrawQr(const std::vector<std::string_view>& p)
    {
        const int dpi = Dpi();
        const int magnification = Dots(p, 2, dpi >= 600 ? 6 : dpi >= 300 ? 3 : dpi >= 200 ? 2 : 1, 1, 10);
        char correction = Letter(p, 3, 'Q');
        std::string bytes = FieldBytes();
        const std::size_t comma = bytes.find(',');
        if (comma != std::string::npos && comma <= 3) {
            const std::string switches = bytes.substr(0, comma);
            bytes.erase(0, comma + 1);
            if (!switches.empty() && std::string_view("HQML").find(switches[0]) != std::string_view::npos)
                correction = switches[0];
            // Manual input names the data's mode first: N, A, or B and a count.
            if (switches.size() > 1 && switches[1] == 'M' && !bytes.empty()) {
                const char mode = bytes[0];
                bytes.erase(0, mode == 'B' ? std::min<std::size_t>(bytes.size(), 5) : 1);
            }
        }
        const QString text = Decode(bytes, m_state.characters);
        const TMatrixSymbol symbol = EncodeQr(text.toStdString(), correction);
        const QImage mask = DrawMatrix(symbol, magnification);
        // The printer sets a QR code the ^BY height lower than its ^FO.
        if (!m_field.typeset)
            m_field.origin.ry() += m_state.barHeight;
        Put(mask, QPoint(0, mask.height()), TTurn::None, TInk::Black);
    }

    // ---------------------------------------------------------------------
    // Graphics

    QImage DrawGraphic(const TCommand& command, const std::vector<std::string_view>& p)
    {
        const std::string& code = command.code;
        m_graphicInk = TInk::Black;
        if (code == "GF")
            return DrawBitmap(command, p);
        const bool white = Letter(p, code == "GC" ? 2 : 3, 'B') == 'W';
        m_graphicInk = white ? TInk::White : TInk::Black;
        if (code == "GB")
            return DrawBox(p);
        if (code == "GC") {
            const int diameter = Dots(p, 0, 3, 3, 4095);
            return DrawEllipse(diameter, diameter, Dots(p, 1, 1, 1, 4095));
        }
        if (code == "GE") {
            const int thickness = Dots(p, 2, 1, 1, 4095);
            return DrawEllipse(Dots(p, 0, thickness, 3, 4095), Dots(p, 1, thickness, 3, 4095), thickness);
        }
        return DrawDiagonal(p);
    }

    static QImage DrawBox(const std::vector<std::string_view>& p)
    {
        const int thickness = Dots(p, 2, 1, 1, 32000);
        const int width = std::max(Dots(p, 0, thickness, 1, 32000), thickness);
        const int height = std::max(Dots(p, 1, thickness, 1, 32000), thickness);
        const int rounding = Dots(p, 4, 0, 0, 8);
        QImage mask = TLabelCanvas::NewMask(width, height);
        const int shorter = std::min(width, height);
        if (rounding == 0) {
            mask.fill(255);
            if (2 * thickness < width && 2 * thickness < height) {
                QPainter painter(&mask);
                painter.setCompositionMode(QPainter::CompositionMode_Clear);
                painter.fillRect(QRect(thickness, thickness, width - 2 * thickness, height - 2 * thickness),
                                 Qt::transparent);
            }
            return mask;
        }
        const double radius = rounding * shorter / 16.0;
        QPainterPath outer;
        outer.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
        QPainterPath shape = outer;
        if (2 * thickness < width && 2 * thickness < height) {
            QPainterPath inner;
            const double innerRadius = std::max(radius - thickness, 0.0);
            inner.addRoundedRect(QRectF(thickness, thickness, width - 2 * thickness, height - 2 * thickness),
                                 innerRadius, innerRadius);
            shape = outer.subtracted(inner);
        }
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, Qt::black);
        return mask;
    }

    static QImage DrawEllipse(int width, int height, int thickness)
    {
        QImage mask = TLabelCanvas::NewMask(width, height);
        QPainterPath shape;
        shape.addEllipse(QRectF(0, 0, width, height));
        if (2 * thickness < width && 2 * thickness < height) {
            QPainterPath inner;
            inner.addEllipse(QRectF(thickness, thickness, width - 2 * thickness, height - 2 * thickness));
            shape = shape.subtracted(inner);
        }
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, Qt::black);
        return mask;
    }

    // Right-leaning ("/") from the bottom left up to the top right, or left-
    // leaning ("\") down from the top left; the thickness is horizontal.
    static QImage DrawDiagonal(const std::vector<std::string_view>& p)
    {
        const int thickness = Dots(p, 2, 1, 1, 32000);
        const int width = std::max(Dots(p, 0, thickness, 3, 32000), thickness);
        const int height = std::max(Dots(p, 1, thickness, 3, 32000), thickness);
        const char lean = Letter(p, 4, 'R');
        QImage mask = TLabelCanvas::NewMask(width, height);
        QPolygonF line;
        if (lean == 'L' || lean == '\\')
            line << QPointF(0, 0) << QPointF(thickness, 0) << QPointF(width, height)
                 << QPointF(width - thickness, height);
        else
            line << QPointF(0, height) << QPointF(thickness, height) << QPointF(width, 0)
                 << QPointF(width - thickness, 0);
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPolygon(line);
        return mask;
    }

    // "^GFA,total,total,row,data": the data in ASCII hex with the printer's
    // compression (G-Y and g-z repeat the next digit, "," ends a row with
    // zeros, "!" with ones, ":" repeats the row before), or as ":B64:" or
    // ":Z64:" (deflated) Base64 followed by its CRC.
    QImage DrawBitmap(const TCommand& command, const std::vector<std::string_view>& p)
    {
        const char format = Letter(p, 0, 'A');
        const int total = Dots(p, 2, 0, 0, MaxLabelWidth / 8 * MaxLabelLength);
        const int perRow = Dots(p, 3, 0, 0, MaxLabelWidth / 8);
        if (format != 'A' || perRow <= 0 || total <= 0) {
            Gap(command, format != 'A' ? "gráfico binário ou comprimido em binário não visualizado"
                                       : "gráfico sem tamanho");
            return {};
        }
        std::size_t at = 0;
        for (int commas = 0; commas < 4 && at != std::string::npos; ++commas)
            at = command.params.find(',', commas == 0 ? 0 : at + 1);
        const std::string_view data =
            at == std::string::npos ? std::string_view() : std::string_view(command.params).substr(at + 1);
        const int rows = std::min((total + perRow - 1) / perRow, MaxLabelLength);
        QImage mask = TLabelCanvas::NewMask(perRow * 8, rows);
        if (data.rfind(":Z64:", 0) == 0 || data.rfind(":B64:", 0) == 0) {
            const std::optional<QByteArray> bytes = Base64Bitmap(data, total);
            if (!bytes)
                Gap(command, "gráfico em Base64 danificado");
            else
                PutBytes(mask, *bytes, perRow);
            return mask;
        }
        PutHex(mask, data, perRow);
        return mask;
    }

    static std::optional<QByteArray> Base64Bitmap(std::string_view data, int total)
    {
        const std::size_t crc = data.rfind(':');
        const std::string_view body = data.substr(5, crc > 5 ? crc - 5 : std::string_view::npos);
        QByteArray bytes = QByteArray::fromBase64(QByteArray(body.data(), static_cast<qsizetype>(body.size())));
        if (data[1] == 'B')
            return bytes;
        // qUncompress reads the expected size first, big-endian.
        QByteArray sized(4, '\0');
        for (int i = 0; i < 4; ++i)
            sized[i] = static_cast<char>((static_cast<quint32>(total) >> (24 - 8 * i)) & 0xFF);
        bytes = qUncompress(sized + bytes);
        if (bytes.isEmpty())
            return std::nullopt;
        return bytes;
    }

    static void PutBytes(QImage& mask, const QByteArray& bytes, int perRow)
    {
        for (int y = 0; y < mask.height(); ++y) {
            uchar* line = mask.scanLine(y);
            for (int x = 0; x < mask.width(); ++x) {
                const qsizetype index = static_cast<qsizetype>(y) * perRow + x / 8;
                if (index < bytes.size() && (static_cast<uchar>(bytes[index]) & (0x80 >> (x % 8))))
                    line[x] = 255;
            }
        }
    }

    // Writes the digits straight into the mask, a row at a time, and stops
    // once the rows are full: repeat counts cannot run past them.
    static void PutHex(QImage& mask, std::string_view data, int perRow)
    {
        const int digitsPerRow = perRow * 2;
        std::vector<int> row;
        std::vector<int> previous(static_cast<std::size_t>(digitsPerRow), 0);
        row.reserve(static_cast<std::size_t>(digitsPerRow));
        int y = 0;
        const auto finish = [&](int fill) {
            row.resize(static_cast<std::size_t>(digitsPerRow), fill);
            uchar* line = mask.scanLine(y);
            for (int x = 0; x < mask.width() && x < digitsPerRow * 4; ++x)
                if (row[static_cast<std::size_t>(x / 4)] & (8 >> (x % 4)))
                    line[x] = 255;
            previous = row;
            row.clear();
            ++y;
        };
        int repeat = 0;
        for (const char c : data) {
            if (y >= mask.height())
                return;
            if (c >= 'G' && c <= 'Y') {
                repeat = std::min(repeat + (c - 'G' + 1), digitsPerRow * mask.height());
            } else if (c >= 'g' && c <= 'z') {
                repeat = std::min(repeat + (c - 'g' + 1) * 20, digitsPerRow * mask.height());
            } else if (c == ',') {
                finish(0);
            } else if (c == '!') {
                finish(15);
            } else if (c == ':') {
                if (!row.empty())
                    finish(0);
                if (y < mask.height()) {
                    row = previous;
                    finish(0);
                }
            } else if (std::isxdigit(static_cast<unsigned char>(c))) {
                for (int n = std::max(repeat, 1); n > 0 && y < mask.height(); --n) {
                    row.push_back(HexDigitValue(c));
                    if (static_cast<int>(row.size()) == digitsPerRow)
                        finish(0);
                }
                repeat = 0;
            }
        }
        if (!row.empty() && y < mask.height())
            finish(0);
    }

    const TPreviewHints& m_hints;
    TLabelPicture& m_result;
    TPrinterState m_state;
    TField m_field;
    TInk m_graphicInk = TInk::Black;
    std::optional<TLabelCanvas> m_canvas;
    bool m_drawing = false;
    bool m_inFormat = false;
    bool m_drew = false;
    bool m_done = false;
};

} // namespace

TLabelPicture RenderZpl(std::string_view header, std::string_view label, const TPreviewHints& hints)
{
    TLabelPicture result;
    result.dpi = hints.dpi > 0 ? hints.dpi : DefaultPreviewDpi;
    const std::vector<TCommand> labelCommands = Commands(label, false);
    TZplRenderer renderer(hints, result);
    renderer.RunHeader(Commands(header, true));
    renderer.Open(labelCommands);
    renderer.RunLabel(labelCommands);
    result.image = renderer.Picture();
    return result;
}

} // namespace zev
