#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, where popups see them
#include "view/canvas/ImageTabStrip.h"

#include "Alerts.h"
#include "CanvasHost.h"
#include "view/canvas/ImageNavigation.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
struct Tabs : CanvasHost {
    ImageTabStrip* strip = control<ImageTabStrip>();

    explicit Tabs(const QStringList& names, int width = 700)
        : CanvasHost(names, QSize(width, 400))
    {
    }

    // The tabs in strip order (each is named after its file).
    QList<QWidget*> tabs() const
    {
        QList<QWidget*> result;
        for (QWidget* w : strip->scrollArea()->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                result << w;
        std::sort(result.begin(), result.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        return result;
    }
    QAbstractButton* closeOf(QWidget* tab) const { return tab->findChild<QAbstractButton*>(); }
    QColor backgroundOf(QWidget* tab) const { return tab->grab().toImage().pixelColor(2, 2); }
    void press(QWidget* tab)
    {
        QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(20, 10));
        settle();
    }
    // What the platform does with a press that closed a popup: the same press again, to the widget
    // under the mouse.
    void replayPress(QWidget* tab, ulong timestamp)
    {
        const QPoint at(20, 10);
        QMouseEvent press(QEvent::MouseButtonPress, at, tab->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        press.setTimestamp(timestamp);
        QCoreApplication::sendEvent(tab, &press);
        settle();
    }
    QList<AlertAnswerer::Seen> closeCurrent(const QString& answer)
    {
        AlertAnswerer answerer(answer);
        QWidget* tab = tabs().at(int(index()));
        QTest::mouseClick(closeOf(tab), Qt::LeftButton);
        settle();
        return answerer.seen();
    }
    // Where the current tab's middle lies in the visible part of the strip.
    int currentTabMiddle() const
    {
        const QWidget* tab = tabs().at(int(index()));
        return tab->x() + tab->width() / 2 - strip->scrollArea()->horizontalScrollBar()->value();
    }
};
} // namespace

TEST(ImageTabStrip, OneTabPerImageAndAPressMakesItsImageCurrentKeepingTheSelection)
{
    Tabs none({});
    EXPECT_TRUE(none.tabs().isEmpty());
    EXPECT_EQ(none.strip->grab().toImage().pixelColor(50, 10), Palette::blue);

    Tabs t({ "a.png", "same.png", "same.png" });
    const auto tabs = t.tabs();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_EQ(t.backgroundOf(tabs[0]), Palette::gray);
    EXPECT_EQ(t.backgroundOf(tabs[1]), Palette::black);
    EXPECT_TRUE(t.closeOf(tabs[0])->isVisible());
    EXPECT_FALSE(t.closeOf(tabs[1])->isVisible());
    // A hidden close symbol still takes its room: every tab has the same layout.
    EXPECT_EQ(tabs[0]->width(), tabs[1]->width());

    const BoxPtr box = t.addBox(0, { 1, 1 }, { 4, 4 });
    t.boundingBoxManager.currentSelectedBox.set(box);
    t.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
    // The two tabs with the same name each act on their own image.
    t.press(tabs[2]);
    EXPECT_EQ(t.index(), 2);
    t.press(tabs[1]);
    EXPECT_EQ(t.index(), 1);
    EXPECT_EQ(t.canvas->state().textFieldText(), "2");
    EXPECT_EQ(t.boundingBoxManager.currentSelectedBox.get(), box);
    EXPECT_EQ(t.boundingBoxManager.currentSelectedBoxColor.get(), Palette::blue);
    EXPECT_EQ(t.backgroundOf(tabs[1]), Palette::gray);
    EXPECT_EQ(t.backgroundOf(tabs[0]), Palette::black);
    EXPECT_TRUE(t.closeOf(tabs[1])->isVisible());
    EXPECT_FALSE(t.closeOf(tabs[0])->isVisible());
    EXPECT_FALSE(t.strip->isPopoverShown());
}

TEST(ImageTabStrip, TheCurrentTabOpensAndClosesAllImages)
{
    Tabs t({ "a.png", "b.png", "c.png" });
    const auto entries = [&] { return t.strip->popover()->findChildren<QPushButton*>(); };
    t.press(t.tabs()[0]);
    ASSERT_TRUE(t.strip->isPopoverShown());
    QStringList names;
    for (QPushButton* button : entries())
        names << button->text();
    EXPECT_EQ(names, (QStringList { "a.png", "b.png", "c.png" }));

    // A second press on the current tab closes it (and does not open it again).
    t.press(t.tabs()[0]);
    EXPECT_FALSE(t.strip->isPopoverShown());
    t.press(t.tabs()[0]);
    EXPECT_TRUE(t.strip->isPopoverShown());

    // Choosing an image, the current one too, makes it current, clears the selection and closes the list.
    const BoxPtr box = t.addBox(0, { 1, 1 }, { 4, 4 });
    for (int round = 0; round < 2; ++round) {
        t.boundingBoxManager.currentSelectedBox.set(box);
        t.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
        QTest::mouseClick(entries().at(2), Qt::LeftButton);
        t.settle();
        EXPECT_FALSE(t.strip->isPopoverShown());
        EXPECT_EQ(t.index(), 2);
        EXPECT_EQ(t.canvas->state().textFieldText(), "3");
        EXPECT_EQ(t.boundingBoxManager.currentSelectedBox.get(), nullptr);
        EXPECT_EQ(t.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
        t.press(t.tabs()[2]);
    }

    // A press outside the list closes it. Where the platform then hands the same press on to the
    // widget under the mouse, the current tab does not open the list again, and another tab still
    // becomes current.
    ASSERT_TRUE(t.strip->isPopoverShown());
    QTest::mousePress(t.tabs()[2], Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(t.strip->isPopoverShown());
    t.replayPress(t.tabs()[2], QTest::lastMouseTimestamp);
    QTest::mouseRelease(t.tabs()[2], Qt::LeftButton, {}, QPoint(20, 10));
    t.settle();
    EXPECT_FALSE(t.strip->isPopoverShown());

    t.press(t.tabs()[2]);
    ASSERT_TRUE(t.strip->isPopoverShown());
    QTest::mousePress(t.tabs()[0], Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(t.strip->isPopoverShown());
    t.replayPress(t.tabs()[0], QTest::lastMouseTimestamp);
    QTest::mouseRelease(t.tabs()[0], Qt::LeftButton, {}, QPoint(20, 10));
    t.settle();
    EXPECT_FALSE(t.strip->isPopoverShown());
    EXPECT_EQ(t.index(), 0);
}

TEST(ImageTabStrip, RemovingAnImageAsksFirstAndTakesItsBoxesWithIt)
{
    Tabs t({ "a.png", "b.png", "c.png" });
    t.addBox(0, { 1, 1 }, { 2, 2 }, "A");
    t.addBox(2, { 3, 3 }, { 4, 4 }, "C");
    t.press(t.tabs()[1]);
    const ImagePtr b = t.imageManager.allImages.get()[1];

    auto alerts = t.closeCurrent("Cancel");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, "Do you want to remove this image?");
    EXPECT_EQ(alerts[0].buttons, (QStringList { "Cancel", "Remove" }));
    EXPECT_TRUE(alerts[0].hasDestructive);
    EXPECT_EQ(t.imageManager.imageCount(), 3);

    ASSERT_EQ(t.closeCurrent("Remove").size(), 1);
    ASSERT_EQ(t.imageManager.imageCount(), 2);
    EXPECT_EQ(t.index(), 0);
    EXPECT_EQ(t.imageManager.getIndex(b), -1);
    const auto& lists = t.boundingBoxManager.allBoundingBoxes.get();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].at(0)->classLabel(), "A");
    EXPECT_EQ(lists[1].at(0)->classLabel(), "C");
    EXPECT_EQ(t.tabs().size(), 2);
    EXPECT_EQ(t.canvas->state().textFieldText(), "1");

    t.closeCurrent("Remove");
    t.closeCurrent("Remove");
    EXPECT_EQ(t.imageManager.imageCount(), 0);
    EXPECT_TRUE(t.boundingBoxManager.allBoundingBoxes.get().empty());
    EXPECT_TRUE(t.tabs().isEmpty());
}

TEST(ImageTabStrip, TheCurrentTabScrollsToTheMiddleWhateverMovesIt)
{
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("image%1.png").arg(i);
    Tabs t(names, 500);
    const int middle = t.strip->scrollArea()->viewport()->width() / 2;
    QScrollBar* bar = t.strip->scrollArea()->horizontalScrollBar();
    EXPECT_EQ(bar->value(), 0);

    t.imageManager.currentImageIndex.set(6); // from anywhere, here the model itself
    t.settle();
    EXPECT_NEAR(t.currentTabMiddle(), middle, 1);
    t.control<ImageNavigation>()->next();
    t.settle();
    EXPECT_EQ(t.index(), 7);
    EXPECT_NEAR(t.currentTabMiddle(), middle, 1);
    t.press(t.tabs()[6]);
    EXPECT_NEAR(t.currentTabMiddle(), middle, 1);

    // The last tab cannot go further than the end of the row.
    t.imageManager.currentImageIndex.set(11);
    t.settle();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_GT(t.currentTabMiddle(), middle);

    // A removal that lowers the index scrolls too.
    t.imageManager.currentImageIndex.set(3);
    t.settle();
    t.closeCurrent("Remove");
    EXPECT_EQ(t.index(), 2);
    EXPECT_NEAR(t.currentTabMiddle(), middle, 1);
}
