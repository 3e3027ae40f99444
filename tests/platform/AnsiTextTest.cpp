#include "platform/AnsiText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
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

TEST(AnsiTextConversion, BytesMapToTheirCharactersAndBack)
{
    const std::string bytes = AllBytes();
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);
    EXPECT_EQ(QStringToAnsi(AnsiToQString(bytes)), bytes);

    // Latin-1 but for the block the code page redefines, whose five unused
    // bytes stand for the control characters of their own number.
    const QString block =
        QString::fromUtf8("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
    ASSERT_EQ(block.size(), 0x20);
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const QString expected =
            byte >= 0x80 && byte < 0xA0 ? QString(block[byte - 0x80]) : QString(QChar(byte));
        EXPECT_EQ(AnsiCharToUnicode(static_cast<unsigned char>(byte)), expected[0].unicode());
        EXPECT_EQ(UnicodeToAnsiChar(expected[0].unicode()), byte);
        EXPECT_EQ(AnsiToUtf8(Byte(byte)), expected.toStdString());
        EXPECT_EQ(Utf8ToAnsi(expected.toStdString()), Byte(byte));
        EXPECT_EQ(AnsiToQString(Byte(byte)), expected);
        EXPECT_EQ(QStringToAnsi(expected), Byte(byte));
    }
    // U+0080 is not 0x80: that byte is the euro sign.
    for (const char32_t codePoint : {U'\u0080', U'\u009E', U'\u0100', U'日', U'😀'})
        EXPECT_EQ(UnicodeToAnsiChar(codePoint), -1) << static_cast<int>(codePoint);
}

TEST(AnsiTextConversion, Utf8ToAnsiReplacesUnmappableAndKeepsMalformedBytes)
{
    // Windows-1252 mixed with UTF-8 keeps its bytes.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"arroz 日本 5kg", "arroz ?? 5kg"},
        {"😀", "?"},
        {"ação", "a\xE7\xE3o"},
        {"p\xE3o \xC3\xA9", "p\xE3o \xE9"},
    };
    for (const auto& [utf8, expected] : cases)
        EXPECT_EQ(Utf8ToAnsi(utf8), expected) << utf8;
    // Truncated at the end, continuation missing, truncated three-byte
    // sequence, overlong '/' in two and three bytes, overlong euro sign,
    // surrogate, beyond U+10FFFF, U+110000, stray continuation byte.
    const std::string_view malformed[] = {
        "\xC3", "\xC3(",    "\xC0\xAF",     "\xED\xA0\x80",     "\xF5\x80\x80\x80",
        "\x80", "\xE2\x82", "\xE0\x80\xAF", "\xF0\x82\x82\xAC", "\xF4\x90\x80\x80",
    };
    for (const std::string_view bytes : malformed)
        EXPECT_EQ(Utf8ToAnsi(bytes), bytes) << "kept byte for byte";

    // From a QString: one question mark per character, a lone surrogate too.
    const std::pair<QString, std::string_view> fromQt[] = {
        {QStringLiteral("a😀b"), "a?b"},
        {QString(QChar(0xD800)) + u'x', "?x"},
        {QStringLiteral("Seção €"), "Se\xE7\xE3o \x80"},
    };
    for (const auto& [text, expected] : fromQt)
        EXPECT_EQ(QStringToAnsi(text), expected) << text.toStdString();
}

TEST(AnsiTextCase, UpperCaseOfEveryByte)
{
    // Every letter the code page has in both cases; ß, µ, ª, º and ÷ have no
    // capital here, and every other byte stays as it is.
    const std::string lower = Ansi("abcdefghijklmnopqrstuvwxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿšœž");
    const std::string upper = Ansi("ABCDEFGHIJKLMNOPQRSTUVWXYZÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŸŠŒŽ");
    ASSERT_EQ(lower.size(), upper.size());
    std::string expected = AllBytes();
    for (std::size_t i = 0; i < lower.size(); ++i)
        expected[static_cast<unsigned char>(lower[i])] = upper[i];
    EXPECT_EQ(AnsiUpperCase(AllBytes()), expected);
}

