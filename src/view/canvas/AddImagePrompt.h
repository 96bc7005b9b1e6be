#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

// What the canvas shows with no image open: a plus in a circle over "Add a new Image". The icon
// swings (turns about its upright axis, rises 20 points, goes from red to blue) one second each way
// for as long as the prompt is on screen. Clicking anywhere on it asks for images.
class AddImagePrompt : public QAbstractButton
{
    Q_OBJECT
public:
    explicit AddImagePrompt(QWidget* parent = nullptr);

    bool isSwinging() const { return m_animation.state() == QAbstractAnimation::Running; }
    // 1 at the turned, raised, red end of the swing; 0 at rest, blue.
    double swing() const { return m_swing; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QFont titleFont() const;

    QVariantAnimation m_animation;
    double m_swing = 1.0;
};
