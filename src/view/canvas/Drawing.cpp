#include "view/canvas/Drawing.h"

#include <QPainter>
#include <QPen>
#include <QWidget>

#include <cmath>

QPainterPath rectangleOutline(Point s, Point e)
{
    QPainterPath path;
    path.moveTo(s.x, s.y);
    path.lineTo(s.x, e.y);
    path.lineTo(e.x, e.y);
    path.lineTo(e.x, s.y);
    path.closeSubpath();
    return path;
}

namespace
{
bool onDevicePixels(const QTransform& toDevice, const QRectF& rect)
{
    const QRectF d = toDevice.mapRect(rect);
    for (double v : { d.left(), d.top(), d.right(), d.bottom() })
        if (v != std::round(v))
            return false;
    return true;
}

// A solid outline of an upright rectangle wider and taller than the line is the band between two
// rectangles; filling it costs a fraction of stroking the path, which counts when thousands of
// boxes are drawn. On whole device pixels the band is four plain rectangles and needs no
// antialiasing at all: the pixels come out the same.
bool drawUprightSolidRectangle(
    QPainter& painter, Point s, Point e, const QColor& color, const QColor& fillColor, double lineWidth)
{
    const QTransform toDevice = painter.deviceTransform();
    const QRectF r = QRectF(QPointF(s.x, s.y), QPointF(e.x, e.y)).normalized();
    if (toDevice.type() > QTransform::TxScale || !(lineWidth > 0) || !(r.width() > lineWidth)
        || !(r.height() > lineWidth))
        return false;
    const double h = lineWidth / 2;
    const QRectF outer = r.adjusted(-h, -h, h, h);
    const QRectF inner = r.adjusted(h, h, -h, -h);
    const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
    if (onDevicePixels(toDevice, outer) && onDevicePixels(toDevice, inner)) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(r, fillColor);
        painter.fillRect(QRectF(outer.left(), outer.top(), outer.width(), lineWidth), color);
        painter.fillRect(QRectF(outer.left(), inner.bottom(), outer.width(), lineWidth), color);
        painter.fillRect(QRectF(outer.left(), inner.top(), lineWidth, inner.height()), color);
        painter.fillRect(QRectF(inner.right(), inner.top(), lineWidth, inner.height()), color);
    } else {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillRect(r, fillColor);
        QPainterPath band;
        band.setFillRule(Qt::OddEvenFill);
        band.addRect(outer);
        band.addRect(inner);
        painter.fillPath(band, color);
    }
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    return true;
}
} // namespace

void drawRectangle(QPainter& painter, Point s, Point e, const QColor& color, const QColor& fillColor, double lineWidth,
    const QVector<double>& dash)
{
    if (dash.isEmpty() && drawUprightSolidRectangle(painter, s, e, color, fillColor, lineWidth))
        return;
    const QPainterPath path = rectangleOutline(s, e);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path, fillColor);
    QPen pen(color, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    if (!dash.isEmpty() && lineWidth > 0) {
        // Qt measures dashes in pen widths; ours are in points. An odd pattern repeats once more.
        QVector<qreal> pattern;
        for (int round = 0; round < (dash.size() % 2 ? 2 : 1); ++round)
            for (double d : dash)
                pattern << d / lineWidth;
        pen.setDashPattern(pattern);
        pen.setDashOffset(0);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

QPainterPath Rectangle::path(const QRectF& r) const
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.left(), r.bottom());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.right(), r.top());
    path.closeSubpath();
    return path;
}

QWidget* openInWindow(QWidget* view, const QString& title)
{
    view->setParent(nullptr);
    view->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    view->setAttribute(Qt::WA_DeleteOnClose, true);
    view->setWindowTitle(title);
    view->show();
    view->raise();
    view->activateWindow();
    return view;
}
