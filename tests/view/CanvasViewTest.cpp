#include "view/canvas/CanvasView.h"
#include "FakeFileDialogs.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "view/canvas/AddImagePrompt.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/DisplayImageView.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace
{
const QColor colourA(200, 30, 160);
const QColor colourB(30, 160, 200);
const QColor colourC(160, 200, 30);

struct Canvas {
    QString dir = TestEnvironment::makeTempDir();
    FakeFileDialogs dialogs;
    ImageManager images;
    BoundingBoxManager boxes;
    CursorManager cursor;
    MatchSetting match;
    FunctionalityBarNavigator navigator;
    CanvasView view { SharedObjects { images, boxes, cursor, match, dialogs }, navigator };

    Canvas()
    {
        images.setFileDialogs(&dialogs);
        view.resize(800, 600);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    DisplayImageView* area() const { return view.displayImageView(); }
    // Presses reach the canvas through the box layer that lies over it.
    QWidget* layer() const { return view.boxView(); }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

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
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            shown = true;
            for (QAction* action : menu->actions())
                if (action->text() == entry)
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, layer()->mapToGlobal(at));
        QApplication::sendEvent(layer(), &event);
        settle();
        return shown;
    }

    QColor pixel(QPoint at) const { return area()->grab().toImage().pixelColor(at); }

    BoxPtr lastBox(size_t image = 0) const
    {
        const auto& lists = boxes.allBoundingBoxes.get();
        return image < lists.size() && !lists[image].empty() ? lists[image].back() : nullptr;
    }

    size_t boxCount(size_t image = 0) const { return boxes.allBoundingBoxes.get().at(image).size(); }
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
    EXPECT_EQ(c.view.findChildren<BoxView*>().size(), 1);
    EXPECT_EQ(c.view.textFieldText(), "0");
    EXPECT_EQ(c.view.prevTextFieldText(), "0");

    // Cancelling the dialog adds nothing.
    c.openThroughPrompt({});
    EXPECT_EQ(c.dialogs.openImagesCalls, 1);
    EXPECT_EQ(c.images.imageCount(), 0);
    EXPECT_TRUE(c.boxes.allBoundingBoxes.get().empty());
    EXPECT_TRUE(prompt->isVisible());

    const QString a = c.picture("a.png", 100, 80, colourA);
    c.openThroughPrompt({ a, c.picture("b.png", 60, 40, colourB), a });
    ASSERT_EQ(c.images.imageCount(), 3);
    ASSERT_EQ(c.boxes.allBoundingBoxes.get().size(), 3u);
    for (const auto& list : c.boxes.allBoundingBoxes.get())
        EXPECT_TRUE(list.empty());
    EXPECT_NE(c.images.allImages.get()[0]->id(), c.images.allImages.get()[2]->id());
    EXPECT_EQ(c.images.currentImageIndex.get(), 0);
    EXPECT_EQ(c.view.textFieldText(), "1");
    EXPECT_EQ(c.view.prevTextFieldText(), "1");
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_FALSE(prompt->isSwinging());

    // The first image is shown at its pixel size from the area's top-left corner.
    const ImagePtr first = c.images.allImages.get()[0];
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
    c.boxes.appendBox(kept, 0, false);
    c.images.currentImageIndex.set(2);
    Canvas::settle();
    EXPECT_EQ(c.view.textFieldText(), "1"); // the navigation controls refresh it, not the canvas
    EXPECT_EQ(c.pixel({ 50, 50 }), colourC);

    // Outside the picture there is no image menu.
    EXPECT_FALSE(c.chooseFromMenu({ 300, 300 }, "Add Image"));

    c.dialogs.imagesToOpen = { c.picture("d.png", 10, 10, Qt::white), c.picture("e.png", 10, 10, Qt::black) };
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Add Image"));
    EXPECT_EQ(c.images.imageCount(), 5);
    ASSERT_EQ(c.boxes.allBoundingBoxes.get().size(), 5u);
    EXPECT_EQ(c.boxCount(0), 1u);
    EXPECT_TRUE(sameBox(c.lastBox(0), kept));
    EXPECT_EQ(c.boxCount(4), 0u);
    EXPECT_EQ(c.images.currentImageIndex.get(), 2);
    EXPECT_EQ(c.view.textFieldText(), "3");
    EXPECT_EQ(c.view.prevTextFieldText(), "3");
}

