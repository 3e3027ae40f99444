#include "printing/DialogPlacement.h"

#include <gtest/gtest.h>

using namespace zev;

namespace {

// The counter window's frame and its product fields on the screens stores
// have, with the frames the count and Procon windows get there.
TEST(DialogPlacementTest, TheDialogLiesOnTheScreenClearOfTheProduct)
{
    struct TCase
    {
        const char* name;
        QRect available;
        QRect owner;
        QSize frame;
        const char* where; // "right", "left", "below", "above", "under the fields"
    };
    const QRect small(0, 0, 1024, 740); // 1024 x 768 less a task bar
    const QRect wide(0, 0, 1366, 740);
    const TCase cases[] = {
        {"count, centred on 1024", small, {302, 255, 420, 230}, {260, 130}, "right"},
        {"Procon, centred on 1024", small, {302, 255, 420, 230}, {420, 220}, "below"},
        {"Procon, centred on 1366", wide, {473, 255, 420, 230}, {420, 220}, "right"},
        {"count, counter at the right edge", small, {604, 100, 420, 230}, {260, 130}, "left"},
        {"Procon, counter at the bottom", small, {302, 510, 420, 230}, {420, 220}, "above"},
        {"Procon, counter as tall as the screen",
         small,
         {302, 0, 420, 740},
         {700, 300},
         "under the fields"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Code to box price: the upper part of the window.
        const QRect keep(c.owner.left() + 4, c.owner.top() + 30, c.owner.width() - 8, 150);
        const QRect placed(PlaceClearOf(c.owner, keep, c.frame, c.available), c.frame);
        EXPECT_TRUE(c.available.contains(placed));
        EXPECT_FALSE(placed.intersects(keep));
        const char* where = placed.left() > c.owner.right()   ? "right"
                            : placed.right() < c.owner.left() ? "left"
                            : placed.top() > c.owner.bottom() ? "below"
                            : placed.bottom() < c.owner.top() ? "above"
                            : placed.top() > keep.bottom()    ? "under the fields"
                                                              : "over the fields";
        EXPECT_STREQ(where, c.where);
    }
}

// A dialog too big to miss the fields covers as little of them as it can,
// and keeps its title bar on the screen.
TEST(DialogPlacementTest, WithoutRoomTheLeastOfTheFieldsIsCovered)
{
    const QRect available(0, 0, 1024, 740);
    const QRect owner(302, 0, 420, 740);
    const QRect keep(306, 200, 412, 150);
    const QSize frame(1024, 500);
    const QRect placed(PlaceClearOf(owner, keep, frame, available), frame);
    EXPECT_TRUE(available.contains(placed));
    // As low as the screen allows: any higher would hide more of them.
    EXPECT_EQ(placed.bottom(), available.bottom());
}

} // namespace
