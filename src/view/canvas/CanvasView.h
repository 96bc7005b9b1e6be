#pragma once

#include "view/SharedObjects.h"
#include "view/canvas/CanvasState.h"

#include <QPointF>
#include <QWidget>

class BoxView;

class DisplayImageView;
class FunctionalityBarNavigator;

// The middle column of the main window: a slot for the tab strip, the image area with its box
// layer, and the bottom bar with a slot for the matching controls on the left and one for the
// image navigation on the right.
class CanvasView : public QWidget
{
    Q_OBJECT
public:
    CanvasView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent = nullptr);

    // Asks for PNG and JPEG files and opens each as an image with an empty box list; the current
    // image stays current. Returns how many were added (none when the user cancels).
    static int addImages(SharedObjects shared);
    // Removes the current image and its boxes; nothing while no image is open.
    void deleteCurrentImage();

    // The bottom bar's place of the matching controls.
    QWidget* matchControlsSlot() const { return m_matchControlsSlot; }
    // What the tab strip, the navigation and the matching controls share.
    CanvasState& state() const { return *m_state; }

    DisplayImageView* displayImageView() const { return m_display; }
    BoxView* boxView() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    SharedObjects m_shared;
    CanvasState* m_state;
    DisplayImageView* m_display;
    QWidget* m_tabStripSlot;
    QWidget* m_matchControlsSlot;
    QWidget* m_navigationSlot;
    QPointF m_pressLocation;
};
