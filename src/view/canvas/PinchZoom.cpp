#include "view/canvas/PinchZoom.h"

#include <QNativeGestureEvent>
#include <QWheelEvent>

#include <cmath>

namespace
{
// A pinch counts only once the fingers have moved this far apart (or together), so a two-finger
// touch that barely changes the distance does not zoom.
constexpr double minimumScaleDelta = 0.01;
constexpr int wheelNotch = 120;
} // namespace

PinchZoom::PinchZoom(SharedObjects shared, QObject* parent)
    : QObject(parent)
    , m_shared(shared)
{
}

void PinchZoom::watch(QObject* widget) { widget->installEventFilter(this); }

void PinchZoom::change(double magnification) { m_shared.imageManager.pinchChanged(magnification); }

void PinchZoom::end() { m_shared.imageManager.pinchEnded(); }

bool PinchZoom::nativeGesture(const QNativeGestureEvent& event)
{
    switch (event.gestureType()) {
    case Qt::BeginNativeGesture:
        m_pinching = true;
        m_recognized = false;
        m_magnification = 1.0;
        return true;
    case Qt::ZoomNativeGesture:
        if (!m_pinching) { // some platforms send no beginning
            m_pinching = true;
            m_recognized = false;
            m_magnification = 1.0;
        }
        m_magnification *= 1.0 + event.value();
        if (!m_recognized && std::abs(m_magnification - 1.0) < minimumScaleDelta)
            return true;
        m_recognized = true;
        change(m_magnification);
        return true;
    case Qt::EndNativeGesture: {
        const bool ended = m_pinching && m_recognized;
        m_pinching = m_recognized = false;
        m_magnification = 1.0;
        if (ended)
            end();
        return true;
    }
    default:
        return false;
    }
}

bool PinchZoom::wheel(const QWheelEvent& event)
{
    if (!(event.modifiers() & Qt::ControlModifier))
        return false;
    // Fine-grained wheels send fractions of a notch; zoom once per whole notch.
    m_wheelAngle += event.angleDelta().y();
    while (std::abs(m_wheelAngle) >= wheelNotch) {
        const bool spread = m_wheelAngle > 0;
        m_wheelAngle += spread ? -wheelNotch : wheelNotch;
        change(spread ? wheelStep : 1.0 / wheelStep);
        end();
    }
    return true;
}

bool PinchZoom::eventFilter(QObject* watched, QEvent* event)
{
    bool handled = false;
    if (event->type() == QEvent::NativeGesture)
        handled = nativeGesture(static_cast<const QNativeGestureEvent&>(*event));
    else if (event->type() == QEvent::Wheel)
        handled = wheel(static_cast<const QWheelEvent&>(*event));
    if (!handled)
        return QObject::eventFilter(watched, event);
    // Accepted, or the event would travel on to the parent, which may be watched too.
    event->accept();
    return true;
}
