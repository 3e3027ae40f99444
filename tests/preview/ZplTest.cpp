#include "Scan.h"

#include "labels/FileLabel.h"
#include "labels/LabelRegistry.h"
#include "platform/Regional.h"
#include "preview/LabelPreview.h"
#include "tests/labels/LabelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace zev::test {
namespace {

TLabelPicture Zpl(const std::string& label, const std::string& header = {})
{
    return RenderPreview(header, label, {});
}

TLabelPicture Format(const std::string& fields)
{
    return Zpl("^XA^PW400^LL300" + fields + "^XZ");
}

QRect Ink(const std::string& fields)
{
    return InkBox(Format(fields).image);
}

// A text's ink lies within a few dots of where the printer puts it; the
// font's own side bearings are all that may differ.
constexpr int Slack = 4;

// The ink inside an area (all of the label when null), and how many dots of
// it there are when that is not -1.
TEST(ZplPreview, GraphicsLandWhereTheirCommandsPutThem)
{
    const QByteArray rows = QByteArray::fromHex("FFFF0000F00F");
    // qCompress puts the size first; the printer's Z64 is the deflated data alone.
    const std::string z64 = qCompress(rows).mid(4).toBase64().toStdString();
    const std::string reversed = "^FO0,0^GB100,50,50^FS^FO50,0^FR^GB100,50,50^FS";
    const std::tuple<std::string, QRect, QRect, int> cases[] = {
        {"^FO50,60^GB100,40,40^FS", {}, {50, 60, 100, 40}, -1},
        {"^FO50,60^GB100,40,3^FS", {}, {50, 60, 100, 40}, 100 * 40 - 94 * 34},
        // Rounding takes the corner.
        {"^FO20,20^GB40,40,40,B,8^FS", {20, 20, 3, 3}, {}, 0},
        // Two bytes a row: FFFF, the row repeated, a row of zeros.
        {"^FO10,10^GFA,6,6,2,JF:,^FS", {}, {10, 10, 16, 2}, -1},
        {"^FO10,10^GFA,6,6,2,:Z64:" + z64 + ":1a2b^FS", {}, {10, 10, 16, 3}, 16 + 8},
        // A reverse field turns the dots it covers.
        {reversed, {50, 0, 50, 50}, {}, 0},
    };
    for (const auto& [fields, area, ink, count] : cases) {
        SCOPED_TRACE(fields);
        const TLabelPicture picture = Format(fields);
        EXPECT_EQ(InkBox(picture.image, area), ink);
        if (count >= 0) {
            EXPECT_EQ(InkCount(picture.image, area), count);
        }
    }
}

TEST(ZplPreview, TypesetFieldsTurnAboutTheirAnchor)
{
    // A barcode's anchor is the bottom left of its bars: the corner of the
    // ink that lies on it.
    const std::tuple<char, QPoint, bool, bool> cases[] = {
        {'N', {100, 199}, false, true},
        {'B', {99, 199}, true, true},
    };
    for (const auto& [turn, corner, right, bottom] : cases) {
        SCOPED_TRACE(turn);
        const QRect ink = Ink(std::string("^FT100,200^BY2^BC") + turn + ",60,N,N,N,A^FD1234^FS");
        EXPECT_EQ(right ? ink.right() : ink.left(), corner.x());
        EXPECT_EQ(bottom ? ink.bottom() : ink.top(), corner.y());
    }
    // In a block, ^FT is the baseline of the block's last line, drawn or not.
    EXPECT_NEAR(Ink("^FT10,200^A0N,30,30^FB300,3^FDHELLO^FS").bottom(), 139, 2);
}

TEST(ZplPreview, TextStartsAtItsOriginAndSitsOnItsBaseline)
{
    const QRect normal = Ink("^FO50,50^A0N,40,40^FDHELLO^FS");
    EXPECT_NEAR(normal.left(), 50, Slack);

    EXPECT_NEAR(Ink("^FT100,100^A0N,40,40^FDHELLO^FS").bottom(), 99, 2);

    // Width follows the font's width parameter.
    EXPECT_NEAR(Ink("^FO0,0^A0N,40,40^FDHELLO^FS").width(),
                2 * Ink("^FO0,0^A0N,40,20^FDHELLO^FS").width(), Slack);
}

TEST(ZplPreview, FieldBlocksJustifyAndWrap)
{
    // The left edge, the right edge or the centre of the ink, and where it lies.
    const std::tuple<char, int, int> cases[] = {{'L', 0, 0}, {'R', 1, 300}, {'C', 2, 150}};
    for (const auto& [justify, edge, at] : cases) {
        const QRect ink = Ink(std::string("^FO0,0^A0N,30,30^FB300,1,0,") + justify + "^FDAB^FS");
        const int edges[] = {ink.left(), ink.right(), ink.center().x()};
        EXPECT_NEAR(edges[edge], at, Slack) << justify;
    }
    // Three lines of 30 dots, 10 between them: the words fill them in order.
    const QRect wrapped = Ink("^FO0,0^A0N,30,30^FB120,3,10,L^FDAAAA BBBB CCCC^FS");
    EXPECT_GT(wrapped.bottom(), 80);
    EXPECT_LE(wrapped.bottom(), 110);
    EXPECT_GT(Ink("^FO0,0^A0N,30,30^FB400,2,0,L^FDA\\&B^FS").height(), 40);
}

TEST(ZplPreview, CharacterSetsGiveThePrintersCharacters)
{
    // The same letter written three ways draws the same dots.
    const QImage utf8 = Format("^CI28^FO10,10^A0N,40,40^FD\xC3\x87\xC3\xA3^FS").image;
    for (const char* other :
         {"^CI27^FO10,10^A0N,40,40^FD\xC7\xE3^FS", "^CI0^FO10,10^A0N,40,40^FD\x80\xC6^FS",
          "^CI27^FO10,10^A0N,40,40^FH^FD_C7_e3^FS"})
        EXPECT_EQ(Format(other).image, utf8) << other;
    EXPECT_NE(Format("^CI0^FO10,10^A0N,40,40^FD\xC7\xE3^FS").image, utf8);
}

TEST(ZplPreview, TheHeadersStateHoldsForTheLabel)
{
    const std::string header = "^XA^CI27^PW300^LL200^LH5,5^BY3^CF0,60^XZ";
    const TLabelPicture picture = Zpl("^XA^FO0,0^GB10,10,10^FS^XZ", header);
    EXPECT_EQ(picture.image.size(), QSize(300, 200));
    EXPECT_EQ(InkBox(picture.image), QRect(5, 5, 10, 10));

    EXPECT_EQ(Zpl("^XA^FO0,0^FD\xC9^FS^XZ", header).image,
              Zpl("^XA^CI28^PW300^LL200^FO5,5^A0N,60,60^FD\xC3\x89^FS^XZ").image);
    // Only the first format of the label is its picture.
    EXPECT_EQ(
        InkBox(Zpl("^XA^PW100^LL100^FO0,0^GB10,10,10^FS^XZ^XA^FO50,50^GB10,10,10^FS^XZ").image),
        QRect(0, 0, 10, 10));
}

TEST(ZplPreview, UnknownCommandsAreNamedAndTheRestIsDrawn)
{
    const std::string label = "^XA^PQ1^MNY~JA^FO10,10^GB10,10,10^FS^ZZ1,2^FO50,50^GB10,10,10^FS^XZ";
    const TLabelPicture picture = Zpl(label);
    ASSERT_EQ(picture.gaps.size(), 1U);
    EXPECT_EQ(picture.gaps[0].command, "^ZZ");
    EXPECT_EQ(picture.gaps[0].offset, label.find("^ZZ"));
    EXPECT_FALSE(picture.gaps[0].inHeader);
    EXPECT_EQ(InkBox(picture.image), QRect(10, 10, 50, 50));

    // A symbology without a picture takes its data: no text is drawn for it.
    // An unknown font still writes; data a symbology cannot hold, nothing.
    const std::tuple<const char*, const char*, bool> fields[] = {
        {"^FO10,10^B7N,10^FD1234^FS", "^B7", false},
        {"^FO10,10^AQN,30,30^FDX^FS", "^A", true},
        {"^FO40,40^BEN,60^FDABC^FS", "^BE", false},
    };
    for (const auto& [field, command, ink] : fields) {
        const TLabelPicture gap = Format(field);
        ASSERT_EQ(gap.gaps.size(), 1U) << field;
        EXPECT_EQ(gap.gaps[0].command, command);
        EXPECT_EQ(InkCount(gap.image) > 0, ink) << field;
    }
}

TEST(ZplPreview, BarcodesScanBackToTheirData)
{
    // The code sets themselves: Code128Test.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"^BY2^BCN,60,Y,N,N,A^FD78912345678950", "Code128", "78912345678950"},
        {"^BY2^BEN,60,Y,N^FD789123456789", "EAN-13", "7891234567895"},
        {"^BQN,2,5^FDQA,https://zev.example/42", "QRCode", "https://zev.example/42"},
    };
    for (const auto& [field, format, text] : cases) {
        SCOPED_TRACE(field);
        const TLabelPicture picture = Format(std::string("^FO40,40") + field + "^FS");
        EXPECT_TRUE(picture.gaps.empty()) << (picture.gaps.empty() ? "" : picture.gaps[0].reason);
        const std::vector<TScanned> found = ScanBarcodes(picture.image);
        ASSERT_EQ(found.size(), 1U);
        EXPECT_EQ(found[0].format, format);
        EXPECT_EQ(found[0].text, text);
    }
}

