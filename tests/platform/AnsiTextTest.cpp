#include "platform/AnsiText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace zev {
namespace {

// Test texts are written in UTF-8 for readability; the functions under test
// take Windows-1252.
std::string Ansi(std::string_view utf8)
{
    return Utf8ToAnsi(utf8);
}

std::string Byte(int value)
{
    return std::string(1, static_cast<char>(value));
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

std::string AllBytes()
{
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

TEST(AnsiTextConversion, AllBytesSurviveARoundTrip)
{
    const std::string bytes = AllBytes();
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);
    const QString text = AnsiToQString(bytes);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(QStringToAnsi(text), bytes);
}

TEST(AnsiTextConversion, BytesMapToTheirCharacters)
{
    struct TCase
    {
        int byte;
        std::string_view utf8;
    };
    // The whole block the code page redefines, plus bytes on either side.
    const TCase cases[] = {
        {0x41, "A"},      {0x7F, "\u007F"}, {0x80, "€"},      {0x81, "\u0081"}, {0x82, "‚"},
        {0x83, "ƒ"},      {0x84, "„"},      {0x85, "…"},      {0x86, "†"},      {0x87, "‡"},
        {0x88, "ˆ"},      {0x89, "‰"},      {0x8A, "Š"},      {0x8B, "‹"},      {0x8C, "Œ"},
        {0x8D, "\u008D"}, {0x8E, "Ž"},      {0x8F, "\u008F"}, {0x90, "\u0090"}, {0x91, "‘"},
        {0x92, "’"},      {0x93, "“"},      {0x94, "”"},      {0x95, "•"},      {0x96, "–"},
        {0x97, "—"},      {0x98, "˜"},      {0x99, "™"},      {0x9A, "š"},      {0x9B, "›"},
        {0x9C, "œ"},      {0x9D, "\u009D"}, {0x9E, "ž"},      {0x9F, "Ÿ"},      {0xA0, "\u00A0"},
        {0xC3, "Ã"},      {0xE7, "ç"},      {0xFF, "ÿ"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.byte);
        const QString expected = QString::fromUtf8(c.utf8.data(), std::ssize(c.utf8));
        ASSERT_EQ(expected.size(), 1);
        EXPECT_EQ(AnsiCharToUnicode(static_cast<unsigned char>(c.byte)), expected[0].unicode());
        EXPECT_EQ(UnicodeToAnsiChar(expected[0].unicode()), c.byte);
        EXPECT_EQ(AnsiToUtf8(Byte(c.byte)), c.utf8);
        EXPECT_EQ(Utf8ToAnsi(c.utf8), Byte(c.byte));
        EXPECT_EQ(AnsiToQString(Byte(c.byte)), expected);
        EXPECT_EQ(QStringToAnsi(expected), Byte(c.byte));
    }
    // U+0080 is not 0x80: that byte is the euro sign.
    for (const char32_t codePoint : {U'\u0080', U'\u009E', U'\u0100', U'日', U'😀'})
        EXPECT_EQ(UnicodeToAnsiChar(codePoint), -1) << static_cast<int>(codePoint);
}

TEST(AnsiTextConversion, Utf8ToAnsiReplacesUnmappableAndKeepsMalformedBytes)
{
    const struct
    {
        std::string_view utf8;
        std::string_view expected;
    } cases[] = {
        {"", ""},
        {"日", "?"},
        {"arroz 日本 5kg", "arroz ?? 5kg"},
        {"😀", "?"},
        {"ação", "a\xE7\xE3o"},
        {"p\xE3o \xC3\xA9", "p\xE3o \xE9"}, // Windows-1252 mixed with UTF-8
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.expected) << c.utf8;
    // Truncated at the end, continuation missing, truncated three-byte
    // sequence, overlong '/' in two and three bytes, overlong euro sign,
    // surrogate, beyond U+10FFFF, U+110000, stray continuation byte.
    const std::string_view malformed[] = {
        "\xC3", "\xC3(",    "\xC0\xAF",     "\xED\xA0\x80",     "\xF5\x80\x80\x80",
        "\x80", "\xE2\x82", "\xE0\x80\xAF", "\xF0\x82\x82\xAC", "\xF4\x90\x80\x80",
    };
    for (const std::string_view bytes : malformed)
        EXPECT_EQ(Utf8ToAnsi(bytes), bytes) << "kept byte for byte";
}

TEST(AnsiTextConversion, QStringToAnsiGivesOneQuestionMarkPerCharacter)
{
    struct TCase
    {
        QString text;
        std::string_view expected;
    };
    const TCase cases[] = {
        {QStringLiteral("日"), "?"},
        {QStringLiteral("a😀b"), "a?b"}, // a surrogate pair is one character
        {QString(QChar(0xD800)) + u'x', "?x"},
        {QString(QChar(0xDC00)), "?"},
        {QStringLiteral("Seção €"), "Se\xE7\xE3o \x80"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(QStringToAnsi(c.text), c.expected);
    }
}

int ExpectedUpperCase(int byte)
{
    if (byte >= 'a' && byte <= 'z')
        return byte - 0x20;
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return byte - 0x20;
    switch (byte) {
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return byte - 0x10;
    case 0xFF: // ÿ
        return 0x9F;
    default:
        return byte;
    }
}

TEST(AnsiTextCase, UpperCaseOfEveryByte)
{
    const std::string upper = AnsiUpperCase(AllBytes());
    ASSERT_EQ(upper.size(), 256u);
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        EXPECT_EQ(static_cast<unsigned char>(upper[static_cast<std::size_t>(byte)]),
                  ExpectedUpperCase(byte));
    }
}

TEST(AnsiTextCase, SameTextIgnoresCaseOnly)
{
    struct TCase
    {
        std::string_view a;
        std::string_view b;
        bool same;
    };
    const TCase cases[] = {
        {"", "", true},         {"Preco", "PRECO", true}, {"Seção", "SEÇÃO", true},
        {"ÿ", "Ÿ", true},       {"œuvre", "ŒUVRE", true}, {"ß", "SS", false},
        {"µ", "M", false},      {"acao", "ação", false},  {"abc", "abd", false},
        {"abc", "abcd", false}, {"÷", "×", false}, // 0xF7 and 0xD7 are no letters
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
        EXPECT_EQ(AnsiSameText(Ansi(c.a), Ansi(c.b)), c.same);
        EXPECT_EQ(AnsiSameText(Ansi(c.b), Ansi(c.a)), c.same);
    }
}

struct TOrderCase
{
    std::string_view a;
    std::string_view b;
    int expected; // sign of compare(a, b)
};

TEST(AnsiTextCompare, PortugueseOrderWithoutCase)
{
    // Accents count only where the base letters are equal; expansions (æ, œ,
    // ß, þ) compare as their letters, after them at the second level.
    const TOrderCase cases[] = {
        {"", "", 0},    {"-", "9", -1},  {"ß", "st", -1},
        {"a", "A", 0},  {"€", "0", -1},  {"sr", "ß", -1},
        {"", "a", -1},  {"Ñ", "o", -1},  {"Þ", "ti", -1},
        {"ñ", "n", 1},  {"ø", "p", -1},  {"áb", "ac", -1},
        {"ø", "o", 1},  {"ð", "e", -1},  {"ab", "ác", -1},
        {"Ð", "d", 1},  {"Ÿ", "z", -1},  {"ab", "áb", -1},
        {"ý", "y", 1},  {"Š", "t", -1},  {"ação", "AÇÃO", 0},
        {"Ÿ", "y", 1},  {"ƒ", "G", -1},  {"Água", "ÁGUA", 0},
        {"š", "s", 1},  {"æ", "AE", 1},  {"caça", "caca", 1},
        {"ž", "z", 1},  {"Œ", "oe", 1},  {"coco", "cocô", -1},
        {"ƒ", "f", 1},  {"ß", "ss", 1},  {"cocô", "côco", -1},
        {"a", "á", -1}, {"þ", "th", 1},  {"Água", "Banana", -1},
        {"A", "á", -1}, {"1", "10", -1}, {"Abacaxi", "Água", -1},
        {"á", "b", -1}, {"10", "2", -1}, {"coração", "coracao", 1},
        {"Á", "b", -1}, {"Æ", "af", -1}, {"arroz", "arroz integral", -1},
        {"2", "a", -1}, {"ad", "æ", -1}, {"arroz integral", "arroz1", -1},
        {" ", "0", -1}, {"œ", "OF", -1},
    };
    for (const TOrderCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
        EXPECT_EQ(Sign(AnsiCompareText(Ansi(c.a), Ansi(c.b))), c.expected);
        EXPECT_EQ(Sign(AnsiCompareText(Ansi(c.b), Ansi(c.a))), -c.expected);
        // The database collation refines the same order.
        if (c.expected != 0) {
            EXPECT_EQ(Sign(CollateUtf8(c.a, c.b)), c.expected);
        }
    }
}

TEST(AnsiTextCompare, CollationAddsCaseAndStaysTotal)
{
    // The accent decides before the case; text outside the code page sorts
    // among the symbols; a malformed byte read as Windows-1252 still differs
    // from the real character.
    const TOrderCase cases[] = {
        {"", "", 0},    {"A", "b", -1},  {"€", "日", -1}, {"\xE7", "ç", 1},    {"ação", "AÇÃO", -1},
        {"á", "A", 1},  {"日", "a", -1}, {"ą", "a", -1},  {"Água", "Água", 0}, {"ação", "Ação", -1},
        {"a", "A", -1}, {"日", "0", -1}, {"ß", "SS", 1},  {"Ação", "açao", 1},
    };
    for (const TOrderCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
        EXPECT_EQ(Sign(CollateUtf8(c.a, c.b)), c.expected);
        EXPECT_EQ(Sign(CollateUtf8(c.b, c.a)), -c.expected);
    }
}

TEST(AnsiTextCompare, CollationIsZeroOnlyForIdenticalTexts)
{
    // All equal at the first level.
    const std::vector<std::string> texts = {"acao", "ação", "AÇÃO", "Acao", "ACAO",
                                            "açao", "acão", "Ação", "ACÃO", "aÇao"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            SCOPED_TRACE(texts[i] + " / " + texts[j]);
            EXPECT_EQ(CollateUtf8(texts[i], texts[j]) == 0, i == j);
        }
    }
}

// Every pair in the expected order must compare consistently, and sorting
// a shuffled copy must give the expected order back.
template <typename TCompare>
void ExpectTotalOrder(const std::vector<std::string>& expected, TCompare compare)
{
    for (std::size_t i = 0; i < expected.size(); ++i) {
        for (std::size_t j = i + 1; j < expected.size(); ++j) {
            SCOPED_TRACE(expected[i] + " / " + expected[j]);
            EXPECT_LT(compare(expected[i], expected[j]), 0);
            EXPECT_GT(compare(expected[j], expected[i]), 0);
        }
    }
    std::vector<std::string> shuffled = expected;
    std::mt19937 random(20240601);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        std::sort(shuffled.begin(), shuffled.end(),
                  [&](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
        EXPECT_EQ(shuffled, expected);
    }
}

TEST(AnsiTextCompare, SortsAListOfDescriptions)
{
    const std::vector<std::string> expected = {
        "",        " ",
        "-",       "1",
        "10",      "2",
        "a",       "á",
        "Abacaxi", "ae",
        "æ",       "af",
        "Água",    "Banana",
        "coco",    "cocô",
        "côco",    "ƒ",
        "feijão",  "FEIJÃO PRETO",
        "leite",   "Leite condensado",
        "sal",     "ß",
    };
    std::vector<std::string> ansi;
    for (const std::string& text : expected)
        ansi.push_back(Ansi(text));
    ExpectTotalOrder(
        ansi, [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b); });
}

TEST(AnsiTextCompare, CollationSortsAListOfDescriptions)
{
    const std::vector<std::string> expected = {
        "",     " ",    "-",    "€",       "日",      "1",    "10",   "2",    "a",      "A",
        "á",    "Á",    "à",    "abacaxi", "Abacaxi", "água", "Água", "ÁGUA", "banana", "Banana",
        "coco", "Coco", "cocô", "côco",    "Côco",    "ss",   "SS",   "ß",    "st",
    };
    ExpectTotalOrder(expected, CollateUtf8);
}

TEST(AnsiTextWrap, BreaksAsTheLabelsExpect)
{
    struct TCase
    {
        std::string_view line;
        int maxCol;
        std::string_view expected;
    };
    const TCase cases[] = {
        {"", 10, ""},
        {"", 0, ""},
        {"ARROZ 5KG", 20, "ARROZ 5KG"},
        {"ARROZ TIPO 1 LONGO 5KG", 20, "ARROZ TIPO 1 LONGO \r\n5KG"},
        {"ARROZ TIPO 1 LONGO 5KG", 0, "ARROZ \r\nTIPO \r\n1 \r\nLONGO \r\n5KG"},
        {"COPO AGUA 300ML", 8, "COPO \r\nAGUA \r\n300ML"},
        {"AB CD EF GH", 5, "AB \r\nCD EF \r\nGH"},
        // Hyphen and tab break too and stay at the end of their line.
        {"LEITE-CONDENSADO", 6, "LEITE-\r\nCONDENSADO"},
        {"A-B-C-DE", 0, "A-\r\nB-\r\nC-\r\nDE"},
        {"A\tBC", 0, "A\t\r\nBC"},
        // A word longer than the line is never split.
        {"AB ABCDEFGH CD", 5, "AB \r\nABCDEFGH \r\nCD"},
        {"ABCDEFGHIJ", 3, "ABCDEFGHIJ"},
        // No break when at most one character is left to read.
        {"AB C", 0, "AB C"},
        {"ABCDEF GHIJ", 6, "ABCDEF \r\nGHIJ"},
        {"ABCD\r\nEF GHIJ", 6, "ABCD\r\nEF GHIJ"},
        // Quotes: no break inside; an unclosed quote holds to the end.
        {"COPO D'AGUA 300ML", 8, "COPO D'AGUA 300ML"},
        {"X 'A B", 1, "X \r\n'A B"},
        {"A 'B C' DE", 0, "A \r\n'B C' \r\nDE"},
        {"\"A B\" C D", 0, "\"A B\" \r\nC D"},
        {"SUCO 'UVA' 1L", 6, "SUCO \r\n'UVA' \r\n1L"},             // the break waits for the close
        {"\"TAM 'P\" COR AZUL", 0, "\"TAM 'P\" \r\nCOR \r\nAZUL"}, // the other quote is text
        // An existing CR LF is kept and restarts the column; a lone CR is text.
        {"AB\r\nCD", 80, "AB\r\nCD"},
        {"ABC\r\n\r\nDE", 80, "ABC\r\n\r\nDE"},
        {"ABCD\r\nE F GHIJ", 6, "ABCD\r\nE F \r\nGHIJ"},
        {"ABC\rDE FGH IJ", 4, "ABC\rDE \r\nFGH \r\nIJ"},
        // Blanks after a break are skipped for the break but kept in the text.
        {"A  BC", 0, "A \r\n BC"},
        {"AB --CD", 0, "AB \r\n--CD"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " @ " + std::to_string(c.maxCol));
        EXPECT_EQ(WrapText(c.line, c.maxCol), c.expected);
    }
}

} // namespace
} // namespace zev
