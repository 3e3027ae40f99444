#pragma once

// A ZPL label whose picture says which label it is: a filled box at 10,10
// as wide as ten dots per unit of the product's key (modulo 40, plus one
// unit), 50 dots high for RenderFirst and Single, 30 for RenderNext. A key
// of 13 renders data no preview reads. 60 x 40 mm at 203 dpi.

#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"

#include <QImage>

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
    void RenderFirst(const TProduto& p, std::string& t, double) const override { t = Box(p, 50); }
    void RenderNext(const TProduto& p, std::string& t, double) const override { t = Box(p, 30); }
    void RenderSingle(const TProduto& p, std::string& t, double) const override { t = Box(p, 50); }
    void RenderLast(const TProduto& p, std::string& t, double) const override { t = Box(p, 30); }
    // clang-format on

    static int WidthOf(std::int32_t key) { return 10 * (key % 40 + 1); }

private:
    static std::string Box(const TProduto& p, int height)
    {
        if (p.key == UndrawableKey)
            return "CAIXA " + std::to_string(p.key) + "\r\n";
        const std::string h = std::to_string(height);
        return "^XA^FO10,10^GB" + std::to_string(WidthOf(p.key)) + "," + h + "," + h + "^FS^XZ";
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