TEST(AnsiTextCase, SameTextIgnoresCaseOnly)
{
    const std::tuple<std::string_view, std::string_view, bool> cases[] = {
        {"", "", true},         {"Preco", "PRECO", true}, {"Seção", "SEÇÃO", true},
        {"ÿ", "Ÿ", true},       {"œuvre", "ŒUVRE", true}, {"ß", "SS", false},
        {"µ", "M", false},      {"acao", "ação", false},  {"abc", "abd", false},
        {"abc", "abcd", false}, {"÷", "×", false}, // 0xF7 and 0xD7 are no letters
    };
    for (const auto& [a, b, same] : cases) {
        EXPECT_EQ(AnsiSameText(Ansi(a), Ansi(b)), same) << a << " / " << b;
        EXPECT_EQ(AnsiSameText(Ansi(b), Ansi(a)), same) << a << " / " << b;
    }
}

// Every pair in the expected order must compare consistently.
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
}

TEST(AnsiTextCompare, SortsDescriptionsInPortugueseOrder)
{
    const std::vector<std::string> expected = {
        "",         " ",     "-",       "1",    "10",      "2",       "a",       "á",
        "Abacaxi",  "ae",    "æ",       "af",   "Água",    "arroz",   "arroz 1", "arroz1",
        "Banana",   "coco",  "cocô",    "côco", "coracao", "coração", "ƒ",       "feijão",
        "FEIJÃO 2", "leite", "Leite c", "sal",  "ß",
    };
    std::vector<std::string> ansi;
    for (const std::string& text : expected)
        ansi.push_back(Ansi(text));
    ExpectTotalOrder(
        ansi, [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b); });
    // The database collation refines the same order.
    ExpectTotalOrder(expected, CollateUtf8);
}

// Pairs the list cannot show: equal texts, and expansions (æ, œ, ß, þ) and
// letters outside Portuguese, which compare as their base letters and after
// them at the second level.
TEST(AnsiTextCompare, ExpansionsAndForeignLettersSortByTheirBaseLetters)
{
    const std::tuple<std::string_view, std::string_view, int> cases[] = {
        {"", "", 0},    {"a", "A", 0},  {"ação", "AÇÃO", 0}, {"ß", "st", -1},  {"sr", "ß", -1},
        {"ß", "ss", 1}, {"æ", "AE", 1}, {"Œ", "oe", 1},      {"œ", "OF", -1},  {"Þ", "ti", -1},
        {"þ", "th", 1}, {"ñ", "n", 1},  {"Ñ", "o", -1},      {"ø", "o", 1},    {"ø", "p", -1},
        {"Ð", "d", 1},  {"ð", "e", -1}, {"ý", "y", 1},       {"Ÿ", "y", 1},    {"Ÿ", "z", -1},
        {"š", "s", 1},  {"Š", "t", -1}, {"ž", "z", 1},       {"ƒ", "f", 1},    {"ƒ", "G", -1},
        {"€", "0", -1}, {"A", "á", -1}, {"áb", "ac", -1},    {"ab", "ác", -1}, {"ab", "áb", -1},
    };
    for (const auto& [a, b, expected] : cases) {
        SCOPED_TRACE(std::string(a) + " / " + std::string(b));
        EXPECT_EQ(Sign(AnsiCompareText(Ansi(a), Ansi(b))), expected);
        EXPECT_EQ(Sign(AnsiCompareText(Ansi(b), Ansi(a))), -expected);
        if (expected != 0) {
            EXPECT_EQ(Sign(CollateUtf8(a, b)), expected);
        }
    }
}

