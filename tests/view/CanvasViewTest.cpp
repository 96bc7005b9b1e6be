#include "view/canvas/CanvasView.h"

#include "CanvasHost.h"
#include "Menus.h"
#include "view/ZoomStep.h"
#include "view/canvas/AddImagePrompt.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/DisplayImageView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
const QColor colourA(200, 30, 160);
const QColor colourB(30, 160, 200);
const QColor colourC(160, 200, 30);

struct Canvas : CanvasHost {
    Canvas()
        : CanvasHost({}, QSize(800, 600))
    {
    }

    DisplayImageView* area() const { return canvas->displayImageView(); }
    // Presses reach the canvas through the box layer that lies over it.
    QWidget* layer() const { return canvas->boxView(); }

    QString picture(const QString& name, int w, int h, QColor colour)
    {
        return TestImages::write(dir, name, w, h, colour);
    }

    void openThroughPrompt(const QStringList& paths)
    {
        dialogs.imagesToOpen = paths;
        QTest::mouseClick(area()->prompt(), Qt::LeftButton);
        settle();
    }

    void drag(QPoint from, QPoint to, int steps = 4)
    {
        QTest::mousePress(layer(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(layer(), from + (to - from) * i / steps);
        QTest::mouseRelease(layer(), Qt::LeftButton, {}, to);
        settle();
    }

    void click(QPoint at)
    {
        QTest::mouseClick(layer(), Qt::LeftButton, {}, at);
        settle();
    }

    // Opens the image's menu at a point, as a right click does, and chooses an entry by its text.
    // Returns whether the menu was shown.
    bool chooseFromMenu(QPoint at, const QString& entry)
    {
        MenuAnswerer answerer(entry);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, layer()->mapToGlobal(at));
        QApplication::sendEvent(layer(), &event);
        settle();
        return answerer.shown();
    }

    QColor pixel(QPoint at) const { return area()->grab().toImage().pixelColor(at); }

    BoxPtr lastBox(size_t image = 0) const
    {
        const auto& lists = boundingBoxManager.allBoundingBoxes.get();
        return image < lists.size() && !lists[image].empty() ? lists[image].back() : nullptr;
    }

    size_t boxCount(size_t image = 0) const { return boundingBoxManager.allBoundingBoxes.get().at(image).size(); }
};

void expectPoint(Point actual, double x, double y)
{
    EXPECT_DOUBLE_EQ(actual.x, x);
    EXPECT_DOUBLE_EQ(actual.y, y);
}

// A drag in draw mode and the displayed corners of the box it gives.
struct Drawn {
    QPoint from, to;
    Point start, end;
};

void drawEach(Canvas& c, std::initializer_list<Drawn> drags)
{
    for (const Drawn& d : drags) {
        c.drag(d.from, d.to);
        expectPoint(c.lastBox()->startLocation(), d.start.x, d.start.y);
        expectPoint(c.lastBox()->endLocation(), d.end.x, d.end.y);
    }
}

BoxPtr someBox() { return std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 5, 5 }, "cat"); }
} // namespace

TEST(CanvasView, ThePromptOpensImagesWithAnEmptyBoxListEachAndGoesAway)
{
    Canvas c;
    AddImagePrompt* prompt = c.area()->prompt();
    ASSERT_TRUE(prompt->isVisible());
    EXPECT_TRUE(prompt->isSwinging());
    EXPECT_EQ(prompt->text(), "Add a new Image");

    // Cancelling the dialog adds nothing.
    c.openThroughPrompt({});
    EXPECT_EQ(c.dialogs.openImagesCalls, 1);
    EXPECT_TRUE(c.boundingBoxManager.allBoundingBoxes.get().empty());
    EXPECT_TRUE(prompt->isVisible());

    c.openThroughPrompt({ c.picture("a.png", 100, 80, colourA), c.picture("b.png", 60, 40, colourB) });
    ASSERT_EQ(c.imageManager.imageCount(), 2);
    EXPECT_EQ(c.boundingBoxManager.allBoundingBoxes.get(), (std::vector<BoundingBoxManager::BoxList>(2)));
    EXPECT_EQ(c.canvas->state().textFieldText(), "1");
    EXPECT_EQ(c.canvas->state().prevTextFieldText(), "1");
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_FALSE(prompt->isSwinging());

    // The first image is shown at its pixel size from the area's top-left corner.
    EXPECT_EQ(c.pixel({ 98, 78 }), colourA);
    EXPECT_NE(c.pixel({ 102, 40 }), colourA);
    EXPECT_NE(c.pixel({ 50, 82 }), colourA);
}

