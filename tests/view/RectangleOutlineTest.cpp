#include "view/canvas/Drawing.h"

#include <QPainter>
#include <QPen>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace
{
// The outline as a stroked path: fill, then a centred stroke with miter joins.
QImage strokedPath(Point s, Point e, const QColor& color, const QColor& fill, double width)
{
    QImage image(160, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = rectangleOutline(s, e);
    p.fillPath(path, fill);
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    p.strokePath(path, pen);
    return image;
}

QImage drawn(Point s, Point e, const QColor& color, const QColor& fill, double width)
{
    QImage image(160, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawRectangle(p, s, e, color, fill, width);
    return image;
}

// Pixels that differ by more than rounding.
int differingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max(
                    { std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)) })
                > 3)
                ++count;
        }
    return count;
}
} // namespace

// The solid outline of an upright box is drawn by a faster route; it must look like the stroke. The
// stroker slightly over-covers the pixel at each inner corner of a fractional outline, the faster
// route does not: those four pixels may differ, nothing else.
TEST(RectangleOutline, SolidOutlineMatchesTheStrokedPath)
{
    QColor translucentBlue = Palette::blue;
    translucentBlue.setAlphaF(0.5f);
    QColor tint = Palette::red;
    tint.setAlphaF(0.1f);
    struct Case {
        Point s, e;
        double width;
        QColor color;
    };
    const Case cases[] = {
        { { 10, 20 }, { 50, 80 }, 2.0, Palette::green }, { { 100, 90 }, { 20, 20 }, 2.0, translucentBlue },
        { { 50.3, 80.7 }, { 10.25, 20.5 }, 2.0, Palette::green },
        { { 12.5, 7.75 }, { 140.1, 100.9 }, 3.0, translucentBlue },
        { { 30, 30 }, { 31.5, 90 }, 2.0, Palette::green }, // narrower than the line
        { { 30, 30 }, { 30, 30 }, 2.0, Palette::green }, // no area
    };
    for (const Case& c : cases) {
        EXPECT_LE(
            differingPixels(drawn(c.s, c.e, c.color, tint, c.width), strokedPath(c.s, c.e, c.color, tint, c.width)), 4)
            << c.s.x << "," << c.s.y << " " << c.e.x << "," << c.e.y;
    }
}
