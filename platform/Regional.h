#pragma once

// Regional formats (numbers and dates) and day numbers. This module alone
// decides separators and the short date format; label rendering, the
// settings file and the import all ask it.
//
// Day numbers count days since 30 December 1899 as a double, the fraction
// being the time of day: 1 January 1900 is 2, 1 January 2000 is 36526.

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QLocale;

namespace zev {

struct TFormatSettings
{
    char decimalSeparator = ',';
    char dateSeparator = '/';
    // Tokens d, dd, m, mm, yy, yyyy (either case); "/" stands for
    // dateSeparator; anything else is copied as it stands.
    std::string shortDateFormat = "dd/mm/yyyy";
    // The time with seconds, in Qt's notation (HH, mm, ss, AP): the clock.
    std::string longTimeFormat = "HH:mm:ss";
};

// Brazilian Portuguese: "," and dd/mm/yyyy.
TFormatSettings BrazilianFormatSettings();
// Read from the system locale as Qt sees it; a system whose language is the
// C locale (no regional settings at all) reads as Brazilian.
TFormatSettings SystemFormatSettings();
// The same for any locale: Qt's short date format in our tokens.
TFormatSettings LocaleFormatSettings(const QLocale& locale);
// The settings in force for this process: the system's, unless start-up or a
// test has set others. Only the user-interface thread uses them.
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);

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

// General form: 15 significant digits, no trailing zeros (3.5 gives "3,5",
// 2 gives "2"); exponent form "1E20" / "1E-5" outside the plain range.
std::string FloatToStr(double value, const TFormatSettings& settings = FormatSettings());

// Date formatting with the tokens of TFormatSettings::shortDateFormat.
std::string FormatDate(std::string_view format, double day,
                       const TFormatSettings& settings = FormatSettings());
std::string DateToStr(double day, const TFormatSettings& settings = FormatSettings());
// Parses day, month and year in the order of the short date format, split by
// the date separator: one- or two-digit day and month, two- or four-digit
// year (two digits: the year within 50 years of this one). Blanks around the
// text are allowed; anything else, or a day that does not exist, fails.
// The short date format in Qt's notation, for date pickers.
QString QtDateFormat(const TFormatSettings& settings = FormatSettings());
// Short date, a blank and the time with seconds: "06/12/2026 22:41:07".
QString DateTimeToStr(const QDateTime& moment, const TFormatSettings& settings = FormatSettings());

std::optional<double> TryStrToDate(std::string_view text,
                                   const TFormatSettings& settings = FormatSettings());

std::optional<double> TryEncodeDate(int year, int month, int day);
double EncodeDate(int year, int month, int day); // throws EConvertError
void DecodeDate(double day, int& year, int& month, int& dayOfMonth);
double QDateToDayNumber(const QDate& date);
QDate DayNumberToQDate(double day); // the date part; the time of day is dropped
double Today();                     // today's day number, without time

} // namespace zev