TEST(CanvasView, AddImageFromTheImageMenuKeepsTheCurrentImageAndEveryList)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA), c.picture("b.png", 100, 100, colourB),
        c.picture("c.png", 100, 100, colourC) });
    const BoxPtr kept = someBox();
    c.boundingBoxManager.appendBox(kept, 0, false);
    c.imageManager.currentImageIndex.set(2);
    c.settle();

    // Outside the picture there is no image menu.
    EXPECT_FALSE(c.chooseFromMenu({ 300, 300 }, "Add Image"));

    c.dialogs.imagesToOpen = { c.picture("d.png", 10, 10, Qt::white), c.picture("e.png", 10, 10, Qt::black) };
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Add Image"));
    EXPECT_EQ(c.imageManager.imageCount(), 5);
    ASSERT_EQ(c.boundingBoxManager.allBoundingBoxes.get().size(), 5u);
    EXPECT_TRUE(sameBox(c.lastBox(0), kept));
    EXPECT_EQ(c.boxCount(4), 0u);
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 2);
    EXPECT_EQ(c.canvas->state().textFieldText(), "3");
}

// Which image becomes current after a deletion is a table in ImageManagerTest; here the boxes go
// with their image and the prompt comes back.
TEST(CanvasView, DeleteImageRemovesTheImageWithItsOwnBoxes)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA), c.picture("b.png", 100, 100, colourB),
        c.picture("c.png", 100, 100, colourC) });
    c.boundingBoxManager.appendBox(someBox(), 1, false);
    c.boundingBoxManager.appendBox(someBox(), 1, false);
    c.imageManager.currentImageIndex.set(2);
    c.settle();
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Delete Image"));
    ASSERT_EQ(c.boundingBoxManager.allBoundingBoxes.get().size(), 2u);
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 1);
    EXPECT_EQ(c.imageManager.allImages.get()[1]->getImageName(), "b.png");
    EXPECT_EQ(c.boxCount(1), 2u);
    EXPECT_EQ(c.canvas->state().textFieldText(), "2");
    EXPECT_EQ(c.pixel({ 50, 50 }), colourB);

    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    EXPECT_EQ(c.imageManager.imageCount(), 0);
    EXPECT_TRUE(c.boundingBoxManager.allBoundingBoxes.get().empty());
    EXPECT_EQ(c.canvas->state().textFieldText(), "0");
    EXPECT_TRUE(c.area()->prompt()->isVisible());
    EXPECT_TRUE(c.area()->prompt()->isSwinging());
}

TEST(CanvasView, DrawingAtAZoomGivesImagePixelCornersAndAsksForTheEditor)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.imageManager.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 1.5; });
    c.settle();
    EXPECT_EQ(c.pixel({ 148, 148 }), colourA);
    EXPECT_NE(c.pixel({ 152, 148 }), colourA);

    c.boundingBoxManager.currentSelectedBox.set(someBox());
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    QTest::mousePress(c.layer(), Qt::LeftButton, {}, { 30, 30 });
    QTest::mouseMove(c.layer(), { 60, 45 });
    // The dashed preview follows the pointer: its left edge starts painted at the first corner.
    EXPECT_TRUE(c.area()->isDragOn());
    EXPECT_EQ(c.pixel({ 30, 32 }), Palette::green);
    EXPECT_NE(c.pixel({ 30, 37 }), Palette::green);
    QTest::mouseMove(c.layer(), { 90, 60 });
    QTest::mouseRelease(c.layer(), Qt::LeftButton, {}, { 90, 60 });
    c.settle();

    EXPECT_FALSE(c.area()->isDragOn());
    EXPECT_NE(c.pixel({ 30, 32 }), Palette::green);
    ASSERT_EQ(c.boxCount(), 1u);
    const BoxPtr box = c.lastBox();
    EXPECT_DOUBLE_EQ(box->imageScale(), 1.5);
    expectPoint(box->startLocation(), 30, 30);
    expectPoint(box->endLocation(), 90, 60);
    expectPoint(box->originalStartLoc(), 20, 20);
    expectPoint(box->originalEndLoc(), 60, 40);
    EXPECT_TRUE(box->markTemplate());
    EXPECT_EQ(box->classLabel(), "");
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), box));
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::blue);
    EXPECT_TRUE(c.boundingBoxManager.toShowInfoUI.get());
}

