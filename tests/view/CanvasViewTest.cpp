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
#include <QNativeGestureEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace
{
const QColor colourA(200, 30, 160);
const QColor colourB(30, 160, 200);
const QColor colourC(160, 200, 30);

// The first `images` of a.png (100 x 100), b.png (60 x 40) and c.png (100 x 100), opened through the prompt.
struct Canvas : CanvasHost {
    explicit Canvas(int images = 1)
        : CanvasHost({}, QSize(800, 600))
    {
        if (images > 0)
            openThroughPrompt(pictures(images));
    }

    DisplayImageView* area() const { return canvas->displayImageView(); }
    // Presses reach the canvas through the box layer that lies over it.
    QWidget* layer() const { return canvas->boxView(); }
    const CanvasState& state() const { return canvas->state(); }

    QStringList pictures(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << TestImages::write(dir, QChar('a' + i) + QStringLiteral(".png"), i == 1 ? 60 : 100,
                i == 1 ? 40 : 100, QList { colourA, colourB, colourC }[i]);
        return paths;
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

    // Opens the image's menu at a point and chooses an entry by its text; whether the menu was shown.
    bool chooseFromMenu(QPoint at, const QString& entry)
    {
        MenuAnswerer answerer(entry);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, layer()->mapToGlobal(at));
        QApplication::sendEvent(layer(), &event);
        settle();
        return answerer.shown();
    }

    QColor pixel(QPoint at) const { return area()->grab().toImage().pixelColor(at); }
    void mode(CursorMode mode) { cursorManager.currentCursorMode.set(mode); }
    const std::vector<BoundingBoxManager::BoxList>& lists() const { return boundingBoxManager.allBoundingBoxes.get(); }
    BoxPtr lastBox() const { return lists().at(size_t(index())).empty() ? nullptr : lists()[size_t(index())].back(); }
    size_t boxCount(size_t image = 0) const { return lists().at(image).size(); }
    bool selected(const BoxPtr& box, QColor colour) const
    {
        const BoxPtr& now = boundingBoxManager.currentSelectedBox.get();
        return (box ? sameBox(now, box) : !now) && boundingBoxManager.currentSelectedBoxColor.get() == colour;
    }
};

// Drags in draw mode, each with the displayed corners of the box it gives.
void drawEach(Canvas& c, std::initializer_list<std::tuple<QPoint, QPoint, std::vector<double>>> drags)
{
    c.mode(CursorMode::dragToDrawRectangle);
    for (const auto& [from, to, expected] : drags) {
        c.drag(from, to);
        EXPECT_EQ(c.corners(c.lastBox()), expected) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
    }
}

void gesture(QWidget* target, Qt::NativeGestureType type, double value = 0)
{
    QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, QPointF(5, 5), QPointF(5, 5),
        QPointF(5, 5), value, QPointF());
    QCoreApplication::sendEvent(target, &event);
}

void wheel(QWidget* target, int angle, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, angle), Qt::NoButton,
        modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}
} // namespace

TEST(CanvasView, ThePromptAndTheImageMenuOpenImagesWithAnEmptyBoxListEach)
{
    Canvas c(0);
    AddImagePrompt* prompt = c.area()->prompt();
    ASSERT_TRUE(prompt->isVisible() && prompt->isSwinging());
    EXPECT_EQ(prompt->text(), "Add a new Image");

    // Cancelling the dialog adds nothing.
    c.openThroughPrompt({});
    EXPECT_TRUE(c.lists().empty());
    EXPECT_TRUE(prompt->isVisible());

    // A picture that cannot be read is opened without harm.
    QFile broken(c.dir + "/broken.png");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("not a picture") > 0);
    broken.close();
    c.openThroughPrompt(c.pictures(2) << broken.fileName());
    ASSERT_EQ(c.lists(), (std::vector<BoundingBoxManager::BoxList>(3)));
    EXPECT_EQ(c.state().textFieldText(), "1");
    EXPECT_FALSE(prompt->isVisible() || prompt->isSwinging());

    // "Add Image" in the picture's menu keeps the current image and every list; none beside the picture.
    const BoxPtr kept = c.addBox(0, { 1, 1 }, { 5, 5 }, "cat");
    c.imageManager.showImage(1);
    c.settle();
    EXPECT_FALSE(c.chooseFromMenu({ 300, 300 }, "Add Image"));
    c.dialogs.imagesToOpen
        = { TestImages::write(c.dir, "d.png", 10, 10, Qt::white), TestImages::write(c.dir, "e.png", 10, 10) };
    ASSERT_TRUE(c.chooseFromMenu({ 30, 30 }, "Add Image"));
    ASSERT_EQ(c.lists().size(), 5u);
    EXPECT_TRUE(sameBox(c.lists()[0].back(), kept) && c.boxCount(4) == 0u);
    EXPECT_EQ(c.imageManager.currentImageIndex.get(), 1);
    EXPECT_EQ(c.state().textFieldText(), "2");

    c.imageManager.showImage(2);
    c.settle();
    EXPECT_FALSE(c.area()->grab().isNull());
    drawEach(c, { { { 20, 20 }, { 60, 60 }, { 0, 0, 0, 0 } } });
}

