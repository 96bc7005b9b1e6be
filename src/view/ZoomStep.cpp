#include "view/ZoomStep.h"

#include "viewmodel/BoundingBoxManager.h"
#include "viewmodel/ImageManager.h"

#include <QCoreApplication>
#include <QEasingCurve>

bool zoomStep(ImageManager& images, BoundingBoxManager& boxes, double factor)
{
    const ImagePtr image = images.currentImage();
    if (!image)
        return false;
    const std::int64_t cur = images.currentImageIndex;
    const auto i = static_cast<size_t>(cur);
    const double zoom = images.allCurrentScaleFactors.get()[i] * factor;
    if (!(zoom > minimumZoom && zoom < maximumZoom))
        return false;
    images.allCurrentScaleFactors.modify([&](auto& zooms) { zooms[i] = zoom; });
    // The image record is not observed on its own; the write above already announced the change.
    image->scaledWidth *= factor;
    image->scaledHeight *= factor;
    images.updateScalingFactor();
    boxes.updateScalingFactor(factor, cur, true, zoom);
    return true;
}

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

bool ZoomTransition::animatedZoomStep(ImageManager& images, BoundingBoxManager& boxes, double factor)
{
    if (!zoomStep(images, boxes, factor))
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
