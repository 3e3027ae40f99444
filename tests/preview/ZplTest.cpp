#include "Scan.h"

#include "labels/FileLabel.h"
#include "labels/LabelRegistry.h"
#include "platform/Regional.h"
#include "preview/LabelPreview.h"
#include "tests/labels/LabelTestSupport.h"

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

TEST(ZplPreview, BoxesAndGraphicsLandWhereTheirCommandsPutThem)
{
    const std::pair<const char*, QRect> cases[] = {
        {"^FO50,60^GB100,40,40^FS", {50, 60, 100, 40}},
        {"^FO50,60^GB100,40,3^FS", {50, 60, 100, 40}},
        {"^LH30,20^FO10,10^GB10,10,10^FS", {40, 30, 10, 10}},
        {"^LT-5^FO10,10^GB10,10,10^FS", {10, 5, 10, 10}},
        {"^FO20,20^GC50,2^FS", {20, 20, 50, 50}},
        {"^FO20,20^GE80,40,40^FS", {20, 20, 80, 40}},
        {"^FO20,20^GB30,30,30,B,8^FS", {20, 20, 30, 30}},
        // The anchor of ^FT is the bottom left.
        {"^FT50,100^GB20,40,20^FS", {50, 60, 20, 40}},
        // Graphics have no orientation for ^FW to turn.
        {"^FWR^FO10,10^GB200,20,20^FS", {10, 10, 200, 20}},
        // Upside down, and mirrored.
        {"^POI^FO0,0^GB10,20,10^FS", {390, 280, 10, 20}},
        {"^PMY^FO0,0^GB10,20,10^FS", {390, 0, 10, 20}},
        // Two bytes a row: FFFF, the row repeated, a row of zeros.
        {"^FO10,10^GFA,6,6,2,JF:,^FS", {10, 10, 16, 2}},
        {"^FO10,10^GFA,4,4,2,F0F0\r\n0F0F^FS", {10, 10, 16, 2}},
    };
    for (const auto& [fields, ink] : cases) {
        SCOPED_TRACE(fields);
        const TLabelPicture picture = Format(fields);
        ASSERT_TRUE(picture.HasPicture());
        EXPECT_TRUE(picture.gaps.empty());
        EXPECT_EQ(InkBox(picture.image), ink);
    }
}

TEST(ZplPreview, CompressedGraphicsDrawAsTheirBytes)
{
    const QByteArray rows = QByteArray::fromHex("FFFF0000F00F");
    // qCompress puts the size first; the printer's Z64 is the deflated data alone.
    const QByteArray z64 = qCompress(rows).mid(4).toBase64();
    for (const QByteArray& data : {":Z64:" + z64 + ":1a2b", ":B64:" + rows.toBase64() + ":1a2b"}) {
        SCOPED_TRACE(data.toStdString());
        const TLabelPicture picture = Format("^FO10,10^GFA,6,6,2," + data.toStdString() + "^FS");
        EXPECT_TRUE(picture.gaps.empty());
        EXPECT_EQ(InkBox(picture.image), QRect(10, 10, 16, 3));
        EXPECT_EQ(InkCount(picture.image), 16 + 8);
    }
}

