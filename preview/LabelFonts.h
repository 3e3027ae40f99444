#pragma once

// The printers' fonts, drawn upright into masks (see LabelCanvas): a
// condensed bold sans for the scalable fonts (ZPL font 0, DPL's smooth
// font), found through fontconfig, and fixed character cells magnified by
// whole multiples for the bitmap fonts.
//
// Needs a QGuiApplication (the font database).

#include <QImage>
#include <QString>

namespace zev {

struct TTextMask
{
    QImage mask;      // Format_Alpha8
    int baseline = 0; // row of the baseline in the mask
    // Rows above the character cell: accents over capitals may reach into
    // them, as they do on the printer, beyond the field's top.
    int above = 0;
};

// Text in the scalable font, in a cell `height` dots high whose capitals
// fill about three quarters of it, descenders the rest; each character
// `width`/`height` as wide as the font draws it at that height. The mask
// holds `above` rows more for accents.
TTextMask DrawScalableText(const QString& text, int height, int width);
int ScalableTextWidth(const QString& text, int height, int width);

// Text in fixed cells: every character takes `cellWidth` x `cellHeight`
// dots (gap included) and its glyph fills `glyphWidth` x `glyphHeight` of
// them, at the top left of its cell.
struct TCellFont
{
    int cellWidth = 0;
    int cellHeight = 0;
    int glyphWidth = 0;
    int glyphHeight = 0;
    int baseline = 0; // within the cell
};
TTextMask DrawCellText(const QString& text, const TCellFont& font);

// The family found for the scalable font; empty when fontconfig has none
// of the condensed sans families (the preview then uses Qt's sans).
QString ScalableFamily();

} // namespace zev
