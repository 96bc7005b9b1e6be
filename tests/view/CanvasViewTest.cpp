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
#include <QPointer>
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

BoxPtr someBox() { return std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 5, 5 }, "cat"); }
} // namespace

TEST(CanvasView, EmptyCanvasShowsThePromptWhichOpensImagesWithAnEmptyBoxListEach)
{
    Canvas c;
    AddImagePrompt* prompt = c.area()->prompt();
    ASSERT_TRUE(prompt->isVisible());
    EXPECT_TRUE(prompt->isSwinging());
    EXPECT_EQ(prompt->text(), "Add a new Image");
    EXPECT_EQ(prompt->toolTip(), "Click here to add one or multiple new images");
    EXPECT_EQ(c.canvas->findChildren<BoxView*>().size(), 1);
    EXPECT_EQ(c.canvas->textFieldText(), "0");
    EXPECT_EQ(c.canvas->prevTextFieldText(), "0");

    // Cancelling the dialog adds nothing.
    c.openThroughPrompt({});
    EXPECT_EQ(c.dialogs.openImagesCalls, 1);
    EXPECT_EQ(c.imageManager.imageCount(), 0);
    EXPECT_TRUE(c.boundingBoxManager.allBoundingBoxes.get().empty());
    EXPECT_TRUE(prompt->isVisible());

    const QString a = c.picture("a.png", 100, 80, colourA);
    c.openThroughPrompt({ a, c.picture("b.png", 60, 40, colourB), a });
    ASSERT_EQ(c.imageManager.imageCount(), 3);
    ASSERT_EQ(c.boundingBoxManager.allBoundingBoxes.get().size(), 3u);
    for (const auto& list : c.boundingBoxManager.allBoundingBoxes.get())
        EXPECT_TRUE(list.empty());
    EXPECT_NE(c.imageManager.allImages.get()[0]->id(), c.imageManager.allImages.get()[2]->id());
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 0);
    EXPECT_EQ(c.canvas->textFieldText(), "1");
    EXPECT_EQ(c.canvas->prevTextFieldText(), "1");
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_FALSE(prompt->isSwinging());

    // The first image is shown at its pixel size from the area's top-left corner.
    const ImagePtr first = c.imageManager.allImages.get()[0];
    EXPECT_EQ(first->scaledWidth, 100);
    EXPECT_EQ(first->scaledHeight, 80);
    EXPECT_EQ(c.pixel({ 50, 40 }), colourA);
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
    EXPECT_EQ(c.canvas->textFieldText(), "1"); // the navigation controls refresh it, not the canvas
    EXPECT_EQ(c.pixel({ 50, 50 }), colourC);

    // Outside the picture there is no image menu.
    EXPECT_FALSE(c.chooseFromMenu({ 300, 300 }, "Add Image"));

    c.dialogs.imagesToOpen = { c.picture("d.png", 10, 10, Qt::white), c.picture("e.png", 10, 10, Qt::black) };
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Add Image"));
    EXPECT_EQ(c.imageManager.imageCount(), 5);
    ASSERT_EQ(c.boundingBoxManager.allBoundingBoxes.get().size(), 5u);
    EXPECT_EQ(c.boxCount(0), 1u);
    EXPECT_TRUE(sameBox(c.lastBox(0), kept));
    EXPECT_EQ(c.boxCount(4), 0u);
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 2);
    EXPECT_EQ(c.canvas->textFieldText(), "3");
    EXPECT_EQ(c.canvas->prevTextFieldText(), "3");
}

