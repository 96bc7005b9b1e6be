#include "view/sidebar/SidebarView.h"

#include "model/Palette.h"
#include "view/ZoomStep.h"
#include "view/canvas/CanvasView.h"
#include "view/sidebar/SavePopover.h"
#include "view/sidebar/SettingsPopover.h"
#include "view/sidebar/SidebarIcon.h"

#include <QFrame>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
constexpr int sectionSpacing = 20;

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
} // namespace

SidebarView::SidebarView(SharedObjects shared, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
{
    setAccessibleName(QStringLiteral("Sidebar"));
    SidebarIcon* newImage = makeIcon(QStringLiteral("New Image"), QStringLiteral("photo.fill"), SidebarIconType::New,
        Palette::blue, QStringLiteral("Click here to add one or multiple new images"), [this] { this->newImage(); });
    SidebarIcon* draw
        = makeIcon(QStringLiteral("Draw Rectangle"), QStringLiteral("rectangle"), SidebarIconType::DrawRectangle,
            Palette::purple, QStringLiteral("Click here to enter into draw mode to draw bounding boxs on the image"),
            [this] { setCursorMode(CursorMode::dragToDrawRectangle); });
    SidebarIcon* move
        = makeIcon(QStringLiteral("Move Image"), QStringLiteral("cursorarrow"), SidebarIconType::MoveRectangle,
            Palette::brown, QStringLiteral("Click here to enter into image mode to move image along the canvas"),
            [this] { setCursorMode(CursorMode::dragToMoveImage); });
    SidebarIcon* save = makeIcon(QStringLiteral("Save"), QStringLiteral("externaldrive.fill"),
        SidebarIconType::SaveJSON, Palette::indigo, QString(), [this] { m_savePopover->toggle(); });
    SidebarIcon* zoomIn = makeIcon(QStringLiteral("Zoom In"), QStringLiteral("plus.magnifyingglass"),
        SidebarIconType::ZoomIn, Palette::blue, QStringLiteral("Upscales the image"), [this] { zoom(ImageManager::zoomInFactor); });
    SidebarIcon* zoomOut
        = makeIcon(QStringLiteral("Zoom Out"), QStringLiteral("minus.magnifyingglass"), SidebarIconType::ZoomOut,
            Palette::blue, QStringLiteral("Downscales the image"), [this] { zoom(ImageManager::zoomOutFactor); });
    SidebarIcon* settings = makeIcon(QStringLiteral("Settings"), QStringLiteral("gear"), SidebarIconType::Settings,
        Palette::pink, QString(), [this] { m_settingsPopover->toggle(); });
    m_savePopover = new SavePopover(shared, save);
    m_settingsPopover = new SettingsPopover(shared, settings);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(sectionSpacing);
    layout->setContentsMargins(0, 0, 0, layout->contentsMargins().bottom());
    layout->addWidget(divider());
    layout->addWidget(section({ newImage }));
    layout->addWidget(divider());
    layout->addWidget(section({ draw, move }));
    // Everything below stays at the bottom of the column.
    layout->addStretch(1);
    layout->addWidget(divider());
    layout->addWidget(section({ save }));
    layout->addWidget(divider());
    layout->addWidget(section({ zoomIn, zoomOut }));
    layout->addWidget(divider());
    layout->addWidget(section({ settings }));

    connect(&m_shared.imageManager, &ObservableObject::changed, this, &SidebarView::refresh);
    refresh();
}

SidebarIcon* SidebarView::makeIcon(const QString& title, const QString& symbol, SidebarIconType type,
    const QColor& color, const QString& help, std::function<void()> action)
{
    auto* icon = new SidebarIcon(m_sidebarNavigator, title, symbol, type, color, std::move(action));
    if (!help.isEmpty())
        icon->setToolTip(help);
    m_icons[type] = icon;
    return icon;
}

QWidget* SidebarView::section(std::initializer_list<SidebarIcon*> icons)
{
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    // The leading padding lies inside each entry (SidebarIcon::leadingInset).
    layout->setContentsMargins(0, 0, 0, 0);
    for (SidebarIcon* icon : icons)
        layout->addWidget(icon, 0, Qt::AlignLeft);
    return widget;
}

SidebarIcon* SidebarView::icon(SidebarIconType type) const
{
    const auto it = m_icons.find(type);
    return it == m_icons.end() ? nullptr : it->second;
}

void SidebarView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    // After the first paint, so a slow interpreter start does not hold up the window.
    QTimer::singleShot(0, m_settingsPopover, &SettingsPopover::readInterpreter);
}

void SidebarView::refresh()
{
    const bool anyImage = !m_shared.imageManager.allImages.get().empty();
    icon(SidebarIconType::ZoomIn)->setEnabled(anyImage);
    icon(SidebarIconType::ZoomOut)->setEnabled(anyImage);
}

void SidebarView::newImage() { CanvasView::addImages(m_shared); }

void SidebarView::setCursorMode(CursorMode mode)
{
    if (m_shared.cursorManager.currentCursorMode.get() != mode)
        m_shared.cursorManager.currentCursorMode.set(mode);
}

void SidebarView::zoom(double factor)
{
    ZoomTransition::instance().animatedZoomStep(m_shared.imageManager, factor);
}