TEST(ZplPreview, TypesetFieldsTurnAboutTheirAnchor)
{
    // A barcode's anchor is the bottom left of its bars: the corner of the
    // ink that lies on it.
    const std::tuple<char, QPoint, bool, bool> cases[] = {
        {'N', {100, 199}, false, true},
        {'R', {100, 200}, false, false},
        {'I', {99, 200}, true, false},
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

TEST(ZplPreview, BordersAndRoundingLeaveTheInsideBlank)
{
    // A diagonal's sharp ends may lose their last dot.
    for (const char* lean : {"L", "R"}) {
        const QImage diagonal = Format(std::string("^FO20,20^GD60,30,4,B,") + lean + "^FS").image;
        EXPECT_LE((InkBox(diagonal).topLeft() - QPoint(20, 20)).manhattanLength(), 2);
        EXPECT_LE((InkBox(diagonal).bottomRight() - QPoint(79, 49)).manhattanLength(), 2);
        // Left-leaning starts at the top left, right-leaning at the bottom left.
        EXPECT_EQ(InkCount(diagonal, {20, 20, 6, 4}) > 0, *lean == 'L') << lean;
    }
    EXPECT_EQ(InkCount(Format("^FO50,60^GB100,40,3^FS").image), 100 * 40 - 94 * 34);
    EXPECT_EQ(InkCount(Format("^FO20,20^GB40,40,40^FS").image, {20, 20, 3, 3}), 9);
    EXPECT_EQ(InkCount(Format("^FO20,20^GB40,40,40,B,8^FS").image, {20, 20, 3, 3}), 0);
    EXPECT_EQ(InkCount(Format("^FO20,20^GC60,5^FS").image, {40, 40, 20, 20}), 0);
}

TEST(ZplPreview, AReverseFieldTurnsTheDotsItCovers)
{
    const TLabelPicture picture =
        Format("^FO0,0^GB100,50,50^FS^FO50,0^FR^GB100,50,50^FS^FO0,100^LRY^GB10,10,10^FS");
    EXPECT_EQ(InkBox(picture.image, {0, 0, 400, 60}), QRect(0, 0, 50, 50) | QRect(100, 0, 50, 50));
    EXPECT_EQ(InkCount(picture.image, {50, 0, 50, 50}), 0);
    // Under ^LR every field reverses: on white paper that is still ink.
    EXPECT_EQ(InkBox(picture.image, {0, 90, 400, 30}), QRect(0, 100, 10, 10));
    EXPECT_EQ(InkCount(Format("^FO0,0^GB100,50,50^FS^FO10,10^GB20,20,20,W^FS").image, {10, 10, 20, 20}), 0);
}

TEST(ZplPreview, TextStartsAtItsOriginAndSitsOnItsBaseline)
{
    const QRect at = Ink("^FO100,50^A0N,40,40^FDHELLO^FS");
    EXPECT_NEAR(at.left(), 100, Slack);
    EXPECT_GE(at.top(), 50);
    EXPECT_LE(at.bottom(), 90);
    EXPECT_GT(at.height(), 20); // capitals fill most of the height

    EXPECT_NEAR(Ink("^FT100,100^A0N,40,40^FDHELLO^FS").bottom(), 99, 2);

    // Width follows the font's width parameter.
    EXPECT_NEAR(Ink("^FO0,0^A0N,40,40^FDHELLO^FS").width(),
                2 * Ink("^FO0,0^A0N,40,20^FDHELLO^FS").width(), Slack);
}

TEST(ZplPreview, BitmapFontsGrowByWholeCells)
{
    // Font D is 18 dots high: 25 rounds to one cell, 40 to two.
    const int one = Ink("^FO0,0^ADN,25,10^FDHH^FS").height();
    const int two = Ink("^FO0,0^ADN,40,10^FDHH^FS").height();
    EXPECT_LE(one, 18);
    EXPECT_NEAR(two, 2 * one, 2);
    // Cells are fixed: every character takes the same width.
    EXPECT_NEAR(Ink("^FO0,0^AE^FDI.I^FS").width(), Ink("^FO0,0^AE^FDM.M^FS").width(), 15);
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
    EXPECT_LE(wrapped.right(), 120);
    EXPECT_GT(Ink("^FO0,0^A0N,30,30^FB400,2,0,L^FDA\\&B^FS").height(), 40);
    // A hanging indent moves every line but the first.
    EXPECT_NEAR(InkBox(Format("^FO0,0^A0N,30,30^FB120,3,0,L,50^FDAAAA BBBB^FS").image, {0, 35, 400, 30}).left(), 50, Slack);
}

TEST(ZplPreview, RotatedFieldsTurnClockwise)
{
    const QRect normal = Ink("^FO50,50^A0N,40,40^FDHELLO^FS");
    for (const char* turn : {"R", "B"}) {
        SCOPED_TRACE(turn);
        const QRect turned = Ink(std::string("^FO50,50^A0") + turn + ",40,40^FDHELLO^FS");
        EXPECT_NEAR(turned.width(), normal.height(), 2);
        EXPECT_NEAR(turned.height(), normal.width(), 2);
        EXPECT_GE(turned.left(), 50);
        EXPECT_GE(turned.top(), 50);
    }
    // ^FW sets the turn of the fields that do not name their own.
    const QRect byDefault = Ink("^FWR^FO50,50^A0,40,40^FDHELLO^FS");
    EXPECT_GT(byDefault.height(), byDefault.width());
}

TEST(ZplPreview, CharacterSetsGiveThePrintersCharacters)
{
    // The same letter written three ways draws the same dots.
    const QImage utf8 = Format("^CI28^FO10,10^A0N,40,40^FD\xC3\x87\xC3\xA3^FS").image;
    for (const char* other : {"^CI27^FO10,10^A0N,40,40^FD\xC7\xE3^FS", "^CI0^FO10,10^A0N,40,40^FD\x80\xC6^FS",
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
    EXPECT_EQ(InkBox(Zpl("^XA^PW100^LL100^FO0,0^GB10,10,10^FS^XZ^XA^FO50,50^GB10,10,10^FS^XZ").image),
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
    const TLabelPicture unknownBarcode = Format("^FO10,10^B7N,10^FD1234^FS");
    ASSERT_EQ(unknownBarcode.gaps.size(), 1U);
    EXPECT_EQ(unknownBarcode.gaps[0].command, "^B7");
    EXPECT_EQ(InkCount(unknownBarcode.image), 0);
    // A serial number prints its first value.
    EXPECT_EQ(Format("^FO10,10^A0N,30,30^SN42,1,Y^FS").image, Format("^FO10,10^A0N,30,30^FD42^FS").image);

    const TLabelPicture unknownFont = Format("^FO10,10^AQN,30,30^FDX^FS");
    ASSERT_EQ(unknownFont.gaps.size(), 1U);
    EXPECT_EQ(unknownFont.gaps[0].command, "^A");
    EXPECT_FALSE(InkBox(unknownFont.image).isNull());
}


TEST(ZplPreview, BarcodesScanBackToTheirData)
{
    // The code sets themselves: Code128Test.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"^BY2^BCN,60,Y,N,N,A^FD78912345678950", "Code128", "78912345678950"},
        {"^BY2^BCN,60,Y,N,N,N^FDABC-123", "Code128", "ABC-123"},
        {"^BY2^BEN,60,Y,N^FD789123456789", "EAN-13", "7891234567895"},
        {"^BY2^B2N,60,Y,N,N^FD12345678", "ITF", "12345678"},
        {"^BY2^B3N,N,60,Y,N^FDZEV 42", "Code39", "ZEV 42"},
        {"^BQN,2,5^FDQA,https://zev.example/42", "QRCode", "https://zev.example/42"},
        {"^BQN,2,5^FDMM,AZEV 42", "QRCode", "ZEV 42"},
        {"^BY2^BCR,60,Y,N,N,A^FD12345678", "Code128", "12345678"},
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

TEST(ZplPreview, BarcodeHeightAndInterpretationLineFollowTheCommand)
{
    const QRect bare = Ink("^FO40,40^BY2^BCN,60,N,N,N,A^FD12345678^FS");
    EXPECT_EQ(bare.top(), 40);
    EXPECT_EQ(bare.height(), 60);
    const QRect below = Ink("^FO40,40^BY2^BCN,60,Y,N,N,A^FD12345678^FS");
    EXPECT_EQ(below.top(), 40);
    EXPECT_GT(below.height(), 70);
    // Twice the module, twice the width.
    const QRect wide = Ink("^FO40,40^BY4^BCN,60,N,N,N,A^FD12345678^FS");
    EXPECT_EQ(wide.width(), 2 * bare.width());
    // The printer sets a QR code the ^BY height below its origin.
    EXPECT_EQ(Ink("^FO40,40^BY2,3,10^BQN,2,4^FDQA,42^FS").topLeft(), QPoint(40, 50));
    const TLabelPicture bad = Format("^FO40,40^BEN,60^FDABC^FS");
    ASSERT_EQ(bad.gaps.size(), 1U);
    EXPECT_EQ(bad.gaps[0].command, "^BE");
}

// Every template shipped for stores, ZPL and DPL, in each of its bodies: the
// placeholders all filled (Procom's too), a picture of the label's size
// without a gap, and one barcode that reads back as the product's.
TEST(ShippedTemplates, DrawEveryBodyWithAScanningBarcode)
{
    const auto unit = Arroz();
    const auto box = CaixaDeLeite(*unit);
    for (TProduto* produto : {unit.get(), box.get()}) {
        produto->fornecedorDescricao = "DISTRIBUIDORA ANA";
        produto->fabricacao = EncodeDate(2026, 11, 30);
        produto->diasValidade = 180;
    }
    const std::vector<QString> files = LabelFiles(QStringLiteral(ZEV_EXAMPLES "/modelos"));
    ASSERT_EQ(files.size(), 3u);
    for (const QString& file : files) {
        const TFileLabel label(file);
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(label.GetImage().isNull());
        EXPECT_GT(label.LineLength(), 0);
        EXPECT_FALSE(label.GetHeader().empty());
        for (const TProduto* produto : {unit.get(), box.get()}) {
            for (const double date : {EncodeDate(2026, 12, 3), EncodeDate(2026, 12, 20)}) {
                SCOPED_TRACE(std::to_string(produto->key) + " " + std::to_string(date));
                std::string text;
                label.RenderSingle(*produto, text, date);
                EXPECT_EQ(text.find('{'), std::string::npos) << text;
                const TLabelPicture picture = PreviewProduto(label, *produto, date);
                ASSERT_TRUE(picture.HasPicture()) << picture.noPreview.toStdString();
                EXPECT_EQ(picture.image.size(), QSize(480, 320));
                EXPECT_EQ(picture.dpi, 203);
                for (const TPreviewGap& gap : picture.gaps)
                    ADD_FAILURE() << GapText(gap).toStdString();
                const std::vector<TScanned> found = ScanBarcodes(picture.image);
                ASSERT_EQ(found.size(), 1U);
                EXPECT_EQ(found[0].text, BarcodeValue(*produto));
            }
        }
    }
}

TEST(ZplPreview, DataWithoutAFormatHasNoPicture)
{
    const std::pair<const char*, TPreviewHints> cases[] = {
        {"N\r\nA50,0,0,1,1,1,N,\"EPL\"\r\nP1\r\n", {}},
        {"", {}},
        {"^XA^FDX^FS^XZ", {TPreviewLanguage::None, 0, 0, 0, {}}},
        {"^XA^FDX^FS^XZ", {TPreviewLanguage::None, 0, 0, 0, "epl"}},
    };
    for (const auto& [label, hints] : cases) {
        SCOPED_TRACE(label);
        const TLabelPicture picture = RenderPreview({}, label, hints);
        EXPECT_FALSE(picture.HasPicture());
        EXPECT_FALSE(picture.noPreview.isEmpty());
    }
}

} // namespace
} // namespace zev::test
