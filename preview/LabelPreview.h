#pragma once

// A picture of a label as the printer would print it, drawn from the very
// bytes the printer receives: the job's header, then one label. Nothing is
// guessed: data in a language the preview does not read gives no picture and
// says why, and a command it cannot draw is named, with where it stands,
// while the rest of the label is still drawn.

#include <QImage>
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

class TPrinterLabel;
class TProduto;

enum class TPreviewLanguage
{
    Recognise, // from the data: ZPL's ^XA, DPL's STX L
    Zpl,
    Dpl,
    None, // the label file says its data has no preview
};

// What a label file's "geral" section adds for the preview: the language,
// and the label's size and the printer's resolution where the data does
// not state them (0: not given).
struct TPreviewHints
{
    TPreviewLanguage language = TPreviewLanguage::Recognise;
    double widthMm = 0;
    double heightMm = 0;
    int dpi = 0;
    // A language the label file names that has no preview (as written).
    std::string unknownLanguage;
};

// A command, or a value of one, that the picture does not show.
struct TPreviewGap
{
    std::string command;   // as written: "^XG", "~DG", "1W1D"
    std::size_t offset = 0; // where it starts in its data
    bool inHeader = false;  // in the header, not in the label
    std::string reason;     // UTF-8; empty: the command is not known
};

struct TLabelPicture
{
    // Black on white, one pixel per printer dot (Format_Grayscale8); null
    // when there is no preview.
    QImage image;
    int dpi = 0;
    std::vector<TPreviewGap> gaps;
    // Why there is no picture, when there is none.
    QString noPreview;

    bool HasPicture() const { return !image.isNull(); }
};

// The resolution assumed when neither the data nor the hints give one.
inline constexpr int DefaultPreviewDpi = 203;

TPreviewLanguage RecogniseLanguage(std::string_view header, std::string_view label);

// The label's picture. Never throws for what the data holds.
TLabelPicture RenderPreview(std::string_view header, std::string_view label,
                            const TPreviewHints& hints);

// The one label the counter prints for a product: the header, then the
// product rendered as a single label. A product the label cannot render
// gives no picture, with the label's own message.
TLabelPicture PreviewProduto(const TPrinterLabel& label, const TProduto& produto, double date);

// "^XG na posição 120 (não reconhecido)": one line per gap, for windows and
// standard error.
QString GapText(const TPreviewGap& gap);

} // namespace zev
