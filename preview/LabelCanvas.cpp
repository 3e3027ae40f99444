#include "preview/LabelCanvas.h"

#include <algorithm>

namespace zev {

namespace {

constexpr uchar Paper = 255;
constexpr uchar Ink = 0;

void Mark(uchar& dot, TInk ink)
{
    switch (ink) {
    case TInk::Black:
        dot = Ink;
        break;
    case TInk::White:
        dot = Paper;
        break;
    case TInk::Reverse:
        dot = dot == Ink ? Paper : Ink;
        break;
    }
}

} // namespace

TLabelCanvas::TLabelCanvas(int widthDots, int heightDots)
    : m_dots(std::clamp(widthDots, 1, MaxLabelWidth), std::clamp(heightDots, 1, MaxLabelLength),
             QImage::Format_Grayscale8)
{
    m_dots.fill(Paper);
}

void TLabelCanvas::FillRect(const QRect& dots, TInk ink)
{
    const QRect area = dots.normalized().intersected(m_dots.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar* line = m_dots.scanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            Mark(line[x], ink);
    }
}

void TLabelCanvas::Place(const QImage& mask, QPoint topLeft, TTurn turn, TInk ink)
{
    if (mask.isNull())
        return;
    const QImage turned = Turned(mask, turn);
    const QRect area = QRect(topLeft, turned.size()).intersected(m_dots.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* from = turned.constScanLine(y - topLeft.y());
        uchar* line = m_dots.scanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (from[x - topLeft.x()] >= 128)
                Mark(line[x], ink);
    }
}

QImage TLabelCanvas::NewMask(int width, int height)
{
    // No field shows beyond a label's edge, turned or not: either side may be
    // as long as a label, and the whole no larger than the largest label.
    constexpr int largest = std::max(MaxLabelWidth, MaxLabelLength);
    constexpr qint64 area = qint64{MaxLabelWidth} * MaxLabelLength;
    const int columns = std::clamp(width, 1, largest);
    const int rows = static_cast<int>(std::min<qint64>(std::clamp(height, 1, largest), area / columns));
    QImage mask(columns, std::max(rows, 1), QImage::Format_Alpha8);
    mask.fill(0);
    return mask;
}

QImage TLabelCanvas::Turned(const QImage& mask, TTurn turn)
{
    const QImage source = mask.format() == QImage::Format_Alpha8
                              ? mask
                              : mask.convertToFormat(QImage::Format_Alpha8);
    if (turn == TTurn::None)
        return source;
    const int w = source.width();
    const int h = source.height();
    const bool sideways = turn != TTurn::Half;
    QImage turned(sideways ? h : w, sideways ? w : h, QImage::Format_Alpha8);
    for (int y = 0; y < h; ++y) {
        const uchar* line = source.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            // Clockwise: what was the top row becomes the right column.
            switch (turn) {
            case TTurn::Quarter:
                turned.scanLine(x)[h - 1 - y] = line[x];
                break;
            case TTurn::Half:
                turned.scanLine(h - 1 - y)[w - 1 - x] = line[x];
                break;
            case TTurn::ThreeQuarters:
                turned.scanLine(w - 1 - x)[y] = line[x];
                break;
            case TTurn::None:
                break;
            }
        }
    }
    return turned;
}

} // namespace zev
