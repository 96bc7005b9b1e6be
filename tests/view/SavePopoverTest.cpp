#include "view/sidebar/SavePopover.h"

#include "Alerts.h"
#include "CanvasFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Two images, a.png and cat.small.png; the popover is open beside its anchor.
struct Save : CanvasFixture {
    QWidget anchor;
    SavePopover popover { shared, &anchor };

    Save()
    {
        openPath("/pictures/a.png");
        openPath("/pictures/cat.small.png");
        matchSetting.pythonLibrary.set(QStringLiteral(KESTRUNE_PYTHON_DIR));
        anchor.show();
        open();
    }
    void open()
    {
        popover.showBesideAnchor();
        QCoreApplication::processEvents();
    }
    BoxPtr add(int image, Point s, Point e, const QString& label, double zoom = 1.0)
    {
        auto box = std::make_shared<BoundingBoxProperty>(s, e, label, 1.0, zoom);
        boundingBoxManager.appendBox(box, image, false);
        settle();
        return box;
    }
    void press(QPushButton* button)
    {
        open();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList caches() const
    {
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
            .entryList(QDir::Files | QDir::Hidden);
    }
};
} // namespace

TEST(SavePopover, BothSavesWaitForAShownBoxOnAnyImage)
{
    Save s;
    EXPECT_FALSE(s.popover.jsonSection()->isEnabled());
    EXPECT_TRUE(s.popover.csvText()->isEnabled()); // only the CSV button is disabled
    EXPECT_FALSE(s.popover.csvButton()->isEnabled());

    s.add(0, { 1, 1 }, { 2, 2 }, "gone");
    s.boundingBoxManager.hideCurrentBox(0, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(s.popover.jsonButton()->isEnabled());

    s.add(0, { 1, 1 }, { 2, 2 }, "cat");
    s.imageManager.currentImageIndex.set(1);
    EXPECT_TRUE(s.popover.jsonSection()->isEnabled());
    EXPECT_TRUE(s.popover.csvButton()->isEnabled());
    // The second image has no box, yet its (empty) file is what gets saved.
    s.dialogs.fileToSave = s.dir + "/second";
    s.press(s.popover.jsonButton());
    EXPECT_FALSE(s.popover.isVisible()); // the dialog came in its place
    EXPECT_EQ(read(s.dir + "/second.json"), R"({"imageName":"cat.small.png","imageIndex":1,"shapes":[]})");
}

TEST(SavePopover, JsonWritesTheCurrentImagesShownBoxesInImagePixels)
{
    Save s;
    s.add(0, { 10, 20 }, { 30, 40 }, "cat");
    s.add(0, { 5, 5 }, { 6, 6 }, "deleted");
    s.boundingBoxManager.hideCurrentBox(1, 0);
    s.add(0, { 12.5, 25 }, { 37.5, 50 }, "dog/2", 1.25);
    s.add(1, { 1, 1 }, { 2, 2 }, "other image");

    s.dialogs.fileToSave = s.dir + "/boxes.json";
    s.press(s.popover.jsonButton());
    EXPECT_EQ(s.dialogs.lastSaveTitle, "Save JSON file");
    EXPECT_EQ(s.dialogs.lastSaveMessage, "Choose a folder and a name to store your json file.");
    EXPECT_EQ(s.dialogs.lastSaveNameLabel, "JSON name:");
    EXPECT_EQ(read(s.dir + "/boxes.json"),
        R"({"imageName":"a.png","imageIndex":0,"shapes":[)"
        R"({"label":"cat","bboxCoord":[[10.0,20.0],[30.0,40.0]]},)"
        R"({"label":"dog\/2","bboxCoord":[[10.0,20.0],[30.0,40.0]]}]})");

    // Cancel writes nothing and leaves the cache folder alone.
    const QStringList cachesBefore = s.caches();
    s.dialogs.fileToSave.clear();
    s.press(s.popover.jsonButton());
    s.press(s.popover.csvButton());
    EXPECT_EQ(QDir(s.dir).entryList(QDir::Files), QStringList({ "boxes.json" }));
    EXPECT_EQ(s.caches(), cachesBefore);
}

TEST(SavePopover, AFailedSaveIsShownAndWritesNothing)
{
    Save s;
    s.add(0, { 10, 20 }, { 30, 40 }, "cat");
    s.dialogs.fileToSave = s.dir + "/no such folder/boxes.json";
    AlertAnswerer ok("OK");
    s.press(s.popover.jsonButton());
    ASSERT_EQ(ok.seen().size(), 1);
    EXPECT_EQ(ok.seen()[0].title, "Save Failed");
    EXPECT_TRUE(ok.seen()[0].text.startsWith("The JSON file was not saved."));
    EXPECT_FALSE(QFile::exists(s.dialogs.fileToSave));

    s.imageManager.currentImageIndex.set(1);
    s.add(1, { 1, 2 }, { 3, 4 }, "x");
    s.dialogs.fileToSave = s.dir + "/no such folder/boxes.csv";
    s.press(s.popover.csvButton());
    ASSERT_EQ(ok.seen().size(), 2);
    EXPECT_TRUE(ok.seen()[1].text.startsWith("The CSV file was not saved."));
    EXPECT_FALSE(QFile::exists(s.dialogs.fileToSave));
    EXPECT_FALSE(s.caches().contains(".cat.json"));
}

TEST(SavePopover, CsvGoesThroughTheHiddenFileAndTheBundledScript)
{
    Save s;
    s.imageManager.currentImageIndex.set(1);
    s.add(1, { 10, 20 }, { 30, 40.5 }, "cat");
    s.add(1, { 0, 0 }, { 1, 1 }, "deleted");
    s.boundingBoxManager.hideCurrentBox(1, 1);
    s.add(0, { 7, 7 }, { 8, 8 }, "first image");

    s.dialogs.fileToSave = s.dir + "/table"; // the ending is added
    s.press(s.popover.csvButton());
    EXPECT_EQ(s.dialogs.lastSaveTitle, "Save CSV file");
    EXPECT_EQ(s.dialogs.lastSaveMessage, "Choose a folder and a name to store your csv file.");
    EXPECT_EQ(s.dialogs.lastSaveNameLabel, "CSV name:");
    EXPECT_EQ(read(s.dir + "/table.csv"),
        "imageName,imageIndex,label,x1,y1,x2,y2\r\n"
        "cat.small.png,1,cat,10.0,20.0,30.0,40.5\r\n");
    EXPECT_FALSE(s.caches().contains(".cat.json"));
}
