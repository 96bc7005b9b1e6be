#include "model/BoundingBoxProperty.h"

#include <gtest/gtest.h>

namespace
{
using XY = std::pair<double, double>;
XY xy(Point p) { return { p.x, p.y }; }
} // namespace

TEST(BoundingBoxProperty, PixelCornersFollowDisplayedCornerWritesAndIdentityIsTheId)
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

    // Identity is the id alone: a copy with another label is the same box, a box made alike is not.
    const auto copy = std::make_shared<BoundingBoxProperty>(box);
    copy->setClassLabel("changed");
    EXPECT_TRUE(sameBox(copy, std::make_shared<BoundingBoxProperty>(box)));
    EXPECT_FALSE(sameBox(copy, std::make_shared<BoundingBoxProperty>(Point { 30, 40 }, Point { 90, 120 }, "cat")));
    EXPECT_FALSE(sameBox(copy, nullptr));
    EXPECT_FALSE(sameBox(nullptr, nullptr));
}

TEST(BoundingBoxProperty, AnnouncesBeforeEachWriteWithTheRightCounts)
{
    BoundingBoxProperty box({ 0, 0 }, { 10, 10 }, "a");
    int announcements = 0;
    QString labelSeen;
    box.addWillChangeObserver([&] { ++announcements, labelSeen = box.classLabel(); });
    box.setClassLabel("b");
    EXPECT_EQ(labelSeen, "a"); // announced before the store
    const auto announced = [&](const std::function<void()>& write) {
        announcements = 0;
        write();
        return announcements;
    };
    EXPECT_EQ(announced([&] { box.setClassLabel("c"); }), 2);
    EXPECT_EQ(announced([&] { box.setMarkTemplate(true); }), 1);
    EXPECT_EQ(announced([&] { box.setStartLocation({ 1, 1 }); }), 3);
    EXPECT_EQ(announced([&] { box.setToShow(false); }), 1);
    EXPECT_EQ(announced([&] { box.setScaleFactor(2); }), 1);
    EXPECT_EQ(announced([&] { box.setImageScale(2); }), 1);
}
