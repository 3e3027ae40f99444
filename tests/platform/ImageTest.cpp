#include "platform/BitmapImage.h"
#include "platform/Error.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace zev;

namespace {

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
        {"cut in the header", [](std::string& b) { b.resize(30); }},
        {"no BM", [](std::string& b) { b[0] = 'X'; }},
        {"data past the end", [](std::string& b) { Put32(b, 10, 1000000); }},
        {"unknown header size", [](std::string& b) { Put32(b, 14, 41); }},
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

} // namespace
