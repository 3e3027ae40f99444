#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace zev {
namespace {

using namespace std::string_view_literals;

TEST(AnsiTextConversion, BytesMapToTheirCharactersAndBack)
{
    // Latin-1 but for this block; its five unused bytes stand for themselves.
    const QString block =
        QString::fromUtf8("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const QString expected =
            byte >= 0x80 && byte < 0xA0 ? QString(block[byte - 0x80]) : QString(QChar(byte));
        const std::string ansi(1, static_cast<char>(byte));
        EXPECT_EQ(AnsiToUtf8(ansi), expected.toStdString());
        EXPECT_EQ(Utf8ToAnsi(expected.toStdString()), ansi);
        EXPECT_EQ(AnsiToQString(ansi), expected);
        EXPECT_EQ(QStringToAnsi(expected), ansi);
    }
}

TEST(AnsiTextConversion, Utf8ToAnsiReplacesUnmappableAndKeepsMalformedBytes)
{
    // Windows-1252 mixed with UTF-8 keeps its bytes.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"arroz 日本 5kg", "arroz ?? 5kg"},
        {"😀", "?"},
        {"p\xE3o \xC3\xA9", "p\xE3o \xE9"},
        {"\u0080\u009E\u0100", "???"}}; // 0x80 is the euro sign
    for (const auto& [utf8, expected] : cases)
        EXPECT_EQ(Utf8ToAnsi(utf8), expected) << utf8;
    // Truncated, overlong, surrogate, beyond U+10FFFF, stray continuation.
    for (const std::string_view bytes :
         {"\xC3("sv, "\xC0\xAF"sv, "\xED\xA0\x80"sv, "\xF4\x90\x80\x80"sv, "\x80"sv})
        EXPECT_EQ(Utf8ToAnsi(bytes), bytes) << "kept byte for byte";
    // From a QString: one question mark per character, a lone surrogate too.
    const std::pair<QString, std::string_view> fromQt[] = {{QStringLiteral("a😀b"), "a?b"},
                                                           {QString(QChar(0xD800)) + u'x', "?x"}};
    for (const auto& [text, expected] : fromQt)
        EXPECT_EQ(QStringToAnsi(text), expected) << text.toStdString();
}

TEST(AnsiTextCase, UpperCaseOfEveryByteAndSameTextIgnoresCaseOnly)
{
    // Only letters with both cases in the code page change.
    const std::string lower =
        Utf8ToAnsi("abcdefghijklmnopqrstuvwxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿšœž");
    const std::string upper =
        Utf8ToAnsi("ABCDEFGHIJKLMNOPQRSTUVWXYZÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŸŠŒŽ");
    std::string all;
    for (int value = 0; value < 256; ++value)
        all += static_cast<char>(value);
    std::string expected = all;
    for (std::size_t i = 0; i < lower.size(); ++i)
        expected[static_cast<unsigned char>(lower[i])] = upper[i];
    EXPECT_EQ(AnsiUpperCase(all), expected);

    const std::tuple<std::string_view, std::string_view, bool> cases[] = {
        {"Seção", "SEÇÃO", true}, {"acao", "ação", false}, {"abc", "abcd", false}};
    for (const auto& [a, b, same] : cases) {
        EXPECT_EQ(AnsiSameText(Utf8ToAnsi(a), Utf8ToAnsi(b)), same) << a << " / " << b;
        EXPECT_EQ(AnsiSameText(Utf8ToAnsi(b), Utf8ToAnsi(a)), same) << a << " / " << b;
    }
}

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

// Accents weigh less than letters; expansions (æ, œ, ß, þ) and foreign letters follow their base.
TEST(AnsiTextCompare, SortsDescriptionsInPortugueseOrder)
{
    const std::vector<std::string> expected = {
        "",   "-",        "€", "1",  "10",   "2",       "A",      "á",    "ab",   "áb",
        "ac", "ae",       "æ", "af", "Água", "arroz 1", "arroz1", "cocô", "côco", "coração",
        "ƒ",  "FEIJÃO 2", "n", "ñ",  "o",    "oe",      "œ",      "of",   "ss",   "ß",
        "st", "th",       "þ", "ti", "y",    "Ÿ",       "z",
    };
    std::vector<std::string> ansi;
    for (const std::string& text : expected)
        ansi.push_back(Utf8ToAnsi(text));
    ExpectTotalOrder(
        ansi, [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b); });
    EXPECT_EQ(AnsiCompareText(Utf8ToAnsi("ação"), Utf8ToAnsi("AÇÃO")), 0);
    // The database collation refines the same order.
    ExpectTotalOrder(expected, CollateUtf8);
    // Case comes after the accent; text outside the code page is a symbol.
    ExpectTotalOrder({"-", "€", "日", "1", "a", "A", "á", "Á", "à", "coco", "Coco", "côco", "ss",
                      "SS", "ß", "st"},
                     CollateUtf8);
    // A malformed byte read as Windows-1252 still differs from the real one.
    EXPECT_GT(CollateUtf8("\xE7", "ç"), 0);
    EXPECT_LT(CollateUtf8("ą", "a"), 0);
    // Texts equal at the first level are equal only when identical.
    const std::vector<std::string> texts = {"acao", "ação", "AÇÃO", "Acao", "açao", "acão"};
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t j = 0; j < texts.size(); ++j)
            EXPECT_EQ(CollateUtf8(texts[i], texts[j]) == 0, i == j) << texts[i] << texts[j];
}

