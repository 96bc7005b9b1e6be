#pragma once

#include "FakeFileDialogs.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "view/SharedObjects.h"

#include <QCoreApplication>
#include <QUrl>

#include <memory>
#include <vector>

// The four shared objects over a folder of the test's own pictures.
struct CanvasFixture {
    QString dir = TestEnvironment::makeTempDir();
    FakeFileDialogs dialogs;
    BoundingBoxManager boundingBoxManager;
    ImageManager imageManager { boundingBoxManager };
    CursorManager cursorManager;
    MatchSetting matchSetting;
    SharedObjects shared { imageManager, boundingBoxManager, cursorManager, matchSetting, dialogs };

    CanvasFixture() { imageManager.setFileDialogs(&dialogs); }

    // Opens a picture as the user would: the image and an empty box list.
    ImagePtr open(const QString& name, int width = 100, int height = 80, QColor fill = Qt::gray)
    {
        return openPath(TestImages::write(dir, name, width, height, fill));
    }
    ImagePtr openPath(const QString& path)
    {
        auto image = std::make_shared<ImageProperty>(QUrl::fromLocalFile(path));
        imageManager.openImage(image);
        return image;
    }

    BoxPtr addBox(std::int64_t imageIndex, Point start, Point end, const QString& label = {}, bool isTemplate = false,
        bool requestEditor = false)
    {
        auto box = std::make_shared<BoundingBoxProperty>(start, end, label, 1.0, 1.0, true, isTemplate);
        boundingBoxManager.appendBox(box, imageIndex, requestEditor);
        return box;
    }

    // Makes an image current as the model's index does, and lets the views see it.
    void show(std::int64_t image)
    {
        imageManager.currentImageIndex.set(image);
        settle();
    }

    // A box's corners as start x, start y, end x, end y: displayed, or in image pixels.
    static std::vector<double> corners(const BoxPtr& box, bool pixels = false)
    {
        const Point s = pixels ? box->originalStartLoc() : box->startLocation();
        const Point e = pixels ? box->originalEndLoc() : box->endLocation();
        return { s.x, s.y, e.x, e.y };
    }

    // Lets the views see the changes (they refresh once per event-loop pass) and lets widgets that
    // were let go be deleted.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