TEST(AnsiTextCompare, CollationAddsCaseAndStaysTotal)
{
    // The accent decides before the case; text outside the code page sorts
    // among the symbols; a malformed byte read as Windows-1252 still differs
    // from the real character.
    ExpectTotalOrder({"",     " ",    "-",      "€",      "日",   "1",       "10",      "2",
                      "a",    "A",    "á",      "Á",      "à",    "abacaxi", "Abacaxi", "água",
                      "Água", "ÁGUA", "banana", "Banana", "coco", "Coco",    "cocô",    "côco",
                      "Côco", "ss",   "SS",     "ß",      "st"},
                     CollateUtf8);
    const std::tuple<std::string_view, std::string_view, int> cases[] = {
        {"\xE7", "ç", 1},     {"ą", "a", -1},       {"Água", "Água", 0},
        {"ação", "AÇÃO", -1}, {"ação", "Ação", -1}, {"Ação", "açao", 1},
    };
    for (const auto& [a, b, expected] : cases) {
        EXPECT_EQ(Sign(CollateUtf8(a, b)), expected) << a << " / " << b;
        EXPECT_EQ(Sign(CollateUtf8(b, a)), -expected) << a << " / " << b;
    }
    // Texts equal at the first level are equal only when identical.
    const std::vector<std::string> texts = {"acao", "ação", "AÇÃO", "Acao", "ACAO",
                                            "açao", "acão", "Ação", "ACÃO", "aÇao"};
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t j = 0; j < texts.size(); ++j)
            EXPECT_EQ(CollateUtf8(texts[i], texts[j]) == 0, i == j) << texts[i] << texts[j];
}

TEST(AnsiTextWrap, BreaksAsTheLabelsExpect)
{
    const std::tuple<std::string_view, int, std::string_view> cases[] = {
        {"", 0, ""},
        {"ARROZ 5KG", 20, "ARROZ 5KG"},
        {"ARROZ TIPO 1 LONGO 5KG", 20, "ARROZ TIPO 1 LONGO \r\n5KG"},
        {"ARROZ TIPO 1 LONGO 5KG", 0, "ARROZ \r\nTIPO \r\n1 \r\nLONGO \r\n5KG"},
        {"AB CD EF GH", 5, "AB \r\nCD EF \r\nGH"},
        // Hyphen and tab break too and stay at the end of their line.
        {"LEITE-CONDENSADO", 6, "LEITE-\r\nCONDENSADO"},
        {"A-B-C-DE", 0, "A-\r\nB-\r\nC-\r\nDE"},
        {"A\tBC", 0, "A\t\r\nBC"},
        // A word longer than the line is never split.
        {"AB ABCDEFGH CD", 5, "AB \r\nABCDEFGH \r\nCD"},
        // No break when at most one character is left to read.
        {"AB C", 0, "AB C"},
        {"ABCDEF GHIJ", 6, "ABCDEF \r\nGHIJ"},
        {"ABCD\r\nEF GHIJ", 6, "ABCD\r\nEF GHIJ"},
        // Quotes: no break inside; an unclosed quote holds to the end.
        {"COPO D'AGUA 300ML", 8, "COPO D'AGUA 300ML"},
        {"X 'A B", 1, "X \r\n'A B"},
        {"A 'B C' DE", 0, "A \r\n'B C' \r\nDE"},
        {"SUCO 'UVA' 1L", 6, "SUCO \r\n'UVA' \r\n1L"},             // the break waits for the close
        {"\"TAM 'P\" COR AZUL", 0, "\"TAM 'P\" \r\nCOR \r\nAZUL"}, // the other quote is text
        // An existing CR LF is kept and restarts the column; a lone CR is text.
        {"ABC\r\n\r\nDE", 80, "ABC\r\n\r\nDE"},
        {"ABCD\r\nE F GHIJ", 6, "ABCD\r\nE F \r\nGHIJ"},
        {"ABC\rDE FGH IJ", 4, "ABC\rDE \r\nFGH \r\nIJ"},
        // Blanks after a break are skipped for the break but kept in the text.
        {"A  BC", 0, "A \r\n BC"},
        {"AB --CD", 0, "AB \r\n--CD"},
    };
    for (const auto& [line, maxCol, expected] : cases)
        EXPECT_EQ(WrapText(line, maxCol), expected) << line << " @ " << maxCol;
}

} // namespace
} // namespace zev
