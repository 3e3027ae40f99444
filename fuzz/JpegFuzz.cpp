// The about box's picture: JPEG bytes decoded.

#include "fuzz/FuzzTarget.h"
#include "platform/Error.h"
#include "platform/JpegImage.h"

#include <cstdlib>

namespace {

void RunJpeg(std::string_view bytes)
{
    try {
        const QImage image =
            zev::DecodeJpeg(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (image.format() != QImage::Format_RGB888 ||
            static_cast<qint64>(image.width()) * image.height() > zev::MaxJpegPixels)
            std::abort();
    } catch (const zev::EConvertError&) {
    }
}

} // namespace

ZEV_FUZZ_TARGET("jpeg", RunJpeg);
