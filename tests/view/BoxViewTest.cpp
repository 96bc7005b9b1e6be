#include "OverlayScene.h"

#include "Menus.h"

#include <QToolTip>

#include <gtest/gtest.h>

namespace
{
QColor pixel(const QImage& image, QPoint p) { return image.pixelColor(p); }

// Red at 0.1 over white.
bool tintedRed(QColor c) { return c.red() == 255 && c.green() < 245 && c.green() > 220 && c.blue() < 245; }

// Opens the context menu at a point as a right click does, and picks the entry with the given text.
// Returns the menu's entries, joined.
QString chooseFromContextMenu(OverlayScene& scene, QPoint at, const QString& entry, bool* hadIcon = nullptr)
{
    MenuAnswerer answerer(entry);
    QWindow* window = scene.canvas.windowHandle();
    QTest::mouseClick(window, Qt::RightButton, {}, scene.view->mapTo(&scene.canvas, at));
    scene.settle();
    if (hadIcon)
        *hadIcon = answerer.chosenHadIcon();
    return answerer.entries().join(QString());
}
} // namespace

TEST(BoxView, DrawsEachShownBoxOfTheCurrentImageWhereItsCornersSay)
{
    OverlayScene scene(2);
    scene.add({ 20, 30 }, { 120, 90 }, "cat", true);
    scene.add({ 200, 150 }, { 300, 250 }, "dog");
    scene.boundingBoxManager.hideCurrentBox(1, 0);
    scene.add({ 300, 30 }, { 380, 90 }, "plain");
    scene.add({ 20, 200 }, { 120, 260 }, "elsewhere", false, 1);
    scene.settle();
    const QImage img = scene.render();
    const QColor white(Qt::white);

    // Outline 2 wide centred on the edges, handles on the corners, tinted interior.
    EXPECT_EQ(pixel(img, scene.at(19, 60)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(70, 89)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(17, 60)), white);
    EXPECT_EQ(pixel(img, scene.at(122, 60)), white);
    EXPECT_TRUE(tintedRed(pixel(img, scene.at(70, 60))));
    EXPECT_EQ(pixel(img, scene.at(20, 30)), Palette::red);
    EXPECT_EQ(pixel(img, scene.at(119, 89)), Palette::red);
    // Label bar from 25 to 5 points above the start corner, centred on the box.
    EXPECT_EQ(pixel(img, scene.at(70, 3)), white);
    EXPECT_EQ(pixel(img, scene.at(70, 5)), Palette::black);
    EXPECT_EQ(pixel(img, scene.at(70, 26)), white);
    // The template's "T" bar hangs from the bottom edge; a plain box has none.
    EXPECT_EQ(pixel(img, scene.at(57, 100)), Palette::black);
    EXPECT_EQ(pixel(img, scene.at(57, 111)), white);
    EXPECT_EQ(pixel(img, scene.at(340, 89)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(327, 100)), white);
    // Hidden boxes and boxes of other images are not drawn.
    EXPECT_EQ(pixel(img, scene.at(200, 200)), white);
    EXPECT_EQ(pixel(img, scene.at(20, 230)), white);

    // The boxes follow the image origin.
    scene.view->setImageOrigin(QPointF(10, 10));
    EXPECT_EQ(scene.render().pixelColor(10 + 20, 10 + 60), Palette::green);

    // No current image: nothing at all.
    scene.imageManager.currentImageIndex.set(5);
    scene.settle();
    EXPECT_EQ(scene.render().pixelColor(10 + 20, 10 + 60), white);
}

TEST(BoxView, ClickSelectsTheTopmostBoxAndEmptySpaceReachesTheCanvas)
{
    OverlayScene scene;
    const BoxPtr lower = scene.add({ 20, 30 }, { 120, 90 });
    const BoxPtr upper = scene.add({ 100, 60 }, { 200, 150 }, "dog");

    QTest::mouseClick(scene.view, Qt::LeftButton, {}, scene.at(60, 50));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), lower));
    EXPECT_EQ(scene.render().pixelColor(scene.at(19, 50)), Palette::blue);
    EXPECT_EQ(scene.render().pixelColor(scene.at(199, 120)), Palette::green);

    // Where the boxes overlap, the later one is hit.
    QTest::mouseClick(scene.view, Qt::LeftButton, {}, scene.at(110, 80));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), upper));
    // The label badge belongs to its box.
    QTest::mouseClick(scene.view, Qt::LeftButton, {}, scene.at(70, 12));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), lower));
    EXPECT_EQ(scene.canvas.presses, 0);

    // Empty space, and boxes that are hidden, let the press through and leave the selection.
    QTest::mouseClick(scene.view, Qt::LeftButton, {}, scene.at(300, 250));
    EXPECT_EQ(scene.canvas.presses, 1);
    scene.boundingBoxManager.hideCurrentBox(1, 0);
    scene.boundingBoxManager.currentSelectedBox.set(lower);
    scene.settle();
    QTest::mouseClick(scene.view, Qt::LeftButton, {}, scene.at(180, 130));
    EXPECT_EQ(scene.canvas.presses, 2);
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), lower));
}

