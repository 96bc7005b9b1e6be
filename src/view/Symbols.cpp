#include "view/Symbols.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace
{
// Each drawing fills or strokes a 24 x 24 box with the pen and brush already set to the colour.
using Drawing = void (*)(QPainter&);

void cutOut(QPainter& p, const QPainterPath& path)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillPath(path, Qt::black);
    p.restore();
}

// A filled rounded frame with a shape cut out of it.
void frameWithCutOut(QPainter& p, const QRectF& frame, const QPainterPath& cut)
{
    QPainterPath outline;
    outline.addRoundedRect(frame, 3, 3);
    p.fillPath(outline, p.brush());
    cutOut(p, cut);
}

void photoFill(QPainter& p)
{
    QPainterPath scene;
    scene.addEllipse(QPointF(8, 9), 2, 2);
    scene.moveTo(4, 18);
    scene.lineTo(10, 12);
    scene.lineTo(13, 15);
    scene.lineTo(16, 11);
    scene.lineTo(20, 18);
    scene.closeSubpath();
    frameWithCutOut(p, QRectF(2, 4, 20, 16), scene);
}

void rectangle(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3, 6, 18, 12), 1.5, 1.5);
}

void cursorArrow(QPainter& p)
{
    const QPointF arrow[] = { { 6, 2 }, { 6, 19 }, { 10, 15 }, { 13, 22 }, { 15.5, 21 }, { 12.5, 14 }, { 18, 14 } };
    p.drawPolygon(arrow, std::size(arrow));
}

void externalDriveFill(QPainter& p)
{
    QPainterPath light;
    light.addEllipse(QPointF(17.5, 12), 1.3, 1.3);
    frameWithCutOut(p, QRectF(2, 7, 20, 10), light);
}

void magnifier(QPainter& p, bool plus)
{
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    QPen handle = p.pen();
    handle.setWidthF(3);
    p.setPen(handle);
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    QPen sign = p.pen();
    sign.setWidthF(2);
    p.setPen(sign);
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (plus)
        p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void plusMagnifier(QPainter& p) { magnifier(p, true); }
void minusMagnifier(QPainter& p) { magnifier(p, false); }

void gear(QPainter& p)
{
    QPainterPath wheel;
    const int teeth = 8;
    for (int k = 0; k < 2 * teeth; ++k) {
        // Alternate outer and inner radius, each for half a tooth's angle.
        const double r = k % 2 ? 8.0 : 10.5;
        for (double a : { (k - 0.35) * std::numbers::pi / teeth, (k + 0.35) * std::numbers::pi / teeth }) {
            const QPointF point(12 + r * std::cos(a), 12 + r * std::sin(a));
            if (wheel.elementCount() == 0)
                wheel.moveTo(point);
            else
                wheel.lineTo(point);
        }
    }
    wheel.closeSubpath();
    p.fillPath(wheel, p.brush());
    QPainterPath hole;
    hole.addEllipse(QPointF(12, 12), 3.5, 3.5);
    cutOut(p, hole);
}

void multiply(QPainter& p)
{
    p.drawLine(QPointF(6, 6), QPointF(18, 18));
    p.drawLine(QPointF(18, 6), QPointF(6, 18));
}

struct Symbol {
    const char* name; // the name the program uses
    const char* themeIcon; // the freedesktop name
    Drawing draw;
};

// One table for every symbol the program shows.
constexpr Symbol symbols[] = {
    { "photo.fill", "image-x-generic", photoFill },
    { "rectangle", "draw-rectangle", rectangle },
    { "cursorarrow", "input-mouse", cursorArrow },
    { "externaldrive.fill", "drive-harddisk", externalDriveFill },
    { "plus.magnifyingglass", "zoom-in", plusMagnifier },
    { "minus.magnifyingglass", "zoom-out", minusMagnifier },
    { "gear", "preferences-system", gear },
    { "multiply", "window-close", multiply },
};

const Symbol* find(const QString& name)
{
    for (const Symbol& symbol : symbols)
        if (name == QLatin1StringView(symbol.name))
            return &symbol;
    return nullptr;
}
} // namespace

QPixmap symbolPixmap(const QString& symbolName, int pixelSize, const QColor& color, qreal devicePixelRatio)
{
    const int device = std::max(1, int(std::lround(pixelSize * devicePixelRatio)));
    QPixmap pixmap(device, device);
    pixmap.fill(Qt::transparent);
    const Symbol* symbol = find(symbolName);
    if (!symbol)
        return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The one-colour variant of the theme's icon, which takes our colour cleanly.
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(symbol->themeIcon) + QStringLiteral("-symbolic"));
    const QPixmap themedPixmap = themed.isNull() ? QPixmap() : themed.pixmap(device, device);
    if (!themedPixmap.isNull()) {
        painter.drawPixmap(QRect(0, 0, device, device), themedPixmap);
    } else {
        painter.scale(device / 24.0, device / 24.0);
        painter.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(color);
        symbol->draw(painter);
    }
    // Theme icons come in their own colours; every symbol shows in ours.
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
