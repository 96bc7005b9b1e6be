#include "view/canvas/BoxView.h"
#include "CanvasFixture.h"
#include "Menus.h"
#include "view/canvas/BoxInfoField.h"
#include "view/canvas/Drawing.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <map>

namespace
{
// Stands in for the canvas: takes and counts whatever the overlay lets through.
struct CanvasStandIn : QWidget {
    std::map<QEvent::Type, int> taken;
    int presses() { return taken[QEvent::MouseButtonPress]; }
    bool event(QEvent* event) override
    {
        using T = QEvent;
        if (!QList { T::MouseButtonPress, T::MouseMove, T::MouseButtonRelease, T::ContextMenu }.contains(event->type()))
            return QWidget::event(event);
        ++taken[event->type()];
        event->accept();
        return true;
    }
};

// Open images, and an overlay over a stand-in canvas with the image's top-left corner at `origin`.
struct OverlayScene : CanvasFixture {
    FunctionalityBarNavigator navigator;
    CanvasStandIn canvas;
    BoxView* view = nullptr;
    QPoint origin { 50, 40 };

    explicit OverlayScene(int imageCount = 1)
    {
        const QString path = TestImages::write(dir, QStringLiteral("a.png"), 400, 300);
        for (int i = 0; i < imageCount; ++i) {
            const ImagePtr image = openPath(path);
            image->scaledWidth = 400;
            image->scaledHeight = 300;
        }
        canvas.resize(600, 500);
        view = new BoxView(shared, navigator, &canvas);
        view->setGeometry(0, 0, 600, 500);
        view->setImageOrigin(origin);
        canvas.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&canvas));
        settle();
    }

    BoxPtr add(Point start, Point end, const QString& label = QStringLiteral("cat"), bool markTemplate = false,
        int image = 0, bool requestEditor = false)
    {
        BoxPtr box = addBox(image, start, end, label, markTemplate, requestEditor);
        settle();
        return box;
    }

    // Overlay coordinates of a point given in box coordinates.
    QPoint at(double x, double y) const { return origin + QPoint(int(x), int(y)); }

    // A press, moves in four steps and a release.
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(view, button, {}, from);
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(view, from + (to - from) * i / 4);
        QTest::mouseRelease(view, button, {}, to);
        settle();
    }
    void click(QPoint at)
    {
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        settle();
    }

    QImage render() const
    {
        QImage image(view->size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    QColor pixel(double x, double y) const { return render().pixelColor(at(x, y)); }

    const BoxPtr& selected() const { return boundingBoxManager.currentSelectedBox.get(); }
    // Whether exactly one editor is open, the overlay's, for the box.
    bool editing(const BoxPtr& box) const
    {
        return openEditors().size() == 1 && view->editorWindow() && sameBox(view->editorWindow()->boundingBox(), box);
    }

    // Every open editor window.
    static QList<BoxInfoField*> openEditors()
    {
        QList<BoxInfoField*> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<BoxInfoField*>(w); editor && editor->isVisible())
                open << editor;
        return open;
    }
};

using Corners = std::vector<double>;

// Right-clicks at a point and picks the menu entry with the given text; returns the entries, joined, and
// "+icon" when the chosen one had an icon.
QString chooseFromContextMenu(OverlayScene& scene, QPoint at, const QString& entry)
{
    MenuAnswerer answerer(entry);
    QTest::mouseClick(scene.canvas.windowHandle(), Qt::RightButton, {}, scene.view->mapTo(&scene.canvas, at));
    scene.settle();
    return answerer.entries().join(QString()) + (answerer.chosenHadIcon() ? "+icon" : "");
}
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
    bool saveEnabled() const { return find<QPushButton>("Save")->isEnabled(); }
    QStringList coordinates() const
    {
        QStringList texts;
        for (const QString& name : cornerFields)
            texts << field(name)->text();
        return texts;
    }
    // Replaces fields' texts by typing, as a user does after selecting each.
    void type(const QStringList& texts, const QStringList& names = cornerFields) const
    {
        for (int i = 0; i < texts.size(); ++i) {
            field(names[i])->selectAll();
            QTest::keyClick(field(names[i]), Qt::Key_Backspace);
            QTest::keyClicks(field(names[i]), texts[i]);
        }
    }
    void key(Qt::Key key) const
    {
        QTest::keyClick(label(), key);
        OverlayScene::settle();
    }
    void click(const QString& text) const
    {
        QTest::mouseClick(find<QPushButton>(text), Qt::LeftButton);
        OverlayScene::settle();
    }
    bool open() const { return window && window->isVisible(); }
};

