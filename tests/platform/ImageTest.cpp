#include "platform/BitmapImage.h"
#include "platform/Error.h"
#include "platform/JpegImage.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

using namespace zev;

namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;
using testing::ThrowsMessage;

std::string Saved(QImage::Format format)
{
    QImage image(5, 3, format);
    image.fill(1);
    if (format == QImage::Format_Indexed8)
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(BitmapImage, SoundFilesDecodeAndDamagedHeadersAreRefusedBeforeTheToolkitReadsThem)
{
    for (const QImage::Format format :
         {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB32}) {
        const QImage image = DecodeBitmap(Saved(format));
        EXPECT_EQ(image.size(), QSize(5, 3)) << format;
    }
    const std::string indexed = Saved(QImage::Format_Indexed8);
    const std::pair<const char*, std::function<void(std::string&)>> damaged[] = {
        {"empty", [](std::string& b) { b.clear(); }},
        {"cut in the header", [](std::string& b) { b.resize(30); }},
        {"no BM", [](std::string& b) { b[0] = 'X'; }},
        {"data past the end", [](std::string& b) { Put32(b, 10, 1000000); }},
        {"unknown header size", [](std::string& b) { Put32(b, 14, 41); }},
        {"zero width", [](std::string& b) { Put32(b, 18, 0); }},
        {"a billion pixels", [](std::string& b) { Put32(b, 18, 1 << 30); }},
        {"seven bits", [](std::string& b) { b[28] = 7; }},
        {"JPEG inside", [](std::string& b) { Put32(b, 30, 4); }},
        {"palette beyond its depth", [](std::string& b) { Put32(b, 46, 257); }},
        {"pixels cut off", [](std::string& b) { b.resize(b.size() - 10); }},
    };
    for (const auto& [name, damage] : damaged) {
        std::string bytes = indexed;
        damage(bytes);
        EXPECT_THROW(DecodeBitmap(bytes), EConvertError) << name;
    }
}

QByteArray AboutPicture()
{
    QFile file(QStringLiteral(":/images/sobre.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    if (!QImageReader::supportedImageFormats().contains("jpeg"))
        return;
    // Qt's own reader, also on libjpeg, as the reference; its decoder settings
    // may round a sample differently, hence the tolerance.
    const QImage reference = QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(image.size(), reference.size());
    int worst = 0;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width() * 3; ++x)
            worst = std::max(worst, std::abs(image.constScanLine(y)[x] - reference.constScanLine(y)[x]));
    EXPECT_LE(worst, 2);
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
