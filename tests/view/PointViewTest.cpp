#include "OverlayScene.h"

#include <gtest/gtest.h>

namespace
{
bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
void expectCorners(const BoxPtr& box, Point start, Point end)
{
    EXPECT_TRUE(box->startLocation() == start) << box->startLocation().x << "," << box->startLocation().y;
    EXPECT_TRUE(box->endLocation() == end) << box->endLocation().x << "," << box->endLocation().y;
}
} // namespace

TEST(PointView, HandleDragsClampEachCornerAndNeverSelect)
{
    OverlayScene scene(1, 400, 300);
    const BoxPtr other = scene.add({ 300, 200 }, { 350, 250 }, "dog");
    const BoxPtr box = scene.add({ 20, 30 }, { 100, 80 });
    scene.boundingBoxManager.currentSelectedBox.set(other);
    scene.settle();

    scene.drag(scene.at(20, 30), scene.at(-5, -7));
    expectCorners(box, { 0, 0 }, { 100, 80 });
    scene.drag(scene.at(0, 0), scene.at(200, 10));
    expectCorners(box, { 100, 10 }, { 100, 80 });
    scene.drag(scene.at(100, 80), scene.at(500, 350));
    expectCorners(box, { 100, 10 }, { 400, 300 });
    scene.drag(scene.at(400, 300), scene.at(10, 10));
    expectCorners(box, { 100, 10 }, { 100, 10 });

    // The selection and its colour are left alone, and the canvas never saw a press.
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), other));
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    EXPECT_EQ(scene.canvas.presses, 0);
    expectCorners(other, { 300, 200 }, { 350, 250 });
}

TEST(PointView, EveryMoveWritesTheBoxAndASmallMovementChangesNothing)
{
    OverlayScene scene(1, 400, 300);
    auto box = std::make_shared<BoundingBoxProperty>(Point { 40, 60 }, Point { 200, 160 }, "cat", 1.0, 2.0);
    scene.boundingBoxManager.appendBox(box, 0, false);
    scene.settle();

    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(40, 60));
    QTest::mouseMove(scene.view, scene.at(45, 66)); // under the threshold
    expectCorners(box, { 40, 60 }, { 200, 160 });
    QTest::mouseMove(scene.view, scene.at(52, 70));
    expectCorners(box, { 52, 70 }, { 200, 160 });
    EXPECT_TRUE(box->originalStartLoc() == (Point { 26, 35 }));
    QTest::mouseMove(scene.view, scene.at(-20, 90));
    expectCorners(box, { 0, 90 }, { 200, 160 });

    // While the start handle is held, the end handle keeps its place even if the corner moves.
    box->setEndLocation({ 300, 250 });
    scene.view->update();
    const QImage held = scene.render();
    EXPECT_EQ(held.pixelColor(scene.at(199, 159)), Palette::red);
    EXPECT_NE(held.pixelColor(scene.at(299, 249)), Palette::red);
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(-20, 90));
    scene.settle();
    expectCorners(box, { 0, 90 }, { 300, 250 });
    EXPECT_EQ(scene.render().pixelColor(scene.at(299, 249)), Palette::red);
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBox.get(), nullptr);

    // A press on a handle that does not move far enough is a click: it selects, as on the box.
    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(0, 90));
    QTest::mouseMove(scene.view, scene.at(4, 94));
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(4, 94));
    scene.settle();
    expectCorners(box, { 0, 90 }, { 300, 250 });
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), box));
}
