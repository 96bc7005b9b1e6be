#include "model/BoundingBoxProperty.h"

#include <gtest/gtest.h>

namespace
{
using XY = std::pair<double, double>;
XY xy(Point p) { return { p.x, p.y }; }
} // namespace

TEST(BoundingBoxProperty, PixelCornersFollowDisplayedCornerWritesAtTheCurrentScale)
{
    BoundingBoxProperty box({ 30, 40 }, { 90, 120 }, "cat", 1.0, 2.0);
    EXPECT_EQ(box.id().size(), 36);
    EXPECT_EQ(box.id(), box.id().toUpper());
    EXPECT_EQ(xy(box.originalStartLoc()), XY(15, 20));
    EXPECT_EQ(xy(box.originalEndLoc()), XY(45, 60));

    box.setStartLocation({ 50, 60 });
    EXPECT_EQ(xy(box.originalStartLoc()), XY(25, 30));
    EXPECT_EQ(xy(box.originalEndLoc()), XY(45, 60));
    Point start = box.startLocation();
    start.x = 10; // one coordinate changed is a write of the whole corner
    box.setStartLocation(start);
    EXPECT_EQ(xy(box.originalStartLoc()), XY(5, 30));

    box.setImageScale(1.0);
    EXPECT_EQ(xy(box.originalStartLoc()), XY(5, 30));
    EXPECT_EQ(xy(box.originalEndLoc()), XY(45, 60));
    box.setEndLocation({ 100, 100 });
    EXPECT_EQ(xy(box.originalEndLoc()), XY(100, 100));
    box.setOriginalEndLoc({ 7, 8 });
    EXPECT_EQ(xy(box.endLocation()), XY(100, 100));
    EXPECT_EQ(xy(BoundingBoxProperty::originalToScaledLoc({ 10, 20 }, 1.5)), XY(15, 30));
}

TEST(BoundingBoxProperty, AnnouncesBeforeEachWriteWithTheRightCounts)
{
    BoundingBoxProperty box({ 0, 0 }, { 10, 10 }, "a");
    int announcements = 0;
    QString labelSeen;
    box.addWillChangeObserver([&] { ++announcements, labelSeen = box.classLabel(); });
    box.setClassLabel("b");
    EXPECT_EQ(labelSeen, "a"); // announced before the store
    const std::pair<std::function<void()>, int> writes[] { { [&] { box.setClassLabel("c"); }, 2 },
        { [&] { box.setMarkTemplate(true); }, 1 },
        { [&] {
             box.setStartLocation({ 1, 1 });
         },
            3 },
        { [&] { box.setToShow(false); }, 1 }, { [&] { box.setScaleFactor(2); }, 1 },
        { [&] { box.setImageScale(2); }, 1 } };
    for (size_t k = 0; k < std::size(writes); ++k) {
        announcements = 0;
        writes[k].first();
        EXPECT_EQ(announcements, writes[k].second) << "write " << k;
    }
}

TEST(BoundingBoxProperty, IdentityIsTheIdAlone)
{
    auto a = std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 2, 2 }, "x");
    auto b = std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 2, 2 }, "x");
    EXPECT_NE(a->id(), b->id());
    EXPECT_FALSE(*a == *b);
    BoxPtr alias = a;
    alias->setClassLabel("changed");
    EXPECT_TRUE(sameBox(a, alias));
    EXPECT_FALSE(sameBox(a, nullptr));
    EXPECT_FALSE(sameBox(nullptr, nullptr));
}
