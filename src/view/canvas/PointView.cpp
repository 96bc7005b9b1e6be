#include "view/canvas/PointView.h"

#include "model/Palette.h"

#include <QPainter>

#include <algorithm>

namespace
{
bool within(Point centre, Point p)
{
    const double dx = p.x - centre.x;
    const double dy = p.y - centre.y;
    const double r = PointView::handleSize / 2;
    return dx * dx + dy * dy <= r * r;
}
} // namespace

std::optional<PointView::Handle> PointView::handleAt(Point start, Point end, Point p)
{
    if (within(end, p))
        return Handle::End;
    if (within(start, p))
        return Handle::Start;
    return std::nullopt;
}

void PointView::paintHandle(QPainter& painter, Point centre)
{
    const double r = handleSize / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::red);
    painter.drawEllipse(QPointF(centre.x, centre.y), r, r);
}

PointView::PointView(SharedObjects shared, BoxPtr boundingBox, Handle handle)
    : m_shared(shared)
    , m_boundingBox(std::move(boundingBox))
    , m_handle(handle)
{
    if (m_boundingBox) {
        m_startLocRect = m_boundingBox->startLocation();
        m_endLocRect = m_boundingBox->endLocation();
    }
}

// Upper bounds are applied last, so they win where the bounds cross.
void PointView::dragChanged(Point location)
{
    m_isDragOn = true;
    if (m_handle == Handle::Start) {
        m_startLocRect = { std::min(m_endLocRect.x, std::max(0.0, location.x)),
            std::min(m_endLocRect.y, std::max(0.0, location.y)) };
    } else {
        const ImagePtr image = m_shared.imageManager.currentImage();
        const double w = image ? image->scaledWidth : 0;
        const double h = image ? image->scaledHeight : 0;
        m_endLocRect = { std::min(w, std::max(m_startLocRect.x, location.x)),
            std::min(h, std::max(m_startLocRect.y, location.y)) };
    }
    writeCorner();
}

void PointView::dragEnded()
{
    m_isDragOn = false;
    writeCorner();
}

// A box no longer in the current image's list is left alone.
void PointView::writeCorner()
{
    const bool start = m_handle == Handle::Start;
    m_shared.boundingBoxManager.setCorner(m_boundingBox, m_shared.imageManager.currentImageIndex,
        start ? BoxCorner::Start : BoxCorner::End, start ? m_startLocRect : m_endLocRect);
}
