#include "preview/LabelFonts.h"

#include "preview/LabelCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zev {

namespace {

// The printers' scalable fonts are condensed bold sans faces; these are
// Debian's nearest, best first.
constexpr const char* CondensedFamilies[] = {"TeX Gyre Heros Cn", "Nimbus Sans Narrow",
                                             "DejaVu Sans Condensed", "Liberation Sans Narrow"};
// Bitmap cells hold monospaced glyphs.
constexpr const char* CellFamily = "DejaVu Sans Mono";

// Where the baseline sits in a scalable character's height: room below for
// descenders, above for capitals' accents.
constexpr double BaselineShare = 0.78;
constexpr double AccentShare = 0.25;

QFont ScalableFont(int height)
{
    QFont font(ScalableFamily());
    font.setBold(true);
    font.setPixelSize(std::max(height, 1));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double HorizontalScale(int height, int width)
{
    return height > 0 && width > 0 ? static_cast<double>(width) / height : 1.0;
}

} // namespace

QString ScalableFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* name : CondensedFamilies)
            if (installed.contains(QString::fromLatin1(name), Qt::CaseInsensitive))
                return QString::fromLatin1(name);
        return QString();
    }();
    return family;
}

int ScalableTextWidth(const QString& text, int height, int width)
{
    const QFontMetricsF metrics(ScalableFont(height));
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text) * HorizontalScale(height, width)));
}

TTextMask DrawScalableText(const QString& text, int height, int width)
{
    TTextMask result;
    const int rows = std::max(height, 1);
    result.above = static_cast<int>(std::lround(rows * AccentShare));
    result.baseline = result.above + static_cast<int>(std::lround(rows * BaselineShare));
    result.mask = TLabelCanvas::NewMask(ScalableTextWidth(text, height, width) + 1, rows + result.above);
    QPainter painter(&result.mask);
    painter.setPen(Qt::black);
    painter.setFont(ScalableFont(height));
    painter.scale(HorizontalScale(height, width), 1.0);
    painter.drawText(QPointF(0, result.baseline), text);
    return result;
}

TTextMask DrawCellText(const QString& text, const TCellFont& font)
{
    TTextMask result;
    const int cellWidth = std::max(font.cellWidth, 1);
    const int cellHeight = std::max(font.cellHeight, 1);
    result.baseline = font.baseline > 0 ? font.baseline : cellHeight * 4 / 5;
    result.mask = TLabelCanvas::NewMask(cellWidth * std::max<int>(text.size(), 1), cellHeight);

    QFont face{QString::fromLatin1(CellFamily)};
    face.setBold(true);
    face.setHintingPreference(QFont::PreferNoHinting);
    // Capitals fill the glyph box down to the baseline; the monospaced
    // advance is stretched to the glyph's width.
    face.setPixelSize(100);
    const QFontMetricsF metrics(face);
    const double glyphHeight = std::max(font.glyphHeight > 0 ? font.glyphHeight : cellHeight, 1);
    const double glyphWidth = std::max(font.glyphWidth > 0 ? font.glyphWidth : cellWidth, 1);
    const double capital = std::max(metrics.capHeight(), 1.0);
    const double baseline = std::min<double>(result.baseline, glyphHeight);
    const double yScale = baseline / capital;
    const double xScale = glyphWidth / std::max(metrics.horizontalAdvance(u'M'), 1.0);

    QPainter painter(&result.mask);
    painter.setPen(Qt::black);
    painter.setFont(face);
    for (qsizetype i = 0; i < text.size(); ++i) {
        painter.save();
        painter.translate(static_cast<double>(i * cellWidth), baseline);
        painter.scale(xScale, yScale);
        painter.drawText(QPointF(0, 0), QString(text.at(i)));
        painter.restore();
    }
    return result;
}

} // namespace zev
