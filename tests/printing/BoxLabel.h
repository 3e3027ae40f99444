#pragma once

// A ZPL label whose picture says which label it is: a filled box at 10,10
// as wide as ten dots per unit of the product's key (modulo 40, plus one
// unit), 50 dots high for RenderFirst and Single, 30 for RenderNext. A key
// of 13 renders data no preview reads. 60 x 40 mm at 203 dpi.

#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"

#include <QImage>

#include <algorithm>

#include <string>

namespace zev::test {

inline constexpr std::int32_t UndrawableKey = 13;

class TBoxLabel final : public TBaseLabel
{
public:
    TBoxLabel() : TBaseLabel("caixas", "", QImage(), "", "Caixas ZPL", "1") {}
    TPreviewHints PreviewHints() const override
    {
        TPreviewHints hints;
        hints.widthMm = 60;
        hints.heightMm = 40;
        hints.dpi = 203;
        return hints;
    }
    // clang-format off
    void RenderFirst(const TProduto& p, std::string& t, double) const override { t = Text(p.key, true); }
    void RenderNext(const TProduto& p, std::string& t, double) const override { t = Text(p.key, false); }
    void RenderSingle(const TProduto& p, std::string& t, double) const override { t = Text(p.key, true); }
    void RenderLast(const TProduto& p, std::string& t, double) const override { t = Text(p.key, false); }
    // clang-format on

    static int WidthOf(std::int32_t key) { return 10 * (key % 40 + 1); }

    static std::string Text(std::int32_t key, bool first)
    {
        if (key == UndrawableKey)
            return "CAIXA " + std::to_string(key) + "\r\n";
        const int width = WidthOf(key);
        const int height = first ? 50 : 30;
        // A line as thick as the box is narrow fills it.
        const int thickness = std::min(width, height);
        return "^XA^FO10,10^GB" + std::to_string(width) + "," + std::to_string(height) + "," +
               std::to_string(thickness) + "^FS^XZ";
    }
};

// The black run from (10, 12) to the right and from (12, 10) down: the
// box's width and height, in dots.
inline QSize BoxSize(const QImage& picture)
{
    const auto black = [&](int x, int y) {
        return x < picture.width() && y < picture.height() && qGray(picture.pixel(x, y)) < 128;
    };
    int width = 0;
    while (black(10 + width, 12))
        ++width;
    int height = 0;
    while (black(12, 10 + height))
        ++height;
    return {width, height};
}

} // namespace zev::test
