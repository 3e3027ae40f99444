#include "platform/Regional.h"

#include "platform/Error.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace zev {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

const TFormatSettings kBrazilian = BrazilianFormatSettings();
// A point-decimal, month-first locale, to show every function follows the
// settings it is given rather than the Brazilian ones.
const TFormatSettings kAmerican{'.', '/', "m/d/yyyy"};
const TFormatSettings kGerman{',', '.', "dd/mm/yyyy"};
const TFormatSettings kIso{'.', '-', "yyyy/mm/dd"};

// Keeps the process-wide settings of the test main for the next test.
class RegionalSettingsScope
{
public:
    RegionalSettingsScope() : saved_(FormatSettings()) {}
    ~RegionalSettingsScope() { SetFormatSettings(saved_); }
    RegionalSettingsScope(const RegionalSettingsScope&) = delete;
    RegionalSettingsScope& operator=(const RegionalSettingsScope&) = delete;

private:
    TFormatSettings saved_;
};

void ExpectSettings(const TFormatSettings& expected, const TFormatSettings& actual,
                    const std::string& context)
{
    EXPECT_EQ(expected.decimalSeparator, actual.decimalSeparator) << context;
    EXPECT_EQ(expected.dateSeparator, actual.dateSeparator) << context;
    EXPECT_EQ(expected.shortDateFormat, actual.shortDateFormat) << context;
}

std::tuple<int, int, int> Decoded(double number)
{
    int year = -1, month = -1, day = -1;
    DecodeDate(number, year, month, day);
    return {year, month, day};
}

TEST(RegionalSettings, SetFormatSettingsChangesWhatTheDefaultsUse)
{
    ExpectSettings(TFormatSettings{',', '/', "dd/mm/yyyy"}, BrazilianFormatSettings(), "Brazilian");
    const RegionalSettingsScope scope;
    SetFormatSettings(kAmerican);
    ExpectSettings(kAmerican, FormatSettings(), "after SetFormatSettings");
    EXPECT_EQ("1.50", FormatFloat("%.2f", 1.5));
    EXPECT_EQ("3/5/2026", DateToStr(EncodeDate(2026, 3, 5)));
    EXPECT_EQ(EncodeDate(2026, 3, 5), TryStrToDate("3/5/2026"));

    SetFormatSettings(kBrazilian);
    EXPECT_EQ("1,50", FormatFloat("%.2f", 1.5));
    EXPECT_EQ("05/03/2026", DateToStr(EncodeDate(2026, 3, 5)));
}

TEST(RegionalSettings, LocaleFormatSettingsTranslatesQtShortDates)
{
    const struct
    {
        QLocale locale;
        TFormatSettings expected;
    } cases[] = {
        {QLocale(u"pt_BR"), {',', '/', "dd/mm/yyyy"}},
        {QLocale(u"en_US"), {'.', '/', "m/d/yy"}},
        {QLocale(u"de_DE"), {',', '.', "dd/mm/yy"}},
        {QLocale(u"sv_SE"), {',', '-', "yyyy/mm/dd"}},
        {QLocale(u"sk_SK"), {',', '.', "d/m/yyyy"}},   // "d. M. yyyy"
        {QLocale(u"hu_HU"), {',', '.', "yyyy/mm/dd"}}, // "yyyy. MM. dd."
        {QLocale(u"bg_BG"), {',', '.', "d/mm/yy"}},    // "d.MM.yy 'г'."
        {QLocale(u"ar_EG"), {'.', '/', "d/m/yyyy"}},   // Arabic decimal point, direction marks
        // Month names and a blank between fields cannot be read back: the
        // Brazilian date format stands in.
        {QLocale(QLocale::C), {'.', '/', "dd/mm/yyyy"}}, // "d MMM yyyy"
        {QLocale(u"kkj_CM"), {',', '/', "dd/mm/yyyy"}},  // "dd/MM yyyy"
    };
    for (const auto& c : cases) {
        const QString qtFormat = c.locale.dateFormat(QLocale::ShortFormat);
        ExpectSettings(c.expected, LocaleFormatSettings(c.locale),
                       (c.locale.name() + " " + qtFormat).toStdString());
    }
}

