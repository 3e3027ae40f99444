#pragma once

// A label's dots: white paper that fields are put on in printer order. A
// field is drawn upright into a mask (Format_Alpha8, alpha 128 and more is
// ink) and placed with its rotation; reverse ink turns every dot it covers,
// as a printer's reverse field does.

#include <QImage>
#include <QPoint>
#include <QRect>

namespace zev {

enum class TInk
{
    Black,
    White,
    Reverse,
};

// Clockwise quarter turns, as the printers name them: normal, rotated 90,
// inverted 180, read from bottom up 270.
enum class TTurn
{
    None = 0,
    Quarter = 1,
    Half = 2,
    ThreeQuarters = 3,
};

// The largest label drawn: wider than any printer's head and longer than
// any shelf label, so a picture never takes more than 32 MB.
inline constexpr int MaxLabelWidth = 4096;
inline constexpr int MaxLabelLength = 8192;

class TLabelCanvas
{
public:
    // Sizes beyond the largest label are cut to it.
    TLabelCanvas(int widthDots, int heightDots);

    int Width() const { return m_dots.width(); }
    int Height() const { return m_dots.height(); }

    // Dots outside the label are dropped.
    void FillRect(const QRect& dots, TInk ink);
    // The mask turned by `turn`, its turned top-left corner at `topLeft`.
    void Place(const QImage& mask, QPoint topLeft, TTurn turn, TInk ink);

    // A cleared mask to draw a field into.
    static QImage NewMask(int width, int height);
    static QImage Turned(const QImage& mask, TTurn turn);

    // Format_Grayscale8: 0 black, 255 white.
    const QImage& Picture() const { return m_dots; }

private:
    QImage m_dots;
};

} // namespace zev
