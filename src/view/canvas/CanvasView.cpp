#include "view/canvas/CanvasView.h"

#include "view/canvas/BoxView.h"
#include "view/canvas/CanvasState.h"
#include "view/canvas/DisplayImageView.h"
#include "view/canvas/Drawing.h"
#include "view/canvas/ImageNavigation.h"
#include "view/canvas/ImageTabStrip.h"
#include "view/canvas/MatchControls.h"
#include "view/canvas/PinchZoom.h"

#include <QHBoxLayout>
#include <QLineF>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace
{
QWidget* makeSlot(QWidget* parent, const QString& name, const QMargins& margins)
{
    auto* slot = new QWidget(parent);
    slot->setObjectName(name);
    slot->setAccessibleName(name);
    auto* layout = new QHBoxLayout(slot);
    layout->setContentsMargins(margins);
    return slot;
}
} // namespace

CanvasView::CanvasView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
    , m_state(new CanvasState(shared.imageManager, this))
{
    setAccessibleName(QStringLiteral("Canvas column"));

    m_tabStripSlot = makeSlot(this, QStringLiteral("Tab strip"), {});
    m_display = new DisplayImageView(shared, navigator, this);
    // The matching controls sit 20 points above the window's bottom edge, 5 from their neighbours;
    // the navigation keeps the default margin at its trailing end.
    m_matchControlsSlot = makeSlot(this, QStringLiteral("Match controls"), { 5, 5, 5, 20 });
    m_navigationSlot = makeSlot(this, QStringLiteral("Image navigation"), { 0, 5, 16, 20 });

    auto* bottomBar = new QHBoxLayout;
    bottomBar->setContentsMargins({});
    bottomBar->addWidget(m_matchControlsSlot);
    bottomBar->addStretch(1);
    bottomBar->addWidget(m_navigationSlot);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins({});
    column->addWidget(m_tabStripSlot);
    column->addWidget(m_display, 1);
    column->addLayout(bottomBar);

    connect(m_display, &DisplayImageView::addImagesRequested, this, [this] { addImages(m_shared); });
    connect(m_display, &DisplayImageView::deleteImageRequested, this, &CanvasView::deleteCurrentImage);

    m_tabStripSlot->layout()->addWidget(new ImageTabStrip(shared));
    m_matchControlsSlot->layout()->addWidget(new MatchControls(shared, *m_state));
    m_navigationSlot->layout()->addWidget(new ImageNavigation(shared, *m_state));
    // Pinches and Ctrl + wheel over the image area, boxes included, zoom the current image.
    auto* pinchZoom = new PinchZoom(shared, this);
    pinchZoom->watch(m_display);
    pinchZoom->watch(m_display->boxView());
}

BoxView* CanvasView::boxView() const { return m_display->boxView(); }

int CanvasView::addImages(SharedObjects shared) { return shared.imageManager.openImages(); }

void CanvasView::deleteCurrentImage()
{
    ImageManager& images = m_shared.imageManager;
    if (!images.hasCurrentImage())
        return;
    images.removeCurrentImage();
}

void CanvasView::mousePressEvent(QMouseEvent* event)
{
    m_pressLocation = event->position();
    event->accept();
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    // A click that no control took: the selection keeps its box but loses its colour.
    if (event->button() == Qt::LeftButton && QLineF(m_pressLocation, event->position()).length() < dragMinimumDistance)
        m_shared.boundingBoxManager.dimSelection();
    event->accept();
}
