#include "view/modifiers/EasedProgress.h"

#include <QEasingCurve>

EasedProgress::EasedProgress(int durationMs, std::function<void()> onStep, QObject* parent)
    : QObject(parent)
    , m_onStep(std::move(onStep))
{
    m_animation.setDuration(durationMs);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_value = value.toDouble();
        m_onStep();
    });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] { jumpTo(m_target); });
}

void EasedProgress::setTarget(bool on)
{
    if (on == m_target)
        return;
    m_target = on;
    m_animation.stop();
    m_animation.setStartValue(m_value);
    m_animation.setEndValue(on ? 1.0 : 0.0);
    m_animation.start();
}

void EasedProgress::jumpTo(bool on)
{
    m_animation.stop();
    m_target = on;
    m_value = on ? 1.0 : 0.0;
    m_onStep();
}
