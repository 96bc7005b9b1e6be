#include "app/ContentView.h"
#include "app/KestruneApp.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/CanvasView.h"
#include "view/canvas/DisplayImageView.h"
#include "view/functionality/FunctionalityView.h"
#include "view/sidebar/SavePopover.h"
#include "view/sidebar/SidebarIcon.h"
#include "view/sidebar/SidebarView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// The program's window, shown and active, over the program's shared objects.
struct Window {
    KestruneApp app;
    SharedObjects shared = app.shared();
    BoundingBoxManager& boxes = shared.boundingBoxManager;
    ImageManager& images = shared.imageManager;
    ContentView* window = app.openWindow();

    explicit Window(int imageCount = 0)
    {
        for (int i = 0; i < imageCount; ++i)
            images.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
        activate(window);
    }
    static void activate(ContentView* w)
    {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    }
    BoxPtr add(int image, Point s, Point e, const QString& label = "cat")
    {
        auto box = std::make_shared<BoundingBoxProperty>(s, e, label);
        boxes.appendBox(box, image, false);
        return box;
    }
    void select(const BoxPtr& box)
    {
        boxes.select(box);
        QCoreApplication::processEvents();
    }
    // The menu states follow the model on the next event-loop pass, as between two key presses.
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier, ContentView* to = nullptr)
    {
        QCoreApplication::processEvents();
        QTest::keyClick(to ? to : window, k, m);
        QCoreApplication::processEvents();
    }
    const BoundingBoxManager::BoxList& list(int image) const { return boxes.allBoundingBoxes.get()[size_t(image)]; }
    double zoom(size_t image) const { return images.allCurrentScaleFactors.get()[image]; }
};

QStringList titles(const QMenu* menu)
{
    QStringList result;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            result << action->text() + (action->isEnabled() ? "" : " (off)");
    return result;
}

QAction* action(ContentView* window, const QString& title)
{
    for (QAction* menu : window->menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (item->text() == title)
                return item;
    return nullptr;
}
} // namespace

TEST(ContentView, ColumnWidthsFollowTheScreenWidth)
{
    // Captions and cards that need more room get it: the sidebar grows, the canvas gives way.
    const struct {
        double screen;
        int sidebarNeed, detailsNeed;
        int sidebar, canvasMinimum, canvasIdeal;
    } fits[] = {
        { 500, 0, 0, 38, 375, 375 }, // the width without a screen; the sidebar's 37.5 rounds up
        { 1280, 162, 240, 162, 878, 878 },
        { 1280, 100, 100, 135, 960, 960 },
        { 1920, 162, 240, 215, 1440, 1440 },
        { 500, 162, 240, 162, 98, 98 },
    };
    for (const auto& f : fits) {
        SCOPED_TRACE(testing::Message() << f.screen << " " << f.sidebarNeed << " " << f.detailsNeed);
        const auto widths = ContentView::columnWidths(f.screen, f.sidebarNeed, f.detailsNeed);
        EXPECT_EQ(widths.sidebar, f.sidebar);
        EXPECT_EQ(widths.canvasMinimum, f.canvasMinimum);
        EXPECT_EQ(widths.canvasIdeal, f.canvasIdeal);
        EXPECT_EQ(widths.canvasMaximum, std::lround(f.screen * 7 / 8));
    }
}

TEST(ContentView, WindowIsTitledKestruneWithSidebarCanvasAndDetails)
{
    Window w;
    ContentView* window = w.window;
    EXPECT_EQ(window->windowTitle(), "Kestrune");
    QSplitter* columns = window->columns();
    ASSERT_EQ(columns->count(), 3);
    EXPECT_EQ(columns->widget(0)->accessibleName(), "Sidebar");
    EXPECT_EQ(columns->widget(1), window->canvas());
    EXPECT_EQ(columns->widget(2)->accessibleName(), "Details");

    // No sidebar caption is cut, even under the pointer, and the details column holds its cards.
    int widestEntry = 0;
    for (SidebarIcon* icon : window->sidebar()->findChildren<SidebarIcon*>())
        widestEntry = std::max(widestEntry, icon->sizeHint().width());
    EXPECT_GE(columns->widget(0)->width(), widestEntry);
    EXPECT_GE(columns->widget(2)->width(), FunctionalityView::minimumColumnWidth);
    EXPECT_EQ(columns->widget(1)->maximumWidth(), std::lround(ContentView::screenWidth() * 7 / 8));

    // Every control has a name; an icon's name is its help text.
    w.images.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
    w.select(w.add(0, { 1, 2 }, { 3, 4 }));
    for (auto tab : { FunctionalityTabMode::ImageDetails, FunctionalityTabMode::BoxDetails }) {
        window->functionalityBarNavigator().changeActiveFunctionalityBar(tab);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        for (QWidget* control : window->findChildren<QWidget*>()) {
            // The menu bar's own overflow button aside.
            if ((!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLineEdit*>(control))
                || qobject_cast<QMenuBar*>(control->parentWidget()))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            ASSERT_TRUE(accessible);
            const QString name = accessible->text(QAccessible::Name);
            const std::string where = control->metaObject()->className() + (" " + control->toolTip()).toStdString();
            EXPECT_FALSE(name.isEmpty()) << where;
            auto* button = qobject_cast<QAbstractButton*>(control);
            if (button && button->text().isEmpty() && !button->toolTip().isEmpty()) {
                EXPECT_EQ(name.toStdString(), button->toolTip().toStdString()) << where;
            }
        }
    }
}