BoxPtr pixelBox(Point start, Point end, const QString& label, double zoom = 1.0, bool markTemplate = false)
{
    return std::make_shared<BoundingBoxProperty>(start * zoom, end * zoom, label, 1.0, zoom, true, markTemplate);
}
} // namespace

TEST(BoxView, DrawsEachShownBoxOfTheCurrentImageWhereItsCornersSayWithItsTooltip)
{
    OverlayScene scene(2);
    scene.add({ 20, 30 }, { 120, 90 }, "cat", true);
    scene.add({ 200, 150 }, { 300, 250 }, "dog");
    scene.boundingBoxManager.hideCurrentBox(1, 0);
    scene.add({ 300, 30 }, { 380, 90 }, "plain");
    scene.boundingBoxManager.appendBox(pixelBox({ 10, 20.5 }, { 110, 220 }, "cat", 1.5), 1, false);
    const QImage img = scene.render();
    const QColor white(Qt::white), green = Palette::green, red = Palette::red, black = Palette::black;

    // Outline 2 wide on the edges, red corner handles, the label bar 25 to 5 points above the start, a
    // template's "T" bar below; hidden boxes and boxes of other images are not drawn.
    const struct {
        double x, y;
        QColor colour;
    } expected[] = { { 19, 60, green }, { 70, 89, green }, { 17, 60, white }, { 122, 60, white }, { 20, 30, red },
        { 119, 89, red }, { 70, 3, white }, { 70, 5, black }, { 70, 26, white }, { 57, 100, black }, { 57, 111, white },
        { 340, 89, green }, { 327, 100, white }, { 200, 200, white }, { 20, 230, white } };
    for (const auto& [x, y, colour] : expected)
        EXPECT_EQ(img.pixelColor(scene.at(x, y)), colour) << x << "," << y;
    // Red at 0.1 over white inside.
    const QColor tint = img.pixelColor(scene.at(70, 60));
    EXPECT_TRUE(tint.red() == 255 && tint.green() < 245 && tint.green() > 220 && tint.blue() < 245);

    // The tooltip shows the label and the corners in image pixels; beside the boxes it is the canvas's.
    scene.show(1);
    const auto tip = [&](double x) {
        QHelpEvent event(QEvent::ToolTip, scene.at(x, 50), scene.view->mapToGlobal(scene.at(x, 50)));
        QApplication::sendEvent(scene.view, &event);
        return event.isAccepted();
    };
    EXPECT_TRUE(tip(50));
    EXPECT_EQ(
        QToolTip::text(), "Class: cat\nStart Location: (10.000000,20.500000) \nEnd Location: (110.000000,220.000000)");
    EXPECT_FALSE(tip(350));
    QToolTip::hideText();
    scene.show(0);

    // The boxes follow the image origin.
    scene.view->setImageOrigin(QPointF(10, 10));
    EXPECT_EQ(scene.render().pixelColor(10 + 20, 10 + 60), green);

    // No current image: nothing at all.
    scene.show(5);
    EXPECT_EQ(scene.render().pixelColor(10 + 20, 10 + 60), white);
}

