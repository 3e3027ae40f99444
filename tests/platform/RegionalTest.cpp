#include "platform/Regional.h"

#include "platform/Error.h"

#include <QDate>
#include <QLocale>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

namespace zev {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

const TFormatSettings kBrazilian = BrazilianFormatSettings();
// Every function must follow the settings it is given, not the Brazilian ones.
const TFormatSettings kAmerican{'.', '/', "m/d/yyyy"};

auto Fields(const TFormatSettings& s)
{
    return std::make_tuple(s.decimalSeparator, s.dateSeparator, s.shortDateFormat);
}

std::tuple<int, int, int> Decoded(double number)
{
    int year = -1, month = -1, day = -1;
    DecodeDate(number, year, month, day);
    return {year, month, day};
}

TEST(RegionalSettings, TheSettingsInForceAreWhatTheDefaultsUse)
{
    SetFormatSettings(kAmerican);
    const auto used = std::make_tuple(FormatFloat("%.2f", 1.5), DateToStr(EncodeDate(2026, 3, 5)),
                                      TryStrToDate("3/5/2026"));
    SetFormatSettings(kBrazilian);
    EXPECT_EQ(used, std::make_tuple("1.50", "3/5/2026", EncodeDate(2026, 3, 5)));
    EXPECT_EQ("1,50", FormatFloat("%.2f", 1.5));
}

TEST(RegionalSettings, LocalesTranslateTheirShortDatesOrFallBackToBrazilian)
{
    const std::pair<QLocale, TFormatSettings> cases[] = {
        {QLocale(u"pt_BR"), {',', '/', "dd/mm/yyyy"}},
        // "d MMM yyyy": a month name cannot be read back.
        {QLocale(QLocale::C), {'.', '/', "dd/mm/yyyy"}},
    };
    for (const auto& [locale, expected] : cases)
        EXPECT_EQ(Fields(expected), Fields(LocaleFormatSettings(locale)))
            << locale.name().toStdString();
    // The whole system's settings print and read back, whatever the machine's locale.
    const TFormatSettings system = SystemFormatSettings();
    const double day = EncodeDate(2026, 3, 5);
    EXPECT_EQ(day, TryStrToDate(DateToStr(day, system), system)) << system.shortDateFormat;
    EXPECT_NE(std::string::npos, FormatFloat("%.1f", 1.5, system).find(system.decimalSeparator));
}

TEST(RegionalSettings, DatePickersAndTheClockFollowTheSettings)
{
    const QDateTime moment(QDate(2026, 3, 5), QTime(7, 4, 9));
    const TFormatSettings settings{',', '.', "yyyy/mm/dd", "h:mm:ss AP"};
    EXPECT_EQ("yyyy.MM.dd", QtDateFormat(settings));
    EXPECT_EQ("2026.03.05 7:04:09 AM", DateTimeToStr(moment, settings));
    EXPECT_EQ("05/03/2026 07:04:09", DateTimeToStr(moment, kBrazilian));
    // What the picker shows reads back as the same day.
    EXPECT_EQ(EncodeDate(2026, 3, 5),
              TryStrToDate(moment.date().toString(QtDateFormat(settings)).toStdString(), settings));
    // The locale's long time, without the zone name Qt adds to it.
    EXPECT_EQ("HH:mm:ss", LocaleFormatSettings(QLocale(u"pt_BR")).longTimeFormat);
}

TEST(RegionalFormatFloat, FormatsAsPricesArePrinted)
{
    // Exact halves go away from zero, binary look-alikes (1.005) to nearest; -0,00 keeps its sign.
    const std::tuple<const char*, double, const char*> cases[] = {
        {"%f", 3.14159, "3,14"},
        {"%.4d", -42.7, "-0042"},
        {"%-7.2f", 12.5, "12,50  "},
        {"%3.0f", 2.5, "  3"},
        {"%.2f", 99.995, "100,00"},
        {"%.2f", 1.005, "1,00"},
        {"%4.2f", -0.001, "-0,00"},
        {"%5.2f", kNan, "  NAN"},
        {"%% %.1f %%", 2.25, "% 2,3 %"},
        {"%.18f", 0.5, "0,500000000000000000"},
        {"%.0f", 4503599627370494.5, "4503599627370495"},
    };
    for (const auto& [format, value, expected] : cases)
        EXPECT_EQ(expected, FormatFloat(format, value, kBrazilian)) << format << " " << expected;
    EXPECT_EQ("  1.13", FormatFloat("%6.2f", 1.125, kAmerican));
}

TEST(RegionalFormatFloat, RejectsFormatsWithoutOneKnownConversion)
{
    for (const char* format : {"", "100%%", "%", "%s", "%.2", "%.19f", "%d%d", "%+d", "%1001d"}) {
        EXPECT_THROW(FormatFloat(format, 1.0, kBrazilian), EConvertError) << format;
        EXPECT_THROW(FormatInt(format, 1, kBrazilian), EConvertError) << format;
    }
    EXPECT_THAT(
        [] { FormatFloat("pre\xE7o %s", 1.0, kBrazilian); }, // "preço" in Windows-1252
        testing::ThrowsMessage<EConvertError>(testing::StrEq("Formato inválido: \"preço %s\"")));
}

TEST(RegionalFormatInt, FormatsIntegersWithoutPassingThroughADouble)
{
    const std::tuple<const char*, std::int64_t, const char*> cases[] = {
        {"%.1f", -7, "-7,0"},
        {"%-5d|", 1234, "1234 |"},
        {"%8.6d", -1234, " -001234"},
        {"%d", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
    };
    for (const auto& [format, value, expected] : cases)
        EXPECT_EQ(expected, FormatInt(format, value, kBrazilian)) << format;
}

TEST(RegionalFloatToStr, GeneralFormWithFifteenDigits)
{
    // Fifteen significant digits stay plain; from 1E15 on, the exponent.
    const std::pair<double, const char*> cases[] = {
        {-0.0, "0"},        {0.1 + 0.2, "0,3"}, {1e15, "1E15"},
        {1.5e-7, "1,5E-7"}, {0.0001, "0,0001"}, {123456789012345678.0, "1,23456789012346E17"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(expected, FloatToStr(value, kBrazilian)) << expected;
}

TEST(RegionalDates, KnownDayNumbers)
{
    const std::tuple<int, int, int, double> cases[] = {
        {1899, 12, 30, 0},   {1899, 12, 29, -1}, {1900, 3, 1, 61},        {2024, 2, 29, 45351},
        {2100, 3, 1, 73110}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& [year, month, day, number] : cases) {
        const QDate date(year, month, day);
        const std::string context = date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(number, EncodeDate(year, month, day)) << context;
        EXPECT_EQ(number, TryEncodeDate(year, month, day)) << context;
        EXPECT_EQ(number, QDateToDayNumber(date)) << context;
        EXPECT_EQ(date, DayNumberToQDate(number)) << context;
        EXPECT_EQ(std::make_tuple(year, month, day), Decoded(number)) << context;
    }
    const double today = Today();
    EXPECT_EQ(std::trunc(today), today);
    EXPECT_EQ(QDate::currentDate(), DayNumberToQDate(today));
}

TEST(RegionalDates, InvalidDatesAndNumbersOutsideTheCalendarAreRejected)
{
    const std::tuple<int, int, int> invalid[] = {
        {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1}, {2024, 1, 0}, {0, 1, 1}, {10000, 1, 1},
    };
    for (const auto& [year, month, day] : invalid) {
        EXPECT_EQ(std::nullopt, TryEncodeDate(year, month, day)) << year << month;
        EXPECT_THROW(EncodeDate(year, month, day), EConvertError) << year << month;
    }
    EXPECT_THROW(QDateToDayNumber(QDate(10000, 1, 1)), EConvertError);
    for (const double number : {kNan, kInf, -693594.0, 2958466.0}) {
        EXPECT_FALSE(DayNumberToQDate(number).isValid()) << number;
        EXPECT_EQ(std::make_tuple(0, 0, 0), Decoded(number)) << number;
        EXPECT_THROW(FormatDate("dd/mm/yyyy", number, kBrazilian), EConvertError);
    }
}

TEST(RegionalFormatDate, TokensAndSeparators)
{
    const double march5 = EncodeDate(2026, 3, 5);
    const std::tuple<const char*, double, const char*> cases[] = {
        {"d/m/yy", march5, "5/3/26"},           {"Dd-mM-yY", march5, "05-03-26"},
        {"dd/mm/yyyy", 45351.75, "29/02/2024"}, {"Val.: dd/mm", march5, "Val.: 05/03"},
        {"yyyy", EncodeDate(7, 1, 1), "0007"},
    };
    for (const auto& [format, day, expected] : cases)
        EXPECT_EQ(expected, FormatDate(format, day, kBrazilian)) << format;
    EXPECT_EQ("05.03.2026", FormatDate("dd/mm/yyyy", march5, {',', '.', "dd/mm/yyyy"}));
}

TEST(RegionalTryStrToDate, ParsesInTheOrderOfTheShortFormatAndNothingElse)
{
    const double leapDay = EncodeDate(2024, 2, 29);
    const std::tuple<const char*, TFormatSettings, double> valid[] = {
        {"29/2/2024", kBrazilian, leapDay},
        {"  29/02/2024\t", kBrazilian, leapDay},
        {"2/29/2024", kAmerican, leapDay},
        {"2024-02-29", {'.', '-', "yyyy/mm/dd"}, leapDay},
        {"29/02/2024", {',', '/', "dd.mm.yyyy"}, leapDay}, // the separator splits
    };
    for (const auto& [text, settings, expected] : valid)
        EXPECT_EQ(expected, TryStrToDate(text, settings)) << text;
    for (const char* text : {"29/02/2023", "1/1", "1/1/1/2024", "01-01-2024", "01/01/202",
                             "001/01/2024", "01/01/0000", "", "+1/01/2024", "01/01/2024x"})
        EXPECT_EQ(std::nullopt, TryStrToDate(text, kBrazilian)) << '"' << text << '"';
    EXPECT_EQ(std::nullopt, TryStrToDate("13/01/2024", kAmerican));

    // Two-digit years: from 50 years before this year to 49 after it.
    const int thisYear = QDate::currentDate().year();
    for (const int offset : {0, -50, 49}) {
        const int year = thisYear + offset;
        const std::string text = "15/06/" + std::to_string(year % 100 + 100).substr(1);
        EXPECT_EQ(EncodeDate(year, 6, 15), TryStrToDate(text, kBrazilian)) << text;
    }
}

} // namespace
} // namespace zev
