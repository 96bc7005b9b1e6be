#pragma once

#include "view/SharedObjects.h"

#include <QPointF>
#include <QWidget>

class FunctionalityBarNavigator;

// The layer over the canvas image that shows and handles the boxes of the current image. It covers
// the whole canvas area; displayed box coordinates are measured from the image origin set by the
// canvas. A press that hits no box is ignored, so the canvas under it receives it.
class BoxView : public QWidget {
    Q_OBJECT
public:
    BoxView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent = nullptr);

    void setImageOrigin(QPointF origin);
    QPointF imageOrigin() const { return m_origin; }

private:
    SharedObjects m_shared;
    FunctionalityBarNavigator& m_navigator;
    QPointF m_origin;
};