TEST(MenuCommands, TheEditMenuHoldsOnlyItsSixCommandsEnabledByTheModelAndTheViewMenuTogglesTheSidebar)
{
    Window w;
    auto* edit = qobject_cast<QMenu*>(action(w.window, "Delete")->parent());
    ASSERT_TRUE(edit);
    EXPECT_EQ(titles(edit),
        QStringList({ "Undo Delete", "Delete (off)", "Copy (off)", "Paste (off)", "Zoom In (off)", "Zoom Out (off)" }));
    w.key(Qt::Key_Equal); // disabled: nothing happens, nothing breaks
    w.key(Qt::Key_Z); // an empty undo stack does nothing

    w.images.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
    const BoxPtr box = w.add(0, { 1, 1 }, { 5, 5 });
    w.select(box);
    EXPECT_EQ(titles(edit), QStringList({ "Undo Delete", "Delete", "Copy", "Paste (off)", "Zoom In", "Zoom Out" }));
    w.key(Qt::Key_C);
    EXPECT_TRUE(action(w.window, "Paste")->isEnabled());
    EXPECT_EQ(w.boxes.currentCopySelectedBox.get(), box); // the object itself

    QAction* sidebar = action(w.window, "Hide Sidebar");
    ASSERT_TRUE(sidebar);
    sidebar->trigger();
    EXPECT_TRUE(w.window->sidebar()->isHidden());
    EXPECT_EQ(sidebar->text(), "Show Sidebar");
    sidebar->trigger();
    EXPECT_FALSE(w.window->sidebar()->isHidden());

    // The zoom keys step the current image. Only this way reaches the lower limit; the upper one is
    // the image manager's and the canvas's tests'.
    w.key(Qt::Key_Equal);
    w.key(Qt::Key_Plus);
    EXPECT_NEAR(w.zoom(0), 1.21, 1e-12);
    for (int k = 0; k < 14; ++k) // the fourteenth, about 0.2768, is not above 0.3
        w.key(Qt::Key_Minus);
    EXPECT_NEAR(w.zoom(0), 1.21 * std::pow(0.9, 13), 1e-12);
}

