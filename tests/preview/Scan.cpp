#include "Scan.h"

// Result::text() as UTF-8.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <QPainter>

namespace zev::test {

namespace {

template <typename TVisit>
void ForEachInkDot(const QImage& picture, const QRect& area, TVisit visit)
{
    const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
    const QRect within = area.isNull() ? gray.rect() : area.intersected(gray.rect());
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (gray.constScanLine(y)[x] < 128)
                visit(x, y);
}

} // namespace

std::vector<TScanned> ScanBarcodes(const QImage& picture)
{
    constexpr int margin = 40;
    QImage framed(picture.width() + 2 * margin, picture.height() + 2 * margin,
                  QImage::Format_Grayscale8);
    framed.fill(255);
    QPainter(&framed).drawImage(margin, margin,
                                picture.convertToFormat(QImage::Format_Grayscale8));
    const ZXing::ImageView view(framed.constBits(), framed.width(), framed.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(framed.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    std::vector<TScanned> found;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints))
        if (result.isValid())
            found.push_back({ZXing::ToString(result.format()), result.text()});
    return found;
}

QImage OnPaper(const QImage& mask)
{
    QImage paper(mask.size(), QImage::Format_Grayscale8);
    const QImage alpha = mask.convertToFormat(QImage::Format_Alpha8);
    for (int y = 0; y < paper.height(); ++y)
        for (int x = 0; x < paper.width(); ++x)
            paper.scanLine(y)[x] = alpha.constScanLine(y)[x] >= 128 ? 0 : 255;
    return paper;
}

QRect InkBox(const QImage& picture, const QRect& area)
{
    QRect box;
    ForEachInkDot(picture, area, [&](int x, int y) { box |= QRect(x, y, 1, 1); });
    return box;
}

int InkCount(const QImage& picture, const QRect& area)
{
    int count = 0;
    ForEachInkDot(picture, area, [&](int, int) { ++count; });
    return count;
}

} // namespace zev::test
