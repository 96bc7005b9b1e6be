#include "view/sidebar/SidebarView.h"

#include "CanvasFixture.h"
#include "view/ZoomStep.h"
#include "view/sidebar/SavePopover.h"
#include "view/sidebar/SettingsPopover.h"
#include "view/sidebar/SidebarIcon.h"

#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace
{
struct Sidebar : CanvasFixture {
    SidebarView view { shared };

    Sidebar()
    {
        view.resize(220, 800);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    SidebarIcon* icon(SidebarIconType type) const { return view.icon(type); }
    void click(SidebarIconType type)
    {
        SidebarIcon* entry = icon(type);
        QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
        QCoreApplication::processEvents();
    }
    std::vector<bool> highlights() const
    {
        std::vector<bool> result;
        for (auto type : { SidebarIconType::New, SidebarIconType::DrawRectangle, SidebarIconType::MoveRectangle,
                 SidebarIconType::SaveJSON, SidebarIconType::ZoomIn, SidebarIconType::ZoomOut,
                 SidebarIconType::Settings })
            result.push_back(icon(type)->highlighted());
        return result;
    }
};

} // namespace

TEST(SidebarView, ShowsItsEntriesInSectionsWithTheLowerOnesAtTheBottom)
{
    Sidebar s;
    // In this order, with these captions (also their accessible names) and help texts.
    const struct {
        SidebarIconType type;
        const char *title, *help;
    } entries[] = {
        { SidebarIconType::New, "New Image", "Click here to add one or multiple new images" },
        { SidebarIconType::DrawRectangle, "Draw Rectangle",
            "Click here to enter into draw mode to draw bounding boxs on the image" },
        { SidebarIconType::MoveRectangle, "Move Image",
            "Click here to enter into image mode to move image along the canvas" },
        { SidebarIconType::SaveJSON, "Save", "" },
        { SidebarIconType::ZoomIn, "Zoom In", "Upscales the image" },
        { SidebarIconType::ZoomOut, "Zoom Out", "Downscales the image" },
        { SidebarIconType::Settings, "Settings", "" },
    };
    int previousTop = -1;
    for (const auto& e : entries) {
        SidebarIcon* icon = s.icon(e.type);
        ASSERT_NE(icon, nullptr) << e.title;
        EXPECT_EQ(icon->accessibleName(), e.title);
        EXPECT_EQ(icon->toolTip(), e.help);
        const int top = icon->mapTo(&s.view, QPoint(0, 0)).y();
        EXPECT_GT(top, previousTop) << e.title;
        previousTop = top;
    }
    EXPECT_FALSE(s.icon(SidebarIconType::OpenRecent));
    EXPECT_FALSE(s.icon(SidebarIconType::SaveCSV));

    // The lower sections keep their distance from the bottom whatever the height.
    const auto fromBottom
        = [&](SidebarIconType type) { return s.view.height() - s.icon(type)->mapTo(&s.view, QPoint(0, 0)).y(); };
    const auto topOf = [&](SidebarIconType type) { return s.icon(type)->mapTo(&s.view, QPoint(0, 0)).y(); };
    const int save = fromBottom(SidebarIconType::SaveJSON), settings = fromBottom(SidebarIconType::Settings);
    const int move = topOf(SidebarIconType::MoveRectangle);
    s.view.resize(220, 1200);
    QCoreApplication::processEvents();
    EXPECT_EQ(fromBottom(SidebarIconType::SaveJSON), save);
    EXPECT_EQ(fromBottom(SidebarIconType::Settings), settings);
    EXPECT_EQ(topOf(SidebarIconType::MoveRectangle), move);
    EXPECT_GT(topOf(SidebarIconType::SaveJSON), 600);
}

TEST(SidebarView, OnlyTheModeEntriesLightUpAndTheModeOutlivesTheHighlight)
{
    Sidebar s;
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    s.click(SidebarIconType::MoveRectangle);
    EXPECT_EQ(s.highlights(), std::vector<bool>({ false, false, true, false, false, false, false }));
    EXPECT_EQ(s.cursorManager.currentCursorMode.get(), CursorMode::dragToMoveImage);
    s.click(SidebarIconType::DrawRectangle);
    EXPECT_EQ(s.highlights(), std::vector<bool>({ false, true, false, false, false, false, false }));
    EXPECT_EQ(s.cursorManager.currentCursorMode.get(), CursorMode::dragToDrawRectangle);

    // New Image clears the highlight; the canvas stays in draw mode. Cancelling adds nothing.
    s.click(SidebarIconType::New);
    EXPECT_EQ(s.dialogs.openImagesCalls, 1);
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    EXPECT_EQ(s.cursorManager.currentCursorMode.get(), CursorMode::dragToDrawRectangle);
    EXPECT_TRUE(s.imageManager.allImages.get().empty());

    // With no image the zoom entries are disabled and take no click.
    EXPECT_FALSE(s.icon(SidebarIconType::ZoomIn)->isEnabled());
    EXPECT_FALSE(s.icon(SidebarIconType::ZoomOut)->isEnabled());
    s.click(SidebarIconType::DrawRectangle);
    s.click(SidebarIconType::ZoomIn);
    EXPECT_TRUE(s.icon(SidebarIconType::DrawRectangle)->highlighted());
}

TEST(SidebarView, NewImageAddsImagesWithBoxListsAndZoomStepsTheCurrentOne)
{
    Sidebar s;
    s.dialogs.imagesToOpen = { TestImages::write(s.dir, "a.png", 40, 30), TestImages::write(s.dir, "b.jpg", 20, 10) };
    s.click(SidebarIconType::New);
    ASSERT_EQ(s.imageManager.imageCount(), 2);
    EXPECT_EQ(s.boundingBoxManager.allBoundingBoxes.get().size(), 2u);
    EXPECT_TRUE(s.icon(SidebarIconType::ZoomIn)->isEnabled());

    s.imageManager.currentImageIndex.set(1);
    s.addBox(1, { 2, 2 }, { 6, 8 }, "x");
    s.click(SidebarIconType::ZoomIn);
    EXPECT_EQ(s.imageManager.allCurrentScaleFactors.get()[1], 1.1);
    EXPECT_EQ(s.imageManager.allCurrentScaleFactors.get()[0], 1.0);
    EXPECT_DOUBLE_EQ(s.boundingBoxManager.allBoundingBoxes.get()[1][0]->endLocation().y, 8.8);
    EXPECT_TRUE(ZoomTransition::instance().running());
    s.click(SidebarIconType::ZoomOut);
    EXPECT_DOUBLE_EQ(s.imageManager.allCurrentScaleFactors.get()[1], 0.99);
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    QTRY_VERIFY(!ZoomTransition::instance().running());
    EXPECT_EQ(ZoomTransition::instance().displayFactor(), 1.0);
}

TEST(SidebarView, EntriesStartFivePointsFromTheLeadingEdgeWhateverTheirCaption)
{
    Sidebar s;
    // Where the highlight of a mode entry begins, in sidebar coordinates.
    const auto highlightLeft = [&](SidebarIconType type) {
        s.click(type);
        SidebarIcon* entry = s.icon(type);
        const QImage image = s.view.grab(QRect(entry->mapTo(&s.view, QPoint(0, 0)), entry->size())).toImage();
        const int middle = image.height() / 2;
        const QColor ground = image.pixelColor(0, middle);
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, middle) != ground)
                return entry->mapTo(&s.view, QPoint(x, 0)).x();
        return -1;
    };
    EXPECT_EQ(highlightLeft(SidebarIconType::DrawRectangle), 5);
    EXPECT_EQ(highlightLeft(SidebarIconType::MoveRectangle), 5);
    // A column too narrow for a caption, fixed as the main window fixes it, shortens the caption and
    // keeps the entry in line.
    s.view.setFixedWidth(110);
    QCoreApplication::processEvents();
    ASSERT_EQ(s.view.width(), 110);
    EXPECT_LT(
        s.icon(SidebarIconType::DrawRectangle)->width(), s.icon(SidebarIconType::DrawRectangle)->sizeHint().width());
    EXPECT_EQ(highlightLeft(SidebarIconType::DrawRectangle), 5);
}

