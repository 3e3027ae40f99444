#include "platform/DayNumbers.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"
#include "platform/NumberText.h"

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

// ------------------------------------------------------------------- dates

// Julian day of 30 December 1899, day number 0.
constexpr std::int64_t kJulianDayOfDayZero = 2415019;
// Day numbers cover the years 1 to 9999, as four-digit years can show.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

bool InYearRange(const QDate& date)
{
    return date.isValid() && date.year() >= kFirstYear && date.year() <= kLastYear;
}

std::size_t RunLength(std::string_view text, const std::size_t pos, const char lowerLetter)
{
    std::size_t end = pos;
    while (end < text.size() && AsciiLower(text[end]) == lowerLetter) {
        ++end;
    }
    return end - pos;
}

// Appends the text of the token at `pos` and returns its length, or 0 when
// no token starts there.
std::size_t AppendDateToken(std::string_view format, const std::size_t pos, const QDate& date,
                            std::string& text)
{
    const char letter = AsciiLower(format[pos]);
    const std::size_t run = RunLength(format, pos, letter);
    if (letter == 'd' || letter == 'm') {
        const int value = letter == 'd' ? date.day() : date.month();
        const bool twoDigits = run >= 2;
        text += IntegerText(value, twoDigits ? 2 : 1);
        return twoDigits ? 2 : 1;
    }
    if (letter == 'y' && run >= 4) {
        text += IntegerText(date.year(), 4);
        return 4;
    }
    if (letter == 'y' && run >= 2) {
        text += IntegerText(date.year() % 100, 2);
        return 2;
    }
    return 0;
}

enum class EDateField
{
    Day,
    Month,
    Year
};

// The order of day, month and year in the short date format; where a field
// is missing the Brazilian order is the best guess.
std::array<EDateField, 3> FieldOrder(std::string_view format)
{
    struct TFieldPosition
    {
        EDateField field;
        std::size_t pos;
    };
    std::array<TFieldPosition, 3> fields{{{EDateField::Day, std::string_view::npos},
                                          {EDateField::Month, std::string_view::npos},
                                          {EDateField::Year, std::string_view::npos}}};
    const std::array<char, 3> letters{'d', 'm', 'y'};
    for (std::size_t i = 0; i < format.size(); ++i) {
        for (std::size_t f = 0; f < letters.size(); ++f) {
            if (AsciiLower(format[i]) == letters[f] && fields[f].pos == std::string_view::npos) {
                fields[f].pos = i;
            }
        }
    }
    for (const TFieldPosition& field : fields) {
        if (field.pos == std::string_view::npos) {
            return {EDateField::Day, EDateField::Month, EDateField::Year};
        }
    }
    std::sort(fields.begin(), fields.end(),
              [](const TFieldPosition& a, const TFieldPosition& b) { return a.pos < b.pos; });
    return {fields[0].field, fields[1].field, fields[2].field};
}

