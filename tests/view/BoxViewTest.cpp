#include "OverlayScene.h"

#include <QMenu>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

namespace
{
QColor pixel(const QImage& image, QPoint p) { return image.pixelColor(p); }

// Red at 0.1 over white.
bool tintedRed(QColor c) { return c.red() == 255 && c.green() < 245 && c.green() > 220 && c.blue() < 245; }

// Opens the context menu at a point as a right click does, and picks the entry with the given text.
QString chooseFromContextMenu(OverlayScene& scene, QPoint at, const QString& entry, bool* hadIcon = nullptr)
{
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            seen += action->text();
            if (action->text() == entry) {
                if (hadIcon)
                    *hadIcon = !action->icon().isNull();
                action->trigger();
            }
        }
        menu->close();
    });
    QWindow* window = scene.canvas.windowHandle();
    QTest::mouseClick(window, Qt::RightButton, {}, scene.view->mapTo(&scene.canvas, at));
    scene.settle();
    return seen;
}
} // namespace

TEST(BoxView, DrawsEachShownBoxOfTheCurrentImageWhereItsCornersSay)
{
    OverlayScene scene(2);
    scene.add({ 20, 30 }, { 120, 90 }, "cat", true);
    const BoxPtr hidden = scene.add({ 200, 150 }, { 300, 250 }, "dog");
    scene.boxes.hideCurrentBox(1, 0);
    scene.add({ 300, 30 }, { 380, 90 }, "plain");
    scene.add({ 20, 200 }, { 120, 260 }, "elsewhere", false, 1);
    scene.settle();
    const QImage img = scene.render();
    const QColor white(Qt::white);

    // Outline 2 wide centred on the edges, handles on the corners, tinted interior.
    EXPECT_EQ(pixel(img, scene.at(19, 60)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(20, 60)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(119, 60)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(70, 29)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(70, 89)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(17, 60)), white);
    EXPECT_EQ(pixel(img, scene.at(122, 60)), white);
    EXPECT_TRUE(tintedRed(pixel(img, scene.at(70, 60))));
    EXPECT_EQ(pixel(img, scene.at(20, 30)), Palette::red);
    EXPECT_EQ(pixel(img, scene.at(119, 89)), Palette::red);
    // Label bar from 25 to 5 points above the start corner, centred on the box.
    EXPECT_EQ(pixel(img, scene.at(70, 3)), white);
    EXPECT_EQ(pixel(img, scene.at(70, 5)), Palette::black);
    EXPECT_EQ(pixel(img, scene.at(70, 24)), Palette::black);
    EXPECT_EQ(pixel(img, scene.at(70, 26)), white);
    // The template's "T" bar hangs from the bottom edge; a plain box has none.
    EXPECT_EQ(pixel(img, scene.at(57, 100)), Palette::black);
    EXPECT_EQ(pixel(img, scene.at(57, 111)), white);
    EXPECT_EQ(pixel(img, scene.at(340, 89)), Palette::green);
    EXPECT_EQ(pixel(img, scene.at(327, 100)), white);
    // Hidden boxes and boxes of other images are not drawn.
    EXPECT_FALSE(hidden->toShow());
    EXPECT_EQ(pixel(img, scene.at(200, 200)), white);
    EXPECT_EQ(pixel(img, scene.at(20, 230)), white);

    // The boxes follow the image origin.
    scene.view->setImageOrigin(QPointF(10, 10));
    EXPECT_EQ(scene.render().pixelColor(10 + 20, 10 + 60), Palette::green);

    // No current image: nothing at all.
    scene.images.currentImageIndex.set(5);
    scene.settle();
    EXPECT_EQ(scene.render().pixelColor(10 + 20, 10 + 60), white);
}
