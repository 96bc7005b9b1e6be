#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, where popups see them
#include "view/canvas/ImageNavigation.h"

#include "Alerts.h"
#include "CanvasHost.h"
#include "view/canvas/ImageTabStrip.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
// The canvas's navigation below the image and its tab strip above it.
struct Controls : CanvasHost {
    ImageNavigation* navigation = control<ImageNavigation>();
    ImageTabStrip* strip = control<ImageTabStrip>();

    explicit Controls(const QStringList& images, int width = 700)
        : CanvasHost(images, QSize(width, 400))
    {
    }

    // The current index, the field's text and the text it falls back to, as "1 2 2".
    std::string where() const
    {
        const CanvasState& s = canvas->state();
        return QStringLiteral("%1 %2 %3").arg(index()).arg(s.textFieldText(), s.prevTextFieldText()).toStdString();
    }
    QPushButton* button(const QString& name) const
    {
        for (QPushButton* b : navigation->findChildren<QPushButton*>())
            if (b->accessibleName() == name)
                return b;
        return nullptr;
    }
    QLineEdit* field() const { return navigation->findChild<QLineEdit*>(); }
    // The field's text, the count beside it and which buttons work, as "1 / 2 Next".
    std::string bar() const
    {
        QString text = field()->text();
        for (QLabel* label : navigation->findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("/ ")))
                text += ' ' + label->text();
        for (const QString& name : { QStringLiteral("Previous"), QStringLiteral("Next") })
            if (button(name)->isEnabled())
                text += ' ' + name;
        return text.toStdString();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(canvas.get(), key, modifiers);
        settle();
    }
    void click(QWidget* widget, QPoint at = {})
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
        settle();
    }

    // Types into the index field as a user does and presses Return; returns the alerts seen.
    QList<AlertAnswerer::Seen> enter(const QString& text)
    {
        AlertAnswerer answerer(QStringLiteral("OK"));
        activate(); // back from the last alert
        click(field());
        field()->selectAll();
        QTest::keyClick(field(), Qt::Key_Backspace);
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; }))
            QTest::keyClicks(field(), text);
        else
            field()->insert(text); // QTest types ASCII only
        QTest::keyClick(field(), Qt::Key_Return);
        settle();
        return answerer.seen();
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
    void press(int tab) { click(tabs().at(tab), QPoint(20, 10)); }
    // A press outside "All Images" closes it; the platform then gives it again to the widget under it.
    void pressPastPopover(int tab)
    {
        ASSERT_TRUE(strip->isPopoverShown());
        QWidget* under = tabs().at(tab);
        const QPoint at(20, 10);
        QTest::mousePress(under, Qt::LeftButton, {}, at);
        EXPECT_FALSE(strip->isPopoverShown());
        QMouseEvent again(QEvent::MouseButtonPress, at, under->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        again.setTimestamp(QTest::lastMouseTimestamp);
        QCoreApplication::sendEvent(under, &again);
        QTest::mouseRelease(under, Qt::LeftButton, {}, at);
        settle();
    }
    QList<AlertAnswerer::Seen> closeCurrent(const QString& answer)
    {
        AlertAnswerer answerer(answer);
        click(closeOf(tabs().at(int(index()))));
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

// Without images: no tabs, every number refused; the controls follow the count as images come and go.
TEST(ImageNavigation, EveryNumberIsRejectedWithoutImagesAndTheControlsFollowTheCount)
{
    Controls n({});
    EXPECT_TRUE(n.tabs().isEmpty());
    EXPECT_EQ(n.strip->grab().toImage().pixelColor(50, 10), Palette::blue);
    EXPECT_EQ(n.bar(), "0 / 0");
    EXPECT_EQ(n.button("Next")->toolTip(), "This button is disabled now");
    const auto alerts = n.enter("1");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, "Invalid Input");
    EXPECT_EQ(alerts[0].buttons, QStringList { "OK" });
    EXPECT_EQ(n.where(), "0 0 0");
    n.key(Qt::Key_Right);
    EXPECT_EQ(n.index(), 0);

    n.open("a.png");
    n.open("b.png");
    n.settle();
    EXPECT_EQ(n.bar(), "1 / 2 Next");
    // "Delete Image" of the last image leaves "0" in the field, and both buttons disabled.
    n.canvas->deleteCurrentImage();
    n.canvas->deleteCurrentImage();
    n.settle();
    EXPECT_EQ(n.bar(), "0 / 0");
}

TEST(ImageNavigation, ButtonsKeysAndGoStepThroughOpenImagesOnly)
{
    Controls n({ "a.png", "b.png", "c.png" });
    EXPECT_FALSE(n.button("Previous")->isEnabled());
    EXPECT_EQ(n.button("Next")->toolTip(), "Click here to go to the next image");
    const BoxPtr box = n.addBox(0, { 1, 1 }, { 5, 5 });
    n.boundingBoxManager.select(box);
    n.click(n.button("Next"));
    EXPECT_EQ(n.where(), "1 2 2");
    EXPECT_EQ(n.bar(), "2 / 3 Previous Next");
    EXPECT_TRUE(n.boundingBoxManager.currentSelectedBox.get() == nullptr
        && n.boundingBoxManager.currentSelectedBoxColor.get() == Palette::green);
    EXPECT_EQ(n.field()->placeholderText(), "2");

    // Only the bare arrow keys step; nothing before the first image (after the last: tests/e2e).
    for (const auto& [key, modifiers, index] : { std::tuple { Qt::Key_Right, Qt::NoModifier, 2 },
             { Qt::Key_Left, Qt::ControlModifier, 2 }, { Qt::Key_Left, Qt::NoModifier, 1 },
             { Qt::Key_Left, Qt::NoModifier, 0 }, { Qt::Key_Left, Qt::NoModifier, 0 } }) {
        n.key(key, modifiers);
        EXPECT_EQ(n.index(), index) << key << " " << modifiers;
    }
    n.click(n.button("Next"));
    n.click(n.button("Next"));
    EXPECT_EQ(n.bar(), "3 / 3 Previous");
    n.click(n.button("Previous"));
    EXPECT_EQ(n.index(), 1);

    // While the field has focus the arrows move the text cursor, not the image.
    n.click(n.field());
    n.field()->setCursorPosition(0);
    QTest::keyClick(n.field(), Qt::Key_Right);
    n.settle();
    EXPECT_EQ(n.index(), 1);
    EXPECT_EQ(n.field()->cursorPosition(), 1);

    // Go takes whole numbers of open images only.
    n.boundingBoxManager.currentSelectedBox.set(box);
    for (const QString& text : QStringList { "0", "4", "-1", "abc", "", " 2", "2 ", "2.0", "1e0", "0x2", "++2", "+",
             "-", "99999999999999999999", "9223372036854775808", QString::fromUtf8("\u0662") }) {
        const auto alerts = n.enter(text);
        ASSERT_EQ(alerts.size(), 1) << text.toStdString();
        EXPECT_EQ(alerts[0].title, "Invalid Input");
        EXPECT_EQ(n.where(), "1 2 2") << text.toStdString();
    }
    // Accepted texts stay as typed, and keep the selection.
    for (const auto& [typed, where] : { std::pair { "+3", "2 +3 +3" }, { "01", "0 01 01" }, { "2", "1 2 2" } }) {
        EXPECT_TRUE(n.enter(typed).isEmpty()) << typed;
        EXPECT_EQ(n.where(), where);
    }
    EXPECT_EQ(n.boundingBoxManager.currentSelectedBox.get(), box);
    EXPECT_FALSE(n.field()->hasFocus());
    // "Go" itself works like Return.
    n.field()->selectAll();
    QTest::keyClicks(n.field(), "3");
    n.click(n.button("Go"));
    EXPECT_EQ(n.index(), 2);

    EXPECT_EQ(ImageNavigation::readIndex("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(ImageNavigation::readIndex("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ImageNavigation::readIndex("-0"), 0);
}

// Tab colours and the current tab toggling "All Images" are also driven in tests/e2e/test_image_tabs.py.
TEST(ImageTabStrip, TabsMakeTheirImageCurrentOpenAllImagesAndRemoveAfterAsking)
{
    Controls t({ "a.png", "same.png", "same.png" });
    const auto tabs = t.tabs();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_TRUE(t.closeOf(tabs[0])->isVisible());
    EXPECT_FALSE(t.closeOf(tabs[1])->isVisible());
    // A hidden close symbol still takes its room: every tab has the same layout.
    EXPECT_EQ(tabs[0]->width(), tabs[1]->width());

    // The two tabs with the same name each act on their own image; a press keeps the selection.
    const BoxPtr box = t.addBox(0, { 1, 1 }, { 4, 4 });
    t.boundingBoxManager.select(box);
    t.press(2);
    EXPECT_EQ(t.index(), 2);
    t.press(1);
    EXPECT_EQ(t.where(), "1 2 2");
    EXPECT_TRUE(t.boundingBoxManager.currentSelectedBox.get() == box
        && t.boundingBoxManager.currentSelectedBoxColor.get() == Palette::blue);
    EXPECT_TRUE(t.closeOf(tabs[1])->isVisible() && !t.closeOf(tabs[0])->isVisible());
    EXPECT_FALSE(t.strip->isPopoverShown());

    // The current tab opens "All Images"; choosing any image makes it current, deselects and closes it.
    const auto entries = [&] { return t.strip->popover()->findChildren<QPushButton*>(); };
    for (int round = 0; round < 2; ++round) {
        t.press(t.index());
        ASSERT_TRUE(t.strip->isPopoverShown());
        QStringList names;
        for (QPushButton* button : entries())
            names << button->text();
        EXPECT_EQ(names, (QStringList { "a.png", "same.png", "same.png" }));
        t.boundingBoxManager.select(box);
        t.click(entries().at(2));
        EXPECT_FALSE(t.strip->isPopoverShown());
        EXPECT_EQ(t.where(), "2 3 3");
        EXPECT_TRUE(t.boundingBoxManager.currentSelectedBox.get() == nullptr
            && t.boundingBoxManager.currentSelectedBoxColor.get() == Palette::green);
    }

    // A press outside closes the list, without the current tab opening it again on the replayed press.
    t.press(2);
    t.pressPastPopover(2);
    EXPECT_FALSE(t.strip->isPopoverShown());
    t.press(2);
    t.pressPastPopover(1);
    EXPECT_FALSE(t.strip->isPopoverShown());
    EXPECT_EQ(t.index(), 1);

    // The close symbol asks first, then removes that image.
    const ImagePtr current = t.imageManager.currentImage();
    auto alerts = t.closeCurrent("Cancel");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, "Do you want to remove this image?");
    EXPECT_EQ(alerts[0].buttons, (QStringList { "Cancel", "Remove" }));
    EXPECT_TRUE(alerts[0].hasDestructive);
    EXPECT_EQ(t.imageManager.imageCount(), 3);
    ASSERT_EQ(t.closeCurrent("Remove").size(), 1);
    EXPECT_EQ(t.imageManager.getIndex(current), -1);
    EXPECT_EQ(t.tabs().size(), 2);
    EXPECT_EQ(t.where(), "0 1 1");
    t.closeCurrent("Remove");
    t.closeCurrent("Remove");
    EXPECT_TRUE(t.tabs().isEmpty());
}

// Every way of changing the current image goes through the index, which the strip follows.
TEST(ImageTabStrip, TheCurrentTabScrollsToTheMiddle)
{
    QStringList names;
    while (names.size() < 12)
        names << QStringLiteral("n%1.png").arg(names.size());
    Controls t(names, 500);
    const int middle = t.strip->scrollArea()->viewport()->width() / 2;
    QScrollBar* bar = t.strip->scrollArea()->horizontalScrollBar();
    t.show(6);
    EXPECT_NEAR(t.currentTabMiddle(), middle, 1);
    // The last tab cannot go further than the end of the row.
    t.show(11);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_GT(t.currentTabMiddle(), middle);
    t.show(3);
    EXPECT_NEAR(t.currentTabMiddle(), middle, 1);
}
