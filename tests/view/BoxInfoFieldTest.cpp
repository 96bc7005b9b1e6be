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
using Corners = std::vector<double>;
const QStringList cornerFields { "Start Location x", "Start Location y", "End Location x", "End Location y" };

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

    template <class W> W* find(const QString& name) const
    {
        for (W* w : window->findChildren<W*>())
            if (w->accessibleName() == name || w->property("text") == name)
                return w;
        ADD_FAILURE() << "no " << name.toStdString();
        return nullptr;
    }
    QLineEdit* field(const QString& name) const { return find<QLineEdit>(name); }
    QLineEdit* label() const { return field("Class Label"); }
    QCheckBox* templateSwitch() const { return window->findChild<QCheckBox*>(); }
    QPushButton* button(const QString& text) const { return find<QPushButton>(text); }
    QListWidget* classes() const { return window->findChild<QListWidget*>(); }
    QStringList coordinates() const
    {
        QStringList texts;
        for (const QString& name : cornerFields)
            texts << field(name)->text();
        return texts;
    }
    QStringList classRows() const
    {
        QStringList rows;
        for (int i = 0; i < classes()->count(); ++i)
            rows << classes()->item(i)->text();
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
    void typeCorners(const QStringList& texts) const
    {
        for (int i = 0; i < texts.size(); ++i)
            type(cornerFields[i], texts[i]);
    }
    void key(Qt::Key key) const
    {
        QTest::keyClick(label(), key);
        OverlayScene::settle();
    }
    void click(const QString& text) const
    {
        QTest::mouseClick(button(text), Qt::LeftButton);
        OverlayScene::settle();
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
    for (const auto& [label, image] : { std::pair { "cat", 0 }, { "dog", 0 }, { "cat", 0 }, { "", 1 }, { "Cat", 1 } })
        scene.add({ 0, 0 }, { 5, 5 }, label, false, image);
    scene.boundingBoxManager.hideCurrentBox(1, 0);
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
    second.key(Qt::Key_Return);
    const Point start = scene.boundingBoxManager.boxAt(3, 1)->originalStartLoc();
    EXPECT_TRUE(start.x == 1.0 / 3 && start.y == 1e-05);
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
        for (const QString& pasted : { QStringLiteral("3b"), QStringLiteral("4\u0301"), QStringLiteral("-1.5 ;") }) {
            QGuiApplication::clipboard()->setText(pasted);
            y->selectAll();
            QTest::keyClick(y, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(y->text(), pasted.endsWith(';') ? pasted : "20.0");
        }
        editor.typeCorners({ "-3", "+4", "5.", ".5" });
        editor.key(Qt::Key_Return);
        EXPECT_FALSE(editor.open());
    }
    // Typed in image pixels, stored at the image's zoom.
    EXPECT_EQ(scene.corners(box), (Corners { -4.5, 6, 7.5, 0.75 }));
    EXPECT_EQ(scene.corners(box, true), (Corners { -3, 4, 5, 0.5 }));

    // Texts that do not read leave their corner as it was; the other corner still changes.
    for (const QString& unread : QStringList { "1,5", "1 5", "-", ".", "", "1" + QString(400, '0') }) {
        Editor editor(scene, 0);
        editor.typeCorners({ unread, "4", "100", "40" });
        editor.key(Qt::Key_Return);
        EXPECT_EQ(scene.corners(box), (Corners { -4.5, 6, 150, 60 })) << unread.left(8).toStdString();
        box->setEndLocation({ 0, 0 });
    }
}

TEST(BoxInfoField, SaveNeedsALabelAndCancelWritesNothing)
{
    OverlayScene scene;
    scene.add({ 0, 0 }, { 5, 5 }, "dog");
    const BoxPtr box = scene.add({ 10, 20 }, { 110, 220 }, "", true, 0, true);
    const auto unchanged = [&] {
        return box->classLabel().isEmpty() && box->markTemplate() && scene.corners(box) == Corners { 10, 20, 110, 220 };
    };
    ASSERT_NE(scene.view->editorWindow(), nullptr);
    scene.view->editorWindow()->dismiss();

    {
        Editor editor(scene, 1);
        EXPECT_FALSE(editor.button("Save")->isEnabled());
        QTest::keyClick(editor.label(), Qt::Key_Return);
        editor.click("Save");
        EXPECT_TRUE(editor.open());
        EXPECT_TRUE(unchanged());

        // Choosing a class fills the field only.
        QListWidget* list = editor.classes();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        EXPECT_EQ(editor.label()->text(), "dog");
        EXPECT_TRUE(editor.button("Save")->isEnabled());
        EXPECT_TRUE(unchanged());

        editor.type("Start Location x", "50");
        editor.templateSwitch()->click();
        editor.click("Cancel");
        EXPECT_FALSE(editor.open());
        EXPECT_TRUE(unchanged());
        EXPECT_FALSE(scene.boundingBoxManager.toShowInfoUI.get()); // a label was in the field
    }
    {
        Editor editor(scene, 1);
        editor.key(Qt::Key_Escape);
        EXPECT_FALSE(editor.open());
        EXPECT_TRUE(scene.boundingBoxManager.toShowInfoUI.get()); // still no label
        EXPECT_TRUE(unchanged());
    }
    {
        Editor editor(scene, 1);
        QTest::keyClicks(editor.label(), "bird");
        editor.templateSwitch()->click();
        editor.click("Save");
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
        editor.key(Qt::Key_Return);
        EXPECT_TRUE(editor.open());
        editor.key(Qt::Key_Escape);
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
        editor.key(Qt::Key_Return);
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
        editor.key(Qt::Key_Return);
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
