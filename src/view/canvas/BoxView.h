#pragma once

#include "model/BoundingBoxProperty.h"
#include "view/SharedObjects.h"
#include "view/canvas/BoxInfoField.h"
#include "view/canvas/BoxSprites.h"
#include "view/canvas/PointView.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <optional>
#include <vector>

class FunctionalityBarNavigator;

// The layer over the canvas image that shows and handles the boxes of the current image. It covers
// the whole canvas area; displayed box coordinates are measured from the image origin set by the
// canvas. One widget paints and hit-tests every box (images may hold thousands). A press that hits
// no box is ignored, so the canvas under it (its parent) receives it.
class BoxView : public QWidget
{
    Q_OBJECT
public:
    static constexpr double dragThreshold = 10.0;

    BoxView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent = nullptr);
    ~BoxView() override;

    void setImageOrigin(QPointF origin);
    QPointF imageOrigin() const { return m_origin; }

    // The editor window this overlay opened last, while it is open.
    BoxInfoField* editorWindow() const { return m_window; }

    // The tooltip of a box: its label and its corners in image pixels.
    static QString tooltipText(const BoundingBoxProperty& box);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Hit {
        BoxPtr box;
        std::optional<PointView::Handle> handle;
    };
    struct Press {
        QPointF position;
        Hit hit;
        bool dragging = false;
        bool fromDoubleClick = false;
    };
    // Where one box is drawn, in box coordinates, its drag displacement included.
    struct Layout {
        Point start;
        Point end;
        QRectF outline;
    };

    const BoundingBoxManager::BoxList* currentList() const;
    Layout layoutOf(const BoundingBoxProperty& box) const;
    QRectF labelBadge(const Layout& layout, const QString& text) const;
    QRectF templateBadge(const Layout& layout) const;
    Point toBox(QPointF widgetPosition) const;
    // The box is still drawn: shown, and in the current image's list.
    bool stillShown(const BoxPtr& box) const;

    std::optional<Hit> hitTest(QPointF widgetPosition) const;
    void paintBox(QPainter& painter, const BoundingBoxProperty& box, const Layout& layout, const QColor& color,
        const QRectF& area) const;

    void select(const BoxPtr& box);
    void moveDragChanged(QPointF widgetPosition);
    void moveDragEnded(const BoxPtr& element);
    void openEditor(const BoxPtr& box);
    // Opens the editor for boxes that came on screen while the editor is requested.
    void syncShownBoxes();
    void modelChanged();

    SharedObjects m_shared;
    FunctionalityBarNavigator& m_navigator;
    QPointF m_origin;

    std::optional<Press> m_press;
    // A press of any button on a box: its moves and releases stay with the overlay until the last
    // button is up. Qt sends them to the widget under the press, so the overlay must hand back
    // those of presses it passed on, or the canvas never sees its own drags end.
    bool m_holdsPress = false;
    std::optional<PointView> m_handleDrag;
    Size m_movingOffset;
    QPointer<BoxInfoField> m_window;
    std::vector<QString> m_shownIds;
    mutable BoxSprites m_sprites;
};
