#pragma once

// Windows bitmap files (BMP): the label previews.

#include <QImage>

#include <string_view>

namespace zev {

// The most pixels a picture may have: a header claiming more is refused
// before any memory is taken for it.
inline constexpr qint64 MaxBitmapPixels = 16LL * 1024 * 1024;

// A BMP file as an image. Its headers are checked before the toolkit's
// reader sees them: sizes and offsets against the data, the colour depth,
// compression and palette against what the format allows, so a damaged file
// is refused with a reason (EConvertError) instead of half-read with the
// toolkit's warnings on standard error.
QImage DecodeBitmap(std::string_view bytes);

} // namespace zev
