#pragma once

#include <QObject>
#include <QVariantAnimation>

class ImageManager;

// The sidebar's zoom step: the model changes at once as in ImageManager::zoomStep, and the picture follows in a
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

    bool animatedZoomStep(ImageManager& images, double factor);
    double displayFactor() const { return m_displayFactor; }
    bool running() const { return m_animation.state() == QAbstractAnimation::Running; }

signals:
    void displayFactorChanged(double factor);

private:
    explicit ZoomTransition(QObject* parent);

    QVariantAnimation m_animation;
    double m_displayFactor = 1.0;
};
