#include "printing/DialogPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>

namespace zev {

namespace {

// Between the windows' frames, so that they read as two.
constexpr int Gap = 8;

// Moved inside `area` as far as its size allows; a window larger than the
// area keeps its top-left corner in it, where the title bar is.
QRect Inside(QRect rect, const QRect& area)
{
    rect.moveLeft(std::max(area.left(), std::min(rect.left(), area.right() - rect.width() + 1)));
    rect.moveTop(std::max(area.top(), std::min(rect.top(), area.bottom() - rect.height() + 1)));
    return rect;
}

qint64 Covered(const QRect& rect, const QRect& keep)
{
    const QRect both = rect.intersected(keep);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

} // namespace

QPoint PlaceClearOf(const QRect& owner, const QRect& keep, const QSize frame,
                    const QRect& available)
{
    const std::array<QPoint, 6> wanted = {
        QPoint(owner.right() + 1 + Gap, owner.top()),
        QPoint(owner.left() - Gap - frame.width(), owner.top()),
        QPoint(owner.left(), owner.bottom() + 1 + Gap),
        QPoint(owner.left(), owner.top() - Gap - frame.height()),
        QPoint(owner.left(), keep.bottom() + 1 + Gap),
        QPoint(owner.left(), keep.top() - Gap - frame.height()),
    };
    QRect best;
    qint64 leastCovered = -1;
    for (const QPoint& corner : wanted) {
        const QRect placed = Inside(QRect(corner, frame), available);
        const qint64 covered = Covered(placed, keep);
        if (covered == 0)
            return placed.topLeft();
        if (leastCovered < 0 || covered < leastCovered) {
            best = placed;
            leastCovered = covered;
        }
    }
    return best.topLeft();
}

void MoveClearOf(QWidget& dialog, const QWidget& owner, const QRect& keep)
{
    // Not yet shown, the dialog has no frame: it will get one like the
    // owner's from the same window manager.
    dialog.adjustSize();
    const QRect ownerFrame = owner.frameGeometry();
    const QRect ownerInside = owner.geometry();
    const QSize decoration = ownerFrame.size() - ownerInside.size();
    const QRect keepOnScreen(owner.mapToGlobal(keep.topLeft()), keep.size());
    const QScreen* screen = owner.screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : ownerFrame;
    dialog.move(PlaceClearOf(ownerFrame, keepOnScreen, dialog.size() + decoration, available));
}

} // namespace zev
