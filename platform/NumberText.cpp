#include "platform/NumberText.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>
#include <vector>

namespace zev {

namespace {

// ----------------------------------------------------------- number texts

std::string Utf8Quoted(std::string_view ansi)
{
    return "\"" + AnsiToUtf8(ansi) + "\"";
}

[[noreturn]] void ThrowInvalidFormat(std::string_view format)
{
    throw EConvertError("Formato inválido: " + Utf8Quoted(format));
}

// Large enough for any double in fixed notation with 18 decimals.
using TNumberBuffer = std::array<char, 400>;

std::string FixedDigits(const double magnitude, const int precision)
{
    TNumberBuffer buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::fixed, precision);
    return std::string(buffer.data(), result.ptr);
}

std::string DecimalDigits(unsigned __int128 value)
{
    std::string reversed;
    do {
        reversed += static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    return std::string(reversed.rbegin(), reversed.rend());
}

unsigned __int128 PowerOfTen(const int exponent)
{
    unsigned __int128 result = 1;
    for (int i = 0; i < exponent; ++i) {
        result *= 10;
    }
    return result;
}

// std::to_chars rounds exact halves to even, like printf; prices round them
// away from zero. A double is mantissa / 2^shift, so whether it lies exactly
// half way at `precision` decimals can be decided in integers; the answer is
// the digits without a decimal point, or nullopt when it is no such tie.
std::optional<std::string> HalfAwayFromZeroDigits(const double magnitude, const int precision)
{
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int shift = 53 - exponent;
    // mantissa * 10^18 < 2^113, so beyond 127 bits the remainder can never
    // reach half of the divisor.
    if (shift <= 0 || shift > 127) {
        return std::nullopt;
    }
    const unsigned __int128 scaled = mantissa * PowerOfTen(precision);
    const unsigned __int128 one = 1;
    const unsigned __int128 remainder = scaled & ((one << shift) - 1);
    if (remainder != (one << (shift - 1))) {
        return std::nullopt;
    }
    std::string digits = DecimalDigits((scaled >> shift) + 1);
    if (digits.size() < static_cast<std::size_t>(precision) + 1) {
        digits.insert(0, precision + 1 - digits.size(), '0');
    }
    if (precision > 0) {
        digits.insert(digits.size() - precision, 1, '.');
    }
    return digits;
}

std::string WithSeparator(std::string text, const char decimalSeparator)
{
    for (char& c : text) {
        if (c == '.') {
            c = decimalSeparator;
        }
    }
    return text;
}

std::string NonFiniteText(const double value)
{
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

// Like printf, a negative value that rounds to zero keeps its sign ("-0,00").
std::string FixedText(const double value, const int precision, const char decimalSeparator)
{
    if (!std::isfinite(value)) {
        return NonFiniteText(value);
    }
    const double magnitude = std::fabs(value);
    const std::optional<std::string> tie = HalfAwayFromZeroDigits(magnitude, precision);
    const std::string digits = tie ? *tie : FixedDigits(magnitude, precision);
    return (std::signbit(value) ? "-" : "") + WithSeparator(digits, decimalSeparator);
}

std::string ZeroExtended(std::string digits, const int minimumDigits)
{
    if (digits.size() < static_cast<std::size_t>(minimumDigits)) {
        digits.insert(0, minimumDigits - digits.size(), '0');
    }
    return digits;
}


// A double's integer part may exceed int64, so its digits come from the
// double itself, which is exact for an integral value.
std::string TruncatedText(const double value, const int minimumDigits)
{
    if (!std::isfinite(value)) {
        return NonFiniteText(value);
    }
    const double truncated = std::trunc(value);
    const std::string digits = FixedDigits(std::fabs(truncated), 0);
    return (truncated < 0 ? "-" : "") + ZeroExtended(digits, minimumDigits);
}

// ------------------------------------------------------------ format text

constexpr int kMaxPrecision = 18;
// Labels are a few dozen characters wide; a larger width is a typing error.
constexpr int kMaxWidth = 1000;

struct TConversion
{
    std::string before;
    std::string after;
    bool leftAligned = false;
    int width = 0;
    std::optional<int> precision;
    char kind = 'f';
};

int ReadNumber(std::string_view format, std::size_t& pos, const int limit)
{
    int value = 0;
    while (pos < format.size() && IsAsciiDigit(format[pos])) {
        value = value * 10 + (format[pos] - '0');
        if (value > limit) {
            ThrowInvalidFormat(format);
        }
        ++pos;
    }
    return value;
}

// Reads the part after '%': [-][width][.precision](f|d).
void ReadConversionSpec(std::string_view format, std::size_t& pos, TConversion& conversion)
{
    if (pos < format.size() && format[pos] == '-') {
        conversion.leftAligned = true;
        ++pos;
    }
    conversion.width = ReadNumber(format, pos, kMaxWidth);
    if (pos < format.size() && format[pos] == '.') {
        ++pos;
        conversion.precision = ReadNumber(format, pos, kMaxPrecision);
    }
    if (pos >= format.size() || (format[pos] != 'f' && format[pos] != 'd')) {
        ThrowInvalidFormat(format);
    }
    conversion.kind = format[pos];
    ++pos;
}

TConversion ParseFormat(std::string_view format)
{
    TConversion conversion;
    bool found = false;
    std::size_t pos = 0;
    while (pos < format.size()) {
        std::string& literal = found ? conversion.after : conversion.before;
        if (format[pos] != '%') {
            literal += format[pos];
            ++pos;
        } else if (pos + 1 < format.size() && format[pos + 1] == '%') {
            literal += '%';
            pos += 2;
        } else if (found) {
            ThrowInvalidFormat(format);
        } else {
            ++pos;
            ReadConversionSpec(format, pos, conversion);
            found = true;
        }
    }
    if (!found) {
        ThrowInvalidFormat(format);
    }
    return conversion;
}

std::string Padded(std::string text, const TConversion& conversion)
{
    if (text.size() >= static_cast<std::size_t>(conversion.width)) {
        return text;
    }
    const std::string blanks(conversion.width - text.size(), ' ');
    return conversion.leftAligned ? text + blanks : blanks + text;
}

std::string Assembled(const TConversion& conversion, std::string number)
{
    return conversion.before + Padded(std::move(number), conversion) + conversion.after;
}

} // namespace

std::string FormatFloat(std::string_view format, const double value,
                        const TFormatSettings& settings)
{
    const TConversion conversion = ParseFormat(format);
    if (conversion.kind == 'd') {
        return Assembled(conversion, TruncatedText(value, conversion.precision.value_or(0)));
    }
    return Assembled(conversion,
                     FixedText(value, conversion.precision.value_or(2), settings.decimalSeparator));
}

std::string FormatInt(std::string_view format, const std::int64_t value,
                      const TFormatSettings& settings)
{
    const TConversion conversion = ParseFormat(format);
    if (conversion.kind == 'f') {
        return Assembled(conversion,
                         FixedText(static_cast<double>(value), conversion.precision.value_or(2),
                                   settings.decimalSeparator));
    }
    return Assembled(conversion, IntegerText(value, conversion.precision.value_or(0)));
}

std::string FloatToStr(const double value, const TFormatSettings& settings)
{
    if (!std::isfinite(value)) {
        return NonFiniteText(value);
    }
    // -0 as well: a minus sign on zero would only puzzle the operator.
    if (value == 0) {
        return "0";
    }
    std::array<char, 48> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 15);
    const std::string_view general(buffer.data(), result.ptr - buffer.data());

    // "1.5e+20" becomes "1,5E20", "1e-05" becomes "1E-5".
    const std::size_t e = general.find('e');
    std::string text = WithSeparator(std::string(general.substr(0, e)), settings.decimalSeparator);
    if (e != std::string_view::npos) {
        int exponent = 0;
        std::string_view exponentText = general.substr(e + 1);
        if (exponentText.front() == '+') {
            exponentText.remove_prefix(1);
        }
        std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
        text += "E" + IntegerText(exponent, 0);
    }
    return text;
}

std::string IntegerText(const std::int64_t value, const int minimumDigits)
{
    // Through uint64 so that INT64_MIN has a magnitude.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude);
    const std::string digits(buffer.data(), result.ptr);
    return (value < 0 ? "-" : "") + ZeroExtended(digits, minimumDigits);
}

} // namespace zev
