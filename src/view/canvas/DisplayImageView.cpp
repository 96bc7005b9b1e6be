#include "view/canvas/DisplayImageView.h"

#include "model/BoundingBoxProperty.h"
#include "model/Palette.h"
#include "view/ZoomStep.h"
#include "view/canvas/AddImagePrompt.h"
#include "view/canvas/BoxView.h"
#include "view/canvas/CurrentImage.h"
#include "view/canvas/Drawing.h"
#include "view/modifiers/Symbols.h"

#include <QContextMenuEvent>
#include <QLineF>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <functional>
#include <memory>

namespace
{
constexpr double cornerRadius = 10;
constexpr double previewLineWidth = 3.0;
constexpr double previewDash = 5.0;

// A see-through layer that paints with its owner's function and lets every mouse event pass.
class PaintLayer : public QWidget
{
public:
    PaintLayer(QWidget* parent, std::function<void(QPainter&)> paint)
        : QWidget(parent)
        , m_paint(std::move(paint))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_paint(painter);
    }

private:
    std::function<void(QPainter&)> m_paint;
};

// The part of a picture that fills a frame of the given size, centred, as "scaled to fill" crops it.
QRectF fillingSource(const QSizeF& picture, const QSizeF& frame)
{
    const double k = std::max(frame.width() / picture.width(), frame.height() / picture.height());
    const QSizeF used(frame.width() / k, frame.height() / k);
    return { (picture.width() - used.width()) / 2, (picture.height() - used.height()) / 2, used.width(),
        used.height() };
}

Point toPoint(QPointF p) { return { p.x(), p.y() }; }
} // namespace

DisplayImageView::DisplayImageView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
{
    setAccessibleName(QStringLiteral("Canvas"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_boxView = new BoxView(shared, navigator, this);
    m_previewLayer = new PaintLayer(this, [this](QPainter& painter) { paintPreview(painter); });
    m_previewLayer->setAccessibleName(QStringLiteral("Drawing preview"));
    m_prompt = new AddImagePrompt(this);
    connect(m_prompt, &QAbstractButton::clicked, this, &DisplayImageView::addImagesRequested);

    connect(&m_shared.imageManager, &ObservableObject::changed, this, &DisplayImageView::refresh);
    // A pan or zoom of the shown image is followed at once, not on the next pass.
    connect(&m_shared.imageManager, &ImageManager::imageViewChanged, this, &DisplayImageView::refresh);
    connect(&m_shared.cursorManager, &ObservableObject::changed, m_previewLayer, qOverload<>(&QWidget::update));
    connect(&ZoomTransition::instance(), &ZoomTransition::displayFactorChanged, this, qOverload<>(&QWidget::update));
    refresh();
}

QRectF DisplayImageView::imageRect() const
{
    const auto current = currentImage(m_shared.imageManager);
    if (!current)
        return {};
    return { current->start.x, current->start.y, current->image->originalWidth * current->zoom,
        current->image->originalHeight * current->zoom };
}

void DisplayImageView::refresh()
{
    placeLayers();
    update();
}

void DisplayImageView::placeLayers()
{
    // The box layer lies over the whole area with its origin on the image's top-left corner; the
    // preview lies over the boxes, and the prompt, when shown, over everything.
    m_boxView->setGeometry(rect());
    const auto current = currentImage(m_shared.imageManager);
    m_boxView->setImageOrigin(current ? QPointF(current->start.x, current->start.y) : QPointF());
    m_previewLayer->setGeometry(rect());
    m_previewLayer->raise();
    m_prompt->setGeometry(rect());
    const bool empty = m_shared.imageManager.imageCount() == 0;
    m_prompt->setVisible(empty);
    // The drawn copy is kept while images are open (it follows the picture by its cache key), so a pan
    // or zoom does not convert a large picture again; with none left it goes.
    if (empty) {
        m_prompt->raise();
        m_displayImage = {};
    }
}

void DisplayImageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeLayers();
}

const QImage& DisplayImageView::displayImage(const QImage& picture)
{
    if (picture.cacheKey() != m_displayKey || m_displayImage.isNull()) {
        m_displayKey = picture.cacheKey();
        const auto format = picture.format();
        // A grey picture is drawn as it is: a colour copy of a large one would take four times its memory.
        if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
            || format == QImage::Format_Grayscale8)
            m_displayImage = picture;
        else
            m_displayImage = picture.convertToFormat(
                picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    return m_displayImage;
}

void DisplayImageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRectF area = rect();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 26));
    painter.drawRoundedRect(area, cornerRadius, cornerRadius);
    paintImage(painter, QRectF(event->rect()) & area);
}

void DisplayImageView::paintImage(QPainter& painter, const QRectF& exposed)
{
    const auto current = currentImage(m_shared.imageManager);
    if (!current)
        return;
    const ImageProperty& image = *current->image;
    // While the sidebar's zoom step eases in, the picture grows or shrinks about its top-left corner
    // from its old size.
    const double transition = ZoomTransition::instance().displayFactor();
    QRectF target = imageRect();
    target.setSize(target.size() * transition);
    if (image.imageNS.isNull() || image.originalWidth <= 0 || image.originalHeight <= 0) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter,
            QStringLiteral("The picture of %1 could not be read%2.")
                .arg(image.getImageName(), image.readError.isEmpty() ? QString() : ": " + image.readError));
        return;
    }
    const QRectF visible = target & exposed;
    if (visible.isEmpty())
        return;

    // Only the visible part is scaled, so panning a large picture costs what the window shows.
    const QImage& picture = displayImage(image.imageNS);
    const QRectF frame = fillingSource(QSizeF(picture.size()), QSizeF(image.originalWidth, image.originalHeight));
    const double kx = frame.width() / target.width();
    const double ky = frame.height() / target.height();
    const QRectF source(frame.x() + (visible.x() - target.x()) * kx, frame.y() + (visible.y() - target.y()) * ky,
        visible.width() * kx, visible.height() * ky);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, current->zoom * transition != 1.0);
    painter.drawImage(visible, picture, source);

    // The ground's rounded corners stay rounded under the picture.
    const QRectF area = rect();
    QPainterPath corners;
    corners.addRect(area);
    QPainterPath rounded;
    rounded.addRoundedRect(area, cornerRadius, cornerRadius);
    painter.fillPath(corners.subtracted(rounded), palette().color(backgroundRole()));
}