TEST(BoxView, ClicksSelectTheTopmostBoxDoubleClicksOpenOneEditorAndTheMenuDeletes)
{
    OverlayScene scene;
    const BoxPtr lower = scene.add({ 20, 30 }, { 120, 90 });
    const BoxPtr upper = scene.add({ 100, 60 }, { 200, 150 }, "dog");

    scene.click(scene.at(60, 50));
    EXPECT_TRUE(sameBox(scene.selected(), lower));
    EXPECT_EQ(scene.pixel(19, 50), Palette::blue);
    // Where the boxes overlap, the later one is hit; the label badge belongs to its box.
    scene.click(scene.at(110, 80));
    EXPECT_TRUE(sameBox(scene.selected(), upper));
    scene.click(scene.at(70, 12));
    EXPECT_TRUE(sameBox(scene.selected(), lower));
    scene.click(scene.at(300, 250)); // empty space is the canvas's
    EXPECT_EQ(scene.canvas.presses(), 1);

    // A double click selects its box and opens the one editor, replacing another (not a Cancel).
    for (const BoxPtr& box : { upper, lower }) {
        QTest::mouseDClick(scene.view, Qt::LeftButton, {}, sameBox(box, upper) ? scene.at(150, 120) : scene.at(60, 50));
        scene.settle();
        EXPECT_TRUE(sameBox(scene.selected(), box));
        EXPECT_TRUE(scene.editing(box));
    }
    EXPECT_FALSE(scene.boundingBoxManager.toShowInfoUI.get());
    scene.view->editorWindow()->dismiss();

    EXPECT_EQ(chooseFromContextMenu(scene, scene.at(60, 50), "Delete Rectangle"), "Delete Rectangle+icon");
    EXPECT_FALSE(lower->toShow());
    EXPECT_EQ(scene.boundingBoxManager.undoStack.get().size(), 1u);
    EXPECT_EQ(scene.selected(), nullptr);
    EXPECT_EQ(scene.pixel(20, 50), QColor(Qt::white));

    // A hidden box lets the press through and leaves the selection; so does a right click beside.
    scene.click(scene.at(150, 120));
    scene.click(scene.at(60, 50));
    EXPECT_EQ(scene.canvas.presses(), 2);
    EXPECT_TRUE(sameBox(scene.selected(), upper));
    EXPECT_EQ(chooseFromContextMenu(scene, scene.at(250, 200), "Delete Rectangle"), "");
    EXPECT_EQ(scene.canvas.taken[QEvent::ContextMenu], 1);
    EXPECT_EQ(scene.boundingBoxManager.undoStack.get().size(), 1u);
}

TEST(BoxView, DraggingABoxMovesItByTheDragClampedIntoTheImage)
{
    OverlayScene scene;
    const BoxPtr box = scene.add({ 20, 30 }, { 100, 80 }); // 80 x 50

    // Only the left button drags: the others neither move nor select the box, and stay with the overlay.
    for (const auto button : { Qt::MiddleButton, Qt::RightButton }) {
        scene.drag(scene.at(60, 55), scene.at(100, 75), button);
        EXPECT_EQ(scene.corners(box), (Corners { 20, 30, 100, 80 })) << button;
        EXPECT_EQ(scene.selected(), nullptr) << button;
    }
    EXPECT_TRUE(scene.canvas.taken.empty());

    // While the drag runs the record stays put and the box is drawn displaced, selected and blue.
    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(60, 55));
    QTest::mouseMove(scene.view, scene.at(80, 55));
    QTest::mouseMove(scene.view, scene.at(100, 75));
    scene.settle();
    EXPECT_TRUE(sameBox(scene.selected(), box));
    EXPECT_EQ(scene.corners(box), (Corners { 20, 30, 100, 80 }));
    EXPECT_EQ(scene.pixel(59, 70), Palette::blue);
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(100, 75));
    scene.settle();
    EXPECT_EQ(scene.corners(box), (Corners { 60, 50, 140, 100 }));
    EXPECT_EQ(scene.pixel(19, 70), QColor(Qt::white));

    // Past the displayed image's edge the box stops on it; a movement under the threshold is a click.
    scene.drag(scene.at(100, 75), scene.at(600, 75));
    EXPECT_EQ(scene.corners(box), (Corners { 320, 50, 400, 100 }));
    scene.drag(scene.at(340, 75), scene.at(346, 81));
    EXPECT_EQ(scene.corners(box), (Corners { 320, 50, 400, 100 }));

    // A box deleted while it is dragged stays where it was, and nothing selects it again.
    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(340, 75));
    QTest::mouseMove(scene.view, scene.at(300, 75));
    scene.boundingBoxManager.hideCurrentBox(0, 0);
    QTest::mouseMove(scene.view, scene.at(250, 75));
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(250, 75));
    scene.settle();
    EXPECT_EQ(scene.corners(box), (Corners { 320, 50, 400, 100 }));
    EXPECT_EQ(scene.selected(), nullptr);
}