// Through the window, as the platform delivers them: moves and releases go to the widget under the
// press, whichever widget took it.
TEST(BoxView, MovesAndReleasesGoWhereThePressWent)
{
    OverlayScene scene;
    const BoxPtr box = scene.add({ 20, 30 }, { 120, 90 });
    QWindow* window = scene.canvas.windowHandle();
    const auto onWindow = [&](double x, double y) { return scene.view->mapTo(&scene.canvas, scene.at(x, y)); };

    // A drag that starts beside the boxes is the canvas's, to its end.
    QTest::mousePress(window, Qt::LeftButton, {}, onWindow(300, 200));
    QTest::mouseMove(window, onWindow(320, 220));
    QTest::mouseMove(window, onWindow(340, 240));
    QTest::mouseRelease(window, Qt::LeftButton, {}, onWindow(340, 240));
    scene.settle();
    EXPECT_EQ(scene.canvas.presses, 1);
    EXPECT_EQ(scene.canvas.moves, 2);
    EXPECT_EQ(scene.canvas.releases, 1);

    // A press of any button on a box stays with the overlay.
    for (const auto button : { Qt::LeftButton, Qt::MiddleButton }) {
        QTest::mousePress(window, button, {}, onWindow(60, 50));
        QTest::mouseMove(window, onWindow(62, 52));
        QTest::mouseRelease(window, button, {}, onWindow(62, 52));
        scene.settle();
    }
    EXPECT_EQ(scene.canvas.presses, 1);
    EXPECT_EQ(scene.canvas.moves, 2);
    EXPECT_EQ(scene.canvas.releases, 1);
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), box));
}

TEST(BoxView, DeleteRectangleHidesTheBoxAndRecordsTheUndoEntry)
{
    OverlayScene scene;
    scene.add({ 20, 30 }, { 120, 90 });
    const BoxPtr target = scene.add({ 200, 30 }, { 300, 90 }, "dog");
    scene.boundingBoxManager.currentSelectedBox.set(target);
    scene.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
    scene.settle();

    bool hadIcon = false;
    EXPECT_EQ(chooseFromContextMenu(scene, scene.at(250, 60), "Delete Rectangle", &hadIcon), "Delete Rectangle");
    EXPECT_TRUE(hadIcon);
    EXPECT_FALSE(target->toShow());
    ASSERT_EQ(scene.boundingBoxManager.undoStack.get().size(), 1u);
    EXPECT_EQ(scene.boundingBoxManager.undoStack.get()[0].boxIndex, 1);
    EXPECT_EQ(scene.boundingBoxManager.undoStack.get()[0].imageIndex, 0);
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.undoStack.get()[0].box, target));
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBox.get(), nullptr);
    EXPECT_EQ(scene.render().pixelColor(scene.at(200, 60)), QColor(Qt::white));

    // A right click beside every box is the canvas's.
    EXPECT_EQ(chooseFromContextMenu(scene, scene.at(250, 200), "Delete Rectangle"), "");
    EXPECT_EQ(scene.canvas.contextMenus, 1);
    EXPECT_EQ(scene.boundingBoxManager.undoStack.get().size(), 1u);
}

TEST(BoxView, TooltipShowsTheLabelAndTheImagePixelCorners)
{
    OverlayScene scene;
    const BoxPtr box = std::make_shared<BoundingBoxProperty>(Point { 15, 30.75 }, Point { 165, 330 }, "cat", 1.0, 1.5);
    scene.boundingBoxManager.appendBox(box, 0, false);
    scene.settle();
    const QString expected
        = "Class: cat\nStart Location: (10.000000,20.500000) \nEnd Location: (110.000000,220.000000)";
    EXPECT_EQ(BoxView::tooltipText(*box), expected);

    QHelpEvent over(QEvent::ToolTip, scene.at(50, 50), scene.view->mapToGlobal(scene.at(50, 50)));
    QApplication::sendEvent(scene.view, &over);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), expected);
    QHelpEvent beside(QEvent::ToolTip, scene.at(350, 50), scene.view->mapToGlobal(scene.at(350, 50)));
    QApplication::sendEvent(scene.view, &beside);
    EXPECT_TRUE(over.isAccepted());
    EXPECT_FALSE(beside.isAccepted()); // left to the canvas
    QToolTip::hideText();
}

