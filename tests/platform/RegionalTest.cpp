#include "platform/Regional.h"

#include "platform/Error.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace zev {
namespace {

TFormatSettings Brazilian()
{
    return BrazilianFormatSettings();
}

// A point-decimal, month-first locale, to show every function follows the
// settings it is given rather than the Brazilian ones.
TFormatSettings American()
{
    return TFormatSettings{'.', '/', "m/d/yyyy"};
}

TFormatSettings German()
{
    return TFormatSettings{',', '.', "dd/mm/yyyy"};
}

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

// ------------------------------------------------------------------ settings

TEST(RegionalSettings, BrazilianIsCommaAndDayMonthYear)
{
    ExpectSettings(TFormatSettings{',', '/', "dd/mm/yyyy"}, BrazilianFormatSettings(), "Brazilian");
}

TEST(RegionalSettings, SetFormatSettingsChangesWhatTheDefaultsUse)
{
    const RegionalSettingsScope scope;
    SetFormatSettings(American());
    ExpectSettings(American(), FormatSettings(), "after SetFormatSettings");
    EXPECT_EQ("1.50", FormatFloat("%.2f", 1.5));
    EXPECT_EQ("3/5/2026", DateToStr(EncodeDate(2026, 3, 5)));
    EXPECT_EQ(EncodeDate(2026, 3, 5), TryStrToDate("3/5/2026"));

    SetFormatSettings(Brazilian());
    EXPECT_EQ("1,50", FormatFloat("%.2f", 1.5));
    EXPECT_EQ("05/03/2026", DateToStr(EncodeDate(2026, 3, 5)));
}

TEST(RegionalSettings, LocaleFormatSettingsTranslatesQtShortDates)
{
    struct TCase
    {
        QLocale locale;
        TFormatSettings expected;
    };
    const std::vector<TCase> cases = {
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
    for (const TCase& c : cases) {
        const QString qtFormat = c.locale.dateFormat(QLocale::ShortFormat);
        ExpectSettings(c.expected, LocaleFormatSettings(c.locale),
                       (c.locale.name() + " " + qtFormat).toStdString());
    }
}

TEST(RegionalSettings, SystemSettingsAreUsable)
{
    // Whatever the machine's locale, the result must print and read back.
    const TFormatSettings system = SystemFormatSettings();
    const double day = EncodeDate(2026, 3, 5);
    EXPECT_EQ(day, TryStrToDate(DateToStr(day, system), system)) << system.shortDateFormat;
    EXPECT_NE(std::string::npos, FormatFloat("%.1f", 1.5, system).find(system.decimalSeparator));
}

// ------------------------------------------------------------ FormatFloat

struct TFloatCase
{
    const char* format;
    double value;
    const char* expected;
};

TEST(RegionalFormatFloat, FormatsWithBrazilianSettings)
{
    const std::vector<TFloatCase> cases = {
        // precision and the default of two decimals
        {"%f", 3.14159, "3,14"},
        {"%.0f", 3.7, "4"},
        {"%.3f", 3.14159, "3,142"},
        {"%.18f", 0.5, "0,500000000000000000"},
        {"%.f", 2.4, "2"}, // a bare '.' is precision 0
        // width and alignment
        {"%8.2f", 12.5, "   12,50"},
        {"%-8.2f", 12.5, "12,50   "},
        {"%2.2f", 123.456, "123,46"}, // never truncated to the width
        {"%6f", -1.5, " -1,50"},
        // literal text and %%
        {"R$ %.2f", 9.9, "R$ 9,90"},
        {"%.0f%%", 15.0, "15%"},
        {"%% %.1f %%", 2.25, "% 2,3 %"},
        // no thousands separator, large and tiny values
        {"%.2f", 1234567.891, "1234567,89"},
        {"%.2f", 1e20, "100000000000000000000,00"},
        {"%.2f", 1e-300, "0,00"},
        {"%.2f", std::numeric_limits<double>::denorm_min(), "0,00"},
        // exact halves go away from zero
        {"%.2f", 1.125, "1,13"},
        {"%4.2f", 0.125, "0,13"},
        {"%.2f", -1.125, "-1,13"},
        {"%3.0f", 2.5, "  3"},
        {"%.0f", 0.5, "1"},
        {"%.0f", -0.5, "-1"},
        {"%.0f", 1.5, "2"},
        {"%.2f", 0.625, "0,63"},
        {"%.3f", 0.0625, "0,063"},
        {"%.1f", 0.25, "0,3"},
        {"%.1f", 0.95, "0,9"}, // 0.95 is below the half in binary
        {"%.0f", 4503599627370494.5, "4503599627370495"},
        {"%.0f", 9.5, "10"},
        {"%.2f", 99.995, "100,00"}, // 99.995 is above the half in binary
        // values that only look like halves round to nearest
        {"%.2f", 1.005, "1,00"},
        {"%.2f", 2.675, "2,67"},
        {"%.2f", 1.115, "1,11"},
        {"%.2f", 0.015, "0,01"},
        // printf keeps the sign of a negative value that rounds to zero
        {"%4.2f", -0.001, "-0,00"},
        {"%.2f", -0.0, "-0,00"},
        {"%.2f", 0.0, "0,00"},
        // %d truncates toward zero
        {"%d", 3.99, "3"},
        {"%d", -3.99, "-3"},
        {"%d", -0.5, "0"},
        {"%5d", 42.0, "   42"},
        {"%-5d|", 42.0, "42   |"},
        {"%.4d", 42.7, "0042"},
        {"%.4d", -42.7, "-0042"},
        {"%d", 1e20, "100000000000000000000"},
    };
    for (const TFloatCase& c : cases) {
        EXPECT_EQ(c.expected, FormatFloat(c.format, c.value, Brazilian()))
            << c.format << " with " << c.expected;
    }
}

TEST(RegionalFormatFloat, FollowsTheDecimalSeparator)
{
    EXPECT_EQ("1234.50", FormatFloat("%.2f", 1234.5, American()));
    EXPECT_EQ("  1.13", FormatFloat("%6.2f", 1.125, American()));
    EXPECT_EQ("1234,50", FormatFloat("%.2f", 1234.5, German()));
}

TEST(RegionalFormatFloat, EveryExactHalfRoundsAwayFromZero)
{
    // k + 0.5 and k + 0.25 / k + 0.75 at one decimal are exact binary ties.
    for (int k = 0; k < 20000; k += 7) {
        const std::string whole = std::to_string(k); // integers only: not locale dependent
        const std::string next = std::to_string(k + 1);
        EXPECT_EQ(next, FormatFloat("%.0f", k + 0.5, Brazilian())) << k;
        EXPECT_EQ("-" + next, FormatFloat("%.0f", -(k + 0.5), Brazilian())) << k;
        EXPECT_EQ(whole + ",3", FormatFloat("%.1f", k + 0.25, Brazilian())) << k;
        EXPECT_EQ(whole + ",8", FormatFloat("%.1f", k + 0.75, Brazilian())) << k;
    }
}

TEST(RegionalFormatFloat, NonFiniteValuesPrintAsWords)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<TFloatCase> cases = {
        {"%.2f", inf, "INF"}, {"%.2f", -inf, "-INF"}, {"%5.2f", nan, "  NAN"},
        {"%d", inf, "INF"},   {"%d", nan, "NAN"},
    };
    for (const TFloatCase& c : cases) {
        EXPECT_EQ(c.expected, FormatFloat(c.format, c.value, Brazilian())) << c.format;
    }
}

TEST(RegionalFormatFloat, RejectsFormatsWithoutOneKnownConversion)
{
    const std::vector<std::string> formats = {
        "",     "preço", "100%%",     "%",    "%s",      "%x",   "%.2", "%5",
        "%.2F", "%.19f", "%.2f %.2f", "%d%d", "%2.2.2f", "R$ %", "%+d", "%1001d",
    };
    for (const std::string& format : formats) {
        EXPECT_THROW(FormatFloat(format, 1.0, Brazilian()), EConvertError) << format;
        EXPECT_THROW(FormatInt(format, 1, Brazilian()), EConvertError) << format;
    }
}

TEST(RegionalFormatFloat, ErrorNamesTheFormatInUtf8)
{
    try {
        FormatFloat("pre\xE7o %s", 1.0, Brazilian()); // "preço" in Windows-1252
        FAIL() << "no exception";
    } catch (const EConvertError& error) {
        EXPECT_EQ(std::string("Formato inválido: \"preço %s\""), error.what());
    }
}

// -------------------------------------------------------------- FormatInt

TEST(RegionalFormatInt, FormatsIntegers)
{
    struct TCase
    {
        const char* format;
        std::int64_t value;
        const char* expected;
    };
    const std::int64_t min = std::numeric_limits<std::int64_t>::min();
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::vector<TCase> cases = {
        {"%d", 0, "0"},
        {"%.0d", 0, "0"},
        {"%d", -17, "-17"},
        {"%6d", 1234, "  1234"},
        {"%-6d|", 1234, "1234  |"},
        {"%.6d", 1234, "001234"},
        {"%8.6d", -1234, " -001234"},
        {"%.2d", 12345, "12345"},
        {"Qtd: %d un", 3, "Qtd: 3 un"},
        {"%d", max, "9223372036854775807"},
        {"%d", min, "-9223372036854775808"},
        // %f prints the integer as a number with decimals
        {"%f", 7, "7,00"},
        {"%.1f", -7, "-7,0"},
        {"%8.3f", 12, "  12,000"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(c.expected, FormatInt(c.format, c.value, Brazilian())) << c.format;
    }
    EXPECT_EQ("7.00", FormatInt("%f", 7, American()));
}

// ------------------------------------------------------------- FloatToStr

TEST(RegionalFloatToStr, GeneralFormWithFifteenDigits)
{
    struct TCase
    {
        double value;
        const char* expected;
    };
    const std::vector<TCase> cases = {
        {3.5, "3,5"},
        {2.0, "2"},
        {0.1, "0,1"},
        {-0.1, "-0,1"},
        {0.0, "0"},
        {-0.0, "0"},
        {1.0 / 3.0, "0,333333333333333"},
        {2.0 / 3.0, "0,666666666666667"},
        {123456789012345678.0, "1,23456789012346E17"},
        {1e20, "1E20"},
        {-1e20, "-1E20"},
        {1e-5, "1E-5"},
        {1.5e-7, "1,5E-7"},
        {0.0001, "0,0001"},
        {123456789012345.0, "123456789012345"}, // 15 digits stay plain
        {1e15, "1E15"},
        {1e100, "1E100"},
        {1e-100, "1E-100"},
        {0.1 + 0.2, "0,3"},
        {12.5, "12,5"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(c.expected, FloatToStr(c.value, Brazilian())) << c.expected;
    }
    EXPECT_EQ("3.5", FloatToStr(3.5, American()));
    EXPECT_EQ("1.5E-7", FloatToStr(1.5e-7, American()));
}

// ---------------------------------------------------------- day numbers

struct TDateCase
{
    int year;
    int month;
    int day;
    double number;
};

const std::vector<TDateCase>& KnownDays()
{
    static const std::vector<TDateCase> cases = {
        {1899, 12, 30, 0},  {1899, 12, 31, 1},       {1899, 12, 29, -1},   {1900, 1, 1, 2},
        {1900, 3, 1, 61},   {2000, 1, 1, 36526},     {2024, 2, 29, 45351}, {2026, 3, 5, 46086},
        {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    return cases;
}

TEST(RegionalDates, KnownDayNumbers)
{
    for (const TDateCase& c : KnownDays()) {
        const std::string context =
            std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day);
        EXPECT_EQ(c.number, EncodeDate(c.year, c.month, c.day)) << context;
        EXPECT_EQ(c.number, TryEncodeDate(c.year, c.month, c.day)) << context;
        EXPECT_EQ(c.number, QDateToDayNumber(QDate(c.year, c.month, c.day))) << context;
        EXPECT_EQ(QDate(c.year, c.month, c.day), DayNumberToQDate(c.number)) << context;
        int year = 0;
        int month = 0;
        int day = 0;
        DecodeDate(c.number, year, month, day);
        EXPECT_EQ(c.year, year) << context;
        EXPECT_EQ(c.month, month) << context;
        EXPECT_EQ(c.day, day) << context;
    }
}

TEST(RegionalDates, InvalidDatesAreRejected)
{
    struct TCase
    {
        int year;
        int month;
        int day;
    };
    const std::vector<TCase> cases = {
        {2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1}, {2024, 0, 10},
        {2024, 1, 0},  {2024, 1, 32}, {0, 1, 1},     {10000, 1, 1}, {-5, 1, 1},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(std::nullopt, TryEncodeDate(c.year, c.month, c.day)) << c.year << c.month;
        EXPECT_THROW(EncodeDate(c.year, c.month, c.day), EConvertError) << c.year << c.month;
    }
    EXPECT_THROW(QDateToDayNumber(QDate()), EConvertError);
    EXPECT_THROW(QDateToDayNumber(QDate(10000, 1, 1)), EConvertError);
}

TEST(RegionalDates, TimeOfDayIsIgnoredWhenDecoding)
{
    struct TCase
    {
        double number;
        QDate date;
    };
    const std::vector<TCase> cases = {
        {45351.75, QDate(2024, 2, 29)}, {45351.999999, QDate(2024, 2, 29)},
        {0.5, QDate(1899, 12, 30)},     {-0.5, QDate(1899, 12, 30)}, // toward zero
        {-1.25, QDate(1899, 12, 29)},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(c.date, DayNumberToQDate(c.number)) << c.number;
        int year = 0;
        int month = 0;
        int day = 0;
        DecodeDate(c.number, year, month, day);
        EXPECT_EQ(c.date, QDate(year, month, day)) << c.number;
    }
}

TEST(RegionalDates, NumbersOutsideTheCalendarDecodeToNothing)
{
    const std::vector<double> numbers = {
        std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        1e300,
        -693594,
        2958466,
    };
    for (const double number : numbers) {
        EXPECT_FALSE(DayNumberToQDate(number).isValid()) << number;
        int year = -1;
        int month = -1;
        int day = -1;
        DecodeDate(number, year, month, day);
        EXPECT_EQ(0, year);
        EXPECT_EQ(0, month);
        EXPECT_EQ(0, day);
        EXPECT_THROW(FormatDate("dd/mm/yyyy", number, Brazilian()), EConvertError);
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
        int year = 0;
        int month = 0;
        int day = 0;
        DecodeDate(number, year, month, day);
        ASSERT_EQ(date, QDate(year, month, day));
        expected += 1;
    }
}

TEST(RegionalDates, TodayIsTheCurrentDateWithoutTime)
{
    const double today = Today();
    EXPECT_EQ(std::trunc(today), today);
    EXPECT_EQ(QDate::currentDate(), DayNumberToQDate(today));
}

// ------------------------------------------------------------- FormatDate

TEST(RegionalFormatDate, TokensAndSeparators)
{
    struct TCase
    {
        const char* format;
        double day;
        TFormatSettings settings;
        const char* expected;
    };
    const double march5 = EncodeDate(2026, 3, 5);
    const double december25 = EncodeDate(1999, 12, 25);
    const std::vector<TCase> cases = {
        {"dd/mm/yyyy", march5, Brazilian(), "05/03/2026"},
        {"dd/mm/yyyy", march5, German(), "05.03.2026"},
        {"d/m/yy", march5, Brazilian(), "5/3/26"},
        {"DD/MM/YYYY", march5, Brazilian(), "05/03/2026"},
        {"Dd-mM-yY", march5, Brazilian(), "05-03-26"},
        {"yyyymmdd", march5, Brazilian(), "20260305"},
        {"m/d/yyyy", march5, American(), "3/5/2026"},
        {"dd/mm/yyyy", december25, Brazilian(), "25/12/1999"},
        {"d/m/yy", december25, Brazilian(), "25/12/99"},
        {"Val.: dd/mm", december25, Brazilian(), "Val.: 25/12"},
        {"dd/mm/yy", EncodeDate(2005, 1, 9), Brazilian(), "09/01/05"},
        {"yyyy", EncodeDate(7, 1, 1), Brazilian(), "0007"},
        {"dd/mm/yyyy", 45351.75, Brazilian(), "29/02/2024"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(c.expected, FormatDate(c.format, c.day, c.settings)) << c.format;
    }
}

TEST(RegionalFormatDate, DateToStrUsesTheShortDateFormat)
{
    const double march5 = EncodeDate(2026, 3, 5);
    EXPECT_EQ("05/03/2026", DateToStr(march5, Brazilian()));
    EXPECT_EQ("05.03.2026", DateToStr(march5, German()));
    EXPECT_EQ("3/5/2026", DateToStr(march5, American()));
    EXPECT_EQ("2026-03-05", DateToStr(march5, TFormatSettings{'.', '-', "yyyy/mm/dd"}));
}

// ------------------------------------------------------------ TryStrToDate

struct TParseCase
{
    const char* text;
    TFormatSettings settings;
    std::optional<double> expected;
};

TEST(RegionalTryStrToDate, ParsesInTheOrderOfTheShortFormat)
{
    const std::optional<double> leapDay = EncodeDate(2024, 2, 29);
    const std::optional<double> newYear = EncodeDate(2024, 1, 1);
    const std::vector<TParseCase> cases = {
        {"29/02/2024", Brazilian(), leapDay},
        {"29/2/2024", Brazilian(), leapDay},
        {"  29/02/2024\t", Brazilian(), leapDay},
        {"1/1/2024", Brazilian(), newYear},
        {"01/01/2024", Brazilian(), newYear},
        {"29.02.2024", German(), leapDay},
        {"2/29/2024", American(), leapDay},
        {"02/29/2024", American(), leapDay},
        {"2024-02-29", TFormatSettings{',', '-', "yyyy/mm/dd"}, leapDay},
        // the separator, not the format's characters, splits the text
        {"29/02/2024", TFormatSettings{',', '/', "dd.mm.yyyy"}, leapDay},
    };
    for (const TParseCase& c : cases) {
        EXPECT_EQ(c.expected, TryStrToDate(c.text, c.settings)) << c.text;
    }
}

TEST(RegionalTryStrToDate, RejectsAnythingElse)
{
    const std::vector<TParseCase> cases = {
        {"31/02/2024", Brazilian(), std::nullopt},
        {"29/02/2023", Brazilian(), std::nullopt},
        {"1/1", Brazilian(), std::nullopt},
        {"1/1/1/2024", Brazilian(), std::nullopt},
        {"01-01-2024", Brazilian(), std::nullopt},
        {"2024/01/01", Brazilian(), std::nullopt},
        {"01/01/202", Brazilian(), std::nullopt},
        {"01/01/02024", Brazilian(), std::nullopt},
        {"001/01/2024", Brazilian(), std::nullopt},
        {"01/001/2024", Brazilian(), std::nullopt},
        {"01/01/0000", Brazilian(), std::nullopt},
        {"", Brazilian(), std::nullopt},
        {"   ", Brazilian(), std::nullopt},
        {"//", Brazilian(), std::nullopt},
        {"01//2024", Brazilian(), std::nullopt},
        {"aa/bb/cccc", Brazilian(), std::nullopt},
        {"+1/01/2024", Brazilian(), std::nullopt},
        {"-1/01/2024", Brazilian(), std::nullopt},
        {"01/01/2024x", Brazilian(), std::nullopt},
        {"01 /01/2024", Brazilian(), std::nullopt},
        {"1/2/2024 10:00", Brazilian(), std::nullopt},
        {"13/01/2024", American(), std::nullopt},
        {"29/02/2024", German(), std::nullopt},
    };
    for (const TParseCase& c : cases) {
        EXPECT_EQ(c.expected, TryStrToDate(c.text, c.settings)) << '"' << c.text << '"';
    }
}

TEST(RegionalTryStrToDate, TwoDigitYearsFallWithinFiftyYearsOfNow)
{
    // The window runs from 50 years before this year to 49 after it.
    const int thisYear = QDate::currentDate().year();
    const std::vector<int> years = {thisYear,      thisYear - 1,  thisYear + 1, thisYear - 50,
                                    thisYear + 49, thisYear - 25, thisYear + 25};
    for (const int year : years) {
        const int twoDigits = year % 100;
        const std::string text =
            "15/06/" + std::string(twoDigits < 10 ? "0" : "") + std::to_string(twoDigits);
        EXPECT_EQ(EncodeDate(year, 6, 15), TryStrToDate(text, Brazilian())) << text;
    }
}

TEST(RegionalTryStrToDate, ReadsBackWhatDateToStrWrites)
{
    const std::vector<TFormatSettings> settingsList = {Brazilian(), American(), German(),
                                                       TFormatSettings{'.', '-', "yyyy/mm/dd"},
                                                       TFormatSettings{',', '/', "d/m/yyyy"}};
    for (const TFormatSettings& settings : settingsList) {
        for (QDate date(1901, 1, 1); date.year() < 2100; date = date.addDays(37)) {
            const double day = QDateToDayNumber(date);
            const std::string text = DateToStr(day, settings);
            ASSERT_EQ(day, TryStrToDate(text, settings)) << text << " " << settings.shortDateFormat;
        }
    }
}

} // namespace
} // namespace zev
