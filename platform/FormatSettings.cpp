#include "platform/FormatSettings.h"

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

} // namespace zev
