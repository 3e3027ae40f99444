#pragma once

// Text-to-integer conversion and trimming, byte for byte as the store's
// files need them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zev {

// The ASCII letters and digits, whatever the locale.
constexpr bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}
constexpr bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Leading blanks and one sign are allowed; hexadecimal after "$", "x", "X",
// "0x" or "0X" (up to the type's full width of bits, so "$FFFFFFFF" is -1).
// Anything else, trailing blanks included, or an overflow fails.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
std::optional<std::int64_t> TryStrToInt64(std::string_view text);
// Throw EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);
std::int64_t StrToInt64(std::string_view text);
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// Remove every byte up to 0x20 (blanks and control characters) at the ends.
// 0-15 for a hexadecimal digit of either case, -1 for any other character.
int HexDigitValue(char c);

std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

} // namespace zev
