#include "Scan.h"

#include "preview/DplInterpreter.h"
#include "preview/LabelPreview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace zev {
namespace {

using namespace test;

const std::string Metric = "\x02m\r\n";
const std::string Inch = "\x02n\r\n";

// 60 x 40 mm at 203 dpi: 480 x 320 dots.
TPreviewHints Hints(double widthMm = 60, double heightMm = 40, int dpi = 203)
{
    return {TPreviewLanguage::Dpl, widthMm, heightMm, dpi, {}};
}

// A label format around `lines`, each ended by CR LF as label files send them.
std::string Format(const std::vector<std::string>& lines)
{
    std::string text = "\x02L\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "E\r\n";
}

const auto MetricDots = [](int tenths) {
    return static_cast<int>(std::lround(tenths * 203 / 254.0));
};
const auto InchDots = [](int hundredths) {
    return static_cast<int>(std::lround(hundredths * 203 / 100.0));
};

TEST(DplTest, TextStandsAtItsRowAboveTheBottomEdgeAndItsColumn)
{
    // Font 4 is capitals only: its ink reaches the bottom of its cell.
    const std::tuple<std::string, std::string, int, int> cases[] = {
        {Metric, "141100001000100HELLO", MetricDots(100), MetricDots(100)},
        {Metric, "141100000000000HELLO", 0, 0},
        {Inch, "141100001000020HELLO", InchDots(20), InchDots(100)}};
    for (const auto& [units, record, column, row] : cases) {
        SCOPED_TRACE(record);
        const TLabelPicture picture = RenderDpl(units, Format({record}), Hints());
        const QRect ink = InkBox(picture.image);
        EXPECT_NEAR(ink.left(), column, 3);
        EXPECT_NEAR(ink.bottom() + 1, 320 - row, 1);
        EXPECT_TRUE(picture.gaps.empty());
    }
}

TEST(DplTest, RotationTurnsTheFieldClockwiseAboutItsCorner)
{
    // Row 20 mm, column 30 mm: the dot (240, 160) in the picture.
    const int x = MetricDots(300);
    const int y = 320 - MetricDots(200);
    // Rotation, and whether the text lies right of, below and along the corner.
    const std::tuple<char, bool, bool, bool> cases[] = {{'1', true, false, true},
                                                        {'2', true, true, false},
                                                        {'3', false, true, true},
                                                        {'4', false, false, false}};
    for (const auto& [rotation, right, below, upright] : cases) {
        SCOPED_TRACE(rotation);
        const std::string record = std::string(1, rotation) + "41100002000300HELLO";
        const QRect ink = InkBox(RenderDpl(Metric, Format({record}), Hints()).image);
        EXPECT_EQ(ink.width() > ink.height(), upright);
        // The corner stays where the record put it, the text on its side.
        EXPECT_NEAR(right ? ink.left() : ink.right() + 1, x, 3);
        EXPECT_NEAR(below ? ink.top() : ink.bottom() + 1, y, 3);
    }
}

TEST(DplTest, MultipliersEnlargeTheCharacters)
{
    const std::tuple<std::string, double, double> cases[] = {{"142100001000100HELLO", 2, 1},
                                                             {"141300001000100HELLO", 1, 3}};
    const QRect single =
        InkBox(RenderDpl(Metric, Format({"D11", "141100001000100HELLO"}), Hints()).image);
    for (const auto& [record, across, up] : cases) {
        SCOPED_TRACE(record);
        const QRect ink = InkBox(RenderDpl(Metric, Format({"D11", record}), Hints()).image);
        EXPECT_NEAR(ink.width(), single.width() * across, 2 * across);
        EXPECT_NEAR(ink.height(), single.height() * up, 2 * up);
        EXPECT_EQ(ink.bottom(), single.bottom());
    }
}

TEST(DplTest, UnknownCommandsAreListedWhereTheyStandAndTheRestIsDrawn)
{
    const std::string header = Metric + "\x02"
                                        "!\r\n";
    const std::string label = Format({"D11", "J123", "141100001000100HELLO", "1Z1100000000000XX"});
    const TLabelPicture picture = RenderDpl(header, label, Hints());
    EXPECT_GT(InkCount(picture.image), 100);
    std::vector<std::tuple<std::string, std::size_t, bool>> gaps;
    for (const TPreviewGap& gap : picture.gaps)
        gaps.emplace_back(gap.command, gap.offset, gap.inHeader);
    EXPECT_EQ(gaps, (decltype(gaps){{"<STX>!", Metric.size(), true},
                                    {"J", label.find("J123"), false},
                                    {"1Z", label.find("1Z11"), false}}));
}

TEST(DplTest, PictureTakesItsSizeFromTheHintsTheLengthOrWhatIsDrawn)
{
    const std::string record = "141100001000100HELLO";
    const std::tuple<std::string, TPreviewHints, QSize> cases[] = {
        {Metric, Hints(60, 40), QSize(480, 320)},
        {Metric + "\x02"
                  "c0500\r\n",
         Hints(60, 0), QSize(480, MetricDots(500))},
        // Nothing given: what is drawn, HELLO in 5 cells of 21 dots from dot 80.
        {Metric, Hints(0, 0, 0), QSize(MetricDots(100) + 5 * 21, MetricDots(100) + 36)}};
    for (const auto& [header, hints, size] : cases) {
        SCOPED_TRACE(size.width());
        EXPECT_EQ(RenderDpl(header, Format({record}), hints).image.size(), size);
    }
}

TEST(DplTest, BarcodesReadBackAsTheirData)
{
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"1F3300001000100789123456789", "EAN-13", "7891234567895"},
        {"1D62000010001001234567890", "ITF", "1234567890"},
        {"1A6200001000100ZEV-39", "Code39", "ZEV-39"},
        {"1E3200001000100Zev-128", "Code128", "Zev-128"},
        {"1W1d5500000100010https://zev.example/7\r\n", "QRCode", "https://zev.example/7"},
        {"1W1D5500000100010QM,AMANUAL", "QRCode", "MANUAL"},
    };
    for (const auto& [record, format, text] : cases) {
        SCOPED_TRACE(record);
        const TLabelPicture picture = RenderDpl(Metric, Format({record}), Hints());
        for (const TPreviewGap& gap : picture.gaps)
            ADD_FAILURE() << GapText(gap).toStdString();
        const auto found = ScanBarcodes(picture.image);
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const TScanned& f) {
            return f.format == format && f.text == text;
        }));
    }
}

TEST(DplTest, CharactersOutsideABitmapFontAreNamedAndTheSmoothFontShowsLatin1)
{
    // "AÇÚCAR" in Windows-1252.
    const std::string acucar = "A\xc7\xda"
                               "CAR";
    const TLabelPicture bitmap = RenderDpl(Metric, Format({"121100001000100" + acucar}), Hints());
    ASSERT_EQ(bitmap.gaps.size(), 1u);
    EXPECT_NE(bitmap.gaps[0].reason.find("0xC7"), std::string::npos);
    EXPECT_NE(bitmap.gaps[0].reason.find("0xDA"), std::string::npos);
    const TLabelPicture smooth = RenderDpl(Metric, Format({"1911A1201000100" + acucar}), Hints());
    EXPECT_TRUE(smooth.gaps.empty());
    EXPECT_GT(InkCount(smooth.image), 100);
}

} // namespace
} // namespace zev
