#include "viewmodel/ImageManager.h"
#include "FakeFileDialogs.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "viewmodel/BoundingBoxManager.h"

#include <QFile>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

namespace
{
struct Opened {
    QString dir = TestEnvironment::makeTempDir();
    FakeFileDialogs dialogs;
    BoundingBoxManager boxes;
    ImageManager manager { boxes };
    Opened() { manager.setFileDialogs(&dialogs); }
    QStringList ids() const
    {
        QStringList result;
        for (const auto& image : manager.allImages.get())
            result << image->id();
        return result;
    }
};
} // namespace

TEST(ImageProperty, ReadsSizeAndPictureAndNameOfAFile)
{
    const QString dir = TestEnvironment::makeTempDir();
    const QString path = TestImages::write(dir, "a.b.png", 3, 2, QColor(90, 90, 90));
    ImageProperty image(QUrl::fromLocalFile(path));
    EXPECT_EQ(image.originalWidth, 3);
    EXPECT_EQ(image.originalHeight, 2);
    EXPECT_EQ(image.imageNS.size(), QSize(3, 2));
    EXPECT_EQ(image.getImageName(), "a.b.png");

    const auto rows = image.getImageArray();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), 3u);
    EXPECT_EQ(rows[1].size(), 3u);
    EXPECT_NEAR(rows[1][2], 90, 1); // a grey pixel keeps its value
    EXPECT_EQ(image.imageNS.format(), QImage::Format_Grayscale8);

    // A width whose rows are padded in memory still yields packed rows of exactly that width.
    const QString odd = TestImages::write(dir, "odd.png", 5, 3, Qt::white);
    const auto oddRows = ImageProperty(QUrl::fromLocalFile(odd)).getImageArray();
    ASSERT_EQ(oddRows.size(), 3u);
    for (const auto& row : oddRows) {
        ASSERT_EQ(row.size(), 5u);
        for (auto v : row)
            EXPECT_EQ(v, 255);
    }
}

TEST(ImageProperty, UnreadableOrBrokenFilesStillMakeARecord)
{
    const QString dir = TestEnvironment::makeTempDir();
    QFile garbage(dir + "/garbage.png");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is not an image at all");
    garbage.close();
    for (const QString& path : { dir + "/missing.png", garbage.fileName() }) {
        ImageProperty image(QUrl::fromLocalFile(path));
        EXPECT_EQ(image.originalWidth, 0);
        EXPECT_EQ(image.originalHeight, 0);
        EXPECT_TRUE(image.imageNS.isNull());
        EXPECT_TRUE(image.getImageArray().empty());
    }

    ImageProperty a(QUrl::fromLocalFile(dir + "/missing.png"));
    ImageProperty b(QUrl::fromLocalFile(dir + "/missing.png"));
    EXPECT_FALSE(a == b);
    a.scaledWidth = 99;
    EXPECT_TRUE(a == a);
}

TEST(ImageManager, OpeningAppendsEveryArrayInStep)
{
    Opened o;
    const QString p1 = TestImages::write(o.dir, "1.png", 4, 4);
    const QString p2 = TestImages::write(o.dir, "2.jpg", 4, 4);
    o.dialogs.imagesToOpen = { p1, p2, p1 };
    EXPECT_EQ(o.manager.imageOpener(), 3);
    const auto& images = o.manager.allImages.get();
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[1]->getImageName(), "2.jpg");
    EXPECT_NE(images[0]->id(), images[2]->id()); // the same file twice is two images
    EXPECT_EQ(o.manager.allCurrentScaleFactors.get(), (std::vector<double> { 1, 1, 1 }));
    EXPECT_EQ(o.manager.allPreviousScaleFactors.get(), (std::vector<double> { 1, 1, 1 }));
    EXPECT_EQ(o.manager.allStartLocations.get().size(), 3u);
    EXPECT_EQ(o.manager.allCenterLocations.get().size(), 3u);
    EXPECT_EQ(o.manager.allOffset.get().size(), 3u);
}

