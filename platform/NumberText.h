#pragma once

// Numbers as texts, with the regional decimal separator.

#include "platform/FormatSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zev {

// printf-style formatting of one number: "%4.2f", "%3.0f", "%6d", "%f"
// (two decimals), with optional "-" flag, width and precision, and literal
// text around the conversion ("%%" is a percent sign). The regional decimal
// separator, no thousands separator; exact halves round away from zero, as
// prices are rounded (1.125 gives "1,13"). Throws EConvertError for a format
// with no or an unknown conversion.
std::string FormatFloat(std::string_view format, double value,
                        const TFormatSettings& settings = FormatSettings());
std::string FormatInt(std::string_view format, std::int64_t value,
                      const TFormatSettings& settings = FormatSettings());

// Decimal digits, at least `minimumDigits` of them (zeros in front).
std::string IntegerText(std::int64_t value, int minimumDigits);

// General form: 15 significant digits, no trailing zeros (3.5 gives "3,5",
// 2 gives "2"); exponent form "1E20" / "1E-5" outside the plain range.
std::string FloatToStr(double value, const TFormatSettings& settings = FormatSettings());

} // namespace zev
