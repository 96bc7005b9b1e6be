#include "view/canvas/CanvasView.h"

#include "model/Palette.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/CurrentImage.h"
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
    connect(&m_shared.imageManager, &ObservableObject::changed, this, &CanvasView::refresh);
    refresh();

    m_tabStripSlot->layout()->addWidget(new ImageTabStrip(shared, *this));
    m_matchControlsSlot->layout()->addWidget(new MatchControls(shared, *this));
    m_navigationSlot->layout()->addWidget(new ImageNavigation(shared, *this));
    // Pinches and Ctrl + wheel over the image area, boxes included, zoom the current image.
    auto* pinchZoom = new PinchZoom(shared, this);
    pinchZoom->watch(m_display);
    pinchZoom->watch(m_display->boxView());
}

BoxView* CanvasView::boxView() const { return m_display->boxView(); }

int CanvasView::addImages(SharedObjects shared)
{
    const std::int64_t before = shared.imageManager.imageCount();
    shared.imageManager.imageOpener();
    const std::int64_t added = shared.imageManager.imageCount() - before;
    if (added > 0)
        shared.boundingBoxManager.allBoundingBoxes.modify(
            [added](auto& lists) { lists.resize(lists.size() + static_cast<size_t>(added)); });
    return static_cast<int>(added);
}

void CanvasView::deleteCurrentImage()
{
    ImageManager& images = m_shared.imageManager;
    if (!images.hasCurrentImage())
        return;
    // The box list goes first, so every remaining image keeps its own list at its index.
    m_shared.boundingBoxManager.deleteBoxForImage(images.currentImageIndex);
    images.deleteCurrentImage();
    setTextFieldText(QString::number(images.currentImageIndex.get()));
}

void CanvasView::setTextFieldText(const QString& text)
{
    if (text == m_textFieldText)
        return;
    m_textFieldText = text;
    emit indexTextsChanged();
}

void CanvasView::setPrevTextFieldText(const QString& text)
{
    if (text == m_prevTextFieldText)
        return;
    m_prevTextFieldText = text;
    emit indexTextsChanged();
}

void CanvasView::refreshIndexTexts()
{
    setTextFieldText(QString::number(m_shared.imageManager.currentImageIndex.get() + 1));
    setPrevTextFieldText(m_textFieldText);
}

void CanvasView::setMatchClicked(bool clicked)
{
    if (clicked == m_isMatchClicked)
        return;
    m_isMatchClicked = clicked;
    emit matchClickedChanged(clicked);
}

void CanvasView::refresh()
{
    const ImageManager& images = m_shared.imageManager;
    const std::int64_t count = images.imageCount();
    const std::int64_t index = images.currentImageIndex;
    const auto current = currentImage(images);
    const QString imageId = current ? current->image->id() : QString();
    const double zoom = current ? current->zoom : 0;

    if (count != m_lastCount && count > 0)
        refreshIndexTexts();
    // An image that moves into the current index by a deletion is a new current image too.
    const bool imageChanged = index != m_lastIndex || imageId != m_lastImageId;
    if (imageChanged)
        setMatchClicked(false);

    if (current) {
        ImageProperty& image = *current->image;
        const bool appeared = m_lastCount < 1;
        if (appeared)
            image.geometrySize = { double(m_display->width()), double(m_display->height()) };
        // The displayed size is the pixel size times the zoom, whatever changed.
        if (appeared || imageChanged || zoom != m_lastZoom) {
            image.scaledWidth = image.originalWidth * zoom;
            image.scaledHeight = image.originalHeight * zoom;
        }
    }

    m_lastCount = count;
    m_lastIndex = index;
    m_lastImageId = imageId;
    m_lastZoom = zoom;
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
        m_shared.boundingBoxManager.currentSelectedBoxColor.set(Palette::green);
    event->accept();
}
