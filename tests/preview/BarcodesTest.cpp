#include "Scan.h"

#include "preview/Barcodes.h"
#include "preview/Code128.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace zev::test {
namespace {

TLinearStyle Style(bool text = true, bool above = false)
{
    TLinearStyle style;
    style.height = 60;
    style.text = text;
    style.textAbove = above;
    return style;
}

TEST(Barcodes, ReadBackWithTheirCheckDigits)
{
    // Name, symbol, format and text read, interpretation line, modules (0 for
    // the two-width symbologies).
    using TEncode = std::function<TLinearSymbol()>;
    const std::tuple<const char*, TEncode, const char*, const char*, const char*, int> cases[] = {
        {"EAN-13", [] { return EncodeEan13("590123412345"); }, "EAN-13", "5901234123457", "5901234123457", 95},
        {"EAN-13 errado", [] { return EncodeEan13("5901234123450"); }, "EAN-13", "5901234123457", "5901234123457", 95},
        // A leading zero makes it a UPC-A to the reader.
        {"EAN-13 curto", [] { return EncodeEan13("12345"); }, "UPC-A", "000000123457", "0000000123457", 95},
        {"EAN-8", [] { return EncodeEan8("9638507"); }, "EAN-8", "96385074", "96385074", 67},
        {"UPC-A", [] { return EncodeUpcA("03600029145", true); }, "UPC-A", "036000291452", "036000291452", 95},
        {"UPC-A sem dígito", [] { return EncodeUpcA("03600029145", false); }, "UPC-A", "036000291452", "03600029145", 95},
        {"2 de 5", [] { return EncodeInterleaved2of5("123456", false); }, "ITF", "123456", "123456", 0},
        {"2 de 5 ímpar", [] { return EncodeInterleaved2of5("12345", false); }, "ITF", "012345", "012345", 0},
        {"2 de 5 verificado", [] { return EncodeInterleaved2of5("1234567", true); }, "ITF", "12345670", "12345670", 0},
        {"Code 39", [] { return EncodeCode39("ABC-12", false); }, "Code39", "ABC-12", "*ABC-12*", 0},
        {"Code 39 verificado", [] { return EncodeCode39("ABC-12", true); }, "Code39", "ABC-12T", "*ABC-12T*", 0},
    };
    for (const auto& [name, encode, format, read, text, modules] : cases) {
        SCOPED_TRACE(name);
        const TLinearSymbol symbol = encode();
        const std::vector<TScanned> found = ScanBarcodes(OnPaper(DrawLinear(symbol, Style())));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].format, format);
        EXPECT_EQ(found[0].text, read);
        EXPECT_EQ(symbol.text, text);
        EXPECT_EQ(symbol.twoWidths, modules == 0);
        if (modules != 0) {
            EXPECT_EQ(std::accumulate(symbol.elements.begin(), symbol.elements.end(), 0), modules);
        }
        for (const int element : symbol.elements)
            EXPECT_TRUE(symbol.twoWidths ? element == 1 || element == 2 : element >= 1 && element <= 4);
    }
}

TEST(Barcodes, BarsStartWhereTheCallerIsToldAndTheLineLiesBelowOrAbove)
{
    const std::tuple<const char*, TLinearSymbol, bool> cases[] = {
        {"Code 128", EncodeCode128("123456789012", TCode128Mode::Automatic), false},
        {"EAN-13", EncodeEan13("590123412345"), true},
        {"UPC-A", EncodeUpcA("03600029145", true), true},
        {"EAN-8", EncodeEan8("9638507"), false},
    };
    for (const auto& [name, symbol, digitLeftOfBars] : cases) {
        SCOPED_TRACE(name);
        const TLinearStyle below = Style();
        const int left = LinearBarsLeft(symbol, below);
        const QImage plain = OnPaper(DrawLinear(symbol, below));
        EXPECT_EQ(left > 0, digitLeftOfBars);
        EXPECT_EQ(InkBox(plain, {0, 0, plain.width(), 10}).left(), left);
        EXPECT_EQ(InkCount(plain, {0, 0, left, below.height}), 0);
        const QRect line(0, below.height + 1, plain.width(), plain.height() - below.height - 1);
        EXPECT_GT(InkCount(plain, line), 0);

        const QImage bare = OnPaper(DrawLinear(symbol, Style(false)));
        EXPECT_EQ(bare.height(), below.height);
        EXPECT_EQ(InkBox(bare).left(), 0);

        const QImage above = OnPaper(DrawLinear(symbol, Style(true, true)));
        EXPECT_EQ(InkBox(above, {0, above.height() - 1, above.width(), 1}).left(), left);
        EXPECT_GT(InkCount(above, {0, 0, above.width(), above.height() - below.height}), 0);
    }
}

TEST(Barcodes, WideElementsTakeTheRatio)
{
    const TLinearSymbol symbol = EncodeInterleaved2of5("123456", false);
    const int wide = static_cast<int>(std::count(symbol.elements.begin(), symbol.elements.end(), 2));
    const int narrow = static_cast<int>(symbol.elements.size()) - wide;
    TLinearStyle style = Style(false);
    style.module = 3;
    style.ratio = 2.5;
    // The printer drops the fraction: 2.5 x 3 dots is a 7-dot wide bar.
    EXPECT_EQ(DrawLinear(symbol, style).width(), narrow * 3 + wide * 7);
    // Six digits: three pairs of five bars and five spaces, two of each five wide.
    EXPECT_EQ(wide, 3 * 4 + 1);
}

TEST(Barcodes, QrCodeHoldsUtf8TextAtEveryLevel)
{
    const std::string text = "Açúcar cristal – R$ 4,99";
    for (const char level : {'L', 'M', 'Q', 'H'}) {
        SCOPED_TRACE(level);
        const TMatrixSymbol symbol = EncodeQr(text, level);
        ASSERT_GE(symbol.size, 21);
        EXPECT_EQ(symbol.dark.size(), static_cast<std::size_t>(symbol.size * symbol.size));
        const QImage mask = DrawMatrix(symbol, 3);
        EXPECT_EQ(mask.width(), symbol.size * 3);
        const QImage paper = OnPaper(mask);
        EXPECT_EQ(InkBox(paper), paper.rect()); // finder patterns in three corners, no quiet zone
        const std::vector<TScanned> found = ScanBarcodes(paper);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].format, "QRCode");
        EXPECT_EQ(found[0].text, text);
    }
}

TEST(Barcodes, RefuseDataTheirSymbologiesCannotHold)
{
    const std::function<void()> encoders[] = {
        [] { EncodeEan13("12A"); }, [] { EncodeEan8(""); }, [] { EncodeUpcA("0360002914x", true); },
        [] { EncodeInterleaved2of5("12-34", false); }, [] { EncodeCode39("ação", false); },
        [] { EncodeQr("abc", 'X'); }};
    for (const auto& encode : encoders)
        EXPECT_THROW(encode(), ESymbolError);
}

} // namespace
} // namespace zev::test
