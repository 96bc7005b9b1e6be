#pragma once

#include "model/Geometry.h"
#include "view/SharedObjects.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>

class AddImagePrompt;
class BoxView;
class FunctionalityBarNavigator;

// The image area of the canvas: the current image at its zoom with its top-left corner at its start
// location, on a grey ground with rounded corners; the box layer over it; the dashed preview of a
// box being drawn; and, with no image open, the prompt that opens images.
// A drag of more than 10 pixels pans the image or draws a box, as the cursor mode says; a click on
// the image clears the selection.
class DisplayImageView : public QWidget
{
    Q_OBJECT
public:
    DisplayImageView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent = nullptr);

    BoxView* boxView() const { return m_boxView; }
    AddImagePrompt* prompt() const { return m_prompt; }

    // Where the current image lies in this area, at its zoom; empty while no image is open.
    QRectF imageRect() const;

    // The box being drawn, in area coordinates while the drag runs.
    bool isDragOn() const { return m_isDragOn; }
    Point startLocRect() const { return m_startLocRect; }
    Point endLocRect() const { return m_endLocRect; }

signals:
    void addImagesRequested();
    void deleteImageRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void refresh();
    void placeLayers();
    void follow(QPointF location);
    void dragChanged(QPointF location);
    void dragEnded();
    void getNewLocationImage(QPointF translation);
    void endDrawing();
    void tapped(QPointF location);
    void paintPreview(QPainter& painter) const;
    void paintImage(QPainter& painter, const QRectF& exposed);
    const QImage& displayImage(const QImage& picture);

    SharedObjects m_shared;
    BoxView* m_boxView;
    QWidget* m_previewLayer;
    AddImagePrompt* m_prompt;

    // The press and drag under way.
    bool m_pressed = false;
    bool m_dragging = false;
    QPointF m_pressLocation;
    QPointF m_lastLocation;
    std::optional<Point> m_startLocation;

    // The box being drawn.
    Point m_startLocRect;
    Point m_endLocRect;
    bool m_isDragOn = false;
    QString m_boundingBoxClassLabel;

    // The picture in a format the painter draws without converting, made once per picture.
    QImage m_displayImage;
    qint64 m_displayKey = 0;
};