TEST(CanvasView, DrawingLeftOfOrAboveTheStartGivesZeroWidthOrHeight)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    // The second drag begins beside the first box: a press on a box belongs to the box.
    drawEach(
        c, { { { 60, 60 }, { 20, 90 }, { 60, 60 }, { 60, 90 } }, { { 30, 60 }, { 60, 20 }, { 30, 60 }, { 60, 60 } } });
    EXPECT_EQ(c.boxCount(), 2u);
}

TEST(CanvasView, PanningMovesTheImageAndItsBoxLayerAndDrawingFollowsThePan)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    c.drag({ 10, 10 }, { 50, 50 });
    const BoxPtr before = c.lastBox();
    ASSERT_NE(before, nullptr);

    // Pans begin beside the box: a press on a box belongs to the box.
    c.cursorManager.currentCursorMode.set(CursorMode::dragToMoveImage);
    c.drag({ 80, 80 }, { 95, 80 });
    c.drag({ 80, 80 }, { 80, 100 }, 7);
    expectPoint(c.imageManager.allStartLocations.get()[0], 15, 20);
    EXPECT_DOUBLE_EQ(c.imageManager.allOffset.get()[0].width, 15);
    EXPECT_EQ(c.canvas->boxView()->imageOrigin(), QPointF(15, 20));
    EXPECT_EQ(c.pixel({ 16, 21 }), colourA);
    EXPECT_NE(c.pixel({ 12, 21 }), colourA);

    // The same picture pixels, drawn after the pan, give the same corners. The first box is put out
    // of the way, as it lies on those pixels.
    c.boundingBoxManager.hideCurrentBox(0, 0);
    c.settle();
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    c.drag({ 25, 30 }, { 65, 70 });
    ASSERT_EQ(c.boxCount(), 2u);
    expectPoint(c.lastBox()->originalStartLoc(), before->originalStartLoc().x, before->originalStartLoc().y);
    expectPoint(c.lastBox()->originalEndLoc(), before->originalEndLoc().x, before->originalEndLoc().y);

    // The box layer keeps covering the area, its origin on the picture's corner.
    c.canvas->resize(900, 700);
    c.settle();
    EXPECT_EQ(c.canvas->boxView()->geometry(), c.area()->rect());
    EXPECT_EQ(c.canvas->boxView()->imageOrigin(), QPointF(15, 20));
}

TEST(CanvasView, DrawnCornersStayInsideThePicture)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.drag({ 50, 50 }, { 90, 90 }); // the picture now lies from (40, 40) to (140, 140)
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    // Begun above and left of the picture the first corner moves onto its edges; begun right of or
    // below it, a box of no size on the far edge.
    drawEach(c,
        { { { 20, 20 }, { 80, 90 }, { 0, 0 }, { 40, 50 } }, { { 160, 60 }, { 190, 80 }, { 100, 20 }, { 100, 40 } },
            { { 60, 170 }, { 80, 190 }, { 20, 100 }, { 40, 100 } } });
    EXPECT_EQ(c.boxCount(), 3u);
}

