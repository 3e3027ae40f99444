#include "platform/Conversions.h"

#include "platform/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace zev {
namespace {

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

struct TInt32Case
{
    std::string_view text;
    std::int32_t expected;
};

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
    const TInt32Case valid[] = {
        {"0", 0},     {"42", 42},    {"007", 7},    {"+5", 5},   {"-5", -5},   {"-0", 0},
        {"  12", 12}, {"\t 12", 12}, {" -12", -12}, {"$1A", 26}, {"$ff", 255}, {"x10", 16},
    };
    const TInt32Case hex[] = {
        {"X10", 16},  {"0x10", 16},      {"0X10", 16},      {"-$10", -16},
        {"+0xA", 10}, {"$FFFFFFFF", -1}, {"$000000001", 1}, {"-$1", -1},
    };
    const TInt32Case limits[] = {
        {"2147483647", kMax32}, {"-2147483648", kMin32}, {"000000000002147483647", kMax32},
        {"$7FFFFFFF", kMax32},  {"$80000000", kMin32},
    };
    // Only blanks and tabs may lead; nothing may trail.
    const std::string_view invalid[] = {
        "",           " ",           "-",           "+",          "$",
        "0x",         "12 ",         "12\t",        "1 2",        "- 1",
        "+-1",        "--1",         "1.0",         "1,5",        "12a",
        "$G",         "0x-1",        "$ 1",         "\n12",       "\xA0\x31\x32",
        "2147483648", "-2147483649", "99999999999", "$100000000", "$FFFFFFFFF",
    };
    for (const TInt32Case& c : valid)
        ExpectInt32(c.text, c.expected);
    for (const TInt32Case& c : hex)
        ExpectInt32(c.text, c.expected);
    for (const TInt32Case& c : limits)
        ExpectInt32(c.text, c.expected);
    for (const std::string_view text : invalid)
        ExpectInt32(text, std::nullopt);
}

TEST(ConversionsInt, TryStrToInt64)
{
    const struct
    {
        std::string_view text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"0", 0},
        {" -42", -42},
        {"2147483648", 2147483648LL},
        {"-2147483649", -2147483649LL},
        {"$FFFFFFFF", 4294967295LL},
        {"9223372036854775807", kMax64},
        {"-9223372036854775808", kMin64},
        {"$7FFFFFFFFFFFFFFF", kMax64},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"0x8000000000000000", kMin64},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"$10000000000000000", std::nullopt},
        {"1 ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(TryStrToInt64(c.text), c.expected);
        if (c.expected)
            EXPECT_EQ(StrToInt64(c.text), *c.expected);
        else
            EXPECT_THROW(StrToInt64(c.text), EConvertError);
    }
}

TEST(ConversionsInt, ErrorMessageQuotesTheTextInUtf8)
{
    const struct
    {
        std::string_view text;
        std::string_view message;
    } cases[] = {
        {"", "'' is not a valid integer value"},
        {"12 ", "'12 ' is not a valid integer value"},
        {"pre\xE7o", "'preço' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.message));
        for (const bool wide : {false, true}) {
            try {
                wide ? (void)StrToInt64(c.text) : (void)StrToInt(c.text);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& error) {
                EXPECT_EQ(std::string_view(error.what()), c.message);
            }
        }
    }
}

TEST(ConversionsTrim, RemovesControlBytesAndBlanksAtTheEnds)
{
    using namespace std::string_view_literals;
    const struct
    {
        std::string_view text, trimmed, left, right;
    } cases[] = {
        {"", "", "", ""},
        {"   ", "", "", ""},
        {"abc", "abc", "abc", "abc"},
        {"  a b  ", "a b", "a b  ", "  a b"},
        {"\t\r\na\r\n", "a", "a\r\n", "\t\r\na"},
        {"\x01\x1F"
         "a\x20",
         "a", "a ",
         "\x01\x1F"
         "a"},
        {"\0a\0"sv, "a", "a\0"sv, "\0a"sv},
        // Bytes from 0x80 up are text in Windows-1252, a no-break space too.
        {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},
        {" \xE7 ", "\xE7", "\xE7 ", " \xE7"},
        {"\x7F", "\x7F", "\x7F", "\x7F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(Trim(c.text), c.trimmed);
        EXPECT_EQ(TrimLeft(c.text), c.left);
        EXPECT_EQ(TrimRight(c.text), c.right);
    }
}

} // namespace
} // namespace zev