TEST(PointView, HandleDragsWriteEveryMoveClampEachCornerAndNeverSelect)
{
    OverlayScene scene;
    const BoxPtr other = scene.add({ 320, 20 }, { 380, 60 }, "dog");
    auto box = std::make_shared<BoundingBoxProperty>(Point { 40, 60 }, Point { 200, 160 }, "cat", 1.0, 2.0);
    scene.boundingBoxManager.appendBox(box, 0, false);
    scene.boundingBoxManager.currentSelectedBox.set(other);
    scene.settle();

    // A press 4.2 points from the handle's centre is still on the handle (radius 5), not on the box.
    QTest::mousePress(scene.view, Qt::LeftButton, {}, scene.at(43, 63));
    QTest::mouseMove(scene.view, scene.at(45, 66)); // under the threshold
    EXPECT_EQ(scene.corners(box), (Corners { 40, 60, 200, 160 }));
    QTest::mouseMove(scene.view, scene.at(52, 70));
    EXPECT_EQ(scene.corners(box), (Corners { 52, 70, 200, 160 }));
    EXPECT_EQ(scene.corners(box, true), (Corners { 26, 35, 100, 80 }));
    QTest::mouseMove(scene.view, scene.at(-20, 90));
    EXPECT_EQ(scene.corners(box), (Corners { 0, 90, 200, 160 }));

    // While the start handle is held, the end handle keeps its place even if the corner moves.
    box->setEndLocation({ 300, 250 });
    scene.view->update();
    const QImage held = scene.render();
    EXPECT_EQ(held.pixelColor(scene.at(199, 159)), Palette::red);
    EXPECT_NE(held.pixelColor(scene.at(299, 249)), Palette::red);
    QTest::mouseRelease(scene.view, Qt::LeftButton, {}, scene.at(-20, 90));
    scene.settle();
    EXPECT_EQ(scene.corners(box), (Corners { 0, 90, 300, 250 }));
    EXPECT_EQ(scene.pixel(299, 249), Palette::red);

    // Each corner stops on the image's edges and never passes the other corner.
    const struct {
        QPoint from, to;
        Corners after;
    } drags[] = { { { 0, 90 }, { -5, -7 }, { 0, 0, 300, 250 } }, { { 0, 0 }, { 100, 270 }, { 100, 250, 300, 250 } },
        { { 100, 250 }, { 350, 10 }, { 300, 10, 300, 250 } },
        { { 300, 250 }, { 500, 350 }, { 300, 10, 400, 300 } }, { { 400, 300 }, { 10, 5 }, { 300, 10, 300, 10 } } };
    for (const auto& [from, to, after] : drags) {
        scene.drag(scene.origin + from, scene.origin + to);
        EXPECT_EQ(scene.corners(box), after) << from.x() << "," << from.y();
    }
    // The selection and its colour are left alone, and the canvas never saw a press.
    EXPECT_TRUE(sameBox(scene.selected(), other));
    EXPECT_EQ(scene.boundingBoxManager.currentSelectedBoxColor.get(), Palette::green);
    EXPECT_EQ(scene.canvas.presses(), 0);
    EXPECT_EQ(scene.corners(other), (Corners { 320, 20, 380, 60 }));

    // A press on a handle that does not move far enough is a click: it selects, as on the box.
    scene.drag(scene.at(300, 10), scene.at(304, 14));
    EXPECT_EQ(scene.corners(box), (Corners { 300, 10, 300, 10 }));
    EXPECT_TRUE(sameBox(scene.selected(), box));
}

