#pragma once

// Day numbers and their texts. A day number counts days since 30 December
// 1899 as a double, the fraction being the time of day: 1 January 1900 is 2,
// 1 January 2000 is 36526.

#include "platform/FormatSettings.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace zev {

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
