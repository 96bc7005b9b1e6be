#include "view/canvas/AddImagePrompt.h"

#include "model/Palette.h"

#include <QEasingCurve>
#include <QPainter>
#include <QtMath>

namespace
{
constexpr int swingMilliseconds = 1000;
constexpr double iconDiameter = 30;
constexpr double iconRise = 20;
constexpr double stackSpacing = 8;

QColor mix(const QColor& a, const QColor& b, double k)
{
    return QColor::fromRgbF(float(a.redF() * k + b.redF() * (1 - k)), float(a.greenF() * k + b.greenF() * (1 - k)),
        float(a.blueF() * k + b.blueF() * (1 - k)));
}
} // namespace

AddImagePrompt::AddImagePrompt(QWidget* parent)
    : QAbstractButton(parent)
{
    setText(QStringLiteral("Add a new Image"));
    setAccessibleName(text());
    setToolTip(QStringLiteral("Click here to add one or multiple new images"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    // One loop is there and back; the ease runs in and out on each way.
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setDuration(2 * swingMilliseconds);
    m_animation.setLoopCount(-1);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double t = value.toDouble();
        const double way = t < 0.5 ? 2 * t : 2 - 2 * t;
        m_swing = 1.0 - QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(way);
        update();
    });
}

QFont AddImagePrompt::titleFont() const
{
    QFont f = font();
    f.setPixelSize(26);
    f.setWeight(QFont::DemiBold);
    return f;
}

QSize AddImagePrompt::sizeHint() const
{
    const QFontMetrics metrics(titleFont());
    return { metrics.horizontalAdvance(text()), int(iconDiameter + stackSpacing) + metrics.height() };
}

void AddImagePrompt::showEvent(QShowEvent* event)
{
    QAbstractButton::showEvent(event);
    m_swing = 1.0;
    m_animation.stop();
    m_animation.start();
}

void AddImagePrompt::hideEvent(QHideEvent* event)
{
    m_animation.stop();
    QAbstractButton::hideEvent(event);
}

void AddImagePrompt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QFont font = titleFont();
    const QFontMetrics metrics(font);
    const double stackHeight = iconDiameter + stackSpacing + metrics.height();
    const double top = (height() - stackHeight) / 2;
    const QPointF iconCentre(width() / 2.0, top + iconDiameter / 2 - iconRise * m_swing);

    // Turning about the upright axis shows as a horizontal squeeze.
    painter.save();
    painter.translate(iconCentre);
    painter.scale(qCos(2 * M_PI * m_swing), 1.0);
    QPen pen(mix(Palette::red, Palette::blue, m_swing), 2.5);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double r = iconDiameter / 2 - 1.5;
    painter.drawEllipse(QPointF(0, 0), r, r);
    const double arm = r * 0.5;
    painter.drawLine(QPointF(-arm, 0), QPointF(arm, 0));
    painter.drawLine(QPointF(0, -arm), QPointF(0, arm));
    painter.restore();

    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRectF textBox(0, top + iconDiameter + stackSpacing, width(), metrics.height());
    painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignVCenter, text());
}
