#pragma once

#include "CanvasFixture.h"
#include "view/canvas/BoxInfoField.h"
#include "view/canvas/BoxView.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// Stands in for the canvas: receives whatever the overlay lets through.
class CanvasStandIn : public QWidget
{
public:
    int presses = 0;
    int moves = 0;
    int releases = 0;
    int contextMenus = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        ++moves;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        ++releases;
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        ++contextMenus;
        event->accept();
    }
};

// Open images with one box list each, and an overlay over a stand-in canvas with the image's
// top-left corner at `origin`.
struct OverlayScene : CanvasFixture {
    FunctionalityBarNavigator navigator;
    CanvasStandIn canvas;
    BoxView* view = nullptr;
    QPoint origin { 50, 40 };

    explicit OverlayScene(int imageCount = 1, double scaledWidth = 400, double scaledHeight = 300)
    {
        const QString path = TestImages::write(dir, QStringLiteral("a.png"), 400, 300);
        for (int i = 0; i < imageCount; ++i) {
            const ImagePtr image = openPath(path);
            image->scaledWidth = scaledWidth;
            image->scaledHeight = scaledHeight;
        }
        canvas.resize(600, 500);
        view = new BoxView(shared, navigator, &canvas);
        view->setGeometry(0, 0, 600, 500);
        view->setImageOrigin(origin);
        canvas.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&canvas));
        settle();
    }

    ~OverlayScene()
    {
        delete view;
        settle();
    }

    BoxPtr add(Point start, Point end, const QString& label = QStringLiteral("cat"), bool markTemplate = false,
        int image = 0, bool requestEditor = false)
    {
        BoxPtr box = addBox(image, start, end, label, markTemplate, requestEditor);
        settle();
        return box;
    }

    // Overlay coordinates of a point given in box coordinates.
    QPoint at(double x, double y) const { return origin + QPoint(int(x), int(y)); }

    // One drag driven entirely through QTest, with intermediate moves past the threshold.
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(view, button, {}, from);
        const QPoint step = (to - from) / 4;
        for (int i = 1; i < 4; ++i)
            QTest::mouseMove(view, from + step * i);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, button, {}, to);
        settle();
    }

    QImage render() const
    {
        QImage image(view->size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    // Every open editor window.
    static QList<BoxInfoField*> openEditors()
    {
        QList<BoxInfoField*> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<BoxInfoField*>(w); editor && editor->isVisible())
                open << editor;
        return open;
    }
};
