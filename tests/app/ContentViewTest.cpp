#include "app/ContentView.h"
#include "app/KestruneApp.h"
#include "view/canvas/CanvasView.h"

#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

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

    const auto widths = ContentView::columnWidths(ContentView::screenWidth());
    EXPECT_EQ(columns->widget(0)->width(), widths.sidebar);
    EXPECT_EQ(columns->widget(1)->minimumWidth(), widths.canvasMinimum);
    EXPECT_EQ(columns->widget(1)->maximumWidth(), widths.canvasMaximum);
    EXPECT_GE(columns->widget(1)->width(), widths.canvasMinimum);
    EXPECT_LE(columns->widget(1)->width(), widths.canvasMaximum);
    window->close();
}
