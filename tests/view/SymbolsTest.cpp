#include "view/modifiers/Symbols.h"
#include "model/Palette.h"

#include <QImage>

#include <cstdlib>

#include <gtest/gtest.h>

namespace
{
const QStringList usedNames { "photo", "photo.fill", "xmark.bin", "rectangle", "cursorarrow", "externaldrive.fill",
    "plus.magnifyingglass", "minus.magnifyingglass", "gear", "multiply", "minus", "plus", "chevron.backward",
    "chevron.forward", "multiply.circle.fill", "questionmark.circle.fill", "chevron.down.circle.fill",
    "location.north.circle.fill", "arrow.up.circle", "arrow.left.circle", "arrow.right.circle", "arrow.down.circle",
    "chart.bar.fill" };

// The most opaque pixel, and whether every visible pixel has the colour's own red, green and blue.
struct Ink {
    QColor strongest { 0, 0, 0, 0 };
    bool oneColour = true;
};

Ink inkOf(const QImage& image, const QColor& colour)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > ink.strongest.alpha())
                ink.strongest = c;
            // Faint pixels lose precision when premultiplied.
            const int slack = c.alpha() == 255 ? 0 : 4;
            if (c.alpha() > 64
                && (std::abs(c.red() - colour.red()) > slack || std::abs(c.green() - colour.green()) > slack
                    || std::abs(c.blue() - colour.blue()) > slack))
                ink.oneColour = false;
        }
    return ink;
}
} // namespace

TEST(Symbols, EveryNameTheProgramUsesShowsInTheCallersColour)
{
    for (const QString& name : usedNames) {
        const QPixmap pixmap = symbolPixmap(name, 24, Palette::red, 2.0);
        EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(24, 24)) << name.toStdString();
        const Ink ink = inkOf(pixmap.toImage(), Palette::red);
        EXPECT_EQ(ink.strongest.alpha(), 255) << name.toStdString();
        EXPECT_TRUE(ink.oneColour) << name.toStdString();
        EXPECT_FALSE(symbolIcon(name).isNull()) << name.toStdString();
    }

    // Crossing strokes do not add up: a half-transparent colour stays half-transparent.
    const QColor halfBlue(Palette::blue.red(), Palette::blue.green(), Palette::blue.blue(), 128);
    EXPECT_EQ(inkOf(symbolPixmap("plus", 16, halfBlue).toImage(), Palette::blue).strongest.alpha(), 128);

    // An unknown name shows nothing, and says so.
    EXPECT_TRUE(symbolIcon("no.such.symbol").isNull());
    EXPECT_TRUE(symbolIcon("no.such.symbol", Palette::red).isNull());
    EXPECT_EQ(inkOf(symbolPixmap("no.such.symbol", 16, Palette::red).toImage(), Palette::red).strongest.alpha(), 0);
    // Whether a disabled control keeps its symbol's colour is checked on the Match controls.
}
