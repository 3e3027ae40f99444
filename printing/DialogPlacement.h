#pragma once

// Where the counter's small dialogs open: clear of the product the clerk is
// about to print, so the description and the price stay in sight while the
// count or the supplier is typed. Qt would centre them on the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace zev {

// The top-left corner, in screen coordinates, for a window whose frame is
// `frame` big: beside `owner` (the owner's frame), right then left, top edges
// level; else under or over it; else under or over `keep` alone. The first
// of these that lies inside `available` without covering `keep` wins; when
// none does, the one that covers least of `keep`.
QPoint PlaceClearOf(const QRect& owner, const QRect& keep, QSize frame, const QRect& available);

// Moves `dialog`, before it is shown, clear of `keep` (in `owner`'s
// coordinates) on `owner`'s screen.
void MoveClearOf(QWidget& dialog, const QWidget& owner, const QRect& keep);

} // namespace zev
