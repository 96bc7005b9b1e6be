#pragma once

#include "view/SharedObjects.h"

#include <QObject>

class QNativeGestureEvent;
class QWheelEvent;

// Zooms the current image, and its boxes with it, by pinching. A touchpad pinch gives the
// magnification since it began (the product of its steps); for mice, each notch of Ctrl + wheel is a
// short pinch of its own that spreads to 1.1 or closes to 1 / 1.1. Every change is one step measured
// from the previous value; a step that would leave the zoom outside (0.3, 2.0) is dropped.
class PinchZoom : public QObject
{
    Q_OBJECT
public:
    static constexpr double wheelStep = 1.1;

    explicit PinchZoom(SharedObjects shared, QObject* parent = nullptr);

    // Routes the pinches and Ctrl + wheel turns that reach this widget (or bubble up to it) here.
    void watch(QObject* widget);

    // One change of a running pinch, given its magnification since it began.
    void change(double magnification);
    // The pinch is over: the next one starts from 1.0 and the image keeps its zoom.
    void end();

    // False when the event is not a pinch (or not a Ctrl + wheel turn) and was left alone.
    bool nativeGesture(const QNativeGestureEvent& event);
    bool wheel(const QWheelEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SharedObjects m_shared;
    double m_magnification = 1.0;
    bool m_pinching = false;
    bool m_recognized = false;
    int m_wheelAngle = 0;
};
