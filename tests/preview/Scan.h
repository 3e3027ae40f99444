#pragma once

// Reads barcodes back from a label's picture, as a scanner at the shelf
// would: the only judge of whether a drawn barcode is right.

#include <QImage>
#include <QRect>

#include <string>
#include <vector>

namespace zev::test {

struct TScanned
{
    std::string format; // "EAN-13", "Code128", "ITF", "QRCode" ...
    std::string text;
};

// Every barcode in `picture`, read with a white margin so that edges read.
std::vector<TScanned> ScanBarcodes(const QImage& picture);

// A field's mask (alpha 128 and more is ink) printed black on white paper.
QImage OnPaper(const QImage& mask);

// The bounding box of the black dots inside `area` (all of it when null).
QRect InkBox(const QImage& picture, const QRect& area = {});
int InkCount(const QImage& picture, const QRect& area = {});

} // namespace zev::test