// Which image becomes current after a deletion is a table in ViewModelTest.
TEST(CanvasView, DeleteImageRemovesTheCurrentImageAndThePromptComesBackAfterTheLast)
{
    Canvas c(3);
    c.show(2);
    ASSERT_TRUE(c.chooseFromMenu({ 50, 50 }, "Delete Image"));
    EXPECT_EQ(c.state().textFieldText(), "2");
    EXPECT_EQ(c.pixel({ 30, 30 }), colourB);

    // Another index resetting Match is in MatchControlsTest; here the index stays and the image changes.
    const ImagePtr b = c.imageManager.allImages.get()[1];
    c.imageManager.showImage(0);
    c.canvas->state().setMatchClicked(true);
    c.imageManager.showImage(0);
    EXPECT_TRUE(c.state().isMatchClicked());
    c.chooseFromMenu({ 50, 50 }, "Delete Image");
    ASSERT_EQ(c.imageManager.currentImage(), b);
    EXPECT_EQ(b->scaledWidth, 60);
    EXPECT_FALSE(c.state().isMatchClicked());

    c.chooseFromMenu({ 30, 30 }, "Delete Image");
    EXPECT_TRUE(c.lists().empty());
    EXPECT_EQ(c.state().textFieldText(), "0");
    EXPECT_TRUE(c.area()->prompt()->isVisible() && c.area()->prompt()->isSwinging());
}

TEST(CanvasView, DrawnCornersStayInsideThePannedPictureAndNeverReverse)
{
    Canvas c;
    // Drawn left of or above the start: zero width or height. Presses begin beside earlier boxes.
    drawEach(c, { { { 60, 60 }, { 20, 90 }, { 60, 60, 60, 90 } }, { { 30, 60 }, { 60, 20 }, { 30, 60, 60, 60 } } });

    // Pans begin beside the boxes.
    c.mode(CursorMode::dragToMoveImage);
    c.drag({ 80, 80 }, { 95, 80 });
    c.drag({ 80, 80 }, { 80, 100 }, 7);
    const Point start = c.imageManager.allStartLocations.get()[0];
    EXPECT_TRUE(start.x == 15 && start.y == 20 && c.imageManager.allOffset.get()[0].width == 15);
    EXPECT_EQ(c.canvas->boxView()->imageOrigin(), QPointF(15, 20));
    EXPECT_EQ(c.pixel({ 16, 21 }), colourA);
    EXPECT_NE(c.pixel({ 12, 21 }), colourA);

    // After the pan, corners are picture pixels; begun outside the picture, they move onto its edges.
    drawEach(c,
        { { { 25, 30 }, { 65, 70 }, { 10, 10, 50, 50 } }, { { 5, 5 }, { 55, 80 }, { 0, 0, 40, 60 } },
            { { 130, 60 }, { 160, 80 }, { 100, 40, 100, 60 } }, { { 40, 140 }, { 60, 160 }, { 25, 100, 45, 100 } } });

    // The box layer keeps covering the area, its origin on the picture's corner.
    c.canvas->resize(900, 700);
    c.settle();
    EXPECT_EQ(c.canvas->boxView()->geometry(), c.area()->rect());
    EXPECT_EQ(c.canvas->boxView()->imageOrigin(), QPointF(15, 20));
}

