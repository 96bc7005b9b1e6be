#pragma once

#include "model/BoundingBoxProperty.h"
#include "model/Geometry.h"
#include "view/SharedObjects.h"

#include <optional>

class QPainter;

// The two corner handles of one box: where they are, which one lies under a point, and the resize
// drag of one of them. Not a widget: the box overlay draws and hit-tests the handles of every box
// itself and makes one PointView for the drag that is running.
class PointView
{
public:
    enum class Handle { Start, End };

    static constexpr double handleSize = 10.0;

    // The handle of the box under a point of box coordinates; the end handle lies above the start one.
    static std::optional<Handle> handleAt(Point start, Point end, Point p);
    // One handle: a red disc centred on its corner.
    static void paintHandle(QPainter& painter, Point centre);

    // Starts a drag of one handle of a box of the current image. The handle positions are taken
    // from the box now and, while the drag runs, change only through the drag.
    PointView(SharedObjects shared, BoxPtr boundingBox, Handle handle);

    // Each move of the pointer (box coordinates): the corner follows it, clamped, and the box is
    // written at once. The selection is never touched.
    void dragChanged(Point location);
    void dragEnded();

    bool isDragOn() const { return m_isDragOn; }
    Point startLocRect() const { return m_startLocRect; }
    Point endLocRect() const { return m_endLocRect; }
    const BoxPtr& boundingBox() const { return m_boundingBox; }
    Handle handle() const { return m_handle; }

private:
    void writeCorner();

    SharedObjects m_shared;
    BoxPtr m_boundingBox;
    Handle m_handle;
    bool m_isDragOn = false;
    Point m_startLocRect;
    Point m_endLocRect;
};
