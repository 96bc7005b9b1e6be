#include "view/canvas/BoxSprites.h"

#include "model/Palette.h"
#include "view/canvas/PointView.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace
{
// Labels are few in practice; a flood of distinct ones only costs a fresh start.
constexpr qsizetype cacheLimit = 4096;
} // namespace

void BoxSprites::setFont(const QFont& font)
{
    if (font == m_font)
        return;
    m_font = font;
    m_widths.clear();
    m_badges.clear();
}

double BoxSprites::badgeWidth(const QString& text)
{
    auto it = m_widths.constFind(text);
    if (it != m_widths.cend())
        return *it;
    if (m_widths.size() > cacheLimit)
        m_widths.clear();
    return *m_widths.insert(text, QFontMetricsF(m_font).horizontalAdvance(text) + 2 * badgePadding);
}

void BoxSprites::begin(QPainter& painter)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    if (ratio != m_ratio) {
        m_ratio = ratio;
        m_badges.clear();
        m_handle = {};
    }
    m_toDevice = painter.deviceTransform();
    m_fromDevice = m_toDevice.inverted();
    if (m_handle.isNull()) {
        const int side = int(std::ceil(PointView::handleSize * m_ratio));
        m_handle = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        m_handle.setDevicePixelRatio(m_ratio);
        m_handle.fill(Qt::transparent);
        QPainter p(&m_handle);
        p.setRenderHint(QPainter::Antialiasing, true);
        PointView::paintHandle(p, { PointView::handleSize / 2, PointView::handleSize / 2 });
    }
}

QPointF BoxSprites::snapped(QPointF logical) const
{
    const QPointF device = m_toDevice.map(logical);
    return m_fromDevice.map(QPointF(std::round(device.x()), std::round(device.y())));
}

void BoxSprites::blit(QPainter& painter, QPointF topLeft, const QImage& image) const
{
    painter.drawImage(snapped(topLeft), image);
}

void BoxSprites::drawHandle(QPainter& painter, QPointF centre)
{
    const double r = PointView::handleSize / 2;
    blit(painter, centre - QPointF(r, r), m_handle);
}

void BoxSprites::drawBadge(QPainter& painter, QPointF topLeft, const QString& text, const QColor& textColor)
{
    const QString key = text + QChar(0) + textColor.name(QColor::HexArgb);
    auto it = m_badges.constFind(key);
    if (it == m_badges.cend()) {
        if (m_badges.size() > cacheLimit)
            m_badges.clear();
        it = m_badges.insert(key, makeBadge(text, textColor));
    }
    blit(painter, topLeft, *it);
}

QImage BoxSprites::makeBadge(const QString& text, const QColor& textColor)
{
    const QRectF frame(0, 0, badgeWidth(text), badgeHeight);
    QImage image(int(std::ceil(frame.width() * m_ratio)), int(std::ceil(frame.height() * m_ratio)),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(m_ratio);
    image.fill(Palette::black);
    QPainter p(&image);
    p.setFont(m_font);
    p.setPen(textColor);
    p.drawText(frame, Qt::AlignCenter, text);
    return image;
}
