#include "platform/JpegImage.h"
#include "platform/Error.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace zev;

namespace {

QByteArray AboutPicture()
{
    QFile file(QStringLiteral(":/images/sobre.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
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
    for (int y = 0; y < reference.height(); ++y) {
        const uchar* ours = decoded.constScanLine(y);
        const uchar* theirs = reference.constScanLine(y);
        for (int x = 0; x < reference.width() * 3; ++x)
            worst = std::max(worst, std::abs(ours[x] - theirs[x]));
    }
    EXPECT_LE(worst, 2);
}

// The number of colour components in the frame header.
int ComponentCount(const QByteArray& jpeg)
{
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    return frame < 0 || frame + 9 >= jpeg.size() ? 0 : static_cast<uchar>(jpeg[frame + 9]);
}

TEST(JpegImage, AboutPictureDecodes)
{
    const QByteArray jpeg = AboutPicture();
    ASSERT_FALSE(jpeg.isEmpty());
    const QImage image = DecodeJpeg(jpeg);
    EXPECT_EQ(image.size(), QSize(346, 114));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(ComponentCount(jpeg), 3);
    const QRgb corner = image.pixel(0, 0);
    EXPECT_GE(qGray(corner), 245) << "a white background";
    bool coloured = false;
    for (int y = 0; y < image.height() && !coloured; ++y)
        for (int x = 0; x < image.width() && !coloured; ++x)
            coloured = qGray(image.pixel(x, y)) < 128;
    EXPECT_TRUE(coloured) << "a picture, not one colour";
    if (QtReadsJpeg())
        ExpectSameAsQtReads(image, jpeg);
}

TEST(JpegImage, GrayscaleDecodesToEqualChannels)
{
    if (!QtReadsJpeg())
        GTEST_SKIP() << "Qt has no JPEG writer here to make a grayscale picture";
    QImage gradient(64, 32, QImage::Format_Grayscale8);
    for (int y = 0; y < gradient.height(); ++y)
        for (int x = 0; x < gradient.width(); ++x)
            gradient.scanLine(y)[x] = static_cast<uchar>(x * 4);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(gradient));
    ASSERT_EQ(ComponentCount(jpeg), 1);

    const QImage image = DecodeJpeg(jpeg);
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    ExpectSameAsQtReads(image, jpeg);
    for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, 16);
        EXPECT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << x;
    }
    EXPECT_LT(qGray(image.pixel(0, 16)), qGray(image.pixel(63, 16)));
}

TEST(JpegImage, DataThatIsNoWholePictureRaises)
{
    const QByteArray jpeg = AboutPicture();
    ASSERT_FALSE(jpeg.isEmpty());
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    QByteArray huge = jpeg;
    huge.replace(frame + 5, 4, QByteArray("\xEA\x60\xEA\x60", 4)); // 60000 × 60000
    QByteArray markerInScan = jpeg.left(jpeg.size() / 2) + QByteArray("\xFF\xD9", 2);
    QByteArray noStart = jpeg;
    noStart[1] = 'X';
    // `reason`: what the message must say besides the common opening.
    const struct
    {
        const char* what;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"empty", QByteArray(), "não há dados"},
        {"text", QByteArray("ZEV 4 - Versão"), ""},
        {"only the start marker", jpeg.left(2), ""},
        {"header only", jpeg.left(frame + 20), ""},
        {"half the picture", jpeg.left(jpeg.size() / 2), ""},
        {"all but the end marker", jpeg.left(jpeg.size() - 2), ""},
        {"end marker inside the picture data", markerInScan, ""},
        {"no start marker", noStart, ""},
        {"too large", huge, "grande demais (60000 × 60000 pixels)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            DecodeJpeg(c.bytes);
            ADD_FAILURE() << "decoded";
        } catch (const EConvertError& error) {
            const std::string message = error.what();
            EXPECT_TRUE(message.starts_with("Imagem JPEG inválida: ")) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
}

} // namespace
