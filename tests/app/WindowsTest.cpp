#include "app/ContentView.h"
#include "app/KestruneApp.h"
#include "app/MenuCommands.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/CanvasView.h"
#include "view/canvas/DisplayImageView.h"

#include "view/sidebar/SavePopover.h"
#include "view/sidebar/SidebarIcon.h"
#include "view/sidebar/SidebarView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
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

TEST(Windows, ASecondWindowShowsTheFirstWindowsImagesAndBoxes)
{
    KestruneApp app;
    ContentView* first = app.openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
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
    shared.imageManager.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
    auto box = std::make_shared<BoundingBoxProperty>(Point { 1, 2 }, Point { 3, 4 }, "cat");
    shared.boundingBoxManager.appendBox(box, 0, false);
    shared.boundingBoxManager.select(box);
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