TEST(CanvasView, DeleteImageRemovesTheImageWithItsOwnBoxes)
{
    Canvas c;
    const QStringList three { c.picture("a.png", 100, 100, colourA), c.picture("b.png", 100, 100, colourB),
        c.picture("c.png", 100, 100, colourC) };
    c.openThroughPrompt(three);

    // The last image current, the middle one with boxes.
    c.boxes.appendBox(someBox(), 1, false);
    c.boxes.appendBox(someBox(), 1, false);
    c.images.currentImageIndex.set(2);
    Canvas::settle();
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Delete Image"));
    ASSERT_EQ(c.images.imageCount(), 2);
    ASSERT_EQ(c.boxes.allBoundingBoxes.get().size(), 2u);
    EXPECT_EQ(c.images.currentImageIndex.get(), 1);
    EXPECT_EQ(c.images.allImages.get()[1]->getImageName(), "b.png");
    EXPECT_EQ(c.boxCount(1), 2u);
    EXPECT_EQ(c.view.textFieldText(), "2");
    EXPECT_EQ(c.view.prevTextFieldText(), "2");
    EXPECT_EQ(c.pixel({ 50, 50 }), colourB);

    // The first image current, the last one with boxes: the next image moves into the index.
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    ASSERT_EQ(c.images.imageCount(), 0);
    c.openThroughPrompt(three);
    c.boxes.appendBox(someBox(), 2, false);
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Delete Image"));
    EXPECT_EQ(c.images.currentImageIndex.get(), 0);
    EXPECT_EQ(c.images.allImages.get()[0]->getImageName(), "b.png");
    EXPECT_EQ(c.boxCount(0), 0u);
    EXPECT_EQ(c.boxCount(1), 1u);
    EXPECT_EQ(c.view.textFieldText(), "1");
    EXPECT_EQ(c.pixel({ 50, 50 }), colourB);

    // Deleting every image brings the prompt back; the index text reads "0".
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    EXPECT_EQ(c.images.imageCount(), 0);
    EXPECT_TRUE(c.boxes.allBoundingBoxes.get().empty());
    EXPECT_EQ(c.view.textFieldText(), "0");
    EXPECT_TRUE(c.area()->prompt()->isVisible());
    EXPECT_TRUE(c.area()->prompt()->isSwinging());
}

TEST(CanvasView, DrawingAtAZoomGivesImagePixelCornersAndAsksForTheEditor)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.images.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 1.5; });
    Canvas::settle();
    ASSERT_EQ(c.images.allImages.get()[0]->scaledWidth, 150);
    ASSERT_EQ(c.images.allImages.get()[0]->scaledHeight, 150);
    EXPECT_EQ(c.pixel({ 148, 148 }), colourA);
    EXPECT_NE(c.pixel({ 152, 148 }), colourA);

    c.boxes.currentSelectedBox.set(someBox());
    c.cursor.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    QTest::mousePress(c.layer(), Qt::LeftButton, {}, { 30, 30 });
    QTest::mouseMove(c.layer(), { 60, 45 });
    // The dashed preview follows the pointer: its left edge starts painted at the first corner.
    EXPECT_TRUE(c.area()->isDragOn());
    EXPECT_EQ(c.pixel({ 30, 32 }), Palette::green);
    EXPECT_NE(c.pixel({ 30, 37 }), Palette::green);
    QTest::mouseMove(c.layer(), { 90, 60 });
    QTest::mouseRelease(c.layer(), Qt::LeftButton, {}, { 90, 60 });
    Canvas::settle();

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
    EXPECT_TRUE(sameBox(c.boxes.currentSelectedBox.get(), box));
    EXPECT_EQ(c.boxes.currentSelectedBoxColor.get(), Palette::blue);
    EXPECT_TRUE(c.boxes.toShowInfoUI.get());
    expectPoint(c.images.allStartLocations.get()[0], 0, 0);
}

TEST(CanvasView, DrawingLeftOfOrAboveTheStartGivesZeroWidthOrHeight)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.cursor.currentCursorMode.set(CursorMode::dragToDrawRectangle);

    c.drag({ 60, 60 }, { 20, 90 });
    ASSERT_EQ(c.boxCount(), 1u);
    expectPoint(c.lastBox()->startLocation(), 60, 60);
    expectPoint(c.lastBox()->endLocation(), 60, 90);

    // Beside the first box: a press on a box is the box's.
    c.drag({ 20, 50 }, { 50, 10 });
    ASSERT_EQ(c.boxCount(), 2u);
    expectPoint(c.lastBox()->startLocation(), 20, 50);
    expectPoint(c.lastBox()->endLocation(), 50, 50);
    EXPECT_TRUE(sameBox(c.boxes.currentSelectedBox.get(), c.lastBox()));
    EXPECT_TRUE(c.boxes.toShowInfoUI.get());
}

