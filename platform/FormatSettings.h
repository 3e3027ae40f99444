#pragma once

// The regional settings in force: separators and the short date format.
// This unit alone decides them; everything that formats asks it.

#include <string>

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

} // namespace zev
