#pragma once

#include "CanvasFixture.h"
#include "view/canvas/BoxInfoField.h"
#include "view/canvas/BoxView.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>

// Stands in for the canvas: takes and counts whatever the overlay lets through.
struct CanvasStandIn : QWidget {
    std::map<QEvent::Type, int> taken;

    int presses() { return taken[QEvent::MouseButtonPress]; }
    bool event(QEvent* event) override
    {
        using T = QEvent;
        if (!QList { T::MouseButtonPress, T::MouseMove, T::MouseButtonRelease, T::ContextMenu }.contains(event->type()))
            return QWidget::event(event);
        ++taken[event->type()];
        event->accept();
        return true;
    }
};

// Open images with one box list each, and an overlay over a stand-in canvas with the image's
// top-left corner at `origin`.
struct OverlayScene : CanvasFixture {
    FunctionalityBarNavigator navigator;
    CanvasStandIn canvas;
    BoxView* view = nullptr;
    QPoint origin { 50, 40 };

    explicit OverlayScene(int imageCount = 1)
    {
        const QString path = TestImages::write(dir, QStringLiteral("a.png"), 400, 300);
        for (int i = 0; i < imageCount; ++i) {
            const ImagePtr image = openPath(path);
            image->scaledWidth = 400;
            image->scaledHeight = 300;
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

    // A press, moves past the threshold in steps (or the given ones), and a release at the last point.
    void drag(QPoint from, QList<QPoint> to, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(view, button, {}, from);
        if (to.size() == 1)
            to = { from + (to[0] - from) / 4, from + (to[0] - from) / 2, from + (to[0] - from) * 3 / 4, to[0] };
        for (QPoint p : to)
            QTest::mouseMove(view, p);
        QTest::mouseRelease(view, button, {}, to.back());
        settle();
    }
    void click(QPoint at)
    {
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        settle();
    }

    QImage render() const
    {
        QImage image(view->size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    QColor pixel(double x, double y) const { return render().pixelColor(at(x, y)); }

    const BoxPtr& selected() const { return boundingBoxManager.currentSelectedBox.get(); }

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
