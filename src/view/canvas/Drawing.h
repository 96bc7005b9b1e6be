#pragma once

#include "model/Geometry.h"
#include "model/Palette.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;
class QWidget;

// A press becomes a drag once the pointer has gone this far, in points, from where it went down.
inline constexpr double dragMinimumDistance = 10.0;

// Interior of a box: red, nearly but not quite transparent.
inline QColor defaultBoxFill() { return Palette::withOpacity(Palette::red, 0.0001); }

// The closed outline start -> (start.x, end.y) -> end -> (end.x, start.y); corners in any order.
QPainterPath rectangleOutline(Point startLocRect, Point endLocRect);

// The one way a box outline is drawn: filled, then stroked centred on the outline with butt caps,
// miter joins (limit 10) and a dash pattern of painted and unpainted lengths in points.
void drawRectangle(QPainter& painter, Point startLocRect, Point endLocRect, const QColor& color = Palette::green,
    const QColor& fillColor = defaultBoxFill(), double lineWidth = 2.0, const QVector<double>& dash = {});

// The program's rectangle shape: the whole frame, (minX,minY) (minX,maxY) (maxX,maxY) (maxX,minY).
struct Rectangle {
    QPainterPath path(const QRectF& rect) const;
};

// Shows a view as a window of its own, without close, minimise or maximise buttons, in front and
// active; returns it. The view closes itself.
QWidget* openInWindow(QWidget* view, const QString& title);
