#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>
#include <QTransform>

class QPainter;

// Pre-drawn pictures of what every box repeats: the corner handle and the label and template
// badges, one per text. Blitting them costs a fraction of drawing antialiased shapes and text for
// each of thousands of boxes. Pictures are made at the painter's pixel ratio and placed on whole
// device pixels.
class BoxSprites
{
public:
    static constexpr double badgeHeight = 20.0;
    static constexpr double badgePadding = 16.0; // each side of the badge text

    void setFont(const QFont& font);

    // Logical width of the badge of a text.
    double badgeWidth(const QString& text);

    // Call once per paint, before drawing.
    void begin(QPainter& painter);
    void drawHandle(QPainter& painter, QPointF centre);
    // The badge with its top-left corner at a logical point.
    void drawBadge(QPainter& painter, QPointF topLeft, const QString& text, const QColor& textColor);
    // The logical point on the nearest whole device pixel.
    QPointF snapped(QPointF logical) const;

private:
    void blit(QPainter& painter, QPointF topLeft, const QImage& image) const;
    QImage makeBadge(const QString& text, const QColor& textColor);

    QFont m_font;
    qreal m_ratio = 0;
    QTransform m_toDevice;
    QTransform m_fromDevice;
    QImage m_handle;
    QHash<QString, double> m_widths;
    QHash<QString, QImage> m_badges;
};