TEST(MenuCommands, DeleteUndoAndPasteActOnTheCurrentImage)
{
    Window w(3);
    const BoxPtr onTwo = w.add(2, { 1, 1 }, { 9, 9 });
    const BoxPtr onZero = w.add(0, { 10, 10 }, { 20, 30 }, "dog");
    onZero->setMarkTemplate(true);
    // Delete takes the selection only from the current image's list.
    w.select(onTwo);
    w.key(Qt::Key_Delete, Qt::NoModifier);
    EXPECT_TRUE(onTwo->toShow());
    for (auto [image, box] : { std::pair { 2, onTwo }, { 0, onZero } }) {
        w.images.currentImageIndex.set(image);
        w.select(box);
        w.key(Qt::Key_Delete, Qt::NoModifier);
        EXPECT_FALSE(box->toShow());
    }
    EXPECT_FALSE(action(w.window, "Delete")->isEnabled());

    // Undo restores the latest deletion first, shows its image, with its number in the index field,
    // and selects nothing.
    auto* index = w.window->canvas()->findChild<QLineEdit*>();
    ASSERT_TRUE(index);
    w.images.showImage(0);
    w.key(Qt::Key_Right, Qt::NoModifier, nullptr);
    ASSERT_EQ(index->text(), "2");
    w.key(Qt::Key_Z);
    EXPECT_TRUE(onZero->toShow());
    EXPECT_FALSE(onTwo->toShow());
    EXPECT_EQ(w.images.currentImageIndex.get(), 0);
    EXPECT_EQ(index->text(), "1");
    EXPECT_EQ(w.boxes.currentSelectedBox.get(), nullptr);

    // The copy buffer holds the box itself: a later move of it is what gets pasted.
    w.images.currentImageIndex.set(0);
    w.select(onZero);
    w.key(Qt::Key_C);
    w.boxes.updateLocation(0, 0, Size { 5, 7 });
    w.key(Qt::Key_V);
    ASSERT_EQ(w.list(0).size(), 2u);
    const BoxPtr pasted = w.list(0)[1];
    EXPECT_FALSE(sameBox(pasted, onZero));
    EXPECT_EQ((std::vector<double> { pasted->startLocation().x, pasted->startLocation().y, pasted->endLocation().x,
                  pasted->endLocation().y }),
        (std::vector<double> { 15, 17, 25, 37 }));
    EXPECT_TRUE(pasted->classLabel() == "dog" && pasted->markTemplate() && pasted->toShow());
    EXPECT_EQ(w.boxes.currentSelectedBox.get(), pasted);
    EXPECT_FALSE(w.boxes.toShowInfoUI.get());

    // On another image, zoomed in: the same displayed place, pixels at that image's zoom.
    w.images.currentImageIndex.set(1);
    w.key(Qt::Key_Equal);
    EXPECT_EQ(w.zoom(1), 1.1);
    w.key(Qt::Key_V);
    ASSERT_EQ(w.list(1).size(), 1u);
    EXPECT_EQ(w.list(1)[0]->startLocation().x, 15);
    EXPECT_EQ(w.list(1)[0]->imageScale(), 1.1);
    EXPECT_DOUBLE_EQ(w.list(1)[0]->originalStartLoc().x, 15 / 1.1);

    // With no image open the buffer stays and nothing is pasted.
    for (int i = 0; i < 3; ++i) {
        w.boxes.deleteBoxForImage(0);
        w.images.deleteImageIndex(0);
    }
    w.key(Qt::Key_V);
    EXPECT_TRUE(w.boxes.allBoundingBoxes.get().empty());
    EXPECT_TRUE(action(w.window, "Paste")->isEnabled());
}

TEST(Windows, ASecondWindowShowsTheFirstWindowsImagesAndBoxes)
{
    Window w;
    ContentView* first = w.window;
    w.key(Qt::Key_N);
    ContentView* second = nullptr;
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<ContentView*>(widget); window && window->isVisible() && ++windows)
            second = window == first ? second : window;
    ASSERT_TRUE(windows == 2 && second) << windows;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(second));
    // Each window has its own menus and panel state.
    ASSERT_TRUE(action(second, "Delete"));
    second->functionalityBarNavigator().changeActiveFunctionalityBar(FunctionalityTabMode::BoxDetails);
    EXPECT_EQ(first->functionalityBarNavigator().currentFunctionalityBar.get(), FunctionalityTabMode::ImageDetails);

    // An image and a box added through the shared objects show in the second.
    w.images.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
    const BoxPtr box = w.add(0, { 1, 2 }, { 3, 4 });
    w.select(box);
    EXPECT_EQ(second->canvas()->state().textFieldText(), "1");
    EXPECT_TRUE(action(second, "Delete")->isEnabled());

    // A command in the second window acts on the box the first one shows.
    Window::activate(second);
    w.key(Qt::Key_Delete, Qt::NoModifier, second);
    EXPECT_FALSE(box->toShow());
    EXPECT_FALSE(first->sidebar()->savePopover()->jsonButton()->isEnabled());
    action(first, "Undo Delete")->trigger();
    EXPECT_TRUE(box->toShow());

    // The highlight of one window's sidebar leaves the other's alone.
    QTest::mouseClick(first->sidebar()->icon(SidebarIconType::DrawRectangle), Qt::LeftButton);
    EXPECT_TRUE(first->sidebar()->icon(SidebarIconType::DrawRectangle)->highlighted());
    EXPECT_FALSE(second->sidebar()->icon(SidebarIconType::DrawRectangle)->highlighted());
    EXPECT_EQ(w.shared.cursorManager.currentCursorMode.get(), CursorMode::dragToDrawRectangle);

    // A box drawn in one window asks for its label in that window only.
    QWidget* area = first->canvas()->displayImageView();
    QTest::mousePress(area, Qt::LeftButton, {}, { 30, 30 });
    QTest::mouseMove(area, { 60, 45 });
    QTest::mouseMove(area, { 90, 60 });
    QTest::mouseRelease(area, Qt::LeftButton, {}, { 90, 60 });
    QCoreApplication::processEvents();
    EXPECT_EQ(w.list(0).size(), 2u);
    int editors = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        editors += qobject_cast<BoxInfoField*>(widget) && widget->isVisible();
    EXPECT_EQ(editors, 1);
    EXPECT_TRUE(first->canvas()->boxView()->editorWindow());
    EXPECT_FALSE(second->canvas()->boxView()->editorWindow());
}