// A drawn box's request for its editor stays until a label: boxes coming on screen meanwhile open theirs.
TEST(BoxInfoField, SaveNeedsALabelCancelWritesNothingAndTheRequestStaysUntilALabel)
{
    OverlayScene scene(2);
    for (const char* label : { "a", "b", "c" })
        scene.add({ 10, 10 }, { 50, 50 }, label, false, 1);
    scene.add({ 0, 0 }, { 5, 5 }, "dog");
    const BoxPtr box = scene.add({ 10, 20 }, { 110, 220 }, "", true, 0, true);
    EXPECT_TRUE(scene.editing(box));
    EXPECT_EQ(scene.selected(), nullptr);
    const auto unchanged = [&] {
        return box->classLabel().isEmpty() && box->markTemplate() && scene.corners(box) == Corners { 10, 20, 110, 220 };
    };
    scene.view->editorWindow()->dismiss();
    {
        Editor editor(scene, 1);
        EXPECT_FALSE(editor.saveEnabled());
        QTest::keyClick(editor.label(), Qt::Key_Return);
        editor.click("Save");
        EXPECT_TRUE(editor.open());
        EXPECT_TRUE(unchanged());

        // Choosing a class fills the field only.
        auto* list = editor.window->findChild<QListWidget*>();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        EXPECT_EQ(editor.label()->text(), "dog");
        EXPECT_TRUE(editor.saveEnabled());
        EXPECT_TRUE(unchanged());

        editor.type({ "50" });
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
    scene.show(1);
    ASSERT_TRUE(scene.editing(scene.boundingBoxManager.boxAt(2, 1)));
    // Without the request, boxes come and go silently.
    scene.view->editorWindow()->dismiss();
    scene.boundingBoxManager.toShowInfoUI.set(false);
    scene.show(0);
    EXPECT_TRUE(OverlayScene::openEditors().isEmpty());
    {
        Editor editor(scene, 1);
        QTest::keyClicks(editor.label(), "bird");
        editor.templateSwitch()->click();
        editor.click("Save");
        EXPECT_FALSE(editor.open());
    }
    EXPECT_TRUE(box->classLabel() == "bird" && !box->markTemplate());
}

// Corners are shown and typed in image pixels and stored at the zoom of the box's image.
TEST(BoxInfoField, ShowsTheBoxSavesOnlyNumbersAndStaysWithItsBox)
{
    OverlayScene scene(2);
    scene.imageManager.allCurrentScaleFactors.set({ 1.5, 1.0 });
    scene.boundingBoxManager.appendBox(pixelBox({ 10, 20.5 }, { 110, 220 }, "cat", 1.5), 0, false);
    scene.boundingBoxManager.appendBox(pixelBox({ 1.0 / 3, 1e-05 }, { 120, 7 }, "dog", 1.5, true), 0, false);
    for (const char* label : { "cat", "", "Cat" })
        scene.add({ 0, 0 }, { 5, 5 }, label);
    scene.add({ 10, 20 }, { 30, 40 }, "other", false, 1);
    const BoxPtr box = scene.boundingBoxManager.boxAt(0, 0);
    {
        Editor editor(scene, 0);
        EXPECT_EQ(editor.label()->text(), "cat");
        EXPECT_EQ(QApplication::focusWidget(), editor.label());
        EXPECT_EQ(editor.coordinates(), (QStringList { "10.0", "20.5", "110.0", "220.0" }));
        EXPECT_FALSE(editor.templateSwitch()->isChecked());
        QStringList classes;
        for (const QListWidgetItem* item : editor.window->findChild<QListWidget*>()->findItems("*", Qt::MatchWildcard))
            classes << item->text();
        EXPECT_EQ(classes, (QStringList { "cat", "dog", "Cat" }));
    }
    {
        // Shortest round-trip texts; an exponent form holds a letter and leaves its field empty.
        Editor editor(scene, 1);
        EXPECT_EQ(editor.coordinates(), (QStringList { "0.3333333333333333", "", "120.0", "7.0" }));
        EXPECT_TRUE(editor.templateSwitch()->isChecked());
        editor.key(Qt::Key_Return);
        const Point start = scene.boundingBoxManager.boxAt(1, 0)->originalStartLoc();
        EXPECT_TRUE(start.x == 1.0 / 3 && start.y == 1e-05);
        EXPECT_FALSE(editor.open());
    }
    {
        Editor editor(scene, 0);
        editor.type({ "1a2.5" });
        QTest::sendKeyEvent(QTest::Click, editor.field(cornerFields[0]), Qt::Key_Eacute, QStringLiteral("é"), {});
        EXPECT_EQ(editor.field(cornerFields[0])->text(), "12.5");
        QLineEdit* y = editor.field(cornerFields[1]);
        for (const QString& pasted : { QStringLiteral("3b"), QStringLiteral("4\u0301"), QStringLiteral("-1.5 ;") }) {
            QGuiApplication::clipboard()->setText(pasted);
            y->selectAll();
            QTest::keyClick(y, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(y->text(), pasted.endsWith(';') ? pasted : "20.5");
        }
        editor.type({ "-3", "+4", "5.", ".5" });
        editor.key(Qt::Key_Return);
        EXPECT_FALSE(editor.open());
    }
    EXPECT_EQ(scene.corners(box), (Corners { -4.5, 6, 7.5, 0.75 }));
    EXPECT_EQ(scene.corners(box, true), (Corners { -3, 4, 5, 0.5 }));

    // Texts that do not read leave their corner as it was; the other corner still changes.
    for (const QString& unread : QStringList { "1,5", "1 5", "-", ".", "", "1" + QString(400, '0') }) {
        Editor editor(scene, 0);
        editor.type({ unread, "4", "100", "40" });
        editor.key(Qt::Key_Return);
        EXPECT_EQ(scene.corners(box), (Corners { -4.5, 6, 150, 60 })) << unread.left(8).toStdString();
        box->setEndLocation({ 0, 0 });
    }

    // Without a box, nothing to save.
    {
        Editor editor(scene, -1);
        EXPECT_EQ(editor.coordinates(), (QStringList { "", "", "", "" }));
        EXPECT_EQ(editor.label()->text(), "");
        QTest::keyClicks(editor.label(), "dog");
        EXPECT_FALSE(editor.saveEnabled());
        editor.key(Qt::Key_Return);
        EXPECT_TRUE(editor.open());
    }
    EXPECT_EQ(box->classLabel(), "cat");

    // Another image becomes current while the editor is open: Save still edits its own box.
    {
        Editor editor(scene, 0);
        scene.show(1);
        editor.type({ "dog", "7" }, { "Class Label", cornerFields[0] });
        editor.key(Qt::Key_Return);
    }
    EXPECT_EQ(box->classLabel(), "dog");
    EXPECT_EQ(box->startLocation().x, 10.5);
    EXPECT_EQ(scene.boundingBoxManager.boxAt(0, 1)->classLabel(), "other");

    // A zoom step puts a new box in its place: the editor edits the new one.
    scene.imageManager.currentImageIndex.set(0);
    {
        Editor editor(scene, 0);
        ASSERT_TRUE(scene.imageManager.zoomStep(ImageManager::zoomOutFactor));
        scene.settle();
        editor.type({ "bird" }, { "Class Label" });
        editor.key(Qt::Key_Return);
        EXPECT_FALSE(editor.open());
    }
    EXPECT_EQ(scene.boundingBoxManager.boxAt(0, 0)->classLabel(), "bird");

    // Its box's list goes away: nothing left to save.
    Editor editor(scene, 0);
    scene.boundingBoxManager.deleteBoxForImage(0);
    scene.settle();
    EXPECT_FALSE(editor.saveEnabled());
}
