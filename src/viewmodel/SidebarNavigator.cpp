#include "viewmodel/SidebarNavigator.h"

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
    std::vector<SidebarIconType> keys;
    for (const auto& [key, value] : isActive.get())
        keys.push_back(key);
    for (SidebarIconType key : keys)
        isActive.modify([&](auto& map) { map[key] = key == type; });
}

bool SidebarNavigator::active(SidebarIconType type) const
{
    const auto it = isActive.get().find(type);
    return it != isActive.get().end() && it->second;
}
