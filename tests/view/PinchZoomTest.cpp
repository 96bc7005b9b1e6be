#include "view/canvas/PinchZoom.h"

#include "CanvasHost.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/DisplayImageView.h"

#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace
{
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

struct Pinching : CanvasFixture {
    QWidget canvas;
    PinchZoom zoom { shared };
    ImagePtr image = open("a.png", 100, 80);
    ImagePtr other = open("b.png", 50, 50);
    BoxPtr box = addBox(0, { 10, 20 }, { 30, 40 }, "cat");
    BoxPtr otherBox = addBox(1, { 1, 2 }, { 3, 4 });

    Pinching()
    {
        zoom.watch(&canvas);
        image->scaledWidth = image->originalWidth;
        image->scaledHeight = image->originalHeight;
    }

    double current(size_t i = 0) const { return imageManager.allCurrentScaleFactors.get()[i]; }
    double previous(size_t i = 0) const { return imageManager.allPreviousScaleFactors.get()[i]; }
};
} // namespace

TEST(PinchZoom, StepsMultiplyTheZoomAndTheBoxesFollow)
{
    Pinching p;
    gesture(&p.canvas, Qt::BeginNativeGesture);
    gesture(&p.canvas, Qt::ZoomNativeGesture, 0.1);
    EXPECT_DOUBLE_EQ(p.current(), 1.1);
    EXPECT_DOUBLE_EQ(p.previous(), 1.1);
    gesture(&p.canvas, Qt::ZoomNativeGesture, 0.1); // 1.1 x 1.1 = 1.21 since the pinch began
    EXPECT_DOUBLE_EQ(p.previous(), 1.21);
    EXPECT_DOUBLE_EQ(p.current(), 1.21);
    // The same box, rescaled in place.
    ASSERT_EQ(p.boundingBoxManager.allBoundingBoxes.get()[0][0], p.box);
    EXPECT_DOUBLE_EQ(p.box->startLocation().y, 20 * 1.21);
    EXPECT_DOUBLE_EQ(p.box->endLocation().x, 30 * 1.21);
    EXPECT_NEAR(p.box->originalEndLoc().y, 40, 1e-12);
    EXPECT_DOUBLE_EQ(p.box->scaleFactor(), 1.21);
    EXPECT_DOUBLE_EQ(p.box->imageScale(), 1.21);
    EXPECT_DOUBLE_EQ(p.image->scaledHeight, 80 * 1.21);
    // Not yet copied to the image: the pinch is still running.
    EXPECT_EQ(p.image->currentScale, 1.0);

    gesture(&p.canvas, Qt::EndNativeGesture);
    EXPECT_EQ(p.previous(), 1.0);
    EXPECT_DOUBLE_EQ(p.image->currentScale, 1.21);
    EXPECT_EQ(p.image->previousScale, 1.0);

    // The other image is untouched.
    EXPECT_EQ(p.current(1), 1.0);
    EXPECT_EQ(p.otherBox->startLocation().x, 1);
}

TEST(PinchZoom, ATinyMovementIsNoPinchAndEachWheelNotchIsOne)
{
    Pinching p;
    // Fingers that barely move do not zoom, and the end of such a touch changes nothing.
    gesture(&p.canvas, Qt::BeginNativeGesture);
    gesture(&p.canvas, Qt::ZoomNativeGesture, 0.005);
    EXPECT_EQ(p.current(), 1.0);
    gesture(&p.canvas, Qt::ZoomNativeGesture, 0.005);
    EXPECT_NEAR(p.current(), 1.005 * 1.005, 1e-12);
    gesture(&p.canvas, Qt::EndNativeGesture);

    Pinching w;
    wheel(&w.canvas, 120);
    EXPECT_DOUBLE_EQ(w.current(), 1.1);
    EXPECT_EQ(w.previous(), 1.0);
    EXPECT_DOUBLE_EQ(w.image->currentScale, 1.1);
    wheel(&w.canvas, -120);
    EXPECT_DOUBLE_EQ(w.current(), 1.0);
    // Half notches add up to one; two notches in one turn are two steps; without Ctrl no step.
    for (const auto& [angle, zoom] : { std::pair { 60, 1.0 }, { 60, 1.1 }, { 240, 1.1 * 1.1 * 1.1 } }) {
        wheel(&w.canvas, angle);
        EXPECT_NEAR(w.current(), zoom, 1e-12) << angle;
    }
    wheel(&w.canvas, 120, Qt::NoModifier);
    EXPECT_NEAR(w.current(), 1.1 * 1.1 * 1.1, 1e-12);

    // Nothing happens without an image.
    CanvasFixture none;
    PinchZoom zoom(none.shared);
    zoom.change(1.5);
    zoom.end();
    EXPECT_TRUE(none.imageManager.allCurrentScaleFactors.get().empty());
}

TEST(PinchZoom, TheCanvasAreaTakesPinchesAndCtrlWheel)
{
    CanvasHost host({ "a.png" });
    const auto zoom = [&] { return host.imageManager.allCurrentScaleFactors.get()[0]; };
    wheel(host.canvas->displayImageView(), 120);
    EXPECT_DOUBLE_EQ(zoom(), 1.1);
    wheel(host.canvas->boxView(), 120);
    EXPECT_DOUBLE_EQ(zoom(), 1.21);

    gesture(host.canvas->boxView(), Qt::BeginNativeGesture);
    gesture(host.canvas->boxView(), Qt::ZoomNativeGesture, -0.5);
    gesture(host.canvas->boxView(), Qt::EndNativeGesture);
    EXPECT_DOUBLE_EQ(zoom(), 1.21 * 0.5);
    EXPECT_DOUBLE_EQ(host.imageManager.allImages.get()[0]->currentScale, 1.21 * 0.5);
    // The canvas draws the image at its new size.
    host.settle();
    EXPECT_DOUBLE_EQ(host.canvas->displayImageView()->imageRect().width(), 100 * 1.21 * 0.5);
}
