#include "platform/Regional.h"

#include "platform/Error.h"

#include <QDate>
#include <QLocale>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <tuple>

namespace zev {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

const TFormatSettings kBrazilian = BrazilianFormatSettings();
// Point decimal, month first: every function must follow the settings it is
// given, not the Brazilian ones.
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
        {QLocale(u"en_US"), {'.', '/', "m/d/yy"}},
        {QLocale(u"de_DE"), {',', '.', "dd/mm/yy"}},
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
    const std::tuple<TFormatSettings, const char*, const char*> cases[] = {
        {kBrazilian, "dd/MM/yyyy", "05/03/2026 07:04:09"},
        {kAmerican, "M/d/yyyy", "3/5/2026 07:04:09"},
        {{',', '.', "yyyy/mm/dd", "h:mm:ss AP"}, "yyyy.MM.dd", "2026.03.05 7:04:09 AM"},
    };
    for (const auto& [settings, pickerFormat, clock] : cases) {
        EXPECT_EQ(pickerFormat, QtDateFormat(settings)) << settings.shortDateFormat;
        EXPECT_EQ(clock, DateTimeToStr(moment, settings)) << settings.shortDateFormat;
        // What the picker shows reads back as the same day.
        EXPECT_EQ(
            EncodeDate(2026, 3, 5),
            TryStrToDate(moment.date().toString(QtDateFormat(settings)).toStdString(), settings));
    }
    // The locale's long time, without the zone name Qt adds to it.
    EXPECT_EQ("HH:mm:ss", LocaleFormatSettings(QLocale(u"pt_BR")).longTimeFormat);
    EXPECT_EQ(std::string::npos, LocaleFormatSettings(QLocale(u"en_US")).longTimeFormat.find('t'));
}

TEST(RegionalFormatFloat, FormatsAsPricesArePrinted)
{
    // Two decimals by default, a bare '.' is zero; width never truncates; no
    // thousands separator; exact halves go away from zero while 0.95 (below
    // the half in binary), 99.995 (above) and the look-alike halves 1.005,
    // 2.675, 0.015 round to nearest; a negative value rounding to zero keeps
    // its sign; %d truncates.
    using TCase = std::tuple<const char*, double, const char*>;
    const TCase narrow[] = {
        {"%.f", 2.4, "2"},           {"%f", 3.14159, "3,14"},      {"%d", 3.99, "3"},
        {"%d", -3.99, "-3"},         {"%.4d", -42.7, "-0042"},     {"%6f", -1.5, " -1,50"},
        {"%-7.2f", 12.5, "12,50  "}, {"%2.2f", 123.456, "123,46"}, {"%3.0f", 2.5, "  3"},
        {"%.2f", 1.125, "1,13"},     {"%.2f", -1.125, "-1,13"},    {"%.1f", 0.95, "0,9"},
        {"%.2f", 99.995, "100,00"},  {"%.2f", 1.005, "1,00"},      {"%.2f", 2.675, "2,67"},
        {"%.2f", 0.015, "0,01"},     {"%4.2f", -0.001, "-0,00"},   {"%.2f", -0.0, "-0,00"},
        {"%d", -0.5, "0"},           {"%5.2f", kNan, "  NAN"},     {"%d", kInf, "INF"},
        {"%.2f", -kInf, "-INF"},     {"R$ %.2f", 9.9, "R$ 9,90"},  {"%% %.1f %%", 2.25, "% 2,3 %"},
    };
    const TCase wide[] = {
        {"%.2f", 1234567.891, "1234567,89"},
        {"%.18f", 0.5, "0,500000000000000000"},
        {"%.2f", 1e20, "100000000000000000000,00"},
        {"%.0f", 4503599627370494.5, "4503599627370495"},
        {"%.0f", -19999.5, "-20000"},
        {"%.2f", std::numeric_limits<double>::denorm_min(), "0,00"},
    };
    for (const auto table : {std::span<const TCase>(narrow), std::span<const TCase>(wide)})
        for (const auto& [format, value, expected] : table)
            EXPECT_EQ(expected, FormatFloat(format, value, kBrazilian))
                << format << " " << expected;
    EXPECT_EQ("  1.13", FormatFloat("%6.2f", 1.125, kAmerican));
}

TEST(RegionalFormatFloat, RejectsFormatsWithoutOneKnownConversion)
{
    for (const char* format : {"", "preço", "100%%", "%", "%s", "%x", "%.2", "%5", "%.2F", "%.19f",
                               "%.2f %.2f", "%d%d", "%2.2.2f", "R$ %", "%+d", "%1001d"}) {
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
        {"%.0d", 0, "0"},          {"%.1f", -7, "-7,0"},     {"%8.3f", 12, "  12,000"},
        {"%-5d|", 1234, "1234 |"}, {"%.6d", 1234, "001234"}, {"%8.6d", -1234, " -001234"},
        {"%.2d", 12345, "12345"},  {"Q %d un", 3, "Q 3 un"},
    };
    for (const auto& [format, value, expected] : cases)
        EXPECT_EQ(expected, FormatInt(format, value, kBrazilian)) << format;
    for (const std::int64_t limit :
         {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()})
        EXPECT_EQ(std::to_string(limit), FormatInt("%d", limit, kBrazilian));
}