TEST(CanvasView, ShortDragsAreClicksTheMoveBoxModeLeavesTheCanvasAloneAndDrawingGivesImagePixels)
{
    Canvas c;
    c.imageManager.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 1.5; });
    c.settle();
    EXPECT_EQ(c.pixel({ 148, 148 }), colourA); // drawn at its zoom from the area's top-left corner
    EXPECT_NE(c.pixel({ 152, 148 }), colourA);
    EXPECT_NE(c.pixel({ 148, 152 }), colourA);
    const BoxPtr box = c.addBox(0, { 1, 1 }, { 5, 5 }, "cat");
    const auto unmoved = [&] {
        const Point start = c.imageManager.allStartLocations.get()[0];
        EXPECT_TRUE(start.x == 0 && start.y == 0 && c.boxCount() == 1u);
    };
    for (CursorMode mode : { CursorMode::dragToMoveImage, CursorMode::dragToDrawRectangle }) {
        c.mode(mode);
        c.boundingBoxManager.select(box);
        c.drag({ 50, 50 }, { 56, 57 });
        unmoved();
        EXPECT_TRUE(c.selected(nullptr, Palette::green)); // a click on the picture clears the selection
    }
    c.mode(CursorMode::dragToMoveRectangle);
    c.drag({ 20, 20 }, { 80, 90 });
    unmoved();

    // A click beside the picture or on the bottom bar only turns the selection green; other buttons don't.
    QWidget* bar = c.canvas->matchControlsSlot();
    for (const auto& [target, button, colour] :
        { std::tuple { c.layer(), Qt::LeftButton, Palette::green }, { bar, Qt::LeftButton, Palette::green },
            { c.layer(), Qt::RightButton, Palette::blue }, { bar, Qt::MiddleButton, Palette::blue } }) {
        c.boundingBoxManager.select(box);
        QTest::mouseClick(target, button, {}, target == bar ? QPoint() : QPoint(300, 300));
        c.settle();
        EXPECT_TRUE(c.selected(box, colour)) << button;
    }

    // The dashed preview follows the pointer: its left edge starts painted at the first corner.
    c.mode(CursorMode::dragToDrawRectangle);
    QTest::mousePress(c.layer(), Qt::LeftButton, {}, { 30, 30 });
    QTest::mouseMove(c.layer(), { 60, 45 });
    EXPECT_TRUE(c.area()->isDragOn());
    EXPECT_EQ(c.pixel({ 30, 32 }), Palette::green);
    EXPECT_NE(c.pixel({ 30, 37 }), Palette::green);
    QTest::mouseMove(c.layer(), { 90, 60 });
    QTest::mouseRelease(c.layer(), Qt::LeftButton, {}, { 90, 60 });
    c.settle();
    EXPECT_FALSE(c.area()->isDragOn());
    EXPECT_NE(c.pixel({ 30, 32 }), Palette::green);
    // A template box without a label, selected, with the request for its editor.
    ASSERT_EQ(c.boxCount(), 2u);
    const BoxPtr drawn = c.lastBox();
    EXPECT_EQ(c.corners(drawn), (std::vector<double> { 30, 30, 90, 60 }));
    EXPECT_EQ(c.corners(drawn, true), (std::vector<double> { 20, 20, 60, 40 }));
    EXPECT_TRUE(drawn->imageScale() == 1.5 && drawn->markTemplate() && drawn->classLabel().isEmpty());
    EXPECT_TRUE(c.selected(drawn, Palette::blue));
    EXPECT_TRUE(c.boundingBoxManager.toShowInfoUI.get());
}