TEST(CanvasView, PanningMovesTheImageAndItsBoxLayerAndDrawingFollowsThePan)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.cursor.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    c.drag({ 10, 10 }, { 50, 50 });
    const BoxPtr before = c.lastBox();

    // Pans start beside the box: a press on a box is the box's.
    c.cursor.currentCursorMode.set(CursorMode::dragToMoveImage);
    c.drag({ 70, 70 }, { 85, 70 });
    c.drag({ 70, 70 }, { 70, 90 }, 7);
    expectPoint(c.images.allStartLocations.get()[0], 15, 20);
    EXPECT_DOUBLE_EQ(c.images.allOffset.get()[0].width, 15);
    EXPECT_DOUBLE_EQ(c.images.allOffset.get()[0].height, 20);
    EXPECT_EQ(c.view.boxView()->imageOrigin(), QPointF(15, 20));
    EXPECT_EQ(c.pixel({ 16, 21 }), colourA);
    EXPECT_NE(c.pixel({ 12, 21 }), colourA);
    EXPECT_EQ(c.boxCount(), 1u);

    // Picture pixels drawn over after the pan give the same corners as before it: the first box
    // moved with the picture, and a box drawn 50 pixels right of it lies 50 pixels right of it.
    expectPoint(before->startLocation(), 10, 10);
    c.cursor.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    c.drag({ 75, 30 }, { 115, 70 });
    ASSERT_EQ(c.boxCount(), 2u);
    expectPoint(c.lastBox()->originalStartLoc(), before->originalStartLoc().x + 50, before->originalStartLoc().y);
    expectPoint(c.lastBox()->originalEndLoc(), before->originalEndLoc().x + 50, before->originalEndLoc().y);

    // The box layer keeps covering the area, its origin on the picture's corner.
    c.view.resize(900, 700);
    Canvas::settle();
    EXPECT_EQ(c.view.boxView()->geometry(), c.area()->rect());
    EXPECT_EQ(c.view.boxView()->imageOrigin(), QPointF(15, 20));
}

TEST(CanvasView, DrawnCornersStayInsideThePicture)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    c.drag({ 50, 50 }, { 90, 90 }); // the picture now lies from (40, 40) to (140, 140)
    c.cursor.currentCursorMode.set(CursorMode::dragToDrawRectangle);

    // Begun above and left of the picture: the first corner moves onto its edges.
    c.drag({ 20, 20 }, { 80, 90 });
    expectPoint(c.lastBox()->startLocation(), 0, 0);
    expectPoint(c.lastBox()->endLocation(), 40, 50);

    // Begun right of and below it: a box of no size on the far edges.
    c.drag({ 160, 60 }, { 190, 80 });
    expectPoint(c.lastBox()->startLocation(), 100, 20);
    expectPoint(c.lastBox()->endLocation(), 100, 40);
    c.drag({ 60, 170 }, { 80, 190 });
    expectPoint(c.lastBox()->startLocation(), 20, 100);
    expectPoint(c.lastBox()->endLocation(), 40, 100);
    EXPECT_EQ(c.boxCount(), 3u);
}