TEST(RegionalSettings, DatePickersAndTheClockFollowTheSettings)
{
    const QDateTime moment(QDate(2026, 3, 5), QTime(7, 4, 9));
    const struct
    {
        TFormatSettings settings;
        const char* pickerFormat;
        const char* clock;
    } cases[] = {
        {kBrazilian, "dd/MM/yyyy", "05/03/2026 07:04:09"},
        {kAmerican, "M/d/yyyy", "3/5/2026 07:04:09"},
        {kGerman, "dd.MM.yyyy", "05.03.2026 07:04:09"},
        {kIso, "yyyy-MM-dd", "2026-03-05 07:04:09"},
        {{',', '/', "dd/mm/yy", "h:mm:ss AP"}, "dd/MM/yy", "05/03/26 7:04:09 AM"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pickerFormat, QtDateFormat(c.settings)) << c.settings.shortDateFormat;
        EXPECT_EQ(c.clock, DateTimeToStr(moment, c.settings)) << c.settings.shortDateFormat;
        // What the picker shows reads back as the same day.
        EXPECT_EQ(EncodeDate(2026, 3, 5),
                  TryStrToDate(moment.date().toString(QtDateFormat(c.settings)).toStdString(),
                               c.settings));
    }
    // The locale's long time, without the zone name Qt adds to it.
    EXPECT_EQ("HH:mm:ss", LocaleFormatSettings(QLocale(u"pt_BR")).longTimeFormat);
    EXPECT_EQ(std::string::npos, LocaleFormatSettings(QLocale(u"en_US")).longTimeFormat.find('t'));
}

TEST(RegionalSettings, SystemSettingsAreUsable)
{
    // Whatever the machine's locale, the result must print and read back.
    const TFormatSettings system = SystemFormatSettings();
    const double day = EncodeDate(2026, 3, 5);
    EXPECT_EQ(day, TryStrToDate(DateToStr(day, system), system)) << system.shortDateFormat;
    EXPECT_NE(std::string::npos, FormatFloat("%.1f", 1.5, system).find(system.decimalSeparator));
}

struct TFloatCase
{
    const char* format;
    double value;
    const char* expected;
};

TEST(RegionalFormatFloat, FormatsWithBrazilianSettings)
{
    // Precision (two decimals by default, a bare '.' is zero), width never
    // truncating, no thousands separator; exact halves go away from zero
    // while 0.95 (below the half in binary), 99.995 (above) and the
    // look-alike halves 1.005, 2.675, 1.115, 0.015 round to nearest; a
    // negative value rounding to zero keeps its sign; %d truncates.
    const TFloatCase cases[] = {
        {"%.f", 2.4, "2"},      {"%.4d", 42.7, "0042"},   {"%5.2f", kNan, "  NAN"},
        {"%d", 3.99, "3"},      {"%f", 3.14159, "3,14"},  {"%.2f", 1e-300, "0,00"},
        {"%d", -0.5, "0"},      {"%6f", -1.5, " -1,50"},  {"%.2f", -1.125, "-1,13"},
        {"%.0f", 3.7, "4"},     {"%.0f%%", 15.0, "15%"},  {"%.3f", 0.0625, "0,063"},
        {"%.0f", 1.5, "2"},     {"%.2f", 1.125, "1,13"},  {"%-5d|", 42.0, "42   |"},
        {"%.0f", 9.5, "10"},    {"%.2f", 0.625, "0,63"},  {"%.3f", 3.14159, "3,142"},
        {"%d", -3.99, "-3"},    {"%.2f", 1.005, "1,00"},  {"%.2f", 99.995, "100,00"},
        {"%d", kInf, "INF"},    {"%.2f", 2.675, "2,67"},  {"%4.2f", -0.001, "-0,00"},
        {"%d", kNan, "NAN"},    {"%.2f", 1.115, "1,11"},  {"%8.2f", 12.5, "   12,50"},
        {"%.2f", kInf, "INF"},  {"%.2f", 0.015, "0,01"},  {"R$ %.2f", 9.9, "R$ 9,90"},
        {"%3.0f", 2.5, "  3"},  {"%.2f", -0.0, "-0,00"},  {"%-8.2f", 12.5, "12,50   "},
        {"%.1f", 0.95, "0,9"},  {"%.2f", -kInf, "-INF"},  {"%2.2f", 123.456, "123,46"},
        {"%.2f", 0.0, "0,00"},  {"%4.2f", 0.125, "0,13"}, {"%% %.1f %%", 2.25, "% 2,3 %"},
        {"%5d", 42.0, "   42"}, {"%.4d", -42.7, "-0042"}, {"%.2f", 1234567.891, "1234567,89"},
    };
    const TFloatCase large[] = {
        {"%.18f", 0.5, "0,500000000000000000"},
        {"%.2f", 1e20, "100000000000000000000,00"},
        {"%.2f", std::numeric_limits<double>::denorm_min(), "0,00"},
        {"%.0f", 4503599627370494.5, "4503599627370495"},
        {"%d", 1e20, "100000000000000000000"},
    };
    std::vector<TFloatCase> all(std::begin(cases), std::end(cases));
    all.insert(all.end(), std::begin(large), std::end(large));
    for (const TFloatCase& c : all) {
        EXPECT_EQ(c.expected, FormatFloat(c.format, c.value, kBrazilian))
            << c.format << " with " << c.expected;
    }
    EXPECT_EQ("1234.50", FormatFloat("%.2f", 1234.5, kAmerican));
    EXPECT_EQ("  1.13", FormatFloat("%6.2f", 1.125, kAmerican));
    EXPECT_EQ("1234,50", FormatFloat("%.2f", 1234.5, kGerman));
}

