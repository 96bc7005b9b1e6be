#include "view/modifiers/Symbols.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <cmath>
#include <iterator>
#include <numbers>

namespace
{
// Each drawing strokes or fills its grid with the pen and brush already set: one colour, round caps
// and joins, the pen two grid units wide.
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

QPainterPath photoScene()
{
    QPainterPath scene;
    scene.addEllipse(QPointF(8, 9), 2, 2);
    scene.moveTo(4, 18);
    scene.lineTo(10, 12);
    scene.lineTo(13, 15);
    scene.lineTo(16, 11);
    scene.lineTo(20, 18);
    scene.closeSubpath();
    return scene;
}

// 24 x 24.
void photoFill(QPainter& p) { frameWithCutOut(p, QRectF(2, 4, 20, 16), photoScene()); }

void photo(QPainter& p)
{
    QPen thin = p.pen();
    thin.setWidthF(1.5);
    p.setPen(thin);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.75, 4.75, 18.5, 14.5), 2.5, 2.5);
    p.fillPath(photoScene(), p.pen().color());
}

void rectangle(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3, 6, 18, 12), 1.5, 1.5);
}

void cursorArrow(QPainter& p)
{
    const QPointF arrow[] = { { 6, 2 }, { 6, 19 }, { 10, 15 }, { 13, 22 }, { 15.5, 21 }, { 12.5, 14 }, { 18, 14 } };
    p.drawPolygon(arrow, int(std::size(arrow)));
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

// 16 x 16.
void bin(QPainter& p)
{
    QPen thin = p.pen();
    thin.setWidthF(1.4);
    thin.setCapStyle(Qt::SquareCap);
    thin.setJoinStyle(Qt::MiterJoin);
    p.setPen(thin);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2.5, 4), QPointF(13.5, 4));
    p.drawRect(QRectF(6, 1.5, 4, 2.5));
    p.drawRect(QRectF(3.5, 4, 9, 10.5));
    p.drawLine(QPointF(6, 7), QPointF(10, 11.5));
    p.drawLine(QPointF(10, 7), QPointF(6, 11.5));
}

void minus(QPainter& p) { p.drawLine(QPointF(3, 8), QPointF(13, 8)); }

void plus(QPainter& p)
{
    minus(p);
    p.drawLine(QPointF(8, 3), QPointF(8, 13));
}

void chevronBackward(QPainter& p)
{
    const QPointF chevron[] = { { 10, 3 }, { 5, 8 }, { 10, 13 } };
    p.drawPolyline(chevron, int(std::size(chevron)));
}

void chevronForward(QPainter& p)
{
    const QPointF chevron[] = { { 6, 3 }, { 11, 8 }, { 6, 13 } };
    p.drawPolyline(chevron, int(std::size(chevron)));
}

// A filled disc with the cross cut out of it.
void multiplyCircleFill(QPainter& p)
{
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
    p.fillPath(disc.subtracted(stroker.createStroke(lines)), p.brush());
}

// 24 x 24: the details panel's symbols.
QPainterPath disc()
{
    QPainterPath path;
    path.addEllipse(QPointF(12, 12), 10, 10);
    return path;
}

// A filled disc with a stroked shape cut out of it.
void discWithCutOut(QPainter& p, const QPainterPath& lines, double width = 2.4)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    p.fillPath(disc().subtracted(stroker.createStroke(lines)), p.brush());
}

void questionmarkCircleFill(QPainter& p)
{
    QPainterPath mark;
    mark.moveTo(9, 9.5);
    mark.cubicTo(9, 6.5, 15, 6.5, 15, 9.5);
    mark.cubicTo(15, 11.5, 12, 11.5, 12, 14);
    QPainterPath dot;
    dot.addEllipse(QPointF(12, 17.5), 1.4, 1.4);
    QPainterPathStroker stroker;
    stroker.setWidth(2.4);
    stroker.setCapStyle(Qt::RoundCap);
    p.fillPath(disc().subtracted(stroker.createStroke(mark)).subtracted(dot), p.brush());
}

void chevronDownCircleFill(QPainter& p)
{
    QPainterPath chevron;
    chevron.moveTo(7.5, 10);
    chevron.lineTo(12, 14.5);
    chevron.lineTo(16.5, 10);
    discWithCutOut(p, chevron);
}

void locationNorthCircleFill(QPainter& p)
{
    QPainterPath arrow;
    arrow.moveTo(12, 5.5);
    arrow.lineTo(17, 17.5);
    arrow.lineTo(12, 14.5);
    arrow.lineTo(7, 17.5);
    arrow.closeSubpath();
    p.fillPath(disc().subtracted(arrow), p.brush());
}

