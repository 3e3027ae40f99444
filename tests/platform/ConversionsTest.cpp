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
    std::optional<std::int32_t> expected;
};

const TInt32Case kInt32Cases[] = {
    {"0", 0},
    {"42", 42},
    {"007", 7},
    {"+5", 5},
    {"-5", -5},
    {"-0", 0},
    {"  12", 12},
    {"\t 12", 12},
    {" -12", -12},
    {"2147483647", kMax32},
    {"-2147483648", kMin32},
    {"000000000002147483647", kMax32},
    {"$1A", 26},
    {"$ff", 255},
    {"x10", 16},
    {"X10", 16},
    {"0x10", 16},
    {"0X10", 16},
    {"-$10", -16},
    {"+0xA", 10},
    {"$7FFFFFFF", kMax32},
    {"$FFFFFFFF", -1},
    {"$80000000", kMin32},
    {"$000000001", 1},
    {"-$1", -1},
    // Failures.
    {"", std::nullopt},
    {" ", std::nullopt},
    {"-", std::nullopt},
    {"+", std::nullopt},
    {"$", std::nullopt},
    {"0x", std::nullopt},
    {"12 ", std::nullopt},
    {"12\t", std::nullopt},
    {"1 2", std::nullopt},
    {"- 1", std::nullopt},
    {"+-1", std::nullopt},
    {"--1", std::nullopt},
    {"1.0", std::nullopt},
    {"1,5", std::nullopt},
    {"12a", std::nullopt},
    {"$G", std::nullopt},
    {"0x-1", std::nullopt},
    {"$ 1", std::nullopt},
    {"\n12", std::nullopt}, // only blanks and tabs lead
    {"\xA0"
     "12",
     std::nullopt},
    {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt},
    {"99999999999", std::nullopt},
    {"$100000000", std::nullopt},
    {"$FFFFFFFFF", std::nullopt},
};

TEST(ConversionsInt, TryStrToInt)
{
    for (const TInt32Case& c : kInt32Cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(TryStrToInt(c.text), c.expected);
    }
}

TEST(ConversionsInt, StrToIntDefAndStrToIntAgreeWithTryStrToInt)
{
    for (const TInt32Case& c : kInt32Cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(StrToIntDef(c.text, -777), c.expected.value_or(-777));
        if (c.expected) {
            EXPECT_EQ(StrToInt(c.text), *c.expected);
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError);
        }
    }
}

TEST(ConversionsInt, TryStrToInt64)
{
    struct TCase
    {
        std::string_view text;
        std::optional<std::int64_t> expected;
    };
    const TCase cases[] = {
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
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(TryStrToInt64(c.text), c.expected);
        if (c.expected) {
            EXPECT_EQ(StrToInt64(c.text), *c.expected);
        } else {
            EXPECT_THROW(StrToInt64(c.text), EConvertError);
        }
    }
}

TEST(ConversionsInt, ErrorMessageQuotesTheTextInUtf8)
{
    struct TCase
    {
        std::string_view text;
        std::string_view message;
    };
    const TCase cases[] = {
        {"", "'' is not a valid integer value"},
        {"12 ", "'12 ' is not a valid integer value"},
        {"pre\xE7o", "'preço' is not a valid integer value"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.message));
        for (const bool wide : {false, true}) {
            try {
                if (wide)
                    StrToInt64(c.text);
                else
                    StrToInt(c.text);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& error) {
                EXPECT_EQ(std::string_view(error.what()), c.message);
            }
        }
    }
}

TEST(ConversionsTrim, RemovesControlBytesAndBlanksAtTheEnds)
{
    struct TCase
    {
        std::string_view text;
        std::string_view trimmed;
        std::string_view left;
        std::string_view right;
    };
    using namespace std::string_view_literals;
    const TCase cases[] = {
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
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(Trim(c.text), c.trimmed);
        EXPECT_EQ(TrimLeft(c.text), c.left);
        EXPECT_EQ(TrimRight(c.text), c.right);
    }
}

} // namespace
} // namespace zev
