#include "printing/DialogPlacement.h"

#include <gtest/gtest.h>

using namespace zev;

namespace {

// The counter window's frame and its product fields (its upper part), with
// the frames the count and Procon windows get.
TEST(DialogPlacementTest, TheDialogLiesOnTheScreenClearOfTheProduct)
{
    const QRect small(0, 0, 1024, 740); // 1024 x 768 less a task bar
    // Screen, counter window, dialog, where the dialog goes.
    const std::tuple<QRect, QRect, QSize, const char*> cases[] = {
        {small, {302, 255, 420, 230}, {260, 130}, "right"},
        {small, {302, 255, 420, 230}, {420, 220}, "below"},
        {small, {604, 100, 420, 230}, {260, 130}, "left"},
        {small, {302, 510, 420, 230}, {420, 220}, "above"},
        {small, {302, 0, 420, 740}, {700, 300}, "under the fields"},
    };
    for (const auto& [available, owner, frame, expected] : cases) {
        SCOPED_TRACE(expected);
        const QRect keep(owner.left() + 4, owner.top() + 30, owner.width() - 8, 150);
        const QRect placed(PlaceClearOf(owner, keep, frame, available), frame);
        EXPECT_TRUE(available.contains(placed));
        EXPECT_FALSE(placed.intersects(keep));
        const char* where = placed.left() > owner.right()   ? "right"
                            : placed.right() < owner.left() ? "left"
                            : placed.top() > owner.bottom() ? "below"
                            : placed.bottom() < owner.top() ? "above"
                            : placed.top() > keep.bottom()  ? "under the fields"
                                                            : "over the fields";
        EXPECT_STREQ(where, expected);
    }
    // A dialog too big to miss the fields covers as little of them as it can,
    // and keeps its title bar on the screen: as low as the screen allows.
    const QSize frame(1024, 500);
    const QRect placed(PlaceClearOf({302, 0, 420, 740}, {306, 200, 412, 150}, frame, small), frame);
    EXPECT_TRUE(small.contains(placed));
    EXPECT_EQ(placed.bottom(), small.bottom());
}

} // namespace
