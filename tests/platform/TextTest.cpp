#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace zev {
namespace {

using namespace std::string_view_literals;

// Test texts are written in UTF-8 for readability; the functions under test
// take Windows-1252.
std::string Ansi(std::string_view utf8)
{
    return Utf8ToAnsi(utf8);
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST(AnsiTextConversion, BytesMapToTheirCharactersAndBack)
{
    // Latin-1 but for the block the code page redefines, whose five unused
    // bytes stand for the control characters of their own number.
    const QString block =
        QString::fromUtf8("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
    ASSERT_EQ(block.size(), 0x20);
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const QString expected =
            byte >= 0x80 && byte < 0xA0 ? QString(block[byte - 0x80]) : QString(QChar(byte));
        const std::string ansi(1, static_cast<char>(byte));
        EXPECT_EQ(AnsiCharToUnicode(static_cast<unsigned char>(byte)), expected[0].unicode());
        EXPECT_EQ(UnicodeToAnsiChar(expected[0].unicode()), byte);
        EXPECT_EQ(AnsiToUtf8(ansi), expected.toStdString());
        EXPECT_EQ(Utf8ToAnsi(expected.toStdString()), ansi);
        EXPECT_EQ(AnsiToQString(ansi), expected);
        EXPECT_EQ(QStringToAnsi(expected), ansi);
    }
    // U+0080 is not 0x80: that byte is the euro sign.
    for (const char32_t codePoint : {U'\u0080', U'\u009E', U'\u0100', U'日', U'😀'})
        EXPECT_EQ(UnicodeToAnsiChar(codePoint), -1) << static_cast<int>(codePoint);
}

TEST(AnsiTextConversion, Utf8ToAnsiReplacesUnmappableAndKeepsMalformedBytes)
{
    // Windows-1252 mixed with UTF-8 keeps its bytes.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""}, {"arroz 日本 5kg", "arroz ?? 5kg"}, {"😀", "?"}, {"ação", "a\xE7\xE3o"},
        {"p\xE3o \xC3\xA9", "p\xE3o \xE9"},
    };
    for (const auto& [utf8, expected] : cases)
        EXPECT_EQ(Utf8ToAnsi(utf8), expected) << utf8;
    // Truncated at the end, continuation missing, truncated three-byte
    // sequence, overlong '/' in two and three bytes, overlong euro sign,
    // surrogate, beyond U+10FFFF, U+110000, stray continuation byte.
    for (const std::string_view bytes :
         {"\xC3"sv, "\xC3("sv, "\xC0\xAF"sv, "\xED\xA0\x80"sv, "\xF5\x80\x80\x80"sv, "\x80"sv,
          "\xE2\x82"sv, "\xE0\x80\xAF"sv, "\xF0\x82\x82\xAC"sv, "\xF4\x90\x80\x80"sv})
        EXPECT_EQ(Utf8ToAnsi(bytes), bytes) << "kept byte for byte";
    // From a QString: one question mark per character, a lone surrogate too.
    const std::pair<QString, std::string_view> fromQt[] = {{QStringLiteral("a😀b"), "a?b"},
                                                           {QString(QChar(0xD800)) + u'x', "?x"},
                                                           {QStringLiteral("Seção €"), "Se\xE7\xE3o \x80"}};
    for (const auto& [text, expected] : fromQt)
        EXPECT_EQ(QStringToAnsi(text), expected) << text.toStdString();
}

TEST(AnsiTextCase, UpperCaseOfEveryByteAndSameTextIgnoresCaseOnly)
{
    // Every letter the code page has in both cases; ß, µ, ª, º and ÷ have no
    // capital here, and every other byte stays as it is.
    const std::string lower = Ansi("abcdefghijklmnopqrstuvwxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿšœž");
    const std::string upper = Ansi("ABCDEFGHIJKLMNOPQRSTUVWXYZÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŸŠŒŽ");
    ASSERT_EQ(lower.size(), upper.size());
    std::string all;
    for (int value = 0; value < 256; ++value)
        all += static_cast<char>(value);
    std::string expected = all;
    for (std::size_t i = 0; i < lower.size(); ++i)
        expected[static_cast<unsigned char>(lower[i])] = upper[i];
    EXPECT_EQ(AnsiUpperCase(all), expected);

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
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (std::size_t j = i + 1; j < expected.size(); ++j) {
            SCOPED_TRACE(expected[i] + " / " + expected[j]);
            EXPECT_LT(compare(expected[i], expected[j]), 0);
            EXPECT_GT(compare(expected[j], expected[i]), 0);
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
    // It adds the case, after the accent; text outside the code page sorts
    // among the symbols.
    ExpectTotalOrder({"-",    "€",       "日",      "1",    "a",    "A",    "á",    "Á",
                      "à",    "abacaxi", "Abacaxi", "água", "Água", "ÁGUA", "coco", "Coco",
                      "côco", "Côco",    "ss",      "SS",   "ß",    "st"},
                     CollateUtf8);
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
    // A malformed byte read as Windows-1252 still differs from the real
    // character; texts equal but for case and accents order by them.
    const std::tuple<std::string_view, std::string_view, int> collated[] = {
        {"\xE7", "ç", 1},     {"ą", "a", -1},       {"Água", "Água", 0},
        {"ação", "AÇÃO", -1}, {"ação", "Ação", -1}, {"Ação", "açao", 1},
    };
    for (const auto& [a, b, expected] : collated) {
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

void ExpectInt32(std::string_view text, std::optional<std::int32_t> expected)
{
    SCOPED_TRACE(std::string(text));
    EXPECT_EQ(TryStrToInt(text), expected);
    EXPECT_EQ(StrToIntDef(text, -777), expected.value_or(-777));
    if (expected)
        EXPECT_EQ(StrToInt(text), *expected);
    else
        EXPECT_THROW(StrToInt(text), EConvertError);
}

TEST(ConversionsInt, StrToIntFamilyAgrees)
{
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::pair<std::string_view, std::int32_t> valid[] = {
        {"0", 0},     {"42", 42},    {"007", 7},    {"+5", 5},     {"-5", -5},   {"-0", 0},
        {"  12", 12}, {"\t 12", 12}, {" -12", -12}, {"$1A", 26},   {"$ff", 255}, {"x10", 16},
        {"X10", 16},  {"0x10", 16},  {"0X10", 16},  {"-$10", -16}, {"+0xA", 10}, {"-$1", -1},
    };
    const std::pair<std::string_view, std::int32_t> limits[] = {
        {"2147483647", max}, {"-2147483648", min}, {"000000000002147483647", max}, {"$7FFFFFFF", max},
        {"$80000000", min},  {"$FFFFFFFF", -1},    {"$000000001", 1}};
    using TRows = std::span<const std::pair<std::string_view, std::int32_t>>;
    for (const TRows table : {TRows(valid), TRows(limits)})
        for (const auto& [text, expected] : table)
            ExpectInt32(text, expected);
    // Only blanks and tabs may lead; nothing may trail.
    for (const std::string_view text :
         {"",           " ",           "-",           "+",          "$",
          "0x",         "12 ",         "12\t",        "1 2",        "- 1",
          "+-1",        "--1",         "1.0",         "1,5",        "12a",
          "$G",         "0x-1",        "$ 1",         "\n12",       "\xA0\x31\x32",
          "2147483648", "-2147483649", "99999999999", "$100000000", "$FFFFFFFFF"})
        ExpectInt32(text, std::nullopt);
}

// The 64-bit family has the 32-bit one's syntax; only its limits differ.
TEST(ConversionsInt, TheWideFamilyTakesSixtyFourBits)
{
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::pair<std::string_view, std::optional<std::int64_t>> cases[] = {
        {"2147483648", 2147483648LL},  {"$FFFFFFFF", 4294967295LL},
        {"-9223372036854775808", min}, {"$7FFFFFFFFFFFFFFF", max},
        {"$FFFFFFFFFFFFFFFF", -1},     {"9223372036854775808", {}},
        {"$10000000000000000", {}},    {"1 ", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TryStrToInt64(text), expected) << text;
    EXPECT_EQ(StrToInt64("9223372036854775807"), max);
    const auto message = testing::ThrowsMessage<EConvertError>(
        testing::StrEq("'preço' is not a valid integer value"));
    EXPECT_THAT([] { (void)StrToInt("pre\xE7o"); }, message); // the message in UTF-8
    EXPECT_THAT([] { (void)StrToInt64("pre\xE7o"); }, message);
}

TEST(ConversionsTrim, RemovesControlBytesAndBlanksAtTheEnds)
{
    // Bytes from 0x80 up are text in Windows-1252, a no-break space too.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},       {"   ", ""},           {"  a b  ", "a b"},          {"\t\r\na\x01\x1F", "a"},
        {"\0a\0"sv, "a"}, {"\xA0x\xA0", "\xA0x\xA0"}, {" \xE7\x7F ", "\xE7\x7F"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(Trim(text), trimmed) << text;
    EXPECT_EQ(TrimLeft(" \ta\r\n"), "a\r\n");
    EXPECT_EQ(TrimRight(" \ta\r\n"), " \ta");
}

} // namespace
} // namespace zev