TEST(BoxView, DraggingABoxMovesItByTheDragClampedIntoTheImage)
{
    OverlayScene scene(1, 400, 300);
    const BoxPtr box = scene.add({ 20, 30 }, { 100, 80 }); // 80 x 50
    const auto corners = [&] {
        return std::vector<double> { box->startLocation().x, box->startLocation().y, box->endLocation().x,
            box->endLocation().y };
    };

    // Only the left button drags: the others neither move nor select the box.
    for (const auto button : { Qt::MiddleButton, Qt::RightButton }) {
        scene.drag(scene.at(60, 55), scene.at(100, 75), button);
        EXPECT_EQ(corners(), (std::vector<double> { 20, 30, 100, 80 })) << button;
        EXPECT_EQ(scene.boundingBoxManager.currentSelectedBox.get(), nullptr) << button;
    }

    // While the drag runs the record stays put and the box is drawn displaced, selected and blue.
    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(60, 55));
    QTest::mouseMove(scene.view, scene.at(80, 55));
    QTest::mouseMove(scene.view, scene.at(100, 75));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), box));
    EXPECT_EQ(corners(), (std::vector<double> { 20, 30, 100, 80 }));
    EXPECT_EQ(scene.render().pixelColor(scene.at(59, 70)), Palette::blue);
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(100, 75));
    scene.settle();
    EXPECT_EQ(corners(), (std::vector<double> { 60, 50, 140, 100 }));
    EXPECT_EQ(box->originalStartLoc().x, 60);
    EXPECT_EQ(scene.render().pixelColor(scene.at(19, 70)), QColor(Qt::white));

    // Past an edge the box stops on it, keeping its size (the other edges: the manager's tests).
    scene.drag(scene.at(100, 75), scene.at(600, 75));
    EXPECT_EQ(corners(), (std::vector<double> { 320, 50, 400, 100 }));
    scene.drag(scene.at(360, 75), scene.at(-100, 55));
    EXPECT_EQ(corners(), (std::vector<double> { 0, 30, 80, 80 }));

    // A movement under the threshold is a click: nothing moves.
    scene.drag(scene.at(40, 55), scene.at(46, 61));
    EXPECT_EQ(corners(), (std::vector<double> { 0, 30, 80, 80 }));

    // A box deleted while it is dragged stays where it was, and nothing selects it again.
    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(40, 55));
    QTest::mouseMove(scene.view, scene.at(80, 55));
    scene.boundingBoxManager.hideCurrentBox(0, 0);
    QTest::mouseMove(scene.view, scene.at(120, 55));
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(120, 55));
    scene.settle();
    EXPECT_EQ(corners(), (std::vector<double> { 0, 30, 80, 80 }));
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBox.get(), nullptr);
}

TEST(BoxView, DoubleClickSelectsAndOpensOneEditorAtATime)
{
    OverlayScene scene;
    const BoxPtr first = scene.add({ 20, 30 }, { 120, 90 });
    const BoxPtr second = scene.add({ 200, 30 }, { 300, 90 }, "dog");

    QTest::mouseDClick(scene.view, Qt::LeftButton, {}, scene.at(60, 60));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), first));
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBoxColor.get(), Palette::blue);
    ASSERT_EQ(OverlayScene::openEditors().size(), 1);
    EXPECT_TRUE(sameBox(OverlayScene::openEditors()[0]->boundingBox(), first));

    QTest::mouseDClick(scene.view, Qt::LeftButton, {}, scene.at(250, 60));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.boundingBoxManager.currentSelectedBox.get(), second));
    ASSERT_EQ(OverlayScene::openEditors().size(), 1);
    EXPECT_TRUE(sameBox(scene.view->editorWindow()->boundingBox(), second));
    // Replacing an editor is not a Cancel: the request flag is untouched.
    EXPECT_FALSE(scene.boundingBoxManager.toShowInfoUI.get());
}

TEST(BoxView, RequestedEditorOpensForBoxesThatComeOnScreen)
{
    OverlayScene scene(2);
    scene.add({ 10, 10 }, { 50, 50 }, "a", false, 1);
    scene.add({ 60, 10 }, { 90, 50 }, "b", false, 1);
    const BoxPtr lastOfSecond = scene.add({ 100, 10 }, { 150, 50 }, "c", false, 1);
    EXPECT_TRUE(OverlayScene::openEditors().isEmpty());

    // A drawn box: the request comes with it, and exactly its editor opens.
    const BoxPtr drawn = scene.add({ 20, 30 }, { 120, 90 }, "", true, 0, true);
    ASSERT_EQ(OverlayScene::openEditors().size(), 1);
    EXPECT_TRUE(sameBox(scene.view->editorWindow()->boundingBox(), drawn));
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBox.get(), nullptr);

    // Cancel with an empty label keeps the request: the next image's boxes each come on screen,
    // and the last one keeps its editor.
    scene.view->editorWindow()->reject();
    scene.settle();
    EXPECT_TRUE(scene.boundingBoxManager.toShowInfoUI.get());
    EXPECT_TRUE(OverlayScene::openEditors().isEmpty());
    scene.imageManager.currentImageIndex.set(1);
    scene.settle();
    ASSERT_EQ(OverlayScene::openEditors().size(), 1);
    EXPECT_TRUE(sameBox(scene.view->editorWindow()->boundingBox(), lastOfSecond));
    EXPECT_TRUE(scene.boundingBoxManager.toShowInfoUI.get());

    // Without the request, boxes come and go silently.
    scene.view->editorWindow()->dismiss();
    scene.boundingBoxManager.toShowInfoUI.set(false);
    scene.imageManager.currentImageIndex.set(0);
    scene.add({ 200, 30 }, { 250, 90 }, "quiet", false, 0, false);
    EXPECT_TRUE(OverlayScene::openEditors().isEmpty());
}
