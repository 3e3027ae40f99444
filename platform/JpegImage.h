#pragma once

// JPEG pictures decoded with libjpeg: the about box's picture.

#include <QByteArray>
#include <QImage>

namespace zev {

// The most pixels a picture may have: a header claiming more is refused
// before any memory is taken for it.
inline constexpr qint64 MaxJpegPixels = 64LL * 1024 * 1024;

// Baseline or progressive JPEG, grayscale or colour, 8 bits per sample, as a
// QImage in Format_RGB888. Data that is not one whole, sound picture (empty,
// truncated, corrupt, CMYK, larger than MaxJpegPixels) raises EConvertError.
// libjpeg's warnings count as errors: a picture it had to patch up is not
// shown as if it were sound.
QImage DecodeJpeg(const QByteArray& bytes);

} // namespace zev