TEST(SidebarView, HoverEnlargesTheEntryAndTurnsItsSymbol)
{
    Sidebar s;
    SidebarIcon* icon = s.icon(SidebarIconType::MoveRectangle);
    QTest::mouseMove(icon, icon->rect().center());
    QTRY_VERIFY(icon->isHovering());
    EXPECT_LT(icon->hoverProgress(), 1.0); // animated, not at once
    QTRY_COMPARE(icon->hoverProgress(), 1.0);
    EXPECT_EQ(icon->currentScale(), 1.2);
    EXPECT_EQ(icon->symbolTurnDegrees(), 180.0);
    QTest::mouseMove(&s.view, QPoint(s.view.width() - 2, s.view.height() / 2));
    QTRY_VERIFY(!icon->isHovering());
    QTRY_COMPARE(icon->hoverProgress(), 0.0);
    EXPECT_EQ(icon->symbolTurnDegrees(), 0.0);
}

TEST(SidebarView, SaveAndSettingsOpenTheirPopoversBesideTheEntry)
{
    Sidebar s;
    s.click(SidebarIconType::SaveJSON);
    ASSERT_TRUE(s.view.savePopover()->isVisible());
    const SidebarIcon* save = s.icon(SidebarIconType::SaveJSON);
    EXPECT_GT(s.view.savePopover()->geometry().left(), save->mapToGlobal(save->rect().topRight()).x());
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    s.click(SidebarIconType::SaveJSON);
    EXPECT_FALSE(s.view.savePopover()->isVisible());
    // A press elsewhere closes it and still does what it does there; so does Escape.
    s.click(SidebarIconType::SaveJSON);
    s.click(SidebarIconType::MoveRectangle);
    EXPECT_FALSE(s.view.savePopover()->isVisible());
    EXPECT_TRUE(s.icon(SidebarIconType::MoveRectangle)->highlighted());
    s.click(SidebarIconType::SaveJSON);
    QTest::keyClick(s.view.savePopover(), Qt::Key_Escape);
    EXPECT_FALSE(s.view.savePopover()->isVisible());

    s.click(SidebarIconType::Settings);
    SettingsPopover* settings = s.view.settingsPopover();
    ASSERT_TRUE(settings->isVisible());
    QTest::mouseClick(settings->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(settings->isVisible());
    s.click(SidebarIconType::Settings);
    EXPECT_TRUE(settings->isVisible());
    s.click(SidebarIconType::DrawRectangle); // it stays open until closed on purpose
    EXPECT_TRUE(settings->isVisible());
    s.click(SidebarIconType::Settings);
    EXPECT_FALSE(settings->isVisible());
}
