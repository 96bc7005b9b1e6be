#include "app/MenuCommands.h"


#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace
{
QAction* addCommand(QMenu* menu, const QString& title, const QList<QKeySequence>& keys)
{
    QAction* action = menu->addAction(title);
    action->setShortcuts(keys);
    return action;
}
} // namespace

MenuCommands::MenuCommands(
    QMenuBar& menuBar, SharedObjects shared, std::function<void()> newWindow, QWidget* sidebar, QObject* parent)
    : QObject(parent)
    , m_shared(shared)
    , m_sidebarWidget(sidebar)
{
    m_fileMenu = menuBar.addMenu(tr("&File"));
    m_newWindow = addCommand(m_fileMenu, QStringLiteral("New Window"), { QKeySequence(Qt::CTRL | Qt::Key_N) });
    connect(m_newWindow, &QAction::triggered, this, [newWindow = std::move(newWindow)] {
        if (newWindow)
            newWindow();
    });
    m_fileMenu->addSeparator();
    QAction* quit = addCommand(m_fileMenu, tr("Quit"), QKeySequence::keyBindings(QKeySequence::Quit));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_editMenu = menuBar.addMenu(tr("&Edit"));
    m_undoDelete = addCommand(m_editMenu, QStringLiteral("Undo Delete"), { QKeySequence(Qt::CTRL | Qt::Key_Z) });
    m_delete = addCommand(m_editMenu, QStringLiteral("Delete"), { QKeySequence(Qt::Key_Delete) });
    m_editMenu->addSeparator();
    m_copy = addCommand(m_editMenu, QStringLiteral("Copy"), { QKeySequence(Qt::CTRL | Qt::Key_C) });
    m_paste = addCommand(m_editMenu, QStringLiteral("Paste"), { QKeySequence(Qt::CTRL | Qt::Key_V) });
    // Ctrl+= is the same key as Ctrl++ without Shift on most layouts.
    m_zoomIn = addCommand(m_editMenu, QStringLiteral("Zoom In"),
        { QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) });
    m_zoomOut = addCommand(m_editMenu, QStringLiteral("Zoom Out"), { QKeySequence(Qt::CTRL | Qt::Key_Minus) });
    connect(m_undoDelete, &QAction::triggered, this, &MenuCommands::undoDelete);
    connect(m_delete, &QAction::triggered, this, &MenuCommands::deleteSelectedBox);
    connect(m_copy, &QAction::triggered, this, &MenuCommands::copy);
    connect(m_paste, &QAction::triggered, this, &MenuCommands::paste);
    connect(m_zoomIn, &QAction::triggered, this, &MenuCommands::zoomIn);
    connect(m_zoomOut, &QAction::triggered, this, &MenuCommands::zoomOut);

    m_viewMenu = menuBar.addMenu(tr("&View"));
    m_sidebar
        = addCommand(m_viewMenu, QStringLiteral("Hide Sidebar"), { QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S) });
    m_sidebar->setEnabled(m_sidebarWidget != nullptr);
    connect(m_sidebar, &QAction::triggered, this, &MenuCommands::toggleSidebar);

    connect(&m_shared.boundingBoxManager, &BoundingBoxManager::commandsChanged, this, &MenuCommands::refresh);
    connect(&m_shared.boundingBoxManager, &BoundingBoxManager::selectionChanged, this, &MenuCommands::refresh);
    connect(&m_shared.imageManager, &ImageManager::imagesChanged, this, &MenuCommands::refresh);
    // The states follow the managers' signals; a menu that opens reads them again all the same.
    for (QMenu* menu : { m_editMenu, m_viewMenu })
        connect(menu, &QMenu::aboutToShow, this, &MenuCommands::refresh);
    refresh();
}

MenuCommands* MenuCommands::install(
    QMainWindow& window, SharedObjects shared, std::function<void()> newWindow, QWidget* sidebar)
{
    return new MenuCommands(*window.menuBar(), shared, std::move(newWindow), sidebar, &window);
}

void MenuCommands::refresh()
{
    const BoundingBoxManager& boxes = m_shared.boundingBoxManager;
    const bool selected = boxes.currentSelectedBox.get() != nullptr;
    m_delete->setEnabled(selected);
    m_copy->setEnabled(selected);
    m_paste->setEnabled(boxes.currentCopySelectedBox.get() != nullptr);
    const bool anyImage = !m_shared.imageManager.allImages.get().empty();
    m_zoomIn->setEnabled(anyImage);
    m_zoomOut->setEnabled(anyImage);
    if (m_sidebarWidget)
        m_sidebar->setText(
            m_sidebarWidget->isHidden() ? QStringLiteral("Show Sidebar") : QStringLiteral("Hide Sidebar"));
}

void MenuCommands::undoDelete()
{
    ImageManager& images = m_shared.imageManager;
    if (const auto image = m_shared.boundingBoxManager.undoDelete(images.imageCount()))
        images.showImage(*image);
}

void MenuCommands::deleteSelectedBox()
{
    m_shared.boundingBoxManager.deleteSelection(m_shared.imageManager.currentImageIndex);
}

void MenuCommands::copy() { m_shared.boundingBoxManager.copySelection(); }

void MenuCommands::paste()
{
    ImageManager& images = m_shared.imageManager;
    // With no image open the buffer stays filled and nothing is pasted.
    if (images.hasCurrentImage())
        m_shared.boundingBoxManager.paste(images.currentImageIndex, images.currentZoom());
}

void MenuCommands::zoomIn() { m_shared.imageManager.zoomStep(ImageManager::zoomInFactor); }

void MenuCommands::zoomOut() { m_shared.imageManager.zoomStep(ImageManager::zoomOutFactor); }

void MenuCommands::toggleSidebar()
{
    if (!m_sidebarWidget)
        return;
    m_sidebarWidget->setVisible(m_sidebarWidget->isHidden());
    refresh();
}
