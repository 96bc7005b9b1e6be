#pragma once

#include "view/SharedObjects.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;

// The menu bar of one main window: "New Window" and quit, the six box and zoom commands of the
// Edit menu (in place of the usual undo and clipboard items) and the sidebar toggle. Every window
// has its own; all work on the shared objects.
class MenuCommands : public QObject
{
    Q_OBJECT
public:
    MenuCommands(QMenuBar& menuBar, SharedObjects shared, std::function<void()> newWindow, QWidget* sidebar,
        QObject* parent = nullptr);

    // Installs the menus on the window's own menu bar; the window owns the result.
    static MenuCommands* install(
        QMainWindow& window, SharedObjects shared, std::function<void()> newWindow, QWidget* sidebar);

    void undoDelete();
    void deleteSelectedBox();
    void copy();
    void paste();
    void zoomIn();
    void zoomOut();
    void toggleSidebar();

    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* editMenu() const { return m_editMenu; }
    QMenu* viewMenu() const { return m_viewMenu; }
    QAction* undoDeleteAction() const { return m_undoDelete; }
    QAction* deleteAction() const { return m_delete; }
    QAction* copyAction() const { return m_copy; }
    QAction* pasteAction() const { return m_paste; }
    QAction* zoomInAction() const { return m_zoomIn; }
    QAction* zoomOutAction() const { return m_zoomOut; }
    QAction* newWindowAction() const { return m_newWindow; }
    QAction* sidebarAction() const { return m_sidebar; }

private:
    void refresh();

    SharedObjects m_shared;
    QPointer<QWidget> m_sidebarWidget;
    QMenu* m_fileMenu;
    QMenu* m_editMenu;
    QMenu* m_viewMenu;
    QAction* m_newWindow;
    QAction* m_undoDelete;
    QAction* m_delete;
    QAction* m_copy;
    QAction* m_paste;
    QAction* m_zoomIn;
    QAction* m_zoomOut;
    QAction* m_sidebar;
};
