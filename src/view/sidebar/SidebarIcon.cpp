#include "view/sidebar/SidebarIcon.h"

#include "model/Palette.h"
#include "view/modifiers/Symbols.h"

#include <QEasingCurve>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int symbolSize = 22;
constexpr int spacing = 6;
constexpr double horizontalPadding = 5;
constexpr double verticalPadding = 2;
constexpr double cornerRadius = 10;

QFont captionFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    return font;
}
} // namespace

SidebarIcon::SidebarIcon(SidebarNavigator& sidebarNavigator, const QString& titleText, const QString& iconName,
    SidebarIconType assignedSidebar, const QColor& colorSidebarIcon, std::function<void()> gestureAction,
    QWidget* parent)
    : QAbstractButton(parent)
    , m_sidebarNavigator(sidebarNavigator)
    , m_iconName(iconName)
    , m_assignedSidebar(assignedSidebar)
    , m_color(colorSidebarIcon)
{
    setText(titleText);
    setAccessibleName(titleText);
    setFont(captionFont(font()));
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_hoverAnimation.setDuration(hoverDurationMs);
    m_hoverAnimation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverProgress = value.toDouble();
        update();
    });
    connect(&m_hoverAnimation, &QVariantAnimation::finished, this, [this] {
        m_hoverProgress = m_isHovering ? 1.0 : 0.0;
        update();
    });
    connect(this, &QAbstractButton::clicked, this, [this, action = std::move(gestureAction)] {
        m_sidebarNavigator.changeActiveSidebar(m_assignedSidebar);
        if (action)
            action();
    });
    connect(&m_sidebarNavigator, &ObservableObject::changed, this, qOverload<>(&QWidget::update));
}

QSizeF SidebarIcon::contentSize() const
{
    const QFontMetricsF metrics(font());
    return { symbolSize + spacing + metrics.horizontalAdvance(text()), std::max<double>(symbolSize, metrics.height()) };
}

QSize SidebarIcon::sizeHint() const
{
    // Room for the entry at its hover size on the trailing side and below and above; on the leading
    // side it grows into the inset.
    const QSizeF padded = contentSize() + QSizeF(2 * horizontalPadding, 2 * verticalPadding);
    const double growth = padded.width() * (hoverScale - 1.0) / 2;
    return QSizeF(leadingInset + padded.width() + growth, padded.height() * hoverScale).toSize() + QSize(2, 2);
}

QRectF SidebarIcon::paddedRect() const
{
    // Every entry starts at the same inset, so the symbols line up; in a narrow column the caption
    // gets shortened.
    QSizeF size = contentSize() + QSizeF(2 * horizontalPadding, 2 * verticalPadding);
    const double left = std::min<double>(leadingInset, width());
    size.setWidth(std::clamp(width() - left, 0.0, size.width()));
    return QRectF(left, (height() - size.height()) / 2, size.width(), size.height());
}

QRectF SidebarIcon::contentRect() const
{
    return paddedRect().adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
}

void SidebarIcon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled())
        painter.setOpacity(0.35);
    const QRectF padded = paddedRect();
    const QPointF centre = padded.center();
    const double scale = currentScale();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    if (highlighted()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::withOpacity(Palette::blue, 0.2));
        painter.drawRoundedRect(padded, cornerRadius, cornerRadius);
    }

    const QRectF content = contentRect();
    const QRectF symbolBox(content.left(), content.center().y() - symbolSize / 2.0, symbolSize, symbolSize);
    painter.save();
    // Half a turn about the vertical axis through the symbol's centre, seen in perspective.
    QTransform turn;
    turn.translate(symbolBox.center().x(), symbolBox.center().y());
    turn.rotate(symbolTurnDegrees(), Qt::YAxis);
    turn.translate(-symbolBox.center().x(), -symbolBox.center().y());
    painter.setTransform(turn, true);
    painter.drawPixmap(symbolBox.toRect(), symbolPixmap(m_iconName, symbolSize, m_color, devicePixelRatioF()));
    painter.restore();

    painter.setPen(palette().color(QPalette::WindowText));
    const QRectF caption(
        symbolBox.right() + spacing, content.top(), content.right() - symbolBox.right() - spacing, content.height());
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter,
        fontMetrics().elidedText(text(), Qt::ElideRight, int(std::ceil(caption.width()))));
}

void SidebarIcon::mouseMoveEvent(QMouseEvent* event)
{
    setHovering(contentRect().contains(event->position()));
    QAbstractButton::mouseMoveEvent(event);
}

void SidebarIcon::leaveEvent(QEvent* event)
{
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

bool SidebarIcon::hitButton(const QPoint& pos) const
{
    const QRectF padded = paddedRect();
    const double scale = currentScale();
    const QSizeF size = padded.size() * scale;
    const QRectF scaled(padded.center() - QPointF(size.width() / 2, size.height() / 2), size);
    return scaled.contains(pos);
}

void SidebarIcon::setHovering(bool hovering)
{
    if (hovering == m_isHovering)
        return;
    m_isHovering = hovering;
    m_hoverAnimation.stop();
    m_hoverAnimation.setStartValue(m_hoverProgress);
    m_hoverAnimation.setEndValue(hovering ? 1.0 : 0.0);
    m_hoverAnimation.start();
}
