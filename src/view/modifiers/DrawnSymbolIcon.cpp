#include "view/modifiers/DrawnSymbolIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

namespace
{
using Draw = std::function<void(QPainter&, const QColor&)>;

// Every symbol is drawn on a 16 x 16 grid.
constexpr int grid = 16;

QPen strokePen(const QColor& color, double width = 2.0)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void polyline(QPainter& p, const QColor& color, std::initializer_list<QPointF> points)
{
    p.setPen(strokePen(color));
    p.drawPolyline(std::data(points), int(points.size()));
}

const std::map<QString, Draw>& symbols()
{
    static const std::map<QString, Draw> table {
        { "minus",
            [](QPainter& p, const QColor& c) {
                polyline(p, c, { { 3, 8 }, { 13, 8 } });
            } },
        { "plus",
            [](QPainter& p, const QColor& c) {
                polyline(p, c, { { 3, 8 }, { 13, 8 } });
                polyline(p, c, { { 8, 3 }, { 8, 13 } });
            } },
        { "chevron.backward",
            [](QPainter& p, const QColor& c) {
                polyline(p, c, { { 10, 3 }, { 5, 8 }, { 10, 13 } });
            } },
        { "chevron.forward",
            [](QPainter& p, const QColor& c) {
                polyline(p, c, { { 6, 3 }, { 11, 8 }, { 6, 13 } });
            } },
        { "multiply.circle.fill",
            [](QPainter& p, const QColor& c) {
                // A filled disc with the cross cut out of it.
                QPainterPath disc;
                disc.addEllipse(QRectF(1, 1, 14, 14));
                QPainterPathStroker stroker;
                stroker.setWidth(2.0);
                stroker.setCapStyle(Qt::RoundCap);
                QPainterPath lines;
                lines.moveTo(5.5, 5.5);
                lines.lineTo(10.5, 10.5);
                lines.moveTo(10.5, 5.5);
                lines.lineTo(5.5, 10.5);
                p.fillPath(disc.subtracted(stroker.createStroke(lines)), c);
            } },
    };
    return table;
}

QPixmap render(const Draw& draw, const QColor& color, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(double(side) / grid, double(side) / grid);
    draw(painter, color);
    return pixmap;
}
} // namespace

QIcon drawnSymbolIcon(const QString& name, const QColor& color, bool keepColourWhenDisabled)
{
    const auto it = symbols().find(name);
    if (it == symbols().end())
        return {};
    QIcon icon;
    for (int side : { grid, 2 * grid }) {
        const QPixmap pixmap = render(it->second, color, side);
        icon.addPixmap(pixmap, QIcon::Normal);
        if (keepColourWhenDisabled)
            icon.addPixmap(pixmap, QIcon::Disabled);
    }
    return icon;
}