TEST(AnsiTextWrap, BreaksAsTheLabelsExpect)
{
    const std::tuple<std::string_view, int, std::string_view> cases[] = {
        {"ARROZ TIPO 1 LONGO 5KG", 20, "ARROZ TIPO 1 LONGO \r\n5KG"},
        {"ARROZ TIPO 1 LONGO 5KG", 0, "ARROZ \r\nTIPO \r\n1 \r\nLONGO \r\n5KG"},
        // A hyphen breaks too and stays at the end of its line.
        {"LEITE-CONDENSADO", 6, "LEITE-\r\nCONDENSADO"},
        // A word longer than the line is never split.
        {"AB ABCDEFGH CD", 5, "AB \r\nABCDEFGH \r\nCD"},
        // No break when at most one character is left to read.
        {"AB C", 0, "AB C"},
        // Quotes: no break inside; an unclosed quote holds to the end.
        {"X 'A B", 1, "X \r\n'A B"},
        {"SUCO 'UVA' 1L", 6, "SUCO \r\n'UVA' \r\n1L"},             // the break waits for the close
        {"\"TAM 'P\" COR AZUL", 0, "\"TAM 'P\" \r\nCOR \r\nAZUL"}, // the other quote is text
        // An existing CR LF is kept and restarts the column.
        {"ABCD\r\nE F GHIJ", 6, "ABCD\r\nE F \r\nGHIJ"},
        // Blanks after a break are skipped for the break but kept in the text.
        {"A  BC", 0, "A \r\n BC"},
    };
    for (const auto& [line, maxCol, expected] : cases)
        EXPECT_EQ(WrapText(line, maxCol), expected) << line << " @ " << maxCol;
}

void ExpectInt32(std::string_view text, std::optional<std::int32_t> expected)
{
    SCOPED_TRACE(std::string(text));
    EXPECT_EQ(TryStrToInt(text), expected);
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
        {"\t 12", 12},        {"$ff", 255},
        {"x10", 16},          {"0X10", 16},
        {"-$10", -16},        {"2147483647", max},
        {"-2147483648", min}, {"$80000000", min},
        {"$FFFFFFFF", -1},    {"000000000002147483647", max},
    };
    for (const auto& [text, expected] : valid)
        ExpectInt32(text, expected);
    // Only blanks and tabs may lead; nothing may trail.
    for (const std::string_view text : {"", " ", "-", "$", "0x", "12 ", "1 2", "--1", "1,5", "$G",
                                        "0x-1", "\n12", "2147483648", "-2147483649", "$100000000"})
        ExpectInt32(text, std::nullopt);
}

// The 64-bit family has the 32-bit one's syntax; only its limits differ.
TEST(ConversionsInt, TheWideFamilyTakesSixtyFourBits)
{
    const std::pair<std::string_view, std::optional<std::int64_t>> cases[] = {
        {"$FFFFFFFF", 4294967295LL},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TryStrToInt64(text), expected) << text;
    EXPECT_THAT([] { (void)StrToInt("pre\xE7o"); }, // the message in UTF-8
                testing::ThrowsMessage<EConvertError>(
                    testing::StrEq("'preço' is not a valid integer value")));
}

TEST(ConversionsTrim, RemovesControlBytesAndBlanksAtTheEnds)
{
    // Bytes from 0x80 up are text in Windows-1252, a no-break space too.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"   ", ""},      {"  a b  ", "a b"},         {"\t\r\na\x01\x1F", "a"},
        {"\0a\0"sv, "a"}, {"\xA0x\xA0", "\xA0x\xA0"}, {" \xE7\x7F ", "\xE7\x7F"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(Trim(text), trimmed) << text;
}

} // namespace
} // namespace zev
