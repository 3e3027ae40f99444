#include "platform/AnsiText.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zev {

namespace {

// ---------------------------------------------------------------------------
// Code page

// 0x80-0x9F; the five bytes the code page leaves undefined keep their value
// so that every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControlBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t CodePointOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControlBlock[byte - 0x80];
    return byte;
}

int ByteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighControlBlock.size(); ++i) {
        if (kHighControlBlock[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

char AnsiOrQuestionMark(char32_t codePoint)
{
    const int byte = ByteOf(codePoint);
    return byte < 0 ? '?' : static_cast<char>(byte);
}

// ---------------------------------------------------------------------------
// UTF-8

struct TUtf8Char
{
    char32_t codePoint = 0;
    std::size_t length = 1;
    bool valid = false;
};

bool IsContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Rejects overlong forms, surrogates and code points beyond U+10FFFF; an
// invalid sequence is reported with length 1 so the caller can take its
// first byte alone.
TUtf8Char DecodeUtf8(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80)
        return {lead, 1, true};

    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {};
    }
    if (pos + length > text.size())
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuationByte(byte))
            return {};
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || surrogate || codePoint > 0x10FFFF)
        return {};
    return {codePoint, length, true};
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        // The code page reaches no further than the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// ---------------------------------------------------------------------------
// Letters

// Level-2 weights. The order among the accents only has to be fixed; an
// unaccented letter comes before all of them.
enum class TAccent : std::uint8_t
{
    None,
    Acute,
    Grave,
    Circumflex,
    Caron,
    Ring,
    Diaeresis,
    Tilde,
    Cedilla,
    Stroke,
    Hook,
    Eth,
    Ligature,
};

struct TLetter
{
    unsigned char small;
    unsigned char capital;
    std::string_view base; // one or two capital base letters
    TAccent accent;
};

// The letters beyond a-z. ß and ƒ have no capital in the code page, so they
// are their own.
constexpr std::array kAccentedLetters = std::to_array<TLetter>({
    {0xE0, 0xC0, "A", TAccent::Grave},      {0xE1, 0xC1, "A", TAccent::Acute},
    {0xE2, 0xC2, "A", TAccent::Circumflex}, {0xE3, 0xC3, "A", TAccent::Tilde},
    {0xE4, 0xC4, "A", TAccent::Diaeresis},  {0xE5, 0xC5, "A", TAccent::Ring},
    {0xE6, 0xC6, "AE", TAccent::Ligature},  {0xE7, 0xC7, "C", TAccent::Cedilla},
    {0xE8, 0xC8, "E", TAccent::Grave},      {0xE9, 0xC9, "E", TAccent::Acute},
    {0xEA, 0xCA, "E", TAccent::Circumflex}, {0xEB, 0xCB, "E", TAccent::Diaeresis},
    {0xEC, 0xCC, "I", TAccent::Grave},      {0xED, 0xCD, "I", TAccent::Acute},
    {0xEE, 0xCE, "I", TAccent::Circumflex}, {0xEF, 0xCF, "I", TAccent::Diaeresis},
    {0xF0, 0xD0, "D", TAccent::Eth},        {0xF1, 0xD1, "N", TAccent::Tilde},
    {0xF2, 0xD2, "O", TAccent::Grave},      {0xF3, 0xD3, "O", TAccent::Acute},
    {0xF4, 0xD4, "O", TAccent::Circumflex}, {0xF5, 0xD5, "O", TAccent::Tilde},
    {0xF6, 0xD6, "O", TAccent::Diaeresis},  {0xF8, 0xD8, "O", TAccent::Stroke},
    {0xF9, 0xD9, "U", TAccent::Grave},      {0xFA, 0xDA, "U", TAccent::Acute},
    {0xFB, 0xDB, "U", TAccent::Circumflex}, {0xFC, 0xDC, "U", TAccent::Diaeresis},
    {0xFD, 0xDD, "Y", TAccent::Acute},      {0xFE, 0xDE, "TH", TAccent::Ligature},
    {0xFF, 0x9F, "Y", TAccent::Diaeresis},  {0x9A, 0x8A, "S", TAccent::Caron},
    {0x9C, 0x8C, "OE", TAccent::Ligature},  {0x9E, 0x8E, "Z", TAccent::Caron},
    {0xDF, 0xDF, "SS", TAccent::Ligature},  {0x83, 0x83, "F", TAccent::Hook},
});

// The base letters a search compares a byte by; empty for no letter.
std::array<std::string_view, 256> MakeBaseLetterTable()
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::array<std::string_view, 256> table{};
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table['A' + i] = kAlphabet.substr(i, 1);
        table['a' + i] = kAlphabet.substr(i, 1);
    }
    for (const TLetter& letter : kAccentedLetters) {
        table[letter.capital] = letter.base;
        table[letter.small] = letter.base;
    }
    return table;
}