TEST(RegionalFormatFloat, EveryExactHalfRoundsAwayFromZero)
{
    // k + 0.5 and k + 0.25 / k + 0.75 at one decimal are exact binary ties.
    for (int k = 0; k < 20000; k += 7) {
        const std::string whole = std::to_string(k); // integers only: not locale dependent
        const std::string next = std::to_string(k + 1);
        EXPECT_EQ(next, FormatFloat("%.0f", k + 0.5, kBrazilian)) << k;
        EXPECT_EQ("-" + next, FormatFloat("%.0f", -(k + 0.5), kBrazilian)) << k;
        EXPECT_EQ(whole + ",3", FormatFloat("%.1f", k + 0.25, kBrazilian)) << k;
        EXPECT_EQ(whole + ",8", FormatFloat("%.1f", k + 0.75, kBrazilian)) << k;
    }
}

TEST(RegionalFormatFloat, RejectsFormatsWithoutOneKnownConversion)
{
    const std::vector<std::string> formats = {
        "",     "preço", "100%%",     "%",    "%s",      "%x",   "%.2", "%5",
        "%.2F", "%.19f", "%.2f %.2f", "%d%d", "%2.2.2f", "R$ %", "%+d", "%1001d",
    };
    for (const std::string& format : formats) {
        EXPECT_THROW(FormatFloat(format, 1.0, kBrazilian), EConvertError) << format;
        EXPECT_THROW(FormatInt(format, 1, kBrazilian), EConvertError) << format;
    }
    try {
        FormatFloat("pre\xE7o %s", 1.0, kBrazilian); // "preço" in Windows-1252
        FAIL() << "no exception";
    } catch (const EConvertError& error) {
        EXPECT_EQ(std::string("Formato inválido: \"preço %s\""), error.what());
    }
}

