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
    void setZoom(double z)
    {
        imageManager.allCurrentScaleFactors.modify([&](auto& v) { v[0] = z; });
    }

    bool gesture(Qt::NativeGestureType type, double value = 0)
    {
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, QPointF(5, 5), QPointF(5, 5),
            QPointF(5, 5), value, QPointF());
        QCoreApplication::sendEvent(&canvas, &event);
        return event.isAccepted();
    }
    // A pinch whose magnification since it began goes through the given values.
    void pinch(std::initializer_list<double> magnifications)
    {
        gesture(Qt::BeginNativeGesture);
        double last = 1.0;
        for (double m : magnifications) {
            gesture(Qt::ZoomNativeGesture, m / last - 1.0);
            last = m;
        }
        gesture(Qt::EndNativeGesture);
    }
    void wheel(int angle, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
            Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&canvas, &event);
    }
};
} // namespace

TEST(PinchZoom, StepsMultiplyTheZoomAndTheBoxesFollow)
{
    Pinching p;
    p.gesture(Qt::BeginNativeGesture);
    p.gesture(Qt::ZoomNativeGesture, 0.1);
    EXPECT_DOUBLE_EQ(p.current(), 1.1);
    EXPECT_DOUBLE_EQ(p.previous(), 1.1);
    p.gesture(Qt::ZoomNativeGesture, 0.1); // 1.1 x 1.1 = 1.21 since the pinch began
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

    p.gesture(Qt::EndNativeGesture);
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
    p.gesture(Qt::BeginNativeGesture);
    p.gesture(Qt::ZoomNativeGesture, 0.005);
    EXPECT_EQ(p.current(), 1.0);
    p.gesture(Qt::ZoomNativeGesture, 0.005);
    EXPECT_NEAR(p.current(), 1.005 * 1.005, 1e-12);
    p.gesture(Qt::EndNativeGesture);

    Pinching w;
    w.wheel(120);
    EXPECT_DOUBLE_EQ(w.current(), 1.1);
    EXPECT_EQ(w.previous(), 1.0);
    EXPECT_DOUBLE_EQ(w.image->currentScale, 1.1);
    w.wheel(-120);
    EXPECT_DOUBLE_EQ(w.current(), 1.0);
    // Half notches add up to one; two notches in one turn are two steps.
    w.wheel(60);
    EXPECT_DOUBLE_EQ(w.current(), 1.0);
    w.wheel(60);
    w.wheel(240);
    EXPECT_NEAR(w.current(), 1.1 * 1.1 * 1.1, 1e-12);
    // Without Ctrl the wheel is not a pinch.
    const double before = w.current();
    w.wheel(120, Qt::NoModifier);
    EXPECT_EQ(w.current(), before);
}

TEST(PinchZoom, NothingHappensWithoutAnImage)
{
    CanvasFixture f;
    PinchZoom zoom(f.shared);
    zoom.change(1.5);
    zoom.end();
    EXPECT_TRUE(f.imageManager.allCurrentScaleFactors.get().empty());
}

TEST(PinchZoom, TheCanvasAreaTakesPinchesAndCtrlWheel)
{
    CanvasHost host({ "a.png" });
    QWidget* area = host.canvas->displayImageView();
    const auto send = [](QWidget* target, QEvent& event) { QCoreApplication::sendEvent(target, &event); };
    QWheelEvent notch(QPointF(50, 50), area->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton,
        Qt::ControlModifier, Qt::NoScrollPhase, false);
    send(area, notch);
    EXPECT_DOUBLE_EQ(host.imageManager.allCurrentScaleFactors.get()[0], 1.1);
    send(host.canvas->boxView(), notch);
    EXPECT_DOUBLE_EQ(host.imageManager.allCurrentScaleFactors.get()[0], 1.21);

    for (auto [type, value] :
        { std::pair { Qt::BeginNativeGesture, 0.0 }, { Qt::ZoomNativeGesture, -0.5 }, { Qt::EndNativeGesture, 0.0 } }) {
        QNativeGestureEvent pinch(type, QPointingDevice::primaryPointingDevice(), 2, QPointF(50, 50), QPointF(50, 50),
            QPointF(50, 50), value, QPointF());
        send(host.canvas->boxView(), pinch);
    }
    EXPECT_DOUBLE_EQ(host.imageManager.allCurrentScaleFactors.get()[0], 1.21 * 0.5);
    EXPECT_DOUBLE_EQ(host.imageManager.allImages.get()[0]->currentScale, 1.21 * 0.5);
    // The canvas draws the image at its new size.
    host.settle();
    EXPECT_DOUBLE_EQ(host.canvas->displayImageView()->imageRect().width(), 100 * 1.21 * 0.5);
}
