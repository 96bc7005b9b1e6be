#pragma once

#include "view/SharedObjects.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QMainWindow>

class CanvasView;
class FunctionalityView;
class SidebarView;
class QSplitter;

// One main window "Kestrune": the sidebar, the canvas and the details panel side by side, their
// widths taken from the primary screen's width when the window is made. Each window has its own
// details-panel navigator, shared by its canvas and its details panel.
class ContentView : public QMainWindow
{
    Q_OBJECT
public:
    // The column widths for a screen of width w: the sidebar is fixed, the canvas may grow. Where the
    // sidebar's captions need more room than w / 8 - 25, they get it; where the details column would
    // be narrower than its cards need, the canvas gives way to it.
    struct ColumnWidths {
        int sidebar;
        int canvasMinimum;
        int canvasIdeal;
        int canvasMaximum;
    };
    static ColumnWidths columnWidths(double screenWidth, int sidebarNeed = 0, int detailsNeed = 0);
    // The primary screen's width, or 500 when there is no screen.
    static double screenWidth();

    explicit ContentView(SharedObjects shared, QWidget* parent = nullptr);

    FunctionalityBarNavigator& functionalityBarNavigator() { return m_functionalityBarNavigator; }
    QSplitter* columns() const { return m_columns; }
    CanvasView* canvas() const { return m_canvas; }
    SidebarView* sidebar() const { return m_sidebar; }
    FunctionalityView* details() const { return m_details; }

private:
    QWidget* makeSidebarColumn();
    QWidget* makeDetailsColumn();

    SharedObjects m_shared;
    FunctionalityBarNavigator m_functionalityBarNavigator;
    QSplitter* m_columns;
    CanvasView* m_canvas;
    SidebarView* m_sidebar = nullptr;
    FunctionalityView* m_details = nullptr;
};
