#include "platform/JpegImage.h"
#include "platform/Error.h"

#include <QFile>
#include <QImageReader>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

using namespace zev;

namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;
using testing::ThrowsMessage;

QByteArray AboutPicture()
{
    QFile file(QStringLiteral(":/images/sobre.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool QtReadsJpeg()
{
    return QImageReader::supportedImageFormats().contains("jpeg");
}

// Qt's own reader, also on libjpeg, as the reference; its decoder settings
// may round a sample differently, hence the tolerance.
void ExpectSameAsQtReads(const QImage& decoded, const QByteArray& jpeg)
{
    const QImage reference = QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(decoded.size(), reference.size());
    int worst = 0;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width() * 3; ++x)
            worst = std::max(worst,
                             std::abs(decoded.constScanLine(y)[x] - reference.constScanLine(y)[x]));
    EXPECT_LE(worst, 2);
}

TEST(JpegImage, AboutPictureDecodes)
{
    const QByteArray jpeg = AboutPicture();
    const QImage image = DecodeJpeg(jpeg);
    EXPECT_EQ(image.size(), QSize(346, 114));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_GE(qGray(image.pixel(0, 0)), 245) << "a white background";
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    EXPECT_LT(darkest, 128) << "a picture, not one colour";
    if (QtReadsJpeg())
        ExpectSameAsQtReads(image, jpeg);
}

TEST(JpegImage, DataThatIsNoWholePictureRaises)
{
    const QByteArray jpeg = AboutPicture();
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    QByteArray huge = jpeg;
    huge.replace(frame + 5, 4, QByteArray("\xEA\x60\xEA\x60", 4)); // 60000 × 60000
    // `reason`: what the message must say besides the common opening.
    const std::tuple<const char*, QByteArray, const char*> cases[] = {
        {"empty", QByteArray(), "não há dados"},
        {"text", QByteArray("ZEV 4 - Versão"), ""},
        {"half the picture", jpeg.left(jpeg.size() / 2), ""},
        {"all but the end marker", jpeg.left(jpeg.size() - 2), ""},
        {"too large", huge, "grande demais (60000 × 60000 pixels)"},
    };
    for (const auto& [what, bytes, reason] : cases)
        EXPECT_THAT([&] { DecodeJpeg(bytes); },
                    ThrowsMessage<EConvertError>(
                        AllOf(StartsWith("Imagem JPEG inválida: "), HasSubstr(reason))))
            << what;
}

} // namespace
