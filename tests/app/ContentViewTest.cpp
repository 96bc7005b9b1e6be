#include "app/ContentView.h"
#include "app/KestruneApp.h"
#include "view/canvas/CanvasView.h"
#include "view/functionality/FunctionalityView.h"
#include "view/sidebar/SidebarIcon.h"
#include "view/sidebar/SidebarView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

TEST(ContentView, ColumnWidthsFollowTheScreenWidth)
{
    // Without a screen the window is laid out for a width of 500.
    const auto fallback = ContentView::columnWidths(500);
    EXPECT_EQ(fallback.sidebar, 38); // 37.5
    EXPECT_EQ(fallback.canvasMinimum, 375);
    EXPECT_EQ(fallback.canvasIdeal, 375);
    EXPECT_EQ(fallback.canvasMaximum, 438); // 437.5

    const auto wide = ContentView::columnWidths(1920);
    EXPECT_EQ(wide.sidebar, 215);
    EXPECT_EQ(wide.canvasMinimum, 1440);
    EXPECT_EQ(wide.canvasMaximum, 1680);

    // Captions and cards that need more room get it: the sidebar grows, the canvas gives way.
    const struct {
        double screen;
        int sidebarNeed, detailsNeed;
        int sidebar, canvasMinimum, canvasIdeal;
    } fits[] = {
        { 1280, 162, 240, 162, 878, 878 },
        { 1280, 100, 100, 135, 960, 960 },
        { 1920, 162, 240, 215, 1440, 1440 },
        { 500, 162, 240, 162, 98, 98 },
    };
    for (const auto& f : fits) {
        const auto widths = ContentView::columnWidths(f.screen, f.sidebarNeed, f.detailsNeed);
        EXPECT_EQ(widths.sidebar, f.sidebar) << f.screen;
        EXPECT_EQ(widths.canvasMinimum, f.canvasMinimum) << f.screen;
        EXPECT_EQ(widths.canvasIdeal, f.canvasIdeal) << f.screen;
        EXPECT_EQ(widths.canvasMaximum, std::lround(f.screen * 7 / 8)) << f.screen;
    }
}

TEST(ContentView, WindowIsTitledKestruneWithSidebarCanvasAndDetails)
{
    KestruneApp app;
    ContentView* window = app.openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
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
    EXPECT_GE(columns->widget(1)->width(), widths.canvasMinimum);
    EXPECT_LE(columns->widget(1)->width(), widths.canvasMaximum);
    window->close();
}

TEST(ContentView, EveryControlHasANameAndAnIconsNameIsItsHelpText)
{
    KestruneApp app;
    ContentView* window = app.openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    SharedObjects shared = app.shared();
    shared.imageManager.openImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile("/nowhere/a.png")));
    auto box = std::make_shared<BoundingBoxProperty>(Point { 1, 2 }, Point { 3, 4 }, "cat");
    shared.boundingBoxManager.appendBox(box, 0, false);
    shared.boundingBoxManager.select(box);
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
