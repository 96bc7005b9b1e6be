#include "view/ZoomStep.h"

#include "viewmodel/ImageManager.h"

#include <QCoreApplication>
#include <QEasingCurve>

ZoomTransition& ZoomTransition::instance()
{
    // Owned by the application, so it ends before Qt's animation machinery does.
    static ZoomTransition* transition = new ZoomTransition(QCoreApplication::instance());
    return *transition;
}

ZoomTransition::ZoomTransition(QObject* parent)
    : QObject(parent)
{
    m_animation.setDuration(durationMs);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_displayFactor = value.toDouble();
        emit displayFactorChanged(m_displayFactor);
    });
    // The interpolation may land a rounding step short of the end.
    connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        if (m_displayFactor != 1.0) {
            m_displayFactor = 1.0;
            emit displayFactorChanged(m_displayFactor);
        }
    });
}

bool ZoomTransition::animatedZoomStep(ImageManager& images, double factor)
{
    if (!images.zoomStep(factor))
        return false;
    // A step taken during a running transition continues from what is on screen now.
    const double from = m_displayFactor / factor;
    m_animation.stop();
    m_animation.setStartValue(from);
    m_animation.setEndValue(1.0);
    m_displayFactor = from;
    emit displayFactorChanged(m_displayFactor);
    m_animation.start();
    return true;
}
