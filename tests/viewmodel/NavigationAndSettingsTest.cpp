#include "viewmodel/CursorManager.h"
#include "viewmodel/FunctionalityBarNavigator.h"
#include "viewmodel/MatchSetting.h"
#include "viewmodel/SidebarNavigator.h"

#include <QSettings>

#include <gtest/gtest.h>

// The raw texts read back only whole and with their exact case and spacing.
TEST(RawValues, ReadBackOnlyTheExactText)
{
    for (auto mode : { CursorMode::dragToMoveImage, CursorMode::dragToMoveRectangle, CursorMode::dragToDrawRectangle })
        EXPECT_EQ(cursorModeFromRawValue(rawValue(mode)), mode);
    EXPECT_EQ(sidebarIconTypeFromRawValue("ZoomOut"), SidebarIconType::ZoomOut);
    EXPECT_EQ(functionalityTabModeFromRawValue("Box Details"), FunctionalityTabMode::BoxDetails);
    for (const char* text :
        { "DragToDrawRectangle", "dragToDrawRectangle ", "", "Zoom Out", "zoom in", "Box details", "BoxDetails" })
        EXPECT_FALSE(
            cursorModeFromRawValue(text) || sidebarIconTypeFromRawValue(text) || functionalityTabModeFromRawValue(text))
            << text;
}

TEST(MatchSetting, ReadsTheStoredTextsOnceAndNothingElse)
{
    QSettings settings(MatchSetting::organization, MatchSetting::application);
    settings.clear();
    settings.sync();
    MatchSetting empty;
    EXPECT_EQ(std::tuple(empty.threshold.get(), empty.pythonEnv.get(), empty.pythonLibrary.get(),
                  empty.settingsButtonClicked.get()),
        std::tuple(0.6, "", "", false));

    ASSERT_TRUE(MatchSetting::store(MatchSetting::pythonPathKey, "/usr/lib/libpython3.11.so.1.0"));
    ASSERT_TRUE(MatchSetting::store(MatchSetting::pythonLibraryKey, "/home/u/my scripts"));
    MatchSetting stored;
    EXPECT_EQ(std::tuple(stored.pythonEnv.get(), stored.pythonLibrary.get()),
        std::tuple("/usr/lib/libpython3.11.so.1.0", "/home/u/my scripts"));
    stored.pythonLibrary.set("typed, not stored");
    EXPECT_EQ(MatchSetting().pythonLibrary.get(), "/home/u/my scripts");

    settings.setValue("pythonLibrary", QStringList { "a", "b" });
    settings.setValue("pythonPath", QByteArray("\x01\x02", 2));
    settings.sync();
    MatchSetting wrongKinds;
    EXPECT_EQ(std::tuple(wrongKinds.pythonLibrary.get(), wrongKinds.pythonEnv.get()), std::tuple("", ""));
}
