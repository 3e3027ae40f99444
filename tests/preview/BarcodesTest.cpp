#include "Scan.h"

#include "preview/Barcodes.h"
#include "preview/Code128.h"

#include <gtest/gtest.h>

#include <functional>
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
    // Name, symbol, format and text read, interpretation line.
    using TEncode = std::function<TLinearSymbol()>;
    const std::tuple<const char*, TEncode, const char*, const char*, const char*> cases[] = {
        {"EAN-13 errado", [] { return EncodeEan13("5901234123450"); }, "EAN-13", "5901234123457",
         "5901234123457"},
        // A leading zero makes it a UPC-A to the reader.
        {"EAN-13 curto", [] { return EncodeEan13("12345"); }, "UPC-A", "000000123457",
         "0000000123457"},
        {"EAN-8", [] { return EncodeEan8("9638507"); }, "EAN-8", "96385074", "96385074"},
        {"UPC-A", [] { return EncodeUpcA("03600029145", true); }, "UPC-A", "036000291452",
         "036000291452"},
        {"UPC-A sem dígito", [] { return EncodeUpcA("03600029145", false); }, "UPC-A",
         "036000291452", "03600029145"},
        {"2 de 5 ímpar", [] { return EncodeInterleaved2of5("12345", false); }, "ITF", "012345",
         "012345"},
        {"2 de 5 verificado", [] { return EncodeInterleaved2of5("1234567", true); }, "ITF",
         "12345670", "12345670"},
        {"Code 39 verificado", [] { return EncodeCode39("ABC-12", true); }, "Code39", "ABC-12T",
         "*ABC-12T*"},
    };
    for (const auto& [name, encode, format, read, text] : cases) {
        SCOPED_TRACE(name);
        const TLinearSymbol symbol = encode();
        const std::vector<TScanned> found = ScanBarcodes(OnPaper(DrawLinear(symbol, Style())));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].format, format);
        EXPECT_EQ(found[0].text, read);
        EXPECT_EQ(symbol.text, text);
    }
}

TEST(Barcodes, QrCodeHoldsUtf8TextAtEveryLevel)
{
    const std::string text = "Açúcar cristal – R$ 4,99";
    for (const char level : {'L', 'M', 'Q', 'H'}) {
        SCOPED_TRACE(level);
        const TMatrixSymbol symbol = EncodeQr(text, level);
        const std::vector<TScanned> found = ScanBarcodes(OnPaper(DrawMatrix(symbol, 3)));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].format, "QRCode");
        EXPECT_EQ(found[0].text, text);
    }
}

TEST(Barcodes, RefuseDataTheirSymbologiesCannotHold)
{
    const std::function<void()> encoders[] = {[] { EncodeEan13("12A"); },
                                              [] { EncodeEan8(""); },
                                              [] { EncodeUpcA("0360002914x", true); },
                                              [] { EncodeInterleaved2of5("12-34", false); },
                                              [] { EncodeCode39("ação", false); },
                                              [] { EncodeQr("abc", 'X'); }};
    for (const auto& encode : encoders)
        EXPECT_THROW(encode(), ESymbolError);
}

} // namespace
} // namespace zev::test