TEST(CanvasView, ShortDragsAreClicksAndTheMoveBoxModeLeavesTheCanvasAlone)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 100, colourA) });
    const BoxPtr selected = someBox();
    c.boxes.appendBox(selected, 0, false);

    for (CursorMode mode : { CursorMode::dragToMoveImage, CursorMode::dragToDrawRectangle }) {
        c.cursor.currentCursorMode.set(mode);
        c.boxes.currentSelectedBox.set(selected);
        c.boxes.currentSelectedBoxColor.set(Palette::blue);
        c.drag({ 50, 50 }, { 56, 57 });
        expectPoint(c.images.allStartLocations.get()[0], 0, 0);
        EXPECT_EQ(c.boxCount(), 1u);
        EXPECT_FALSE(c.area()->isDragOn());
        // A click on the picture clears the selection.
        EXPECT_EQ(c.boxes.currentSelectedBox.get(), nullptr);
        EXPECT_EQ(c.boxes.currentSelectedBoxColor.get(), Palette::green);
    }

    c.cursor.currentCursorMode.set(CursorMode::dragToMoveRectangle);
    c.drag({ 20, 20 }, { 80, 90 });
    expectPoint(c.images.allStartLocations.get()[0], 0, 0);
    EXPECT_DOUBLE_EQ(c.images.allOffset.get()[0].width, 0);
    EXPECT_EQ(c.boxCount(), 1u);
    EXPECT_FALSE(c.boxes.toShowInfoUI.get());

    // A click beside the picture keeps the selection and only turns its colour green; so does a
    // click on the bottom bar.
    c.boxes.currentSelectedBox.set(selected);
    c.boxes.currentSelectedBoxColor.set(Palette::blue);
    c.click({ 300, 300 });
    EXPECT_TRUE(sameBox(c.boxes.currentSelectedBox.get(), selected));
    EXPECT_EQ(c.boxes.currentSelectedBoxColor.get(), Palette::green);
    c.boxes.currentSelectedBoxColor.set(Palette::blue);
    QTest::mouseClick(c.view.matchControlsSlot(), Qt::LeftButton);
    Canvas::settle();
    EXPECT_TRUE(sameBox(c.boxes.currentSelectedBox.get(), selected));
    EXPECT_EQ(c.boxes.currentSelectedBoxColor.get(), Palette::green);
}

TEST(CanvasView, DisplayedSizeIsThePixelSizeTimesTheZoomOfTheCurrentImage)
{
    Canvas c;
    c.openThroughPrompt({ c.picture("a.png", 100, 80, colourA), c.picture("b.png", 60, 40, colourB) });
    const ImagePtr a = c.images.allImages.get()[0];
    const ImagePtr b = c.images.allImages.get()[1];
    c.images.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 1.5; });
    c.images.updateScalingFactor();
    Canvas::settle();
    EXPECT_EQ(a->scaledWidth, 150);
    EXPECT_EQ(a->scaledHeight, 120);

    c.view.setMatchClicked(true);
    c.images.currentImageIndex.set(1);
    Canvas::settle();
    EXPECT_EQ(b->scaledWidth, 60);
    EXPECT_EQ(b->scaledHeight, 40);
    EXPECT_FALSE(c.view.isMatchClicked());
    EXPECT_EQ(c.view.textFieldText(), "1"); // the navigation controls refresh it, not the canvas

    c.images.currentImageIndex.set(0);
    Canvas::settle();
    EXPECT_EQ(a->scaledWidth, 150);

    // The image that moves into the current index by a deletion gets its size too.
    b->scaledWidth = 0;
    b->scaledHeight = 0;
    c.view.setMatchClicked(true);
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    ASSERT_EQ(c.images.currentImage(), b);
    EXPECT_EQ(b->scaledWidth, 60);
    EXPECT_EQ(b->scaledHeight, 40);
    EXPECT_FALSE(c.view.isMatchClicked());
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
    ASSERT_EQ(c.images.imageCount(), 1);
    EXPECT_FALSE(c.area()->prompt()->isVisible());
    EXPECT_FALSE(c.area()->grab().isNull());
    c.cursor.currentCursorMode.set(CursorMode::dragToDrawRectangle);
    c.drag({ 20, 20 }, { 60, 60 });
    ASSERT_EQ(c.boxCount(), 1u);
    expectPoint(c.lastBox()->endLocation(), 0, 0);
}

TEST(CanvasView, SlotsTakeTheControlsOfOtherViews)
{
    Canvas c;
    auto* first = new QWidget;
    c.view.setMatchControls(first);
    EXPECT_EQ(first->parentWidget(), c.view.matchControlsSlot());
    QPointer<QWidget> former(first);
    auto* second = new QWidget;
    c.view.setMatchControls(second);
    Canvas::settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(former.isNull());
    EXPECT_EQ(second->parentWidget(), c.view.matchControlsSlot());
    c.view.setTabStrip(new QWidget);
    c.view.setNavigationControls(new QWidget);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the canvas's own controls
    EXPECT_EQ(c.view.tabStripSlot()->findChildren<QWidget*>().size(), 1);
    EXPECT_EQ(c.view.navigationSlot()->findChildren<QWidget*>().size(), 1);
}
