#include "model/BoundingBoxProperty.h"

#include <gtest/gtest.h>

namespace
{
void expectPoint(Point p, double x, double y)
{
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}
} // namespace

TEST(BoundingBoxProperty, PixelCornersFromConstruction)
{
    BoundingBoxProperty plain({ 1, 2 }, { 3, 4 }, QString());
    expectPoint(plain.originalStartLoc(), 1, 2);
    expectPoint(plain.originalEndLoc(), 3, 4);
    EXPECT_EQ(plain.id().size(), 36);
    EXPECT_EQ(plain.id(), plain.id().toUpper());

    BoundingBoxProperty zoomed({ 30, 40 }, { 90, 120 }, "cat", 1.0, 2.0);
    expectPoint(zoomed.originalStartLoc(), 15, 20);
    expectPoint(zoomed.originalEndLoc(), 45, 60);
}

TEST(BoundingBoxProperty, DisplayedCornerWritesRecomputePixelsWithTheCurrentScale)
{
    BoundingBoxProperty box({ 30, 40 }, { 90, 120 }, "cat", 1.0, 2.0);
    box.setStartLocation({ 50, 60 });
    expectPoint(box.originalStartLoc(), 25, 30);
    expectPoint(box.originalEndLoc(), 45, 60);

    Point start = box.startLocation();
    start.x = 10; // one coordinate changed is a write of the whole corner
    box.setStartLocation(start);
    expectPoint(box.originalStartLoc(), 5, 30);

    box.setImageScale(1.0);
    expectPoint(box.originalStartLoc(), 5, 30);
    expectPoint(box.originalEndLoc(), 45, 60);
    box.setEndLocation({ 100, 100 });
    expectPoint(box.originalEndLoc(), 100, 100);

    box.setOriginalEndLoc({ 7, 8 });
    expectPoint(box.endLocation(), 100, 100);

    expectPoint(BoundingBoxProperty::originalToScaledLoc({ 10, 20 }, 1.5), 15, 30);
}

TEST(BoundingBoxProperty, AnnouncesBeforeEachWriteWithTheRightCounts)
{
    BoundingBoxProperty box({ 0, 0 }, { 10, 10 }, "a");
    int announcements = 0;
    QString labelSeen;
    box.addWillChangeObserver([&] {
        ++announcements;
        labelSeen = box.classLabel();
    });
    box.setClassLabel("b");
    EXPECT_EQ(announcements, 2);
    EXPECT_EQ(labelSeen, "a"); // announced before the store
    announcements = 0;
    box.setMarkTemplate(true);
    EXPECT_EQ(announcements, 1);
    announcements = 0;
    box.setStartLocation({ 1, 1 });
    EXPECT_EQ(announcements, 3);
    announcements = 0;
    box.setToShow(false);
    box.setScaleFactor(2);
    box.setImageScale(2);
    EXPECT_EQ(announcements, 3);
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
