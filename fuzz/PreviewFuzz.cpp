// Printer data drawn by the label preview, as each language and as
// recognised. Input: a header, two NUL bytes, the label; without them, all
// of it is the label. The preview names what it cannot draw and never
// throws, whatever the data.

#include "fuzz/FuzzTarget.h"
#include "preview/LabelCanvas.h"
#include "preview/LabelPreview.h"

#include <cstdlib>

namespace {

void RunPreview(std::string_view bytes)
{
    const std::size_t split = bytes.find(std::string_view("\0\0", 2));
    const std::string_view header = split == std::string_view::npos ? std::string_view() : bytes.substr(0, split);
    const std::string_view label = split == std::string_view::npos ? bytes : bytes.substr(split + 2);
    for (const zev::TPreviewLanguage language :
         {zev::TPreviewLanguage::Recognise, zev::TPreviewLanguage::Zpl, zev::TPreviewLanguage::Dpl}) {
        zev::TPreviewHints hints;
        hints.language = language;
        const zev::TLabelPicture picture = zev::RenderPreview(header, label, hints);
        if (picture.HasPicture() == !picture.noPreview.isEmpty())
            std::abort(); // a picture, or the reason there is none
        // However large the data says the label is, the picture stays bounded.
        if (picture.image.width() > zev::MaxLabelWidth || picture.image.height() > zev::MaxLabelLength)
            std::abort();
    }
}

const zev::fuzz::TRegistration registration("printer_data", &RunPreview);

} // namespace