TEST(RegionalFormatInt, FormatsIntegers)
{
    const struct
    {
        const char* format;
        std::int64_t value;
        const char* expected;
    } cases[] = {
        {"%d", 0, "0"},     {"%.1f", -7, "-7,0"},     {"%8.3f", 12, "  12,000"},
        {"%.0d", 0, "0"},   {"%6d", 1234, "  1234"},  {"%-6d|", 1234, "1234  |"},
        {"%f", 7, "7,00"},  {"%.6d", 1234, "001234"}, {"%8.6d", -1234, " -001234"},
        {"%d", -17, "-17"}, {"%.2d", 12345, "12345"}, {"Qtd: %d un", 3, "Qtd: 3 un"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FormatInt(c.format, c.value, kBrazilian)) << c.format;
    EXPECT_EQ("9223372036854775807",
              FormatInt("%d", std::numeric_limits<std::int64_t>::max(), kBrazilian));
    EXPECT_EQ("-9223372036854775808",
              FormatInt("%d", std::numeric_limits<std::int64_t>::min(), kBrazilian));
    EXPECT_EQ("7.00", FormatInt("%f", 7, kAmerican));
}

TEST(RegionalFloatToStr, GeneralFormWithFifteenDigits)
{
    // Fifteen significant digits stay plain; from 1E15 on, the exponent.
    const struct
    {
        double value;
        const char* expected;
    } cases[] = {
        {2.0, "2"},    {-0.1, "-0,1"},   {1e100, "1E100"},
        {0.0, "0"},    {1e20, "1E20"},   {1.5e-7, "1,5E-7"},
        {-0.0, "0"},   {1e-5, "1E-5"},   {0.0001, "0,0001"},
        {3.5, "3,5"},  {1e15, "1E15"},   {1e-100, "1E-100"},
        {0.1, "0,1"},  {12.5, "12,5"},   {0.1 + 0.2, "0,3"},
        {kInf, "INF"}, {-kInf, "-INF"},  {1.0 / 3.0, "0,333333333333333"},
        {kNan, "NAN"}, {-1e20, "-1E20"}, {2.0 / 3.0, "0,666666666666667"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FloatToStr(c.value, kBrazilian)) << c.expected;
    EXPECT_EQ("123456789012345", FloatToStr(123456789012345.0, kBrazilian));
    EXPECT_EQ("1,23456789012346E17", FloatToStr(123456789012345678.0, kBrazilian));
    EXPECT_EQ("3.5", FloatToStr(3.5, kAmerican));
    EXPECT_EQ("1.5E-7", FloatToStr(1.5e-7, kAmerican));
}

TEST(RegionalDates, KnownDayNumbers)
{
    const struct
    {
        int year, month, day;
        double number;
    } cases[] = {
        {1899, 12, 30, 0},  {1899, 12, 31, 1},       {1899, 12, 29, -1},   {1900, 1, 1, 2},
        {1900, 3, 1, 61},   {2000, 1, 1, 36526},     {2024, 2, 29, 45351}, {2026, 3, 5, 46086},
        {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        const QDate date(c.year, c.month, c.day);
        const std::string context = date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(c.number, EncodeDate(c.year, c.month, c.day)) << context;
        EXPECT_EQ(c.number, TryEncodeDate(c.year, c.month, c.day)) << context;
        EXPECT_EQ(c.number, QDateToDayNumber(date)) << context;
        EXPECT_EQ(date, DayNumberToQDate(c.number)) << context;
        EXPECT_EQ(std::make_tuple(c.year, c.month, c.day), Decoded(c.number)) << context;
    }
}

TEST(RegionalDates, InvalidDatesAreRejected)
{
    const struct
    {
        int year, month, day;
    } cases[] = {
        {2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1}, {2024, 0, 10},
        {2024, 1, 0},  {2024, 1, 32}, {0, 1, 1},     {10000, 1, 1}, {-5, 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::nullopt, TryEncodeDate(c.year, c.month, c.day)) << c.year << c.month;
        EXPECT_THROW(EncodeDate(c.year, c.month, c.day), EConvertError) << c.year << c.month;
    }
    EXPECT_THROW(QDateToDayNumber(QDate()), EConvertError);
    EXPECT_THROW(QDateToDayNumber(QDate(10000, 1, 1)), EConvertError);
}

TEST(RegionalDates, DecodingIgnoresTimeAndRejectsNumbersOutsideTheCalendar)
{
    const struct
    {
        double number;
        QDate date;
    } cases[] = {
        {45351.75, QDate(2024, 2, 29)}, {45351.999999, QDate(2024, 2, 29)},
        {0.5, QDate(1899, 12, 30)},     {-0.5, QDate(1899, 12, 30)}, // toward zero
        {-1.25, QDate(1899, 12, 29)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.date, DayNumberToQDate(c.number)) << c.number;
        EXPECT_EQ(std::make_tuple(c.date.year(), c.date.month(), c.date.day()), Decoded(c.number))
            << c.number;
    }
    for (const double number : {kNan, kInf, -kInf, 1e300, -693594.0, 2958466.0}) {
        EXPECT_FALSE(DayNumberToQDate(number).isValid()) << number;
        EXPECT_EQ(std::make_tuple(0, 0, 0), Decoded(number)) << number;
        EXPECT_THROW(FormatDate("dd/mm/yyyy", number, kBrazilian), EConvertError);
    }
}

TEST(RegionalDates, EncodeAndDecodeRoundTripDayByDay)
{
    // Consecutive dates must get consecutive numbers, across leap years and
    // the 1900 and 2000 century rules.
    double expected = EncodeDate(1890, 1, 1);
    for (QDate date(1890, 1, 1); date <= QDate(2110, 12, 31); date = date.addDays(1)) {
        const double number = EncodeDate(date.year(), date.month(), date.day());
        ASSERT_EQ(expected, number) << date.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(std::make_tuple(date.year(), date.month(), date.day()), Decoded(number));
        expected += 1;
    }
    const double today = Today();
    EXPECT_EQ(std::trunc(today), today);
    EXPECT_EQ(QDate::currentDate(), DayNumberToQDate(today));
}

TEST(RegionalFormatDate, TokensAndSeparators)
{
    const double march5 = EncodeDate(2026, 3, 5);
    const double december25 = EncodeDate(1999, 12, 25);
    const struct
    {
        const char* format;
        double day;
        const char* expected;
    } cases[] = {
        {"d/m/yy", march5, "5/3/26"},         {"yyyy", EncodeDate(7, 1, 1), "0007"},
        {"Dd-mM-yY", march5, "05-03-26"},     {"dd/mm/yyyy", 45351.75, "29/02/2024"},
        {"yyyymmdd", march5, "20260305"},     {"dd/mm/yyyy", december25, "25/12/1999"},
        {"d/m/yy", december25, "25/12/99"},   {"Val.: dd/mm", december25, "Val.: 25/12"},
        {"dd/mm/yyyy", march5, "05/03/2026"}, {"dd/mm/yy", EncodeDate(2005, 1, 9), "09/01/05"},
        {"DD/MM/YYYY", march5, "05/03/2026"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FormatDate(c.format, c.day, kBrazilian)) << c.format;
    EXPECT_EQ("05.03.2026", FormatDate("dd/mm/yyyy", march5, kGerman));
    EXPECT_EQ("3/5/2026", FormatDate("m/d/yyyy", march5, kAmerican));
    // DateToStr uses the short date format with the date separator.
    EXPECT_EQ("05/03/2026", DateToStr(march5, kBrazilian));
    EXPECT_EQ("05.03.2026", DateToStr(march5, kGerman));
    EXPECT_EQ("3/5/2026", DateToStr(march5, kAmerican));
    EXPECT_EQ("2026-03-05", DateToStr(march5, kIso));
}

TEST(RegionalTryStrToDate, ParsesInTheOrderOfTheShortFormatAndNothingElse)
{
    const double leapDay = EncodeDate(2024, 2, 29);
    const double newYear = EncodeDate(2024, 1, 1);
    const struct
    {
        const char* text;
        TFormatSettings settings;
        double expected;
    } valid[] = {
        {"2024-02-29", kIso, leapDay},      {"02/29/2024", kAmerican, leapDay},
        {"29.02.2024", kGerman, leapDay},   {"29/02/2024", kBrazilian, leapDay},
        {"1/1/2024", kBrazilian, newYear},  {"01/01/2024", kBrazilian, newYear},
        {"2/29/2024", kAmerican, leapDay},  {"  29/02/2024\t", kBrazilian, leapDay},
        {"29/2/2024", kBrazilian, leapDay},
    };
    for (const auto& c : valid)
        EXPECT_EQ(c.expected, TryStrToDate(c.text, c.settings)) << c.text;
    // The separator, not the format's characters, splits the text.
    EXPECT_EQ(leapDay, TryStrToDate("29/02/2024", TFormatSettings{',', '/', "dd.mm.yyyy"}));
    const char* const invalid[] = {
        "31/02/2024",     "29/02/2023", "1/1",         "1/1/1/2024",  "01-01-2024",
        "2024/01/01",     "01/01/202",  "01/01/02024", "001/01/2024", "01/001/2024",
        "01/01/0000",     "",           "   ",         "//",          "01//2024",
        "aa/bb/cccc",     "+1/01/2024", "-1/01/2024",  "01/01/2024x", "01 /01/2024",
        "1/2/2024 10:00",
    };
    for (const char* text : invalid)
        EXPECT_EQ(std::nullopt, TryStrToDate(text, kBrazilian)) << '"' << text << '"';
    EXPECT_EQ(std::nullopt, TryStrToDate("13/01/2024", kAmerican));
    EXPECT_EQ(std::nullopt, TryStrToDate("29/02/2024", kGerman));
}

TEST(RegionalTryStrToDate, TwoDigitYearsFallWithinFiftyYearsOfNow)
{
    // The window runs from 50 years before this year to 49 after it.
    const int thisYear = QDate::currentDate().year();
    for (const int offset : {0, -1, 1, -50, 49, -25, 25}) {
        const int year = thisYear + offset;
        const int twoDigits = year % 100;
        const std::string text =
            "15/06/" + std::string(twoDigits < 10 ? "0" : "") + std::to_string(twoDigits);
        EXPECT_EQ(EncodeDate(year, 6, 15), TryStrToDate(text, kBrazilian)) << text;
    }
}

TEST(RegionalTryStrToDate, ReadsBackWhatDateToStrWrites)
{
    for (const TFormatSettings& settings :
         {kBrazilian, kAmerican, kGerman, kIso, TFormatSettings{',', '/', "d/m/yyyy"}}) {
        for (QDate date(1901, 1, 1); date.year() < 2100; date = date.addDays(37)) {
            const double day = QDateToDayNumber(date);
            const std::string text = DateToStr(day, settings);
            ASSERT_EQ(day, TryStrToDate(text, settings)) << text << " " << settings.shortDateFormat;
        }
    }
}

} // namespace
} // namespace zev
