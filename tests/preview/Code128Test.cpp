#include "Scan.h"

#include "preview/Code128.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace zev::test {
namespace {

using enum TCode128Mode;

// The start characters' bars and spaces, as Code 128 defines them.
const std::vector<int> StartA{2, 1, 1, 4, 1, 2};
const std::vector<int> StartB{2, 1, 1, 2, 1, 4};
const std::vector<int> StartC{2, 1, 1, 2, 3, 2};

std::string Read(const TLinearSymbol& symbol)
{
    TLinearStyle style;
    style.height = 60;
    const std::vector<TScanned> found = ScanBarcodes(OnPaper(DrawLinear(symbol, style)));
    if (found.size() != 1 || found[0].format != "Code128")
        return "(" + std::to_string(found.size()) + " símbolos lidos)";
    return found[0].text;
}

TEST(Code128, ReadsBackWithThePrintersCodeSets)
{
    // Data, mode, check, read, interpretation line, `characters` (start, data
    // and the check character, each 11 modules, with the stop's 13 after them)
    // and the start character.
    const std::tuple<const char*, TCode128Mode, bool, std::string, std::string, int,
                     const std::vector<int>&>
        cases[] = {
            // Automatic: digits in pairs, the odd one last in set B.
            {"1234567890123", Automatic, false, "1234567890123", "1234567890123", 1 + 6 + 2 + 1,
             StartC},
            {"123", Automatic, false, "123", "123", 1 + 3 + 1, StartB},
            // Five digits inside text: the first in set B, the others in C.
            {"AB12345cd", Automatic, false, "AB12345cd", "AB12345cd", 1 + 2 + 2 + 2 + 1 + 2 + 1,
             StartB},
            // A control character among lower-case letters goes with a shift.
            {"ab\tcd", Automatic, false, "ab\tcd", "abcd", 1 + 2 + 2 + 2 + 1, StartB},
            {"\tAB", Automatic, false, "\tAB", "AB", 1 + 3 + 1, StartA},
            // Normal: set B unless the data starts another; codes switch sets.
            {">;123456>6AB", Normal, false, "123456AB", "123456AB", 1 + 3 + 1 + 2 + 1, StartC},
            {"A><B>=", Normal, false, "A>B~", "A>B~", 1 + 4 + 1, StartB},
            // Set C drops a pair a letter breaks and a digit left alone before a code.
            {">;381D2436", Normal, false, "382436", "382436", 1 + 3 + 1, StartC},
            {">;123>6AB", Normal, false, "12AB", "12AB", 1 + 1 + 1 + 2 + 1, StartC},
            // The manual's shipping container: check digit 0, FNC1 first.
            {">;>80012345123451234512", Normal, true, "00123451234512345120",
             "00123451234512345120", 1 + 1 + 10 + 1, StartC},
            {"00123451234512345129999", Ucc, false, "00123451234512345120",
             "(00) 1 2345123 451234512 0", 1 + 1 + 10 + 1, StartC},
            // UCC/EAN: the GTIN's check digit added, FNC1 after a batch number.
            {"(01)0950110153000(10)ABC 12(17)251231", Ean, false,
             "010950110153000310ABC12\x1d"
             "17251231",
             "(01)09501101530003(10)ABC 12(17)251231", 1 + 1 + 9 + 1 + 5 + 1 + 1 + 4 + 1, StartC},
        };
    for (const auto& [data, mode, check, read, text, characters, start] : cases) {
        SCOPED_TRACE(data);
        const TLinearSymbol symbol = EncodeCode128(data, mode, check);
        EXPECT_EQ(Read(symbol), read);
        EXPECT_EQ(symbol.text, text);
        EXPECT_EQ(std::accumulate(symbol.elements.begin(), symbol.elements.end(), 0),
                  11 * characters + 13);
        EXPECT_EQ(std::vector<int>(symbol.elements.begin(), symbol.elements.begin() + 6), start);
    }
}

TEST(Code128, RefusesWhatItsSetsCannotHold)
{
    const std::tuple<const char*, TCode128Mode, const char*> cases[] = {
        {"caf\xE9", Automatic, "0xE9"},
        {">9ab", Normal, "0x61"},
        {"AB>Z", Normal, ">Z"},
        {"(01", Ean, ")"},
    };
    for (const auto& [data, mode, message] : cases)
        EXPECT_THAT([&] { EncodeCode128(data, mode); },
                    testing::ThrowsMessage<ESymbolError>(testing::HasSubstr(message)))
            << data;
}

} // namespace
} // namespace zev::test
