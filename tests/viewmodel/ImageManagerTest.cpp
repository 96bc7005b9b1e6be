#include "viewmodel/ImageManager.h"
#include "CapturedOutput.h"
#include "FakeFileDialogs.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "viewmodel/BoundingBoxManager.h"

#include <QDir>
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

TEST(ImageProperty, ReadsAFileOrGivesARecordWithTheReasonAndHugeHeadersAreNotDecoded)
{
    const QString dir = TestEnvironment::makeTempDir();
    const auto bytes = [&](const QString& name) {
        QFile file(TestImages::write(dir, name, 300, 200, Qt::red));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray png = bytes("whole.png"), jpg = bytes("whole.jpg");
    const std::pair<const char*, QByteArray> files[] { { "truncated.png", png.left(png.size() / 2) },
        { "truncated.jpg", jpg.left(jpg.size() / 2) }, { "png named.jpg", png }, { "zero.png", {} },
        { "text.png", "this is not an image at all" }, { "bomb.jpg", TestImages::jpegClaiming(65000, 65000) },
        { "just over.jpg", TestImages::jpegClaiming(20000, 12501) } };
    for (const auto& [name, data] : files)
        TestEnvironment::writeFile(dir + "/" + name, data);
    QDir(dir).mkdir("folder.png");
    TestImages::write(dir, "a.b.png", 5, 3, QColor(90, 90, 90));

    // Name, size from the header, whether a picture is read (a truncated JPEG is filled in), a part of the error.
    const std::tuple<QString, int, int, bool, QString> cases[] { { "a.b.png", 5, 3, true, "" },
        { "missing.png", 0, 0, false, "not found" }, { "zero.png", 0, 0, false, "" }, { "text.png", 0, 0, false, "" },
        { "folder.png", 0, 0, false, "" }, { "truncated.png", 300, 200, false, "" },
        { "truncated.jpg", 300, 200, true, "" }, { "png named.jpg", 300, 200, true, "" },
        { "bomb.jpg", 65000, 65000, false, "its 65000 x 65000 pixels are more than the 250 megapixels" },
        { "just over.jpg", 20000, 12501, false, "its 20000 x 12501 pixels" } };
    for (const auto& [name, width, height, picture, error] : cases) {
        SCOPED_TRACE(name.toStdString());
        CapturedOutput out;
        ImageProperty image(QUrl::fromLocalFile(dir + "/" + name));
        EXPECT_EQ(
            std::tuple(image.originalWidth, image.originalHeight, image.imageNS.size(), image.readError.isEmpty()),
            std::tuple(width, height, picture ? QSize(width, height) : QSize(0, 0), picture));
        EXPECT_TRUE(image.readError.contains(error)) << image.readError.toStdString();
        const std::string printed = "Cannot open " + (dir + "/" + name + ": " + image.readError).toStdString() + "\n";
        EXPECT_EQ(out.text(), picture ? "" : printed);
        EXPECT_EQ(image.getImageArray().empty(), !picture);
    }

    // A width whose rows are padded in memory still yields packed grey rows of exactly that width.
    ImageProperty image(QUrl::fromLocalFile(dir + "/a.b.png"));
    EXPECT_EQ(image.getImageName(), "a.b.png");
    EXPECT_EQ(image.getImageArray(), std::vector(3, std::vector<std::uint8_t>(5, 90))); // a grey pixel keeps its value
    EXPECT_EQ(image.imageNS.format(), QImage::Format_Grayscale8);

    const ImageProperty a(QUrl::fromLocalFile(dir + "/missing.png")), b(QUrl::fromLocalFile(dir + "/missing.png"));
    EXPECT_TRUE(a == a && !(a == b)); // the same file twice is two images
}

TEST(ImageManager, DeletingLowersTheCurrentIndexByOneWhicheverImageGoes)
{
    // Shown, deleted, the index afterwards and which of the first images (0..2) is shown then.
    const std::tuple<int, int, int, int> cases[] { { 1, 2, 0, 0 }, { 1, 0, 0, 1 }, { 1, 1, 0, 0 }, { 0, 0, 0, 1 },
        { 2, 2, 1, 1 } };
    for (const auto& [current, deleted, expectedIndex, expectedShown] : cases) {
        SCOPED_TRACE(testing::Message() << "showing " << current << ", deleting " << deleted);
        Opened o;
        for (int i = 0; i < 3; ++i)
            o.manager.appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile(o.dir + "/none.png")));
        const QStringList before = o.ids();
        o.manager.currentImageIndex.set(current);
        o.manager.allOffset.modify([](auto& v) { v[2] = Size { 7, 7 }; });
        if (deleted == current)
            o.manager.deleteCurrentImage();
        else
            o.manager.deleteImage(o.manager.allImages.get()[size_t(deleted)]);
        EXPECT_EQ(std::tuple(o.manager.imageCount(), o.manager.allOffset.get().size(),
                      o.manager.currentImageIndex.get(), o.manager.currentImage()->id()),
            std::tuple(2, 2u, expectedIndex, before[expectedShown]));
        EXPECT_FALSE(o.ids().contains(before[deleted]));
        // The per-image state moves with its image.
        const auto third = o.ids().indexOf(before[2]);
        EXPECT_TRUE(third < 0 || o.manager.allOffset.get()[size_t(third)].width == 7);
    }
}

