#include "view/sidebar/SavePopover.h"

#include "Alerts.h"
#include "CanvasFixture.h"
#include "viewmodel/ExchangeFile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace
{
void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

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

TEST(SavePopover, AFailedSaveIsShownAndKeepsTheEarlierFile)
{
    Save s;
    s.add(0, { 10, 20 }, { 30, 40 }, "cat");
    const QString earlier = s.dir + QStringLiteral("/earlier #1 %20?ü");
    for (const QString ending : { ".json", ".csv" }) {
        write(earlier + ending, "earlier");
        QFile::setPermissions(earlier + ending, QFile::ReadOwner | QFile::ReadGroup);
    }
    write(s.dir + "/not a folder", "");
    for (int k = 0; k < 200; ++k)
        s.add(0, { 1, 1 }, { 2, 2 }, "a label long enough to make the file larger than the limit");

    const struct {
        QString path;
        QString reason; // a part of the message
        rlim_t sizeLimit = RLIM_INFINITY;
    } cases[] {
        { s.dir + "/no such folder/boxes", "No such file or directory" },
        { s.dir + "/not a folder/boxes", "Not a directory" }, { "/proc/boxes", "/proc/boxes" },
        { earlier, " is read-only." }, { s.dir + "/limited", {}, 64 }, // the size limit
    };
    AlertAnswerer ok("OK");
    qsizetype alerts = 0;
    for (const auto& c : cases) {
        for (const QString kind : { "JSON", "CSV" }) {
            const QString path = c.path + "." + kind.toLower();
            if (c.sizeLimit != RLIM_INFINITY)
                write(path, "earlier");
            s.dialogs.fileToSave = path;
            rlimit previous {};
            getrlimit(RLIMIT_FSIZE, &previous);
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit limited { c.sizeLimit, previous.rlim_max };
            setrlimit(RLIMIT_FSIZE, &limited);
            s.press(kind == "JSON" ? s.popover.jsonButton() : s.popover.csvButton());
            setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, handler);

            ASSERT_EQ(ok.seen().size(), ++alerts) << path.toStdString();
            const auto& seen = ok.seen().last();
            EXPECT_EQ(seen.title, "Save Failed");
            EXPECT_TRUE(seen.text.startsWith("The " + kind + " file was not saved.")) << seen.text.toStdString();
            EXPECT_TRUE(seen.text.contains(c.reason)) << seen.text.toStdString();
            EXPECT_FALSE(seen.text.contains("Traceback")) << seen.text.toStdString();
            EXPECT_EQ(read(path), QFileInfo::exists(path) ? QByteArray("earlier") : QByteArray("<missing>"));
        }
    }
    EXPECT_TRUE(QDir(exchangeFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(QDir(s.dir).entryList(QDir::Files | QDir::Hidden),
        QStringList(
            { "earlier #1 %20?ü.csv", "earlier #1 %20?ü.json", "limited.csv", "limited.json", "not a folder" }));
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
