#pragma once

#include "CanvasFixture.h"
#include "view/canvas/CanvasView.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A canvas with its controls, shown and active, over the fixture's shared objects.
struct CanvasHost : CanvasFixture {
    FunctionalityBarNavigator navigator;
    std::unique_ptr<CanvasView> canvas;

    explicit CanvasHost(const QStringList& images = {}, QSize size = QSize(700, 500))
    {
        for (const QString& name : images)
            open(name);
        canvas = std::make_unique<CanvasView>(shared, navigator);
        canvas->resize(size);
        canvas->show();
        activate();
        settle();
    }

    // Back to the canvas window, as after an alert closes.
    void activate()
    {
        canvas->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(canvas.get()));
    }

    template <class T> T* control() const { return canvas->findChild<T*>(); }
    std::int64_t index() const { return imageManager.currentImageIndex; }
};
