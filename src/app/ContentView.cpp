#include "app/ContentView.h"

#include "view/canvas/CanvasView.h"
#include "view/functionality/FunctionalityView.h"
#include "view/sidebar/SidebarView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>

#include <cmath>

ContentView::ColumnWidths ContentView::columnWidths(double w, int sidebarNeed, int detailsNeed)
{
    const auto round = [](double v) { return static_cast<int>(std::lround(v)); };
    ColumnWidths widths { round(w / 8 - 25), round(w * 6 / 8), round(w * 6 / 8), round(w * 7 / 8) };
    widths.sidebar = std::max(widths.sidebar, sidebarNeed);
    if (detailsNeed > 0) {
        const int room = std::max(0, round(w) - widths.sidebar - detailsNeed);
        widths.canvasMinimum = std::min(widths.canvasMinimum, room);
        widths.canvasIdeal = std::min(widths.canvasIdeal, room);
    }
    return widths;
}

double ContentView::screenWidth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 500.0;
}

ContentView::ContentView(SharedObjects shared, QWidget* parent)
    : QMainWindow(parent)
    , m_shared(shared)
{
    setWindowTitle(QStringLiteral("Kestrune"));
    setAccessibleName(windowTitle());

    const double w = screenWidth();
    m_columns = new QSplitter(Qt::Horizontal, this);
    m_columns->setAccessibleName(QStringLiteral("Columns"));
    m_columns->setChildrenCollapsible(false);

    QWidget* sidebar = makeSidebarColumn();
    QWidget* details = makeDetailsColumn();
    const ColumnWidths widths = columnWidths(
        w, sidebar->sizeHint().width(), details->minimumSizeHint().width() + 2 * m_columns->handleWidth());
    sidebar->setFixedWidth(widths.sidebar);
    m_canvas = new CanvasView(shared, m_functionalityBarNavigator);
    m_canvas->setMinimumWidth(widths.canvasMinimum);
    m_canvas->setMaximumWidth(widths.canvasMaximum);

    m_columns->addWidget(sidebar);
    m_columns->addWidget(m_canvas);
    m_columns->addWidget(details);
    m_columns->setStretchFactor(0, 0);
    m_columns->setStretchFactor(1, 0);
    m_columns->setStretchFactor(2, 1);
    setCentralWidget(m_columns);

    const int detailsWidth = std::max(0, static_cast<int>(w) - widths.sidebar - widths.canvasIdeal);
    m_columns->setSizes({ widths.sidebar, widths.canvasIdeal, detailsWidth });
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(static_cast<int>(w), screen ? screen->availableGeometry().height() : 500);
}

QWidget* ContentView::makeSidebarColumn()
{
    m_sidebar = new SidebarView(m_shared);
    m_sidebar->setObjectName(QStringLiteral("sidebar"));
    return m_sidebar;
}

QWidget* ContentView::makeDetailsColumn()
{
    m_details = new FunctionalityView(m_shared, m_functionalityBarNavigator);
    m_details->setObjectName(QStringLiteral("details"));
    return m_details;
}
