#pragma once

// ZPL II: the header's printer state (^PW ^LL ^CI ^BY ^CF ...) carried into
// the label, as on the printer, and the label's first format drawn.

#include "preview/LabelPreview.h"

namespace zev {

TLabelPicture RenderZpl(std::string_view header, std::string_view label, const TPreviewHints& hints);

} // namespace zev