void DisplayImageView::paintPreview(QPainter& painter) const
{
    if (!m_isDragOn || m_shared.cursorManager.currentCursorMode.get() != CursorMode::dragToDrawRectangle)
        return;
    drawRectangle(
        painter, m_startLocRect, m_endLocRect, Palette::green, defaultBoxFill(), previewLineWidth, { previewDash });
}

void DisplayImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !currentImage(m_shared.imageManager)) {
        event->ignore();
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressLocation = event->position();
    m_lastLocation = m_pressLocation;
    event->accept();
}

void DisplayImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed) {
        event->ignore();
        return;
    }
    follow(event->position());
    event->accept();
}

void DisplayImageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressed || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // The release point counts as the drag's last move, so the image's position and its pan never
    // disagree.
    follow(event->position());
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        dragEnded();
    } else {
        tapped(event->position());
    }
    event->accept();
}

void DisplayImageView::follow(QPointF location)
{
    if (!m_dragging && QLineF(m_pressLocation, location).length() < dragMinimumDistance)
        return;
    m_dragging = true;
    m_lastLocation = location;
    dragChanged(location);
}

void DisplayImageView::dragChanged(QPointF location)
{
    const CursorMode mode = m_shared.cursorManager.currentCursorMode;
    if (mode == CursorMode::dragToMoveImage) {
        if (!m_startLocation)
            if (const auto current = currentImage(m_shared.imageManager))
                m_startLocation = current->start;
        getNewLocationImage(location - m_pressLocation);
    } else if (mode == CursorMode::dragToDrawRectangle) {
        m_startLocation.reset();
        m_isDragOn = true;
        m_startLocRect = toPoint(m_pressLocation);
        m_endLocRect = { std::max(m_startLocRect.x, location.x()), std::max(m_startLocRect.y, location.y()) };
        m_previewLayer->update();
    } else {
        m_startLocation.reset();
    }
}

void DisplayImageView::getNewLocationImage(QPointF translation)
{
    const auto current = currentImage(m_shared.imageManager);
    if (!current || !m_startLocation)
        return;
    const Point moved { m_startLocation->x + translation.x(), m_startLocation->y + translation.y() };
    m_shared.imageManager.panTo(moved);
}

void DisplayImageView::dragEnded()
{
    const CursorMode mode = m_shared.cursorManager.currentCursorMode;
    const QPointF translation = m_lastLocation - m_pressLocation;
    if (mode == CursorMode::dragToMoveImage && m_startLocation) {
        m_shared.imageManager.endPan(Size { translation.x(), translation.y() });
    } else if (mode == CursorMode::dragToDrawRectangle && m_isDragOn) {
        endDrawing();
    }
    m_startLocation.reset();
}

void DisplayImageView::endDrawing()
{
    m_isDragOn = false;
    m_previewLayer->update();
    const auto current = currentImage(m_shared.imageManager);
    if (!current)
        return;

    // From canvas points to displayed image coordinates. Both corners are kept inside the displayed
    // image, so a drag that starts beside the picture never gives corners outside it.
    const double w = current->image->scaledWidth;
    const double h = current->image->scaledHeight;
    const auto inside = [w, h](Point p) {
        return Point { std::clamp(p.x, 0.0, std::max(w, 0.0)), std::clamp(p.y, 0.0, std::max(h, 0.0)) };
    };
    m_startLocRect = inside({ m_startLocRect.x - current->offset.width, m_startLocRect.y - current->offset.height });
    m_endLocRect = inside({ m_endLocRect.x - current->offset.width, m_endLocRect.y - current->offset.height });

    const auto box = std::make_shared<BoundingBoxProperty>(
        m_startLocRect, m_endLocRect, m_boundingBoxClassLabel, 1.0, current->zoom, true, true);
    // The editor for its label opens in this window only.
    m_shared.boundingBoxManager.addDrawnBox(box, static_cast<std::int64_t>(current->index), boxView());
}

void DisplayImageView::tapped(QPointF location)
{
    if (imageRect().contains(location))
        m_shared.boundingBoxManager.clearSelection();
    else
        m_shared.boundingBoxManager.dimSelection();
}

void DisplayImageView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!imageRect().contains(event->pos())) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.setAccessibleName(QStringLiteral("Image menu"));
    QAction* add = menu.addAction(symbolIcon(QStringLiteral("photo")), QStringLiteral("Add Image"));
    QAction* remove = menu.addAction(symbolIcon(QStringLiteral("xmark.bin")), QStringLiteral("Delete Image"));
    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen == add)
        emit addImagesRequested();
    else if (chosen == remove)
        emit deleteImageRequested();
}
