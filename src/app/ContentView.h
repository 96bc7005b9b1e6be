#pragma once

#include "view/SharedObjects.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QMainWindow>

class CanvasView;
class QSplitter;

// One main window "Kestrune": the sidebar, the canvas and the details panel side by side, their
// widths taken from the primary screen's width when the window is made. Each window has its own
// details-panel navigator, shared by its canvas and its details panel.
class ContentView : public QMainWindow
{
    Q_OBJECT
public:
    // The column widths for a screen of width w: the sidebar is fixed, the canvas may grow.
    struct ColumnWidths {
        int sidebar;
        int canvasMinimum;
        int canvasIdeal;
        int canvasMaximum;
    };
    static ColumnWidths columnWidths(double screenWidth);
    // The primary screen's width, or 500 when there is no screen.
    static double screenWidth();

    explicit ContentView(SharedObjects shared, QWidget* parent = nullptr);

    FunctionalityBarNavigator& functionalityBarNavigator() { return m_functionalityBarNavigator; }
    QSplitter* columns() const { return m_columns; }
    CanvasView* canvas() const { return m_canvas; }

private:
    QWidget* makeSidebarColumn();
    QWidget* makeDetailsColumn();

    SharedObjects m_shared;
    FunctionalityBarNavigator m_functionalityBarNavigator;
    QSplitter* m_columns;
    CanvasView* m_canvas;
};
