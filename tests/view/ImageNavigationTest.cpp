#include "view/canvas/ImageNavigation.h"

#include "Alerts.h"
#include "CanvasHost.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
QStringList names(int count)
{
    QStringList result;
    for (int i = 0; i < count; ++i)
        result << QStringLiteral("n%1.png").arg(i);
    return result;
}

struct Navigating : CanvasHost {
    ImageNavigation* navigation = control<ImageNavigation>();
    QWidget& window = *navigation;

    explicit Navigating(int images)
        : CanvasHost(names(images))
    {
    }
    QString text() const { return canvas->state().textFieldText(); }
    QString prevText() const { return canvas->state().prevTextFieldText(); }

    QPushButton* button(const QString& name) const
    {
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->accessibleName() == name)
                return b;
        return nullptr;
    }
    QLineEdit* field() const { return window.findChild<QLineEdit*>(); }
    QString countText() const
    {
        for (QLabel* label : window.findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("/ ")))
                return label->text();
        return {};
    }

    // Types into the index field as a user does and presses Return; returns the alerts seen.
    QList<AlertAnswerer::Seen> enter(const QString& text)
    {
        AlertAnswerer answerer(QStringLiteral("OK"));
        activate(); // back from the last alert
        QTest::mouseClick(field(), Qt::LeftButton);
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
};
} // namespace

TEST(ImageNavigation, WithoutImagesEverythingIsDisabledAndEveryNumberRejected)
{
    Navigating n(0);
    EXPECT_FALSE(n.button("Previous")->isEnabled());
    EXPECT_FALSE(n.button("Next")->isEnabled());
    EXPECT_EQ(n.button("Next")->toolTip(), "This button is disabled now");
    EXPECT_EQ(n.countText(), "/ 0");
    EXPECT_EQ(n.text(), "0");

    for (const QString& text : QStringList { "1", "0", "" }) {
        const auto alerts = n.enter(text);
        ASSERT_EQ(alerts.size(), 1) << text.toStdString();
        EXPECT_EQ(alerts[0].title, "Invalid Input");
        EXPECT_EQ(alerts[0].buttons, QStringList { "OK" });
        EXPECT_EQ(n.text(), "0");
        EXPECT_EQ(n.index(), 0);
    }
    QTest::keyClick(n.canvas.get(), Qt::Key_Right);
    EXPECT_EQ(n.index(), 0);

    Navigating one(1);
    EXPECT_FALSE(one.button("Next")->isEnabled());
    EXPECT_EQ(one.countText(), "/ 1");
}

TEST(ImageNavigation, ButtonsAndArrowKeysStepAndDeselect)
{
    Navigating n(3);
    EXPECT_FALSE(n.button("Previous")->isEnabled());
    EXPECT_EQ(n.button("Next")->toolTip(), "Click here to go to the next image");
    const auto step = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(n.canvas.get(), key, modifiers);
        n.settle();
        return n.index();
    };
    EXPECT_EQ(step(Qt::Key_Left), 0); // nothing before the first image

    const BoxPtr box = n.addBox(0, { 1, 1 }, { 5, 5 });
    n.boundingBoxManager.currentSelectedBox.set(box);
    n.boundingBoxManager.currentSelectedBoxColor.set(Palette::blue);
    QTest::mouseClick(n.button("Next"), Qt::LeftButton);
    n.settle();
    EXPECT_EQ(n.index(), 1);
    EXPECT_EQ(n.text(), "2");
    EXPECT_EQ(n.prevText(), "2");
    EXPECT_EQ(n.boundingBoxManager.currentSelectedBox.get(), nullptr);
    EXPECT_EQ(n.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    EXPECT_EQ(n.field()->placeholderText(), "2");

    EXPECT_EQ(step(Qt::Key_Right), 2);
    EXPECT_FALSE(n.button("Next")->isEnabled());
    EXPECT_EQ(step(Qt::Key_Right), 2); // nothing after the last image
    EXPECT_EQ(step(Qt::Key_Left, Qt::ControlModifier), 2); // only the bare key
    EXPECT_EQ(step(Qt::Key_Left), 1);
    QTest::mouseClick(n.button("Previous"), Qt::LeftButton);
    n.settle();
    EXPECT_EQ(n.index(), 0);

    // While the field has focus the arrows move the text cursor, not the image.
    QTest::mouseClick(n.field(), Qt::LeftButton);
    n.field()->setCursorPosition(0);
    QTest::keyClick(n.field(), Qt::Key_Right);
    n.settle();
    EXPECT_EQ(n.index(), 0);
    EXPECT_EQ(n.field()->cursorPosition(), 1);
}

TEST(ImageNavigation, GoAcceptsWholeNumbersOfOpenImagesOnly)
{
    Navigating n(3);
    const BoxPtr box = n.addBox(0, { 1, 1 }, { 5, 5 });
    n.boundingBoxManager.currentSelectedBox.set(box);

    EXPECT_TRUE(n.enter("2").isEmpty());
    EXPECT_EQ(n.index(), 1);
    EXPECT_FALSE(n.field()->hasFocus());
    EXPECT_EQ(n.boundingBoxManager.currentSelectedBox.get(), box); // go keeps the selection

    for (const QString& text : QStringList { "0", "4", "-1", "abc", "", " 2", "2 ", "2.0", "1e0", "0x2", "++2", "+",
             "-", "99999999999999999999", "9223372036854775808", QString::fromUtf8("\u0662") }) {
        const auto alerts = n.enter(text);
        ASSERT_EQ(alerts.size(), 1) << text.toStdString();
        EXPECT_EQ(alerts[0].title, "Invalid Input");
        EXPECT_EQ(n.text(), "2") << text.toStdString();
        EXPECT_EQ(n.prevText(), "2");
        EXPECT_EQ(n.index(), 1);
    }

    // Accepted texts stay as typed.
    for (const auto& [typed, index] : { std::pair { "+3", 2 }, { "01", 0 }, { "1", 0 } }) {
        EXPECT_TRUE(n.enter(typed).isEmpty()) << typed;
        EXPECT_EQ(n.index(), index);
        EXPECT_EQ(n.text(), typed);
        EXPECT_EQ(n.prevText(), typed);
    }
    EXPECT_EQ(n.boundingBoxManager.currentSelectedBox.get(), box);

    // "Go" itself works like Return.
    n.field()->selectAll();
    QTest::keyClicks(n.field(), "3");
    QTest::mouseClick(n.button("Go"), Qt::LeftButton);
    n.settle();
    EXPECT_EQ(n.index(), 2);

    EXPECT_EQ(ImageNavigation::readIndex("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(ImageNavigation::readIndex("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ImageNavigation::readIndex("-0"), 0);
}

TEST(ImageNavigation, TheFieldFollowsTheCountAndTheCanvasTexts)
{
    Navigating n(0);
    n.open("a.png");
    n.open("b.png");
    n.settle();
    EXPECT_EQ(n.field()->text(), "1");
    EXPECT_EQ(n.countText(), "/ 2");
    EXPECT_TRUE(n.button("Next")->isEnabled());

    // "Delete Image" of the last image leaves "0" in the field, and both buttons disabled.
    n.canvas->deleteCurrentImage();
    n.canvas->deleteCurrentImage();
    n.settle();
    EXPECT_EQ(n.field()->text(), "0");
    EXPECT_EQ(n.countText(), "/ 0");
    EXPECT_FALSE(n.button("Previous")->isEnabled());
    EXPECT_FALSE(n.button("Next")->isEnabled());
}