TEST(ImageManager, DeletingLowersTheCurrentIndexByOneWhicheverImageGoes)
{
    struct Case {
        int current, deleted, expectedIndex, expectedShown;
    };
    // expectedShown: which of the original images (0..2) is shown afterwards.
    const Case cases[] = { { 1, 2, 0, 0 }, { 1, 0, 0, 1 }, { 1, 1, 0, 0 }, { 0, 0, 0, 1 }, { 2, 2, 1, 1 } };
    for (const Case& c : cases) {
        Opened o;
        for (int i = 0; i < 3; ++i)
            o.manager.appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile(o.dir + "/none.png")));
        const QStringList before = o.ids();
        o.manager.currentImageIndex.set(c.current);
        o.manager.allOffset.modify([](auto& v) { v[2] = Size { 7, 7 }; });
        o.manager.deleteImage(o.manager.allImages.get()[size_t(c.deleted)]);
        EXPECT_EQ(o.manager.imageCount(), 2);
        EXPECT_EQ(o.manager.allOffset.get().size(), 2u);
        EXPECT_EQ(o.manager.currentImageIndex.get(), c.expectedIndex);
        EXPECT_EQ(o.manager.currentImage()->id(), before[c.expectedShown]);
        EXPECT_FALSE(o.ids().contains(before[c.deleted]));
        // The per-image state moves with its image.
        const auto idx2 = o.ids().indexOf(before[2]);
        if (idx2 >= 0) {
            EXPECT_EQ(o.manager.allOffset.get()[size_t(idx2)].width, 7);
        }
    }
}

TEST(ImageManager, RemovedRecordsAndBadIndicesChangeNothing)
{
    Opened o;
    auto only = std::make_shared<ImageProperty>(QUrl::fromLocalFile(o.dir + "/x.png"));
    o.manager.deleteCurrentImage(); // nothing open
    o.manager.updateScalingFactor();
    o.manager.updateLocation();
    EXPECT_EQ(o.manager.imageCount(), 0);
    o.manager.appendImage(only);
    o.manager.allCurrentScaleFactors.modify([](auto& v) { v[0] = 1.5; });
    o.manager.updateScalingFactor();
    EXPECT_EQ(only->currentScale, 1.5);
    only->locationOnScreen = { 5, 5 };
    o.manager.updateLocation();
    EXPECT_EQ(only->locationOnScreen.x, 0);
    o.manager.deleteCurrentImage();
    EXPECT_EQ(o.manager.imageCount(), 0);
    EXPECT_EQ(o.manager.allStartLocations.get().size(), 0u);
    EXPECT_EQ(o.manager.currentImageIndex.get(), 0);
    EXPECT_EQ(o.manager.getIndex(only), -1);
    EXPECT_EQ(o.manager.getIndex(nullptr), -1);

    QSignalSpy spy(&o.manager, &ObservableObject::objectWillChange);
    o.manager.deleteImage(only);
    o.manager.deleteImageIndex(-1);
    o.manager.deleteImageIndex(5);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(o.manager.currentImage(), nullptr);
}