std::vector<std::string_view> SplitBy(std::string_view text, const char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::optional<int> DigitsValue(std::string_view text, const std::size_t minLength,
                               const std::size_t maxLength)
{
    if (text.size() < minLength || text.size() > maxLength) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (!IsAsciiDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// A two-digit year falls in the hundred years from 50 before this one to 49
// after it: labels show recent production dates and near expiry dates.
int WindowedYear(const int twoDigitYear, const int currentYear)
{
    const int windowStart = currentYear - 50;
    const int offset = ((twoDigitYear - windowStart) % 100 + 100) % 100;
    return windowStart + offset;
}

std::optional<int> ParsedYear(std::string_view text)
{
    if (text.size() == 2) {
        const std::optional<int> twoDigits = DigitsValue(text, 2, 2);
        if (!twoDigits) {
            return std::nullopt;
        }
        return WindowedYear(*twoDigits, QDate::currentDate().year());
    }
    return DigitsValue(text, 4, 4);
}

} // namespace

QString QtDateFormat(const TFormatSettings& settings)
{
    QString format;
    for (const char c : settings.shortDateFormat) {
        const char lower = AsciiLower(c);
        if (lower == 'd' || lower == 'y')
            format += QChar::fromLatin1(lower);
        else if (lower == 'm')
            format += u'M';
        else if (c == '/')
            format += QChar::fromLatin1(settings.dateSeparator);
        else if (IsAsciiLetter(c))
            format += QStringLiteral("'") + QChar::fromLatin1(c) + u'\'';
        else
            format += QChar::fromLatin1(c);
    }
    return format;
}

QString DateTimeToStr(const QDateTime& moment, const TFormatSettings& settings)
{
    return AnsiToQString(DateToStr(QDateToDayNumber(moment.date()), settings)) + u' ' +
           moment.time().toString(QString::fromStdString(settings.longTimeFormat));
}

std::string FormatDate(std::string_view format, const double day, const TFormatSettings& settings)
{
    const QDate date = DayNumberToQDate(day);
    if (!date.isValid()) {
        throw EConvertError("Data inválida: " + FloatToStr(day, settings));
    }
    std::string text;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t tokenLength = AppendDateToken(format, pos, date, text);
        if (tokenLength > 0) {
            pos += tokenLength;
            continue;
        }
        text += format[pos] == '/' ? settings.dateSeparator : format[pos];
        ++pos;
    }
    return text;
}

std::string DateToStr(const double day, const TFormatSettings& settings)
{
    return FormatDate(settings.shortDateFormat, day, settings);
}

std::optional<double> TryStrToDate(std::string_view text, const TFormatSettings& settings)
{
    const std::vector<std::string_view> parts = SplitBy(TrimView(text), settings.dateSeparator);
    if (parts.size() != 3) {
        return std::nullopt;
    }
    const std::array<EDateField, 3> order = FieldOrder(settings.shortDateFormat);
    std::optional<int> year;
    std::optional<int> month;
    std::optional<int> day;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        switch (order[i]) {
        case EDateField::Day:
            day = DigitsValue(parts[i], 1, 2);
            break;
        case EDateField::Month:
            month = DigitsValue(parts[i], 1, 2);
            break;
        case EDateField::Year:
            year = ParsedYear(parts[i]);
            break;
        }
    }
    if (!year || !month || !day) {
        return std::nullopt;
    }
    return TryEncodeDate(*year, *month, *day);
}

std::optional<double> TryEncodeDate(const int year, const int month, const int day)
{
    if (year < kFirstYear || year > kLastYear || !QDate::isValid(year, month, day)) {
        return std::nullopt;
    }
    return QDateToDayNumber(QDate(year, month, day));
}

double EncodeDate(const int year, const int month, const int day)
{
    const std::optional<double> encoded = TryEncodeDate(year, month, day);
    if (!encoded) {
        throw EConvertError("Data inválida: dia " + IntegerText(day, 0) + ", mês " +
                            IntegerText(month, 0) + ", ano " + IntegerText(year, 0));
    }
    return *encoded;
}

void DecodeDate(const double day, int& year, int& month, int& dayOfMonth)
{
    const QDate date = DayNumberToQDate(day);
    year = date.isValid() ? date.year() : 0;
    month = date.isValid() ? date.month() : 0;
    dayOfMonth = date.isValid() ? date.day() : 0;
}

double QDateToDayNumber(const QDate& date)
{
    if (!InYearRange(date)) {
        throw EConvertError("Data fora do intervalo dos anos 1 a 9999");
    }
    return static_cast<double>(date.toJulianDay() - kJulianDayOfDayZero);
}

QDate DayNumberToQDate(const double day)
{
    // Checked before the conversion to an integer, which would be undefined
    // for NaN or a huge value.
    constexpr double kWidestJulianDay = 1e8;
    if (!std::isfinite(day) || std::fabs(day) > kWidestJulianDay) {
        return QDate();
    }
    const QDate date =
        QDate::fromJulianDay(static_cast<std::int64_t>(std::trunc(day)) + kJulianDayOfDayZero);
    return InYearRange(date) ? date : QDate();
}

double Today()
{
    return QDateToDayNumber(QDate::currentDate());
}

} // namespace zev
