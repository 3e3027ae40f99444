#include "platform/Conversions.h"

#include "platform/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace zev {
namespace {

using testing::StrEq;
using testing::ThrowsMessage;

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

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
    const std::pair<std::string_view, std::int32_t> valid[] = {
        {"0", 0},     {"42", 42},    {"007", 7},    {"+5", 5},     {"-5", -5},   {"-0", 0},
        {"  12", 12}, {"\t 12", 12}, {" -12", -12}, {"$1A", 26},   {"$ff", 255}, {"x10", 16},
        {"X10", 16},  {"0x10", 16},  {"0X10", 16},  {"-$10", -16}, {"+0xA", 10}, {"-$1", -1},
    };
    const std::pair<std::string_view, std::int32_t> limits[] = {
        {"2147483647", kMax32}, {"-2147483648", kMin32}, {"000000000002147483647", kMax32},
        {"$7FFFFFFF", kMax32},  {"$80000000", kMin32},   {"$FFFFFFFF", -1},
        {"$000000001", 1},
    };
    // Only blanks and tabs may lead; nothing may trail.
    const std::string_view invalid[] = {
        "",           " ",           "-",           "+",          "$",
        "0x",         "12 ",         "12\t",        "1 2",        "- 1",
        "+-1",        "--1",         "1.0",         "1,5",        "12a",
        "$G",         "0x-1",        "$ 1",         "\n12",       "\xA0\x31\x32",
        "2147483648", "-2147483649", "99999999999", "$100000000", "$FFFFFFFFF",
    };
    for (const auto& [text, expected] : valid)
        ExpectInt32(text, expected);
    for (const auto& [text, expected] : limits)
        ExpectInt32(text, expected);
    for (const std::string_view text : invalid)
        ExpectInt32(text, std::nullopt);
}

// The 64-bit family has the 32-bit one's syntax; only its limits differ.
TEST(ConversionsInt, TheWideFamilyTakesSixtyFourBits)
{
    const std::pair<std::string_view, std::optional<std::int64_t>> cases[] = {
        {"2147483648", 2147483648LL},     {"$FFFFFFFF", 4294967295LL},
        {"-9223372036854775808", kMin64}, {"$7FFFFFFFFFFFFFFF", kMax64},
        {"$FFFFFFFFFFFFFFFF", -1},        {"9223372036854775808", {}},
        {"$10000000000000000", {}},       {"1 ", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TryStrToInt64(text), expected) << text;
    EXPECT_EQ(StrToInt64("9223372036854775807"), kMax64);
    const auto message =
        ThrowsMessage<EConvertError>(StrEq("'preço' is not a valid integer value"));
    EXPECT_THAT([] { (void)StrToInt("pre\xE7o"); }, message); // the message in UTF-8
    EXPECT_THAT([] { (void)StrToInt64("pre\xE7o"); }, message);
}

TEST(ConversionsTrim, RemovesControlBytesAndBlanksAtTheEnds)
{
    using namespace std::string_view_literals;
    // Bytes from 0x80 up are text in Windows-1252, a no-break space too.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"   ", ""},
        {"  a b  ", "a b"},
        {"\t\r\na\x01\x1F", "a"},
        {"\0a\0"sv, "a"},
        {"\xA0x\xA0", "\xA0x\xA0"},
        {" \xE7\x7F ", "\xE7\x7F"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(Trim(text), trimmed) << text;
    EXPECT_EQ(TrimLeft(" \ta\r\n"), "a\r\n");
    EXPECT_EQ(TrimRight(" \ta\r\n"), " \ta");
}

} // namespace
} // namespace zev