TEST(ZplPreview, BarcodeHeightAndModuleFollowTheCommand)
{
    const QRect bare = Ink("^FO40,40^BY2^BCN,60,N,N,N,A^FD12345678^FS");
    EXPECT_EQ(bare.top(), 40);
    EXPECT_EQ(bare.height(), 60);
    // Twice the module, twice the width.
    const QRect wide = Ink("^FO40,40^BY4^BCN,60,N,N,N,A^FD12345678^FS");
    EXPECT_EQ(wide.width(), 2 * bare.width());
}

// Every template shipped for stores, in each of its bodies: the placeholders
// all filled, the price in force, a gapless picture of the label's size and
// one barcode that reads back as the product's.
TEST(ShippedTemplates, DrawEveryBodyWithAScanningBarcode)
{
    const auto unit = Arroz();
    const auto box = CaixaDeLeite(*unit);
    for (TProduto* produto : {unit.get(), box.get()}) {
        produto->fornecedorDescricao = "DISTRIBUIDORA ANA (12.345.678/0001-95)";
        produto->fabricacao = EncodeDate(2026, 11, 30);
        produto->diasValidade = 180;
    }
    const std::tuple<const TProduto&, double, const char*> bodies[] = {
        {*unit, EncodeDate(2026, 12, 20), "21,90"},
        {*unit, EncodeDate(2026, 12, 3), "19,50"},
        {*box, EncodeDate(2026, 12, 20), "59,90"},
        {*box, EncodeDate(2026, 12, 3), "54,00"}};
    const std::vector<QString> files = LabelFiles(QStringLiteral(ZEV_EXAMPLES "/modelos"));
    ASSERT_EQ(files.size(), 3u);
    for (const QString& file : files) {
        const TFileLabel label(file);
        for (const auto& [produto, date, price] : bodies) {
            SCOPED_TRACE(file.toStdString() + " " + price);
            std::string text;
            label.RenderSingle(produto, text, date);
            EXPECT_EQ(text.find('{'), std::string::npos) << text;
            EXPECT_TRUE(Contains(text, price)) << text;
            const TLabelPicture picture = PreviewProduto(label, produto, date);
            EXPECT_EQ(picture.image.size(), QSize(480, 320)) << picture.noPreview.toStdString();
            for (const TPreviewGap& gap : picture.gaps)
                ADD_FAILURE() << GapText(gap).toStdString();
            const std::vector<TScanned> found = ScanBarcodes(picture.image);
            ASSERT_EQ(found.size(), 1U);
            EXPECT_EQ(found[0].text, BarcodeValue(produto));
        }
    }
}

TEST(ZplPreview, DataWithoutAFormatHasNoPicture)
{
    // Nor a template of no language: PreviewCommandTest.
    EXPECT_FALSE(RenderPreview({}, "N\r\nA50,0,0,1,1,1,N,\"EPL\"\r\nP1\r\n", {}).HasPicture());
}

} // namespace
} // namespace zev::test
