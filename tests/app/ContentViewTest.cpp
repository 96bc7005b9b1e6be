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
ContentView* shownWindow(KestruneApp& app)
{
    ContentView* window = app.openWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    return window;
}

// An image and a selected box on it, through the shared objects.
BoxPtr selectedBox(KestruneApp& app)
{
    SharedObjects shared = app.shared();
    shared.imageManager.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
    auto box = std::make_shared<BoundingBoxProperty>(Point { 1, 2 }, Point { 3, 4 }, "cat");
    shared.boundingBoxManager.appendBox(box, 0, false);
    shared.boundingBoxManager.select(box);
    return box;
}

std::vector<ContentView*> windows()
{
    std::vector<ContentView*> result;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<ContentView*>(widget); window && window->isVisible())
            result.push_back(window);
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
        { 1920, 0, 0, 215, 1440, 1440 },
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
    KestruneApp app;
    ContentView* window = shownWindow(app);
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
    const auto widths = ContentView::columnWidths(
        ContentView::screenWidth(), widestEntry, FunctionalityView::minimumColumnWidth + 2 * columns->handleWidth());
    EXPECT_EQ(columns->widget(0)->width(), widths.sidebar);
    EXPECT_EQ(columns->widget(1)->minimumWidth(), widths.canvasMinimum);
    EXPECT_EQ(columns->widget(1)->maximumWidth(), widths.canvasMaximum);
    window->close();
}

TEST(ContentView, EveryControlHasANameAndAnIconsNameIsItsHelpText)
{
    KestruneApp app;
    ContentView* window = shownWindow(app);
    selectedBox(app);
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
    window->close();
}

TEST(Windows, ASecondWindowShowsTheFirstWindowsImagesAndBoxes)
{
    KestruneApp app;
    ContentView* first = shownWindow(app);
    ASSERT_EQ(first->columns()->widget(0), first->sidebar());
    first->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(first));
    QTest::keyClick(first, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::processEvents();
    const std::vector<ContentView*> open = windows();
    ASSERT_EQ(open.size(), 2u);
    ContentView* second = open[0] == first ? open[1] : open[0];
    ASSERT_TRUE(QTest::qWaitForWindowExposed(second));
    // Each window has its own menus and sidebar state.
    ASSERT_TRUE(action(second, "Paste"));
    EXPECT_NE(action(second, "Paste"), action(first, "Paste"));
    EXPECT_NE(&second->sidebar()->sidebarNavigator(), &first->sidebar()->sidebarNavigator());
    EXPECT_NE(&second->functionalityBarNavigator(), &first->functionalityBarNavigator());
    second->functionalityBarNavigator().changeActiveFunctionalityBar(FunctionalityTabMode::BoxDetails);
    EXPECT_EQ(first->functionalityBarNavigator().currentFunctionalityBar.get(), FunctionalityTabMode::ImageDetails);

    // An image and a box added through the first window's objects show in the second.
    SharedObjects shared = app.shared();
    EXPECT_FALSE(second->sidebar()->icon(SidebarIconType::ZoomIn)->isEnabled());
    const BoxPtr box = selectedBox(app);
    QCoreApplication::processEvents();
    EXPECT_TRUE(second->sidebar()->icon(SidebarIconType::ZoomIn)->isEnabled());
    EXPECT_EQ(second->canvas()->state().textFieldText(), "1");
    EXPECT_TRUE(second->sidebar()->savePopover()->jsonButton()->isEnabled());
    EXPECT_TRUE(action(second, "Delete")->isEnabled());

    // A command in the second window acts on the box the first one shows.
    second->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second));
    QTest::keyClick(second, Qt::Key_Delete);
    EXPECT_FALSE(box->toShow());
    QCoreApplication::processEvents();
    EXPECT_FALSE(first->sidebar()->savePopover()->jsonButton()->isEnabled());
    EXPECT_FALSE(action(first, "Delete")->isEnabled());
    action(first, "Undo Delete")->trigger();
    EXPECT_TRUE(box->toShow());

    // The highlight of one window's sidebar leaves the other's alone.
    QTest::mouseClick(first->sidebar()->icon(SidebarIconType::DrawRectangle), Qt::LeftButton);
    EXPECT_TRUE(first->sidebar()->icon(SidebarIconType::DrawRectangle)->highlighted());
    EXPECT_FALSE(second->sidebar()->icon(SidebarIconType::DrawRectangle)->highlighted());
    EXPECT_EQ(shared.cursorManager.currentCursorMode.get(), CursorMode::dragToDrawRectangle);

    // A box drawn in one window asks for its label in that window only.
    QWidget* area = first->canvas()->displayImageView();
    QTest::mousePress(area, Qt::LeftButton, {}, { 30, 30 });
    QTest::mouseMove(area, { 60, 45 });
    QTest::mouseMove(area, { 90, 60 });
    QTest::mouseRelease(area, Qt::LeftButton, {}, { 90, 60 });
    QCoreApplication::processEvents();
    EXPECT_EQ(shared.boundingBoxManager.allBoundingBoxes.get()[0].size(), 2u);
    int editors = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        editors += qobject_cast<BoxInfoField*>(widget) && widget->isVisible();
    EXPECT_EQ(editors, 1);
    EXPECT_TRUE(first->canvas()->boxView()->editorWindow());
    EXPECT_FALSE(second->canvas()->boxView()->editorWindow());
}
