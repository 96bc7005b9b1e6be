#pragma once

#include "model/ObservableObject.h"

#include <QString>

#include <map>
#include <optional>

enum class SidebarIconType {
    New,
    OpenRecent,
    DrawRectangle,
    MoveRectangle,
    SaveJSON,
    SaveCSV,
    ZoomIn,
    ZoomOut,
    Settings
};

QString rawValue(SidebarIconType type);
std::optional<SidebarIconType> sidebarIconTypeFromRawValue(const QString& text);

// Which sidebar entry was chosen last and which of the two mode entries is highlighted.
class SidebarNavigator : public ObservableObject
{
    Q_OBJECT
public:
    explicit SidebarNavigator(QObject* parent = nullptr)
        : ObservableObject(parent)
    {
    }

    Published<SidebarIconType> currentSidebar { this, SidebarIconType::New };
    Published<std::map<SidebarIconType, bool>> isActive { this,
        { { SidebarIconType::DrawRectangle, false }, { SidebarIconType::MoveRectangle, false } } };

    void changeActiveSidebar(SidebarIconType type);
    // A type without an entry counts as not highlighted.
    bool active(SidebarIconType type) const;
};
