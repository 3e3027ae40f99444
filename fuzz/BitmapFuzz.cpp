// A label's preview picture: BMP bytes decoded.

#include "fuzz/FuzzTarget.h"
#include "platform/BitmapImage.h"
#include "platform/Error.h"

#include <cstdlib>

namespace {

void RunBitmap(std::string_view bytes)
{
    try {
        const QImage image = zev::DecodeBitmap(bytes);
        if (image.isNull() ||
            static_cast<qint64>(image.width()) * image.height() > zev::MaxBitmapPixels)
            std::abort();
    } catch (const zev::EConvertError&) {
    }
}

} // namespace

ZEV_FUZZ_TARGET("bitmap", RunBitmap);