constexpr std::array<unsigned char, 256> MakeUpperCaseTable()
{
    std::array<unsigned char, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte)
        table[byte] = static_cast<unsigned char>(byte);
    for (unsigned char small = 'a'; small <= 'z'; ++small)
        table[small] = static_cast<unsigned char>(small - 'a' + 'A');
    for (const TLetter& letter : kAccentedLetters)
        table[letter.small] = letter.capital;
    return table;
}

constexpr std::array<unsigned char, 256> kUpperCase = MakeUpperCaseTable();

char ToUpper(char c)
{
    return static_cast<char>(kUpperCase[static_cast<unsigned char>(c)]);
}

// ---------------------------------------------------------------------------
// Collation
//
// Each character yields one collation element, or two for Æ Œ ß Þ. Level 1
// compares the primary weights, level 2 the accents, level 3 the case.
// Primary weights: other characters by code point, then digits, then base
// letters.

constexpr std::uint32_t kDigitWeight = 0x110000; // above every code point
constexpr std::uint32_t kLetterWeight = kDigitWeight + 10;

struct TCollationElement
{
    std::uint32_t primary = 0;
    TAccent accent = TAccent::None;
    bool capital = false;
};

struct TCharacterWeights
{
    std::array<TCollationElement, 2> elements{};
    std::uint8_t count = 1;
};

constexpr TCharacterWeights OtherWeights(char32_t codePoint)
{
    TCharacterWeights weights;
    weights.elements[0].primary = codePoint;
    return weights;
}

constexpr TCharacterWeights LetterWeights(std::string_view base, TAccent accent, bool capital)
{
    TCharacterWeights weights;
    weights.count = static_cast<std::uint8_t>(base.size());
    for (std::size_t i = 0; i < base.size(); ++i)
        weights.elements[i] = {kLetterWeight + static_cast<std::uint32_t>(base[i] - 'A'), accent,
                               capital};
    return weights;
}

constexpr std::array<TCharacterWeights, 256> MakeCollationTable()
{
    std::array<TCharacterWeights, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte)
        table[byte] = OtherWeights(CodePointOf(static_cast<unsigned char>(byte)));
    for (unsigned char digit = '0'; digit <= '9'; ++digit)
        table[digit].elements[0].primary = kDigitWeight + (digit - '0');
    constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        const std::string_view base = kAlphabet.substr(i, 1);
        table['A' + i] = LetterWeights(base, TAccent::None, true);
        table['a' + i] = LetterWeights(base, TAccent::None, false);
    }
    for (const TLetter& letter : kAccentedLetters) {
        table[letter.capital] = LetterWeights(letter.base, letter.accent, true);
        table[letter.small] = LetterWeights(letter.base, letter.accent, false);
    }
    return table;
}

constexpr std::array<TCharacterWeights, 256> kCollation = MakeCollationTable();

enum class TEncoding
{
    Ansi,
    Utf8
};

// Reads a text as a stream of collation elements without allocating.
class TCollationElements
{
public:
    TCollationElements(std::string_view text, TEncoding encoding)
        : m_text(text), m_encoding(encoding)
    {}

    bool Next(TCollationElement& element)
    {
        if (m_pendingIndex < m_pending.count) {
            element = m_pending.elements[m_pendingIndex++];
            return true;
        }
        if (m_pos >= m_text.size())
            return false;
        m_pending = NextCharacter();
        element = m_pending.elements[0];
        m_pendingIndex = 1;
        return true;
    }

private:
    TCharacterWeights NextCharacter()
    {
        const auto byte = static_cast<unsigned char>(m_text[m_pos]);
        if (m_encoding == TEncoding::Ansi || byte < 0x80) {
            ++m_pos;
            return kCollation[byte];
        }
        const TUtf8Char decoded = DecodeUtf8(m_text, m_pos);
        m_pos += decoded.length;
        if (!decoded.valid)
            return kCollation[byte]; // as Utf8ToAnsi takes it
        const int ansi = ByteOf(decoded.codePoint);
        return ansi < 0 ? OtherWeights(decoded.codePoint) : kCollation[ansi];
    }

    std::string_view m_text;
    TEncoding m_encoding;
    std::size_t m_pos = 0;
    TCharacterWeights m_pending{{}, 0};
    std::uint8_t m_pendingIndex = 0;
};

template <typename T> int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

struct TLevelResults
{
    int letters = 0;
    int accents = 0;
    int cases = 0;
};

// One pass over both texts: the first accent and case differences are kept
// in case the base letters turn out equal.
TLevelResults CompareLevels(TCollationElements a, TCollationElements b)
{
    TLevelResults result;
    TCollationElement x;
    TCollationElement y;
    while (true) {
        const bool hasX = a.Next(x);
        const bool hasY = b.Next(y);
        if (!hasX || !hasY) {
            result.letters = Sign(hasX, hasY);
            return result;
        }
        if (x.primary != y.primary) {
            result.letters = Sign(x.primary, y.primary);
            return result;
        }
        if (result.accents == 0)
            result.accents = Sign(x.accent, y.accent);
        if (result.cases == 0)
            result.cases = Sign(x.capital, y.capital);
    }
}

// ---------------------------------------------------------------------------
// Word wrap

