#pragma once

#include "view/SharedObjects.h"
#include "viewmodel/SidebarNavigator.h"

#include <QWidget>

#include <map>

class SavePopover;
class SettingsPopover;
class SidebarIcon;

// The left column of a main window: adding images, the two canvas modes, and at the bottom saving,
// zoom and the Python settings. Each sidebar has its own navigator, which highlights the active
// mode entry.
class SidebarView : public QWidget
{
    Q_OBJECT
public:
    explicit SidebarView(SharedObjects shared, QWidget* parent = nullptr);

    SidebarNavigator& sidebarNavigator() { return m_sidebarNavigator; }
    SidebarIcon* icon(SidebarIconType type) const;
    SavePopover* savePopover() const { return m_savePopover; }
    SettingsPopover* settingsPopover() const { return m_settingsPopover; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* section(std::initializer_list<SidebarIcon*> icons);
    SidebarIcon* makeIcon(const QString& title, const QString& symbol, SidebarIconType type, const QColor& color,
        const QString& help, std::function<void()> action);
    void newImage();
    void setCursorMode(CursorMode mode);
    void zoom(double factor);
    void refresh();

    SharedObjects m_shared;
    SidebarNavigator m_sidebarNavigator;
    std::map<SidebarIconType, SidebarIcon*> m_icons;
    SavePopover* m_savePopover;
    SettingsPopover* m_settingsPopover;
    bool m_appeared = false;
};
