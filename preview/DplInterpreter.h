#pragma once

// Datamax DPL: the system commands of the header (STX m, STX M ...) and the
// label's format, STX L to E.

#include "preview/LabelPreview.h"

namespace zev {

TLabelPicture RenderDpl(std::string_view header, std::string_view label, const TPreviewHints& hints);

} // namespace zev