TEST(CanvasView, DeleteImageRemovesTheImageWithItsOwnBoxes)
{
    Canvas c;
    const QStringList three { c.picture("a.png", 100, 100, colourA), c.picture("b.png", 100, 100, colourB),
        c.picture("c.png", 100, 100, colourC) };
    c.openThroughPrompt(three);

    // The last image current, the middle one with boxes.
    c.boundingBoxManager.appendBox(someBox(), 1, false);
    c.boundingBoxManager.appendBox(someBox(), 1, false);
    c.imageManager.currentImageIndex.set(2);
    c.settle();
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Delete Image"));
    ASSERT_EQ(c.imageManager.imageCount(), 2);
    ASSERT_EQ(c.boundingBoxManager.allBoundingBoxes.get().size(), 2u);
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 1);
    EXPECT_EQ(c.imageManager.allImages.get()[1]->getImageName(), "b.png");
    EXPECT_EQ(c.boxCount(1), 2u);
    EXPECT_EQ(c.canvas->textFieldText(), "2");
    EXPECT_EQ(c.canvas->prevTextFieldText(), "2");
    EXPECT_EQ(c.pixel({ 50, 50 }), colourB);

    // The first image current, the last one with boxes: the next image moves into the index.
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    ASSERT_EQ(c.imageManager.imageCount(), 0);
    c.openThroughPrompt(three);
    c.boundingBoxManager.appendBox(someBox(), 2, false);
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Delete Image"));
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 0);
    EXPECT_EQ(c.imageManager.allImages.get()[0]->getImageName(), "b.png");
    EXPECT_EQ(c.boxCount(0), 0u);
    EXPECT_EQ(c.boxCount(1), 1u);
    EXPECT_EQ(c.canvas->textFieldText(), "1");
    EXPECT_EQ(c.pixel({ 50, 50 }), colourB);

    // Deleting every image brings the prompt back; the index text reads "0".
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    EXPECT_EQ(c.imageManager.imageCount(), 0);
    EXPECT_TRUE(c.boundingBoxManager.allBoundingBoxes.get().empty());
    EXPECT_EQ(c.canvas->textFieldText(), "0");
    EXPECT_TRUE(c.area()->prompt()->isVisible());
    EXPECT_TRUE(c.area()->prompt()->isSwinging());
}

TEST(CanvasView, DrawingAtAZoomGivesImagePixelCornersAndAsksForTheEditor)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.imageManager.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 1.5; });
    c.settle();
    ASSERT_EQ(c.imageManager.allImages.get()[0]->scaledWidth, 150);
    ASSERT_EQ(c.imageManager.allImages.get()[0]->scaledHeight, 150);
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
    EXPECT_TRUE(box->toShow());
    EXPECT_EQ(box->classLabel(), "");
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), box));
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::blue);
    EXPECT_TRUE(c.boundingBoxManager.toShowInfoUI.get());
    expectPoint(c.imageManager.allStartLocations.get()[0], 0, 0);
}

TEST(CanvasView, DrawingLeftOfOrAboveTheStartGivesZeroWidthOrHeight)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.cursorManager.currentCursorMode.set(CursorMode::dragToDrawRectangle);

    c.drag({ 60, 60 }, { 20, 90 });
    ASSERT_EQ(c.boxCount(), 1u);
    expectPoint(c.lastBox()->startLocation(), 60, 60);
    expectPoint(c.lastBox()->endLocation(), 60, 90);

    // Begun beside the first box: a press on a box belongs to the box.
    c.drag({ 30, 60 }, { 60, 20 });
    ASSERT_EQ(c.boxCount(), 2u);
    expectPoint(c.lastBox()->startLocation(), 30, 60);
    expectPoint(c.lastBox()->endLocation(), 60, 60);
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), c.lastBox()));
    EXPECT_TRUE(c.boundingBoxManager.toShowInfoUI.get());
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
    EXPECT_DOUBLE_EQ(c.imageManager.allOffset.get()[0].height, 20);
    EXPECT_EQ(c.canvas->boxView()->imageOrigin(), QPointF(15, 20));
    EXPECT_EQ(c.pixel({ 16, 21 }), colourA);
    EXPECT_NE(c.pixel({ 12, 21 }), colourA);
    EXPECT_EQ(c.boxCount(), 1u);

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

    // Begun above and left of the picture: the first corner moves onto its edges.
    c.drag({ 20, 20 }, { 80, 90 });
    ASSERT_EQ(c.boxCount(), 1u);
    expectPoint(c.lastBox()->startLocation(), 0, 0);
    expectPoint(c.lastBox()->endLocation(), 40, 50);

    // Begun right of and below it: a box of no size on the far edges.
    c.drag({ 160, 60 }, { 190, 80 });
    ASSERT_EQ(c.boxCount(), 2u);
    expectPoint(c.lastBox()->startLocation(), 100, 20);
    expectPoint(c.lastBox()->endLocation(), 100, 40);
    c.drag({ 60, 170 }, { 80, 190 });
    ASSERT_EQ(c.boxCount(), 3u);
    expectPoint(c.lastBox()->startLocation(), 20, 100);
    expectPoint(c.lastBox()->endLocation(), 40, 100);
    EXPECT_EQ(c.boxCount(), 3u);
}