// Images and their box lists open and close together; zooms and pans go through one writer each.
TEST(ImageManager, GesturesKeepImagesAndBoxListsInStepAndSayWhatChanged)
{
    Opened o;
    QSignalSpy images(&o.manager, &ImageManager::imagesChanged);
    QSignalSpy current(&o.manager, &ImageManager::currentImageChanged);
    QSignalSpy view(&o.manager, &ImageManager::imageViewChanged);
    o.dialogs.imagesToOpen = { TestImages::write(o.dir, "a.png", 100, 50), TestImages::write(o.dir, "b.png", 8, 4) };
    EXPECT_EQ(o.manager.openImages(), 2);
    EXPECT_EQ(o.boxes.allBoundingBoxes.get().size(), 2u);
    EXPECT_EQ(images.size(), 1);
    EXPECT_EQ(current.size(), 1);
    const ImagePtr a = o.manager.allImages.get()[0];
    EXPECT_EQ(o.manager.currentDisplayedSize().width, 100);
    auto box = std::make_shared<BoundingBoxProperty>(Point { 10, 10 }, Point { 20, 20 }, "cat");
    o.boxes.appendBox(box, 0, false);

    // A pinch exactly to a limit is refused; the pinch's reference moves all the same.
    for (const double limit : { ImageManager::minimumZoom, ImageManager::maximumZoom }) {
        EXPECT_FALSE(o.manager.pinchChanged(limit));
        EXPECT_EQ(o.manager.allPreviousScaleFactors.get()[0], limit);
        o.manager.pinchEnded();
    }
    EXPECT_EQ(o.manager.currentZoom(), 1.0);
    view.clear();

    // Zoom steps: exact products, the displayed size follows, the boxes are replaced; refused past a limit.
    EXPECT_TRUE(o.manager.zoomStep(ImageManager::zoomInFactor));
    EXPECT_TRUE(o.manager.zoomStep(ImageManager::zoomOutFactor));
    EXPECT_EQ(o.manager.currentZoom(), 1.1 * 0.9);
    EXPECT_EQ(a->scaledWidth, 100 * (1.1 * 0.9));
    EXPECT_EQ(a->currentScale, o.manager.currentZoom());
    EXPECT_EQ(view.size(), 2);
    EXPECT_NE(o.boxes.allBoundingBoxes.get()[0][0], box);
    EXPECT_DOUBLE_EQ(o.boxes.allBoundingBoxes.get()[0][0]->originalStartLoc().x, 10);
    for (int k = 0; k < 7; ++k)
        o.manager.zoomStep(ImageManager::zoomInFactor);
    const double top = o.manager.currentZoom();
    EXPECT_LT(top, ImageManager::maximumZoom);
    EXPECT_FALSE(o.manager.zoomStep(ImageManager::zoomInFactor));
    EXPECT_EQ(o.manager.currentZoom(), top);

    // A pinch measures each change from the last one, refused or not; its boxes keep their identity.
    const BoxPtr kept = o.boxes.allBoundingBoxes.get()[0][0];
    EXPECT_TRUE(o.manager.pinchChanged(0.5));
    EXPECT_DOUBLE_EQ(o.manager.currentZoom(), top * 0.5);
    EXPECT_FALSE(o.manager.pinchChanged(0.1));
    EXPECT_DOUBLE_EQ(o.manager.currentZoom(), top * 0.5);
    EXPECT_EQ(o.manager.allPreviousScaleFactors.get()[0], 0.1);
    EXPECT_EQ(o.boxes.allBoundingBoxes.get()[0][0], kept);
    o.manager.pinchEnded();
    EXPECT_EQ(o.manager.allPreviousScaleFactors.get()[0], 1.0);
    EXPECT_EQ(a->scaledHeight, 50 * o.manager.currentZoom());

    o.manager.panTo({ 30, 40 });
    o.manager.endPan({ 30, 40 });
    o.manager.endPan({ 1, 1 });
    EXPECT_EQ(o.manager.allStartLocations.get()[0].y, 40);
    EXPECT_EQ(o.manager.allOffset.get()[0].width, 31);

    current.clear();
    o.manager.showImage(1);
    o.manager.showImage(2);
    o.manager.showImage(-1);
    EXPECT_EQ(o.manager.currentImageIndex.get(), 1);
    EXPECT_EQ(current.size(), 1);

    // Removing takes the image's own box list with it.
    o.manager.removeImage(a);
    EXPECT_EQ(o.manager.imageCount(), 1);
    ASSERT_EQ(o.boxes.allBoundingBoxes.get().size(), 1u);
    EXPECT_TRUE(o.boxes.allBoundingBoxes.get()[0].empty());
    o.manager.removeImage(a);
    o.manager.removeCurrentImage();
    EXPECT_EQ(o.manager.imageCount(), 0);
    EXPECT_TRUE(o.boxes.allBoundingBoxes.get().empty());
    EXPECT_FALSE(o.manager.zoomStep(ImageManager::zoomInFactor));
    EXPECT_FALSE(o.manager.pinchChanged(1.2));
}
