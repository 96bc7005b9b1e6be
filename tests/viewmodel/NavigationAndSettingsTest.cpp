#include "viewmodel/CursorManager.h"
#include "viewmodel/FunctionalityBarNavigator.h"
#include "viewmodel/MatchSetting.h"
#include "viewmodel/SidebarNavigator.h"

#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(CursorMode, RawTextsMatchWholeAndCaseSensitive)
{
    EXPECT_EQ(CursorManager().currentCursorMode.get(), CursorMode::dragToMoveImage);
    for (auto mode : { CursorMode::dragToMoveImage, CursorMode::dragToMoveRectangle, CursorMode::dragToDrawRectangle })
        EXPECT_EQ(cursorModeFromRawValue(rawValue(mode)), mode);
    EXPECT_EQ(rawValue(CursorMode::dragToDrawRectangle), "dragToDrawRectangle");
    EXPECT_FALSE(cursorModeFromRawValue("DragToDrawRectangle"));
    EXPECT_FALSE(cursorModeFromRawValue("Draw Rectangle"));
    EXPECT_FALSE(cursorModeFromRawValue(""));
    EXPECT_FALSE(cursorModeFromRawValue("dragToDrawRectangle "));
}

TEST(SidebarNavigator, HighlightsOnlyTheTwoModeEntries)
{
    SidebarNavigator nav;
    EXPECT_EQ(nav.currentSidebar.get(), SidebarIconType::New);
    EXPECT_EQ(nav.isActive.get().size(), 2u);
    EXPECT_FALSE(nav.active(SidebarIconType::DrawRectangle));
    QSignalSpy spy(&nav, &ObservableObject::objectWillChange);
    nav.changeActiveSidebar(SidebarIconType::DrawRectangle);
    EXPECT_TRUE(nav.active(SidebarIconType::DrawRectangle));
    EXPECT_FALSE(nav.active(SidebarIconType::MoveRectangle));
    nav.changeActiveSidebar(SidebarIconType::MoveRectangle);
    EXPECT_TRUE(nav.active(SidebarIconType::MoveRectangle));
    EXPECT_FALSE(nav.active(SidebarIconType::DrawRectangle));
    nav.changeActiveSidebar(SidebarIconType::ZoomIn);
    EXPECT_EQ(nav.currentSidebar.get(), SidebarIconType::ZoomIn);
    EXPECT_EQ(nav.isActive.get().size(), 2u);
    EXPECT_FALSE(nav.active(SidebarIconType::ZoomIn));
    EXPECT_FALSE(nav.active(SidebarIconType::MoveRectangle));
    nav.changeActiveSidebar(SidebarIconType::ZoomIn);
    EXPECT_EQ(spy.count(), 12); // three announcements a call

    EXPECT_EQ(sidebarIconTypeFromRawValue("ZoomOut"), SidebarIconType::ZoomOut);
    EXPECT_FALSE(sidebarIconTypeFromRawValue("Zoom Out"));
    EXPECT_FALSE(sidebarIconTypeFromRawValue("zoom in"));
    EXPECT_FALSE(sidebarIconTypeFromRawValue(""));
    EXPECT_EQ(rawValue(SidebarIconType::ZoomIn), "Zoom In");
    EXPECT_EQ(rawValue(SidebarIconType::MoveRectangle), "Move Rectangle");
}

TEST(FunctionalityBarNavigator, ExactlyTheCurrentTabIsHighlighted)
{
    FunctionalityBarNavigator nav;
    EXPECT_EQ(nav.currentFunctionalityBar.get(), FunctionalityTabMode::ImageDetails);
    EXPECT_TRUE(nav.active(FunctionalityTabMode::ImageDetails));
    EXPECT_FALSE(nav.active(FunctionalityTabMode::BoxDetails));
    QSignalSpy spy(&nav, &ObservableObject::objectWillChange);
    nav.changeActiveFunctionalityBar(FunctionalityTabMode::ImageDetails);
    EXPECT_EQ(spy.count(), 3);
    nav.changeActiveFunctionalityBar(FunctionalityTabMode::BoxDetails);
    EXPECT_EQ(nav.currentFunctionalityBar.get(), FunctionalityTabMode::BoxDetails);
    EXPECT_TRUE(nav.active(FunctionalityTabMode::BoxDetails));
    EXPECT_FALSE(nav.active(FunctionalityTabMode::ImageDetails));
    EXPECT_EQ(functionalityTabModeFromRawValue("Box Details"), FunctionalityTabMode::BoxDetails);
    EXPECT_FALSE(functionalityTabModeFromRawValue("Box details"));
    EXPECT_FALSE(functionalityTabModeFromRawValue("BoxDetails"));
    EXPECT_FALSE(functionalityTabModeFromRawValue(""));
}

TEST(MatchSetting, ReadsTheStoredTextsOnceAndNothingElse)
{
    {
        QSettings settings(MatchSetting::organization, MatchSetting::application);
        settings.clear();
    }
    MatchSetting empty;
    EXPECT_EQ(empty.threshold.get(), 0.6);
    EXPECT_TRUE(empty.pythonEnv.get().isEmpty());
    EXPECT_TRUE(empty.pythonLibrary.get().isEmpty());
    EXPECT_FALSE(empty.settingsButtonClicked.get());

    ASSERT_TRUE(MatchSetting::store(MatchSetting::pythonPathKey, "/usr/lib/libpython3.11.so.1.0"));
    ASSERT_TRUE(MatchSetting::store(MatchSetting::pythonLibraryKey, "/home/u/my scripts"));
    MatchSetting stored;
    EXPECT_EQ(stored.pythonEnv.get(), "/usr/lib/libpython3.11.so.1.0");
    EXPECT_EQ(stored.pythonLibrary.get(), "/home/u/my scripts");
    stored.pythonLibrary.set("typed, not stored");
    EXPECT_EQ(MatchSetting().pythonLibrary.get(), "/home/u/my scripts");

    {
        QSettings settings(MatchSetting::organization, MatchSetting::application);
        settings.setValue("pythonLibrary", QStringList { "a", "b" });
        settings.setValue("pythonPath", QByteArray("\x01\x02", 2));
    }
    MatchSetting wrongKinds;
    EXPECT_TRUE(wrongKinds.pythonLibrary.get().isEmpty());
    EXPECT_TRUE(wrongKinds.pythonEnv.get().isEmpty());

    MatchSetting steps;
    steps.threshold.set(steps.threshold.get() + 0.1);
    steps.threshold.set(steps.threshold.get() + 0.1);
    EXPECT_EQ(steps.threshold.get(), 0.6 + 0.1 + 0.1);
}