TEST(CanvasView, ShortDragsAreClicksAndTheMoveBoxModeLeavesTheCanvasAlone)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    const BoxPtr selected = someBox();
    c.boundingBoxManager.appendBox(selected, 0, false);

    for (CursorMode mode : { CursorMode::dragToMoveImage, CursorMode::dragToDrawRectangle }) {
        c.cursorManager.currentCursorMode.set(mode);
        c.boundingBoxManager.currentSelectedBox.set(selected);
        c.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
        c.drag({ 50, 50 }, { 56, 57 });
        expectPoint(c.imageManager.allStartLocations.get()[0], 0, 0);
        EXPECT_EQ(c.boxCount(), 1u);
        EXPECT_FALSE(c.area()->isDragOn());
        // A click on the picture clears the selection.
        EXPECT_EQ(c.boundingBoxManager.currentSelectedBox.get(), nullptr);
        EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    }

    c.cursorManager.currentCursorMode.set(CursorMode::dragToMoveRectangle);
    c.drag({ 20, 20 }, { 80, 90 });
    expectPoint(c.imageManager.allStartLocations.get()[0], 0, 0);
    EXPECT_DOUBLE_EQ(c.imageManager.allOffset.get()[0].width, 0);
    EXPECT_EQ(c.boxCount(), 1u);
    EXPECT_FALSE(c.boundingBoxManager.toShowInfoUI.get());

    // A click beside the picture keeps the selection and only turns its colour green; so does a
    // click on the bottom bar.
    c.boundingBoxManager.currentSelectedBox.set(selected);
    c.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
    c.click({ 300, 300 });
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), selected));
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    c.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
    QTest::mouseClick(c.canvas->matchControlsSlot(), Qt::LeftButton);
    c.settle();
    EXPECT_TRUE(sameBox(c.boundingBoxManager.currentSelectedBox.get(), selected));
    EXPECT_EQ(c.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
}

TEST(CanvasView, DisplayedSizeIsThePixelSizeTimesTheZoomOfTheCurrentImage)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 80, colourA), c.picture("b.png", 60, 40, colourB) });
    const ImagePtr a = c.imageManager.allImages.get()[0];
    const ImagePtr b = c.imageManager.allImages.get()[1];
    c.imageManager.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 1.5; });
    c.imageManager.updateScalingFactor();
    c.settle();
    EXPECT_EQ(a->scaledWidth, 150);
    EXPECT_EQ(a->scaledHeight, 120);

    c.canvas->setMatchClicked(true);
    c.imageManager.currentImageIndex.set(1);
    c.settle();
    EXPECT_EQ(b->scaledWidth, 60);
    EXPECT_EQ(b->scaledHeight, 40);
    EXPECT_FALSE(c.canvas->isMatchClicked());
    EXPECT_EQ(c.canvas->textFieldText(), "1"); // the navigation controls refresh it, not the canvas

    c.imageManager.currentImageIndex.set(0);
    c.settle();
    EXPECT_EQ(a->scaledWidth, 150);

    // The image that moves into the current index by a deletion gets its size too.
    b->scaledWidth = 0;
    b->scaledHeight = 0;
    c.canvas->setMatchClicked(true);
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    ASSERT_EQ(c.imageManager.currentImage(), b);
    EXPECT_EQ(b->scaledWidth, 60);
    EXPECT_EQ(b->scaledHeight, 40);
    EXPECT_FALSE(c.canvas->isMatchClicked());
}

TEST(CanvasView, TheSidebarsZoomStepGrowsThePictureAndItsBoxesFromTheirOldSize)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.boundingBoxManager.appendBox(
        std::make_shared<BoundingBoxProperty>(Point { 50, 20 }, Point { 80, 90 }, "cat"), 0, false);
    c.settle();

    ZoomTransition& transition = ZoomTransition::instance();
    ASSERT_TRUE(transition.animatedZoomStep(c.imageManager, c.boundingBoxManager, zoomInFactor));
    // The model has its new zoom at once; the picture and the box are still drawn at the old one.
    EXPECT_DOUBLE_EQ(c.lastBox()->startLocation().x, 55);
    EXPECT_EQ(c.area()->imageRect(), QRectF(0, 0, 110, 110));
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

TEST(CanvasView, SlotsTakeTheControlsOfOtherViews)
{
    Canvas c;
    auto* first = new QWidget;
    c.canvas->setMatchControls(first);
    EXPECT_EQ(first->parentWidget(), c.canvas->matchControlsSlot());
    QPointer<QWidget> former(first);
    auto* second = new QWidget;
    c.canvas->setMatchControls(second);
    c.settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(former.isNull());
    EXPECT_EQ(second->parentWidget(), c.canvas->matchControlsSlot());
    c.canvas->setTabStrip(new QWidget);
    c.canvas->setNavigationControls(new QWidget);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the canvas's own controls
    EXPECT_EQ(c.canvas->tabStripSlot()->findChildren<QWidget*>().size(), 1);
    EXPECT_EQ(c.canvas->navigationSlot()->findChildren<QWidget*>().size(), 1);
}
