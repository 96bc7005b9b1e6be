#pragma once

#include <QObject>
#include <QVariantAnimation>

class BoundingBoxManager;
class ImageManager;

inline constexpr double zoomInFactor = 1.1;
inline constexpr double zoomOutFactor = 0.9;
inline constexpr double minimumZoom = 0.3;
inline constexpr double maximumZoom = 2.0;

// One zoom step of the current image by factor. The new zoom must stay strictly inside
// (minimumZoom, maximumZoom); otherwise nothing changes and the step is never shortened to reach
// the limit. Returns whether the step was taken. The zoom factor, the displayed size, the image
// record and every box of the image (replaced by new boxes) are updated at once and exactly.
bool zoomStep(ImageManager& images, BoundingBoxManager& boxes, double factor);

// The sidebar's zoom step: the model changes at once as in zoomStep, and the picture follows in a
// short ease-in-out transition. During the transition a canvas draws the current image and its
// boxes at their model zoom times displayFactor(), about the image's top-left corner; the factor
// runs from old/new zoom to exactly 1. One transition for the whole process, since every window
// shows the same images.
class ZoomTransition : public QObject
{
    Q_OBJECT
public:
    static constexpr int durationMs = 200;

    static ZoomTransition& instance();

    bool animatedZoomStep(ImageManager& images, BoundingBoxManager& boxes, double factor);
    double displayFactor() const { return m_displayFactor; }
    bool running() const { return m_animation.state() == QAbstractAnimation::Running; }

signals:
    void displayFactorChanged(double factor);

private:
    explicit ZoomTransition(QObject* parent);

    QVariantAnimation m_animation;
    double m_displayFactor = 1.0;
};