// An outlined circle with an arrow pointing up, turned by a multiple of a quarter turn.
void arrowCircle(QPainter& p, double degrees)
{
    p.setBrush(Qt::NoBrush);
    QPen thin = p.pen();
    thin.setWidthF(1.6);
    p.setPen(thin);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    p.translate(12, 12);
    p.rotate(degrees);
    p.translate(-12, -12);
    p.drawLine(QPointF(12, 17), QPointF(12, 7));
    const QPointF head[] = { { 8, 11 }, { 12, 7 }, { 16, 11 } };
    p.drawPolyline(head, int(std::size(head)));
}

void arrowUpCircle(QPainter& p) { arrowCircle(p, 0); }
void arrowRightCircle(QPainter& p) { arrowCircle(p, 90); }
void arrowDownCircle(QPainter& p) { arrowCircle(p, 180); }
void arrowLeftCircle(QPainter& p) { arrowCircle(p, 270); }

void chartBarFill(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(3, 13, 5, 8), 1, 1);
    p.drawRoundedRect(QRectF(9.5, 8, 5, 13), 1, 1);
    p.drawRoundedRect(QRectF(16, 3, 5, 18), 1, 1);
}

struct Symbol {
    const char* name; // the name the program uses
    const char* themeIcon; // the freedesktop name; none where the drawing alone fits
    int grid; // the side of the drawing's square
    Drawing draw;
};

// Every symbol the program shows.
constexpr Symbol symbols[] = {
    { "photo", "image-x-generic", 24, photo },
    { "photo.fill", "image-x-generic", 24, photoFill },
    { "xmark.bin", "user-trash", 16, bin },
    { "rectangle", "draw-rectangle", 24, rectangle },
    { "cursorarrow", "input-mouse", 24, cursorArrow },
    { "externaldrive.fill", "drive-harddisk", 24, externalDriveFill },
    { "plus.magnifyingglass", "zoom-in", 24, plusMagnifier },
    { "minus.magnifyingglass", "zoom-out", 24, minusMagnifier },
    { "gear", "preferences-system", 24, gear },
    { "multiply", "window-close", 24, multiply },
    // The controls' symbols: their shape and colour tell the control's state, so they are drawn.
    { "minus", nullptr, 16, minus },
    { "plus", nullptr, 16, plus },
    { "chevron.backward", nullptr, 16, chevronBackward },
    { "chevron.forward", nullptr, 16, chevronForward },
    { "multiply.circle.fill", nullptr, 16, multiplyCircleFill },
    { "questionmark.circle.fill", nullptr, 24, questionmarkCircleFill },
    { "chevron.down.circle.fill", nullptr, 24, chevronDownCircleFill },
    { "location.north.circle.fill", nullptr, 24, locationNorthCircleFill },
    { "arrow.up.circle", nullptr, 24, arrowUpCircle },
    { "arrow.left.circle", nullptr, 24, arrowLeftCircle },
    { "arrow.right.circle", nullptr, 24, arrowRightCircle },
    { "arrow.down.circle", nullptr, 24, arrowDownCircle },
    { "chart.bar.fill", nullptr, 24, chartBarFill },
};

const Symbol* find(const QString& name)
{
    for (const Symbol& symbol : symbols)
        if (name == QLatin1StringView(symbol.name))
            return &symbol;
    return nullptr;
}

QIcon themeIcon(const Symbol& symbol, const char* suffix = "")
{
    if (!symbol.themeIcon)
        return {};
    return QIcon::fromTheme(QLatin1StringView(symbol.themeIcon) + QLatin1StringView(suffix));
}
} // namespace

QPixmap symbolPixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio)
{
    const int device = std::max(1, int(std::lround(pixelSize * devicePixelRatio)));
    QPixmap pixmap(device, device);
    pixmap.fill(Qt::transparent);
    const Symbol* symbol = find(name);
    if (!symbol)
        return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The one-colour variant of the theme's icon, which takes our colour cleanly.
    const QIcon themed = themeIcon(*symbol, "-symbolic");
    const QPixmap themedPixmap = themed.isNull() ? QPixmap() : themed.pixmap(device, device);
    if (!themedPixmap.isNull()) {
        painter.drawPixmap(QRect(0, 0, device, device), themedPixmap);
    } else {
        painter.scale(double(device) / symbol->grid, double(device) / symbol->grid);
        painter.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::black);
        symbol->draw(painter);
    }
    // Every symbol shows in the caller's colour, theme icons included, overlapping strokes alike.
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon symbolIcon(const QString& name, const QColor& color, bool keepColourWhenDisabled)
{
    if (!find(name))
        return {};
    QIcon icon;
    for (int side : { 16, 32 }) {
        const QPixmap pixmap = symbolPixmap(name, side, color);
        icon.addPixmap(pixmap, QIcon::Normal);
        if (keepColourWhenDisabled)
            icon.addPixmap(pixmap, QIcon::Disabled);
    }
    return icon;
}

QIcon symbolIcon(const QString& name)
{
    const Symbol* symbol = find(name);
    if (!symbol)
        return {};
    if (QIcon themed = themeIcon(*symbol); !themed.isNull())
        return themed;
    return symbolIcon(name, QGuiApplication::palette().color(QPalette::WindowText));
}
