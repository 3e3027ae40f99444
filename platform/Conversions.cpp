#include "platform/Conversions.h"

#include "platform/AnsiText.h"
#include "platform/Error.h"

#include <limits>
#include <type_traits>

namespace zev {

namespace {

bool IsLeadingBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// Removes the hexadecimal prefix, if there is one.
bool ConsumeHexPrefix(std::string_view& text)
{
    for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            return true;
        }
    }
    return false;
}

// Any bit pattern of the type's width is accepted, so "$FFFFFFFF" reads as
// -1 for 32 bits, as the store's files write it.
template <typename TInt> std::optional<TInt> ParseHex(std::string_view digits, bool negative)
{
    using TUnsigned = std::make_unsigned_t<TInt>;
    if (digits.empty())
        return std::nullopt;
    TUnsigned value = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || value > (std::numeric_limits<TUnsigned>::max() >> 4))
            return std::nullopt;
        value = static_cast<TUnsigned>((value << 4) | static_cast<TUnsigned>(digit));
    }
    if (negative)
        value = static_cast<TUnsigned>(TUnsigned{0} - value);
    return static_cast<TInt>(value);
}

// Accumulated as a negative number so that the minimum itself fits.
template <typename TInt> std::optional<TInt> ParseDecimal(std::string_view digits, bool negative)
{
    constexpr TInt kMin = std::numeric_limits<TInt>::min();
    if (digits.empty())
        return std::nullopt;
    TInt value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const TInt digit = c - '0';
        if (value < (kMin + digit) / 10)
            return std::nullopt;
        value = static_cast<TInt>(value * 10 - digit);
    }
    if (negative)
        return value;
    if (value == kMin)
        return std::nullopt;
    return static_cast<TInt>(-value);
}

template <typename TInt> std::optional<TInt> ParseInteger(std::string_view text)
{
    while (!text.empty() && IsLeadingBlank(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (ConsumeHexPrefix(text))
        return ParseHex<TInt>(text, negative);
    return ParseDecimal<TInt>(text, negative);
}

[[noreturn]] void ThrowNotAnInteger(std::string_view text)
{
    throw EConvertError("'" + AnsiToUtf8(text) + "' is not a valid integer value");
}

template <typename TInt> TInt IntegerOrThrow(std::string_view text)
{
    const std::optional<TInt> value = ParseInteger<TInt>(text);
    if (!value)
        ThrowNotAnInteger(text);
    return *value;
}

std::string_view WithoutLeading(std::string_view text)
{
    while (!text.empty() && IsTrimmed(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view WithoutTrailing(std::string_view text)
{
    while (!text.empty() && IsTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}


std::optional<std::int32_t> TryStrToInt(std::string_view text)
{
    return ParseInteger<std::int32_t>(text);
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text)
{
    return ParseInteger<std::int64_t>(text);
}

std::int32_t StrToInt(std::string_view text)
{
    return IntegerOrThrow<std::int32_t>(text);
}

std::int64_t StrToInt64(std::string_view text)
{
    return IntegerOrThrow<std::int64_t>(text);
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback)
{
    return TryStrToInt(text).value_or(fallback);
}

std::string_view TrimView(std::string_view text)
{
    return WithoutTrailing(WithoutLeading(text));
}

std::string Trim(std::string_view text)
{
    return std::string(TrimView(text));
}

std::string TrimLeft(std::string_view text)
{
    return std::string(WithoutLeading(text));
}

std::string TrimRight(std::string_view text)
{
    return std::string(WithoutTrailing(text));
}

} // namespace zev
