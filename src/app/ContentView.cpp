#include "app/ContentView.h"

#include "view/canvas/CanvasView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>

#include <cmath>

ContentView::ColumnWidths ContentView::columnWidths(double w)
{
    const auto round = [](double v) { return static_cast<int>(std::lround(v)); };
    return { round(w / 8 - 25), round(w * 6 / 8), round(w * 6 / 8), round(w * 7 / 8) };
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
    const ColumnWidths widths = columnWidths(w);

    m_columns = new QSplitter(Qt::Horizontal, this);
    m_columns->setAccessibleName(QStringLiteral("Columns"));
    m_columns->setChildrenCollapsible(false);

    QWidget* sidebar = makeSidebarColumn();
    sidebar->setFixedWidth(widths.sidebar);
    m_canvas = new CanvasView(shared, m_functionalityBarNavigator);
    m_canvas->setMinimumWidth(widths.canvasMinimum);
    m_canvas->setMaximumWidth(widths.canvasMaximum);
    QWidget* details = makeDetailsColumn();

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
    auto* sidebar = new QWidget;
    sidebar->setObjectName(QStringLiteral("sidebar"));
    sidebar->setAccessibleName(QStringLiteral("Sidebar"));
    return sidebar;
}

QWidget* ContentView::makeDetailsColumn()
{
    auto* details = new QWidget;
    details->setObjectName(QStringLiteral("details"));
    details->setAccessibleName(QStringLiteral("Details"));
    return details;
}