// Images and their box lists open and close together; zooms and pans go through one writer each.
TEST(ImageManager, GesturesKeepImagesAndBoxListsInStepAndSayWhatChanged)
{
    Opened o;
    QSignalSpy images(&o.manager, &ImageManager::imagesChanged),
        current(&o.manager, &ImageManager::currentImageChanged), view(&o.manager, &ImageManager::imageViewChanged);
    const QString aPath = TestImages::write(o.dir, "a.png", 100, 50);
    o.dialogs.imagesToOpen = { aPath, TestImages::write(o.dir, "b.jpg", 8, 4), aPath };
    EXPECT_EQ(o.manager.openImages(), 3);
    EXPECT_EQ(std::tuple(o.boxes.allBoundingBoxes.get().size(), images.size(), current.size()), std::tuple(3u, 1, 1));
    const auto& all = o.manager.allImages.get();
    const ImagePtr a = all[0];
    EXPECT_EQ(all[1]->getImageName(), "b.jpg");
    EXPECT_EQ(std::tuple(o.manager.allCurrentScaleFactors.get(), o.manager.allPreviousScaleFactors.get(),
                  o.manager.allStartLocations.get().size(), o.manager.allCenterLocations.get().size(),
                  o.manager.allOffset.get().size()),
        std::tuple(std::vector<double> { 1, 1, 1 }, std::vector<double> { 1, 1, 1 }, 3u, 3u, 3u));
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
    EXPECT_EQ(std::tuple(o.manager.currentZoom(), a->scaledWidth, a->currentScale, view.size()),
        std::tuple(1.1 * 0.9, 100 * (1.1 * 0.9), 1.1 * 0.9, 2));
    EXPECT_NE(o.boxes.allBoundingBoxes.get()[0][0], box);
    EXPECT_DOUBLE_EQ(o.boxes.allBoundingBoxes.get()[0][0]->originalStartLoc().x, 10);
    for (int k = 0; k < 7; ++k)
        o.manager.zoomStep(ImageManager::zoomInFactor);
    const double top = o.manager.currentZoom();
    EXPECT_FALSE(o.manager.zoomStep(ImageManager::zoomInFactor));
    EXPECT_TRUE(o.manager.currentZoom() == top && top < ImageManager::maximumZoom) << top;

    // A pinch measures each change from the last one, refused or not; its boxes keep their identity.
    const BoxPtr kept = o.boxes.allBoundingBoxes.get()[0][0];
    EXPECT_TRUE(o.manager.pinchChanged(0.5));
    EXPECT_FALSE(o.manager.pinchChanged(0.1));
    EXPECT_DOUBLE_EQ(o.manager.currentZoom(), top * 0.5);
    EXPECT_EQ(std::tuple(o.manager.allPreviousScaleFactors.get()[0], o.boxes.allBoundingBoxes.get()[0][0]),
        std::tuple(0.1, kept));
    o.manager.pinchEnded();
    EXPECT_EQ(std::tuple(o.manager.allPreviousScaleFactors.get()[0], a->scaledHeight),
        std::tuple(1.0, 50 * o.manager.currentZoom()));

    o.manager.panTo({ 30, 40 });
    o.manager.endPan({ 30, 40 });
    o.manager.endPan({ 1, 1 });
    EXPECT_EQ(
        std::tuple(o.manager.allStartLocations.get()[0].y, o.manager.allOffset.get()[0].width), std::tuple(40, 31));

    current.clear();
    for (const int index : { 1, 3, -1 })
        o.manager.showImage(index);
    EXPECT_EQ(std::tuple(o.manager.currentImageIndex.get(), current.size()), std::tuple(1, 1));
    // The older writers of the current image's record: its zoom, and its place back at the centre.
    const ImagePtr b = all[1];
    o.manager.allCurrentScaleFactors.modify([](auto& v) { v[1] = 1.5; });
    o.manager.updateScalingFactor();
    EXPECT_EQ(b->currentScale, 1.5);
    b->locationOnScreen = { 5, 5 };
    o.manager.updateLocation();
    EXPECT_EQ(b->locationOnScreen.x, 0);

    // Removing takes the image's own box list with it.
    o.manager.removeImage(a);
    EXPECT_EQ(std::tuple(o.manager.imageCount(), o.boxes.allBoundingBoxes.get()),
        std::tuple(2, std::vector<BoundingBoxManager::BoxList>(2)));
    o.manager.removeImage(a);
    o.manager.removeCurrentImage();
    o.manager.removeCurrentImage();
    EXPECT_EQ(std::tuple(o.manager.imageCount(), o.boxes.allBoundingBoxes.get().size(),
                  o.manager.allStartLocations.get().size(), o.manager.currentImageIndex.get()),
        std::tuple(0, 0u, 0u, 0));

    // With nothing open, or a record that is gone, nothing changes.
    QSignalSpy any(&o.manager, &ObservableObject::objectWillChange);
    o.manager.deleteCurrentImage();
    o.manager.updateScalingFactor();
    o.manager.updateLocation();
    o.manager.deleteImage(a);
    o.manager.deleteImageIndex(-1);
    o.manager.deleteImageIndex(5);
    EXPECT_FALSE(o.manager.zoomStep(ImageManager::zoomInFactor));
    EXPECT_FALSE(o.manager.pinchChanged(1.2));
    EXPECT_EQ(std::tuple(any.count(), o.manager.getIndex(a), o.manager.getIndex(nullptr), o.manager.currentImage()),
        std::tuple(0, -1, -1, nullptr));
}