TEST(CanvasView, ShortDragsAreClicksAndTheMoveBoxModeLeavesTheCanvasAlone)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    const BoxPtr selected = someBox();
    c.boundingBoxManager.appendBox(selected, 0, false);
    const auto select = [&] {
        c.boundingBoxManager.currentSelectedBox.set(selected);
        c.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
    };

    for (CursorMode mode : { CursorMode::dragToMoveImage, CursorMode::dragToDrawRectangle }) {
        c.cursorManager.currentCursorMode.set(mode);
        select();
        c.drag({ 50, 50 }, { 56, 57 });
        expectPoint(c.imageManager.allStartLocations.get()[0], 0, 0);
        EXPECT_EQ(c.boxCount(), 1u);
        // A click on the picture clears the selection.
        EXPECT_EQ(c.boundingBoxManager.currentSelectedBox.get(), nullptr);
        EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    }

    c.cursorManager.currentCursorMode.set(CursorMode::dragToMoveRectangle);
    c.drag({ 20, 20 }, { 80, 90 });
    expectPoint(c.imageManager.allStartLocations.get()[0], 0, 0);
    EXPECT_EQ(c.boxCount(), 1u);

    // A click beside the picture, or on the bottom bar, keeps the selection and only turns it green.
    select();
    c.click({ 300, 300 });
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), selected));
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    select();
    QTest::mouseClick(c.canvas->matchControlsSlot(), Qt::LeftButton);
    c.settle();
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), selected));
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);

    // Other buttons are no click: the selection keeps its colour.
    select();
    QTest::mouseClick(c.layer(), Qt::RightButton, {}, { 300, 300 });
    QTest::mouseClick(c.canvas->matchControlsSlot(), Qt::MiddleButton);
    c.settle();
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::blue);
}

TEST(CanvasView, TheImageComingIntoTheCurrentIndexResetsMatch)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 80, colourA), c.picture("b.png", 60, 40, colourB) });
    const ImagePtr b = c.imageManager.allImages.get()[1];
    c.canvas->state().setMatchClicked(true);
    c.imageManager.showImage(0);
    EXPECT_TRUE(c.canvas->state().isMatchClicked());
    c.imageManager.showImage(1);
    EXPECT_FALSE(c.canvas->state().isMatchClicked());

    // Also when a deletion moves it there.
    c.imageManager.showImage(0);
    c.settle();
    c.canvas->state().setMatchClicked(true);
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    ASSERT_EQ(c.imageManager.currentImage(), b);
    EXPECT_EQ(b->scaledWidth, 60);
    EXPECT_FALSE(c.canvas->state().isMatchClicked());
}

TEST(CanvasView, TheSidebarsZoomStepGrowsThePictureAndItsBoxesFromTheirOldSize)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.boundingBoxManager.appendBox(
        std::make_shared<BoundingBoxProperty>(Point { 50, 20 }, Point { 80, 90 }, "cat"), 0, false);
    c.settle();

    ZoomTransition& transition = ZoomTransition::instance();
    ASSERT_TRUE(transition.animatedZoomStep(c.imageManager, ImageManager::zoomInFactor));
    // The model has its new zoom at once; the picture and the box are still drawn at the old one.
    EXPECT_DOUBLE_EQ(c.lastBox()->startLocation().x, 55);
    ASSERT_TRUE(transition.running());
    QImage shot = c.area()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(98, 10), colourA);
    EXPECT_NE(shot.pixelColor(103, 10), colourA);
    EXPECT_EQ(shot.pixelColor(50, 60), Palette::green);
    EXPECT_NE(shot.pixelColor(55, 60), Palette::green);

    QTRY_VERIFY_WITH_TIMEOUT(!transition.running(), 2000);
    c.settle();
    shot = c.area()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(108, 10), colourA);
    EXPECT_NE(shot.pixelColor(112, 10), colourA);
    EXPECT_EQ(shot.pixelColor(55, 60), Palette::green);
    EXPECT_NE(shot.pixelColor(50, 60), Palette::green);
}

TEST(CanvasView, APictureThatCannotBeReadIsOpenedWithoutHarm)
{
    Canvas c;
    const QString broken = c.dir + "/broken.png";
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    c.openThroughPrompt({ broken });
    ASSERT_EQ(c.imageManager.imageCount(), 1);
    EXPECT_FALSE(c.area()->prompt()->isVisible());
    EXPECT_FALSE(c.area()->grab().isNull());
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    c.drag({ 20, 20 }, { 60, 60 });
    ASSERT_EQ(c.boxCount(), 1u);
    expectPoint(c.lastBox()->endLocation(), 0, 0);
}
