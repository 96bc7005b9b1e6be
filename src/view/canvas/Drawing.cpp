#include "view/canvas/Drawing.h"

#include <QPainter>
#include <QPen>
#include <QWidget>

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

void drawRectangle(QPainter& painter, Point s, Point e, const QColor& color, const QColor& fillColor, double lineWidth,
                   const QVector<double>& dash)
{
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
