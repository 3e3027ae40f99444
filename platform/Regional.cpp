#include "platform/Regional.h"

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

// ---------------------------------------------------------------- settings

bool IsAsciiLetter(const char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(const char c)
{
    return c >= '0' && c <= '9';
}

char AsciiLower(const char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Qt quotes literal text ('de', 'г'); it is no date field and is dropped,
// with anything outside Latin-1 (direction marks) and punctuation before the
// first field or after the last ("yyyy. MM. dd." ends with "dd").
std::string DateFieldsOnly(const QString& qtFormat)
{
    std::string result;
    bool quoted = false;
    for (const QChar c : qtFormat) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c.unicode() <= 0xFF) {
            result += static_cast<char>(c.unicode());
        }
    }
    const auto isLetter = [](const char c) { return IsAsciiLetter(c); };
    const auto first = std::find_if(result.begin(), result.end(), isLetter);
    const auto last = std::find_if(result.rbegin(), result.rend(), isLetter).base();
    return first < last ? std::string(first, last) : std::string();
}

std::optional<char> QtDateSeparator(std::string_view fields)
{
    for (const char c : fields) {
        if (c != ' ' && !IsAsciiLetter(c)) {
            return c;
        }
    }
    return std::nullopt;
}

std::size_t SameCharRun(std::string_view text, const std::size_t pos)
{
    std::size_t end = pos;
    while (end < text.size() && text[end] == text[pos]) {
        ++end;
    }
    return end - pos;
}

// Names of months or weekdays, eras and the like have no token of ours.
std::optional<std::string> TranslatedQtToken(const char letter, const std::size_t run)
{
    if ((letter == 'd' || letter == 'M') && run <= 2) {
        return std::string(run, letter == 'd' ? 'd' : 'm');
    }
    if (letter == 'y' && (run == 2 || run == 4)) {
        return std::string(run, 'y');
    }
    return std::nullopt;
}

// Only day, month and year, each once, between separators can be printed
// and read back.
bool IsThreeFieldFormat(std::string_view format)
{
    std::string letters;
    std::size_t start = 0;
    for (int field = 0; field < 3; ++field) {
        if (start > format.size()) {
            return false;
        }
        const std::size_t end = std::min(format.find('/', start), format.size());
        const std::string_view part = format.substr(start, end - start);
        if (part.empty() || SameCharRun(part, 0) != part.size()) {
            return false;
        }
        letters += part.front();
        start = end + 1;
    }
    std::sort(letters.begin(), letters.end());
    return start == format.size() + 1 && letters == "dmy";
}

// Qt's short date format as our format and separator, or nullopt when it
// holds something our tokens cannot express or read back.
std::optional<std::pair<std::string, char>> TranslatedQtDateFormat(const QString& qtFormat)
{
    const std::string fields = DateFieldsOnly(qtFormat);
    const std::optional<char> separator = QtDateSeparator(fields);
    if (!separator) {
        return std::nullopt;
    }
    std::string format;
    std::size_t pos = 0;
    while (pos < fields.size()) {
        const char c = fields[pos];
        if (IsAsciiLetter(c)) {
            const std::size_t run = SameCharRun(fields, pos);
            const std::optional<std::string> token = TranslatedQtToken(c, run);
            if (!token) {
                return std::nullopt;
            }
            format += *token;
            pos += run;
            continue;
        }
        // Blanks after a separator ("d. M. yyyy") would not read back.
        if (c == *separator) {
            format += '/';
        } else if (c != ' ') {
            return std::nullopt;
        }
        ++pos;
    }
    if (!IsThreeFieldFormat(format)) {
        return std::nullopt;
    }
    return std::make_pair(format, *separator);
}

// A clock shows local time; the zone name Qt's long format carries is noise.
QString TimeWithoutZone(const QString& qtFormat)
{
    QString format;
    bool quoted = false;
    for (const QChar c : qtFormat) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            format += c;
    }
    format = format.trimmed();
    return format.isEmpty() ? QStringLiteral("HH:mm:ss") : format;
}

char DecimalSeparatorOf(const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() <= 0xFF) {
        return static_cast<char>(point.at(0).unicode());
    }
    return '.';
}

TFormatSettings& CurrentSettings()
{
    static TFormatSettings current = SystemFormatSettings();
    return current;
}

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
    while (pos < format.size() && IsDigit(format[pos])) {
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
        if (!IsDigit(c)) {
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

TFormatSettings BrazilianFormatSettings()
{
    return TFormatSettings{',', '/', "dd/mm/yyyy", "HH:mm:ss"};
}

TFormatSettings SystemFormatSettings()
{
    // A machine without regional settings (the C/POSIX locale, usual on
    // servers and in scripts) gets the formats of the stores we serve.
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return BrazilianFormatSettings();
    return LocaleFormatSettings(system);
}

TFormatSettings LocaleFormatSettings(const QLocale& locale)
{
    TFormatSettings settings = BrazilianFormatSettings();
    settings.decimalSeparator = DecimalSeparatorOf(locale);
    const auto translated = TranslatedQtDateFormat(locale.dateFormat(QLocale::ShortFormat));
    if (translated) {
        settings.shortDateFormat = translated->first;
        settings.dateSeparator = translated->second;
    }
    settings.longTimeFormat = TimeWithoutZone(locale.timeFormat(QLocale::LongFormat)).toStdString();
    return settings;
}

const TFormatSettings& FormatSettings()
{
    return CurrentSettings();
}

void SetFormatSettings(const TFormatSettings& settings)
{
    CurrentSettings() = settings;
}

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