bool IsBreakChar(char c)
{
    return c == ' ' || c == '-' || c == '\t';
}

bool IsQuoteChar(char c)
{
    return c == '\'' || c == '"';
}

bool IsSkippedAfterBreak(char c)
{
    return IsBreakChar(c) || c == '\r' || c == '\n';
}

} // namespace

char32_t AnsiCharToUnicode(unsigned char byte)
{
    return CodePointOf(byte);
}

int UnicodeToAnsiChar(char32_t codePoint)
{
    return ByteOf(codePoint);
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string utf8;
    utf8.reserve(ansi.size());
    for (const char c : ansi)
        AppendUtf8(utf8, CodePointOf(static_cast<unsigned char>(c)));
    return utf8;
}

std::string Shown(std::string_view ansi)
{
    constexpr std::size_t MaxShown = 60;
    if (ansi.size() <= MaxShown)
        return AnsiToUtf8(ansi);
    return AnsiToUtf8(ansi.substr(0, MaxShown)) + "...";
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string ansi;
    ansi.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const TUtf8Char decoded = DecodeUtf8(utf8, pos);
        ansi += decoded.valid ? AnsiOrQuestionMark(decoded.codePoint) : utf8[pos];
        pos += decoded.length;
    }
    return ansi;
}

QString AnsiToQString(std::string_view ansi)
{
    QString text(static_cast<qsizetype>(ansi.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : ansi)
        *out++ = QChar(static_cast<char16_t>(CodePointOf(static_cast<unsigned char>(c))));
    return text;
}

std::string QStringToAnsi(const QString& text)
{
    std::string ansi;
    ansi.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        // A surrogate pair is one character outside the code page: one '?'.
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ansi += unit.isSurrogate() ? '?' : AnsiOrQuestionMark(unit.unicode());
    }
    return ansi;
}

std::string AnsiUpperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = ToUpper(c);
    return upper;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpper(a[i]) != ToUpper(b[i]))
            return false;
    }
    return true;
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    const TLevelResults levels = CompareLevels({a, TEncoding::Ansi}, {b, TEncoding::Ansi});
    return levels.letters != 0 ? levels.letters : levels.accents;
}

int CollateUtf8(std::string_view a, std::string_view b)
{
    const TLevelResults levels = CompareLevels({a, TEncoding::Utf8}, {b, TEncoding::Utf8});
    if (levels.letters != 0)
        return levels.letters;
    if (levels.accents != 0)
        return levels.accents;
    if (levels.cases != 0)
        return levels.cases;
    // Byte order is code-point order for valid UTF-8, and it still tells
    // apart malformed texts that read alike.
    return Sign(a.compare(b), 0);
}

std::string WrapText(std::string_view line, int maxCol)
{
    using TIndex = std::ptrdiff_t;
    const TIndex length = std::ssize(line);
    const TIndex maxColumn = maxCol;
    std::string result;
    TIndex column = 1;
    TIndex pos = 0;
    TIndex lineStart = 0;
    TIndex breakAt = -1; // the current line may end after this index
    char openQuote = 0;
    bool existingBreak = false;
    while (pos < length) {
        const char current = line[pos];
        if (current == '\r') {
            if (openQuote == 0) {
                existingBreak = line.substr(static_cast<std::size_t>(pos)).starts_with("\r\n");
                if (existingBreak) {
                    ++pos;
                    breakAt = pos;
                }
            }
        } else if (IsBreakChar(current)) {
            if (openQuote == 0)
                breakAt = pos;
        } else if (IsQuoteChar(current)) {
            if (current == openQuote)
                openQuote = 0;
            else if (openQuote == 0)
                openQuote = current;
        }
        ++pos;
        ++column;
        const bool tooLong = column > maxColumn && breakAt > lineStart;
        if (openQuote != 0 || !(existingBreak || tooLong))
            continue;

        column = pos - breakAt;
        result.append(line.substr(static_cast<std::size_t>(lineStart),
                                  static_cast<std::size_t>(breakAt - lineStart + 1)));
        if (!IsQuoteChar(current)) {
            while (pos < length && IsSkippedAfterBreak(line[pos]))
                ++pos;
        }
        // Labels rely on it: no break when at most one character is left to read.
        if (!existingBreak && pos < length - 1)
            result += "\r\n";
        lineStart = breakAt + 1;
        breakAt = lineStart;
        existingBreak = false;
    }
    result.append(line.substr(static_cast<std::size_t>(lineStart)));
    return result;
}

std::string FoldUtf8(std::string_view utf8)
{
    static const std::array<std::string_view, 256> kBase = MakeBaseLetterTable();
    std::string folded;
    folded.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const TUtf8Char decoded = DecodeUtf8(utf8, pos);
        const int ansi = decoded.valid ? ByteOf(decoded.codePoint) : -1;
        if (ansi >= 0 && !kBase[static_cast<std::size_t>(ansi)].empty())
            folded += kBase[static_cast<std::size_t>(ansi)];
        else
            folded += utf8.substr(pos, decoded.length);
        pos += decoded.length;
    }
    return folded;
}

} // namespace zev