TEST(RegionalFloatToStr, GeneralFormWithFifteenDigits)
{
    // Fifteen significant digits stay plain; from 1E15 on, the exponent.
    const std::pair<double, const char*> cases[] = {
        {2.0, "2"},     {-0.0, "0"},        {0.1 + 0.2, "0,3"}, {1e15, "1E15"},
        {1e-5, "1E-5"}, {1.5e-7, "1,5E-7"}, {0.0001, "0,0001"}, {kNan, "NAN"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(expected, FloatToStr(value, kBrazilian)) << expected;
    EXPECT_EQ("123456789012345", FloatToStr(123456789012345.0, kBrazilian));
    EXPECT_EQ("1,23456789012346E17", FloatToStr(123456789012345678.0, kBrazilian));
    EXPECT_EQ("1.5E-7", FloatToStr(1.5e-7, kAmerican));
}

TEST(RegionalDates, KnownDayNumbers)
{
    const std::tuple<int, int, int, double> cases[] = {
        {1899, 12, 30, 0},     {1899, 12, 31, 1},   {1899, 12, 29, -1},   {1900, 1, 1, 2},
        {1900, 3, 1, 61},      {2000, 1, 1, 36526}, {2024, 2, 29, 45351}, {2026, 3, 5, 46086},
        {2024, 12, 31, 45657}, {2100, 3, 1, 73110}, {1, 1, 1, -693593},   {9999, 12, 31, 2958465},
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
        {2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1}, {2024, 0, 10},
        {2024, 1, 0},  {2024, 1, 32}, {0, 1, 1},     {10000, 1, 1}, {-5, 1, 1},
    };
    for (const auto& [year, month, day] : invalid) {
        EXPECT_EQ(std::nullopt, TryEncodeDate(year, month, day)) << year << month;
        EXPECT_THROW(EncodeDate(year, month, day), EConvertError) << year << month;
    }
    EXPECT_THROW(QDateToDayNumber(QDate()), EConvertError);
    EXPECT_THROW(QDateToDayNumber(QDate(10000, 1, 1)), EConvertError);
    for (const double number : {kNan, kInf, -kInf, 1e300, -693594.0, 2958466.0}) {
        EXPECT_FALSE(DayNumberToQDate(number).isValid()) << number;
        EXPECT_EQ(std::make_tuple(0, 0, 0), Decoded(number)) << number;
        EXPECT_THROW(FormatDate("dd/mm/yyyy", number, kBrazilian), EConvertError);
    }
    // The time of day is dropped toward zero.
    const std::pair<double, QDate> times[] = {
        {45351.999999, QDate(2024, 2, 29)},
        {-0.5, QDate(1899, 12, 30)},
        {-1.25, QDate(1899, 12, 29)},
    };
    for (const auto& [number, date] : times) {
        EXPECT_EQ(date, DayNumberToQDate(number)) << number;
        EXPECT_EQ(std::make_tuple(date.year(), date.month(), date.day()), Decoded(number));
    }
}

TEST(RegionalFormatDate, TokensAndSeparators)
{
    const double march5 = EncodeDate(2026, 3, 5);
    const double dec25 = EncodeDate(1999, 12, 25);
    const double year7 = EncodeDate(7, 1, 1);
    const std::tuple<const char*, double, const char*> cases[] = {
        {"d/m/yy", march5, "5/3/26"},     {"Dd-mM-yY", march5, "05-03-26"},
        {"yyyymmdd", march5, "20260305"}, {"dd/mm/yyyy", 45351.75, "29/02/2024"},
        {"d/m/yy", dec25, "25/12/99"},    {"Val.: dd/mm", dec25, "Val.: 25/12"},
        {"yyyy", year7, "0007"},
    };
    for (const auto& [format, day, expected] : cases)
        EXPECT_EQ(expected, FormatDate(format, day, kBrazilian)) << format;
    EXPECT_EQ("05.03.2026", FormatDate("dd/mm/yyyy", march5, {',', '.', "dd/mm/yyyy"}));
}

TEST(RegionalTryStrToDate, ParsesInTheOrderOfTheShortFormatAndNothingElse)
{
    const double leapDay = EncodeDate(2024, 2, 29);
    const std::tuple<const char*, TFormatSettings, double> valid[] = {
        {"29/02/2024", kBrazilian, leapDay},
        {"29/2/2024", kBrazilian, leapDay},
        {"  29/02/2024\t", kBrazilian, leapDay},
        {"2/29/2024", kAmerican, leapDay},
        {"2024-02-29", {'.', '-', "yyyy/mm/dd"}, leapDay},
        {"29/02/2024", {',', '/', "dd.mm.yyyy"}, leapDay}, // the separator splits
    };
    for (const auto& [text, settings, expected] : valid)
        EXPECT_EQ(expected, TryStrToDate(text, settings)) << text;
    for (const char* text :
         {"31/02/2024",  "29/02/2023",  "1/1",           "1/1/1/2024",  "01-01-2024", "2024/01/01",
          "01/01/202",   "01/01/02024", "001/01/2024",   "01/001/2024", "01/01/0000", "",
          "   ",         "//",          "01//2024",      "aa/bb/cccc",  "+1/01/2024", "-1/01/2024",
          "01/01/2024x", "01 /01/2024", "1/2/2024 10:00"})
        EXPECT_EQ(std::nullopt, TryStrToDate(text, kBrazilian)) << '"' << text << '"';
    EXPECT_EQ(std::nullopt, TryStrToDate("13/01/2024", kAmerican));

    // Two-digit years: from 50 years before this year to 49 after it.
    const int thisYear = QDate::currentDate().year();
    for (const int offset : {0, -1, 1, -50, 49}) {
        const int year = thisYear + offset;
        const std::string text = "15/06/" + std::to_string(year % 100 + 100).substr(1);
        EXPECT_EQ(EncodeDate(year, 6, 15), TryStrToDate(text, kBrazilian)) << text;
    }
}

} // namespace
} // namespace zev
