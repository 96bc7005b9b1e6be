#include "OverlayScene.h"

#include "view/ZoomStep.h"
#include "view/canvas/Drawing.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace
{
bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }

// The editor as the overlay opens it, for the box at a position of the current image's list.
struct Editor {
    QPointer<BoxInfoField> window;

    Editor(OverlayScene& scene, std::int64_t index)
        : window(new BoxInfoField(scene.shared, index))
    {
        openInWindow(window, QStringLiteral("Bounding Box"));
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    ~Editor()
    {
        if (window)
            window->dismiss();
        OverlayScene::settle();
    }

    QLineEdit* field(const QString& name) const
    {
        for (auto* edit : window->findChildren<QLineEdit*>())
            if (edit->accessibleName() == name)
                return edit;
        ADD_FAILURE() << "no field " << name.toStdString();
        return nullptr;
    }
    QLineEdit* label() const { return field("Class Label"); }
    QCheckBox* templateSwitch() const { return window->findChild<QCheckBox*>(); }
    QPushButton* button(const QString& text) const
    {
        for (auto* b : window->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    QStringList coordinates() const
    {
        return { field("Start Location x")->text(), field("Start Location y")->text(), field("End Location x")->text(),
            field("End Location y")->text() };
    }
    QStringList classRows() const
    {
        QStringList rows;
        auto* list = window->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        return rows;
    }
    // Replaces a field's text by typing, as a user does after selecting it.
    void type(const QString& name, const QString& text) const
    {
        QLineEdit* edit = field(name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    bool open() const { return window && window->isVisible(); }
};

BoxPtr pixelBox(Point start, Point end, const QString& label, double zoom = 1.0, bool markTemplate = false)
{
    return std::make_shared<BoundingBoxProperty>(start * zoom, end * zoom, label, 1.0, zoom, true, markTemplate);
}
} // namespace

TEST(BoxInfoField, ShowsTheBoxAndTheClassesOfTheImagesUpToTheCurrentOne)
{
    OverlayScene scene(3);
    scene.add({ 0, 0 }, { 5, 5 }, "cat");
    scene.add({ 0, 0 }, { 5, 5 }, "dog");
    scene.add({ 0, 0 }, { 5, 5 }, "cat");
    scene.boundingBoxManager.hideCurrentBox(1, 0);
    scene.add({ 0, 0 }, { 5, 5 }, "", false, 1);
    scene.add({ 0, 0 }, { 5, 5 }, "Cat", false, 1);
    scene.boundingBoxManager.appendBox(pixelBox({ 10, 20.5 }, { 110, 220 }, "cat"), 1, false);
    scene.boundingBoxManager.appendBox(pixelBox({ 1.0 / 3, 1e-05 }, { 120, 7 }, "dog", 1.0, true), 1, false);
    scene.add({ 0, 0 }, { 5, 5 }, "bird", false, 2);
    scene.imageManager.currentImageIndex.set(1);
    scene.settle();

    Editor editor(scene, 2);
    EXPECT_EQ(editor.label()->text(), "cat");
    EXPECT_EQ(QApplication::focusWidget(), editor.label());
    EXPECT_EQ(editor.coordinates(), (QStringList { "10.0", "20.5", "110.0", "220.0" }));
    EXPECT_FALSE(editor.templateSwitch()->isChecked());
    EXPECT_EQ(editor.classRows(), (QStringList { "cat", "dog", "Cat" }));

    // Shortest round-trip texts; an exponent form holds a letter and leaves its field empty.
    Editor second(scene, 3);
    EXPECT_EQ(second.coordinates(), (QStringList { "0.3333333333333333", "", "120.0", "7.0" }));
    EXPECT_TRUE(second.templateSwitch()->isChecked());
    second.label()->setFocus();
    QTest::keyClick(second.label(), Qt::Key_Return);
    OverlayScene::settle();
    const BoxPtr box = scene.boundingBoxManager.boxAt(3, 1);
    EXPECT_TRUE(box->originalStartLoc() == (Point { 1.0 / 3, 1e-05 }));
    EXPECT_FALSE(second.open());
}

TEST(BoxInfoField, CoordinateFieldsRefuseLettersAndSaveOnlyWhatReadsAsANumber)
{
    OverlayScene scene;
    scene.imageManager.allCurrentScaleFactors.set({ 1.5 });
    scene.boundingBoxManager.appendBox(pixelBox({ 10, 20 }, { 110, 220 }, "cat", 1.5), 0, false);
    const BoxPtr box = scene.boundingBoxManager.boxAt(0, 0);

    {
        Editor editor(scene, 0);
        editor.type("Start Location x", "1a2.5");
        QTest::sendKeyEvent(QTest::Click, editor.field("Start Location x"), Qt::Key_Eacute, QStringLiteral("é"), {});
        EXPECT_EQ(editor.field("Start Location x")->text(), "12.5");
        QLineEdit* y = editor.field("Start Location y");
        for (const QString& pasted : { QStringLiteral("3b"), QStringLiteral("4\u0301") }) {
            QGuiApplication::clipboard()->setText(pasted);
            y->selectAll();
            QTest::keyClick(y, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(y->text(), "20.0");
        }
        QGuiApplication::clipboard()->setText("-1.5 ;");
        QTest::keyClick(y, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(y->text(), "-1.5 ;");

        editor.type("Start Location x", "-3");
        editor.type("Start Location y", "+4");
        editor.type("End Location x", "5.");
        editor.type("End Location y", ".5");
        QTest::keyClick(editor.label(), Qt::Key_Return);
        OverlayScene::settle();
        EXPECT_FALSE(editor.open());
    }
    // Typed in image pixels, stored at the image's zoom.
    EXPECT_TRUE(box->startLocation() == (Point { -4.5, 6 }));
    EXPECT_TRUE(box->originalStartLoc() == (Point { -3, 4 }));
    EXPECT_TRUE(box->endLocation() == (Point { 7.5, 0.75 }));

    // Texts that do not read leave their corner as it was; the other corner still changes.
    for (const QString& unread : QStringList { "1,5", "1 5", "-", ".", "", "1" + QString(400, '0') }) {
        Editor editor(scene, 0);
        editor.type("Start Location x", unread);
        editor.type("End Location x", "100");
        editor.type("End Location y", "40");
        QTest::keyClick(editor.label(), Qt::Key_Return);
        OverlayScene::settle();
        EXPECT_TRUE(box->startLocation() == (Point { -4.5, 6 })) << unread.left(8).toStdString();
        EXPECT_TRUE(box->originalEndLoc() == (Point { 100, 40 }));
        box->setEndLocation({ 0, 0 });
    }
}

TEST(BoxInfoField, SaveNeedsALabelAndCancelWritesNothing)
{
    OverlayScene scene;
    scene.add({ 0, 0 }, { 5, 5 }, "dog");
    const BoxPtr box = scene.add({ 10, 20 }, { 110, 220 }, "", true, 0, true);
    const auto unchanged = [&] {
        return box->classLabel().isEmpty() && box->markTemplate() && box->startLocation() == (Point { 10, 20 })
            && box->endLocation() == (Point { 110, 220 });
    };
    ASSERT_NE(scene.view->editorWindow(), nullptr);
    scene.view->editorWindow()->dismiss();

    {
        Editor editor(scene, 1);
        EXPECT_FALSE(editor.button("Save")->isEnabled());
        QTest::keyClick(editor.label(), Qt::Key_Return);
        QTest::mouseClick(editor.button("Save"), Qt::LeftButton);
        OverlayScene::settle();
        EXPECT_TRUE(editor.open());
        EXPECT_TRUE(unchanged());

        // Choosing a class fills the field only.
        auto* list = editor.window->findChild<QListWidget*>();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        EXPECT_EQ(editor.label()->text(), "dog");
        EXPECT_TRUE(editor.button("Save")->isEnabled());
        EXPECT_TRUE(unchanged());

        editor.type("Start Location x", "50");
        editor.templateSwitch()->click();
        QTest::mouseClick(editor.button("Cancel"), Qt::LeftButton);
        OverlayScene::settle();
        EXPECT_FALSE(editor.open());
        EXPECT_TRUE(unchanged());
        EXPECT_FALSE(scene.boundingBoxManager.toShowInfoUI.get()); // a label was in the field
    }
    {
        Editor editor(scene, 1);
        QTest::keyClick(editor.label(), Qt::Key_Escape);
        OverlayScene::settle();
        EXPECT_FALSE(editor.open());
        EXPECT_TRUE(scene.boundingBoxManager.toShowInfoUI.get()); // still no label
        EXPECT_TRUE(unchanged());
    }
    {
        Editor editor(scene, 1);
        QTest::keyClicks(editor.label(), "bird");
        editor.templateSwitch()->click();
        QTest::mouseClick(editor.button("Save"), Qt::LeftButton);
        OverlayScene::settle();
        EXPECT_FALSE(editor.open());
    }
    EXPECT_EQ(box->classLabel(), "bird");
    EXPECT_FALSE(box->markTemplate());
    EXPECT_FALSE(scene.boundingBoxManager.toShowInfoUI.get());
}

TEST(BoxInfoField, StaysWithItsBoxAndSavesNothingWithoutOne)
{
    OverlayScene scene(2);
    const BoxPtr box = scene.add({ 10, 20 }, { 30, 40 }, "cat");
    scene.add({ 10, 20 }, { 30, 40 }, "other", false, 1);

    {
        Editor editor(scene, -1);
        EXPECT_EQ(editor.coordinates(), (QStringList { "", "", "", "" }));
        EXPECT_EQ(editor.label()->text(), "");
        QTest::keyClicks(editor.label(), "dog");
        editor.type("Start Location x", "1");
        EXPECT_FALSE(editor.button("Save")->isEnabled());
        QTest::keyClick(editor.label(), Qt::Key_Return);
        OverlayScene::settle();
        EXPECT_TRUE(editor.open());
        QTest::keyClick(editor.label(), Qt::Key_Escape);
        OverlayScene::settle();
        EXPECT_FALSE(editor.open());
    }
    EXPECT_EQ(box->classLabel(), "cat");

    // Another image becomes current while the editor is open: Save still edits its own box, at the
    // zoom of the box's image.
    scene.imageManager.allCurrentScaleFactors.set({ 2.0, 1.0 });
    {
        Editor editor(scene, 0);
        scene.imageManager.currentImageIndex.set(1);
        scene.settle();
        editor.type("Class Label", "dog");
        editor.type("Start Location x", "7");
        QTest::keyClick(editor.label(), Qt::Key_Return);
        OverlayScene::settle();
    }
    EXPECT_EQ(box->classLabel(), "dog");
    EXPECT_EQ(box->startLocation().x, 14);
    EXPECT_EQ(scene.boundingBoxManager.boxAt(0, 1)->classLabel(), "other");

    // A zoom step puts a new box in its place: the editor edits the new one.
    scene.imageManager.currentImageIndex.set(0);
    {
        Editor editor(scene, 0);
        ASSERT_TRUE(scene.imageManager.zoomStep(ImageManager::zoomOutFactor));
        scene.settle();
        editor.type("Class Label", "bird");
        QTest::keyClick(editor.label(), Qt::Key_Return);
        OverlayScene::settle();
        EXPECT_FALSE(editor.open());
    }
    EXPECT_EQ(scene.boundingBoxManager.boxAt(0, 0)->classLabel(), "bird");

    // Its box's list goes away: nothing left to save.
    {
        Editor editor(scene, 0);
        scene.boundingBoxManager.deleteBoxForImage(0);
        scene.settle();
        EXPECT_FALSE(editor.button("Save")->isEnabled());
    }
}