// The sidebar's step: the model is exact at once (SidebarViewTest), the view eases to the new size.
TEST(CanvasView, TheSidebarsZoomStepGrowsThePictureAndItsBoxesFromTheirOldSize)
{
    Canvas c;
    c.addBox(0, { 50, 20 }, { 80, 90 }, "cat");
    c.settle();
    // Whether the picture's right edge and the box's left edge lie between the given columns.
    const auto edges = [&](int pictureIn, int pictureOut, int boxOut, int boxIn) {
        const QImage shot = c.area()->grab().toImage();
        return shot.pixelColor(pictureIn, 10) == colourA && shot.pixelColor(pictureOut, 10) != colourA
            && shot.pixelColor(boxOut, 60) != Palette::green && shot.pixelColor(boxIn, 60) == Palette::green;
    };
    ZoomTransition& transition = ZoomTransition::instance();
    QSignalSpy spy(&transition, &ZoomTransition::displayFactorChanged);
    ASSERT_TRUE(transition.animatedZoomStep(c.imageManager, ImageManager::zoomInFactor));
    ASSERT_TRUE(transition.running());
    EXPECT_DOUBLE_EQ(transition.displayFactor(), 1.0 / 1.1);
    EXPECT_TRUE(edges(98, 103, 55, 50));

    QTRY_VERIFY_WITH_TIMEOUT(!transition.running(), 2000);
    c.settle();
    EXPECT_EQ(transition.displayFactor(), 1.0);
    EXPECT_GE(spy.count(), 3); // a start, some steps between and the end
    for (qsizetype i = 1; i < spy.count(); ++i)
        EXPECT_GE(spy[i].at(0).toDouble(), spy[i - 1].at(0).toDouble()); // zooming in only grows
    EXPECT_TRUE(edges(108, 112, 50, 55));

    // A refused step starts no transition.
    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(c.imageManager.zoomStep(ImageManager::zoomInFactor));
    spy.clear();
    EXPECT_FALSE(transition.animatedZoomStep(c.imageManager, ImageManager::zoomInFactor));
    EXPECT_FALSE(transition.running());
    EXPECT_EQ(spy.count(), 0);
}

TEST(PinchZoom, PinchesAndCtrlWheelNotchesZoomTheCurrentImage)
{
    Canvas c(2);
    c.addBox(0, { 10, 20 }, { 30, 40 }, "cat");
    const ImagePtr image = c.imageManager.currentImage();
    const auto zoom = [&] { return c.imageManager.allCurrentScaleFactors.get()[0]; };

    // Half notches add up to one; two notches in one turn are two steps; without Ctrl no step.
    for (const auto& [angle, factor] :
        { std::pair { 120, 1.1 }, { -120, 1.0 }, { 60, 1.0 }, { 60, 1.1 }, { 240, 1.1 * 1.1 * 1.1 }, { -240, 1.1 } }) {
        wheel(angle < 0 ? c.layer() : c.area(), angle);
        EXPECT_NEAR(zoom(), factor, 1e-12) << angle;
    }
    wheel(c.layer(), 120, Qt::NoModifier);
    const double z = zoom();
    EXPECT_NEAR(z, 1.1, 1e-12);
    EXPECT_DOUBLE_EQ(image->currentScale, z);

    // Each change counts from the pinch's start; fingers that barely move do not zoom at first.
    const BoxPtr box = c.lastBox();
    gesture(c.layer(), Qt::BeginNativeGesture);
    gesture(c.layer(), Qt::ZoomNativeGesture, 0.005);
    EXPECT_EQ(zoom(), z);
    gesture(c.layer(), Qt::ZoomNativeGesture, 0.1);
    gesture(c.layer(), Qt::ZoomNativeGesture, 0.1);
    EXPECT_NEAR(zoom(), z * 1.005 * 1.1 * 1.1, 1e-12);
    ASSERT_EQ(c.lists()[0][0], box);
    EXPECT_NEAR(box->startLocation().y, 20 * zoom(), 1e-9);
    EXPECT_NEAR(box->endLocation().x, 30 * zoom(), 1e-9);
    EXPECT_TRUE(box->scaleFactor() == zoom() && box->imageScale() == zoom());
    EXPECT_EQ(image->currentScale, z); // the pinch is still running
    gesture(c.layer(), Qt::EndNativeGesture);
    EXPECT_EQ(image->currentScale, zoom());
    c.settle();
    EXPECT_NEAR(c.area()->imageRect().width(), 100 * zoom(), 1e-9);
}
