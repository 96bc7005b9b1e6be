#pragma once

#include <QObject>
#include <QVariantAnimation>

#include <functional>

// A value that eases in and out between 0 and 1 towards its target over a fixed duration, telling
// its owner at every step: hover growth, highlights, turning symbols.
class EasedProgress : public QObject
{
    Q_OBJECT
public:
    EasedProgress(int durationMs, std::function<void()> onStep, QObject* parent = nullptr);

    double value() const { return m_value; }
    bool target() const { return m_target; }
    // Eases towards 1 (on) or 0 from where it stands; nothing when already heading there.
    void setTarget(bool on);
    // Stands at once at 1 or 0.
    void jumpTo(bool on);

private:
    QVariantAnimation m_animation;
    std::function<void()> m_onStep;
    double m_value = 0;
    bool m_target = false;
};
