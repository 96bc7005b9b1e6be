#include "viewmodel/SidebarNavigator.h"

#include "viewmodel/Highlights.h"
#include "viewmodel/RawValues.h"

namespace
{
constexpr RawValue<SidebarIconType> sidebarTypes[] = {
    { SidebarIconType::New, "New Image" },
    { SidebarIconType::OpenRecent, "Open Recent" },
    { SidebarIconType::DrawRectangle, "Draw Rectangle" },
    { SidebarIconType::MoveRectangle, "Move Rectangle" },
    { SidebarIconType::SaveJSON, "Save JSON" },
    { SidebarIconType::SaveCSV, "Save CSV" },
    { SidebarIconType::ZoomIn, "Zoom In" },
    { SidebarIconType::ZoomOut, "ZoomOut" },
    { SidebarIconType::Settings, "Settings" },
};
} // namespace

QString rawValue(SidebarIconType type) { return rawValueOf(sidebarTypes, type); }
std::optional<SidebarIconType> sidebarIconTypeFromRawValue(const QString& text)
{
    return caseFromRawValue(sidebarTypes, text);
}

void SidebarNavigator::changeActiveSidebar(SidebarIconType type)
{
    currentSidebar.set(type);
    highlightOnly(isActive, type);
}

bool SidebarNavigator::active(SidebarIconType type) const { return isHighlighted(isActive.get(), type); }
