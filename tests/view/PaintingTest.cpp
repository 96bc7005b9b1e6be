#include "model/Palette.h"
#include "view/canvas/Drawing.h"
#include "view/modifiers/Symbols.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace
{
const QStringList usedNames { "photo", "photo.fill", "xmark.bin", "rectangle", "cursorarrow", "externaldrive.fill",
    "plus.magnifyingglass", "minus.magnifyingglass", "gear", "multiply", "minus", "plus", "chevron.backward",
    "chevron.forward", "multiply.circle.fill", "questionmark.circle.fill", "chevron.down.circle.fill",
    "location.north.circle.fill", "arrow.up.circle", "arrow.left.circle", "arrow.right.circle", "arrow.down.circle",
    "chart.bar.fill" };

QImage painted(const std::function<void(QPainter&)>& draw)
{
    QImage image(160, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    draw(p);
    return image;
}

int largestChannelDifference(QRgb p, QRgb q)
{
    return std::max({ std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)) });
}

// The most opaque pixel's alpha, or -1 when a visible pixel has another red, green or blue than the colour.
int inkOf(const QImage& image, const QColor& colour)
{
    int strongest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 64 && largestChannelDifference(c.rgb(), colour.rgb()) > (c.alpha() == 255 ? 0 : 4))
                return -1;
            strongest = std::max(strongest, c.alpha());
        }
    return strongest;
}
} // namespace

// The faster route for a solid upright outline must look like the fill and centred miter stroke; only the
// four inner-corner pixels of a fractional outline, which the stroker over-covers, may differ.
TEST(RectangleOutline, SolidOutlineMatchesTheStrokedPath)
{
    const QColor translucentBlue(Palette::blue.red(), Palette::blue.green(), Palette::blue.blue(), 128);
    const QColor tint(Palette::red.red(), Palette::red.green(), Palette::red.blue(), 26);
    const struct {
        Point s, e;
        double width;
        QColor color;
    } cases[] = {
        { { 10, 20 }, { 50, 80 }, 2.0, Palette::green }, { { 100, 90 }, { 20, 20 }, 2.0, translucentBlue },
        { { 50.3, 80.7 }, { 10.25, 20.5 }, 2.0, Palette::green },
        { { 12.5, 7.75 }, { 140.1, 100.9 }, 3.0, translucentBlue },
        { { 30, 30 }, { 31.5, 90 }, 2.0, Palette::green }, // narrower than the line
        { { 30, 30 }, { 30, 30 }, 2.0, Palette::green }, // no area
    };
    for (const auto& [s, e, width, color] : cases) {
        const QImage drawn = painted([&](QPainter& p) { drawRectangle(p, s, e, color, tint, width); });
        const QImage stroked = painted([&](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing);
            const QPainterPath path = rectangleOutline(s, e);
            p.fillPath(path, tint);
            QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
            pen.setMiterLimit(10);
            p.strokePath(path, pen);
        });
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                differing += largestChannelDifference(drawn.pixel(x, y), stroked.pixel(x, y)) > 3;
        EXPECT_LE(differing, 4) << s.x << "," << s.y << " " << e.x << "," << e.y;
    }
}

TEST(Symbols, EveryNameTheProgramUsesShowsInTheCallersColour)
{
    for (const QString& name : usedNames) {
        const QPixmap pixmap = symbolPixmap(name, 24, Palette::red, 2.0);
        EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(24, 24)) << name.toStdString();
        EXPECT_EQ(inkOf(pixmap.toImage(), Palette::red), 255) << name.toStdString();
        EXPECT_FALSE(symbolIcon(name).isNull()) << name.toStdString();
    }
    // Crossing strokes do not add up: a half-transparent colour stays half-transparent.
    const QColor halfBlue(Palette::blue.red(), Palette::blue.green(), Palette::blue.blue(), 128);
    EXPECT_EQ(inkOf(symbolPixmap("plus", 16, halfBlue).toImage(), Palette::blue), 128);

    // An unknown name shows nothing, and says so.
    EXPECT_TRUE(symbolIcon("no.such.symbol").isNull() && symbolIcon("no.such.symbol", Palette::red).isNull());
    EXPECT_EQ(inkOf(symbolPixmap("no.such.symbol", 16, Palette::red).toImage(), Palette::red), 0);
    // Whether a disabled control keeps its symbol's colour is checked on the Match controls.
}
