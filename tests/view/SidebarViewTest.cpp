#include "view/sidebar/SidebarView.h"

#include "Alerts.h"
#include "CanvasFixture.h"
#include "view/ZoomStep.h"
#include "view/sidebar/SavePopover.h"
#include "view/sidebar/SettingsPopover.h"
#include "view/sidebar/SidebarIcon.h"
#include "viewmodel/ExchangeFile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
using TestEnvironment::readFile;
using TestEnvironment::writeFile;

struct Sidebar : CanvasFixture {
    SidebarView view { shared };
    SavePopover* save = view.savePopover();
    SettingsPopover* settings = view.settingsPopover();

    Sidebar()
    {
        view.resize(220, 800);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    SidebarIcon* icon(SidebarIconType type) const { return view.icon(type); }
    int top(SidebarIconType type) const { return icon(type)->mapTo(&view, QPoint(0, 0)).y(); }
    void click(SidebarIconType type)
    {
        SidebarIcon* entry = icon(type);
        QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
        QCoreApplication::processEvents();
    }
    std::vector<bool> highlights() const
    {
        std::vector<bool> result;
        for (auto type : { SidebarIconType::New, SidebarIconType::DrawRectangle, SidebarIconType::MoveRectangle,
                 SidebarIconType::SaveJSON, SidebarIconType::ZoomIn, SidebarIconType::ZoomOut,
                 SidebarIconType::Settings })
            result.push_back(icon(type)->highlighted());
        return result;
    }
};

// Two images, a.png and cat.small.png; the Save popover opens from its sidebar entry.
struct Save : Sidebar {
    SavePopover& popover = *save;

    Save()
    {
        openPath("/pictures/a.png");
        openPath("/pictures/cat.small.png");
        matchSetting.pythonLibrary.set(QStringLiteral(KESTRUNE_PYTHON_DIR));
        click(SidebarIconType::SaveJSON);
    }
    void add(int image, Point s, Point e, const QString& label, double zoom = 1.0)
    {
        boundingBoxManager.appendBox(std::make_shared<BoundingBoxProperty>(s, e, label, 1.0, zoom), image, false);
        settle();
    }
    void press(QPushButton* button)
    {
        if (!popover.isVisible())
            click(SidebarIconType::SaveJSON);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList caches() const
    {
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
            .entryList(QDir::Files | QDir::Hidden);
    }
};

QVariant stored(const char* key)
{
    return QSettings(MatchSetting::organization, MatchSetting::application).value(QString::fromLatin1(key));
}

// Before the fixture's MatchSetting reads the store.
void clearStore()
{
    QSettings settings(MatchSetting::organization, MatchSetting::application);
    settings.clear();
    settings.sync();
}

// The Settings popover open beside its sidebar entry.
struct Settings : Sidebar {
    SettingsPopover& popover = *settings;

    Settings()
    {
        click(SidebarIconType::Settings);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&popover));
    }
};
} // namespace

TEST(SidebarView, ShowsItsEntriesInSectionsWithTheLowerOnesAtTheBottom)
{
    Sidebar s;
    // In this order, with these captions (also their accessible names) and help texts.
    const struct {
        SidebarIconType type;
        const char *title, *help;
    } entries[] = {
        { SidebarIconType::New, "New Image", "Click here to add one or multiple new images" },
        { SidebarIconType::DrawRectangle, "Draw Rectangle",
            "Click here to enter into draw mode to draw bounding boxs on the image" },
        { SidebarIconType::MoveRectangle, "Move Image",
            "Click here to enter into image mode to move image along the canvas" },
        { SidebarIconType::SaveJSON, "Save", "" },
        { SidebarIconType::ZoomIn, "Zoom In", "Upscales the image" },
        { SidebarIconType::ZoomOut, "Zoom Out", "Downscales the image" },
        { SidebarIconType::Settings, "Settings", "" },
    };
    int previousTop = -1;
    for (const auto& e : entries) {
        SidebarIcon* icon = s.icon(e.type);
        ASSERT_NE(icon, nullptr) << e.title;
        EXPECT_EQ(icon->accessibleName(), e.title);
        EXPECT_EQ(icon->toolTip(), e.help);
        EXPECT_GT(s.top(e.type), previousTop) << e.title;
        previousTop = s.top(e.type);
    }
    EXPECT_FALSE(s.icon(SidebarIconType::OpenRecent));
    EXPECT_FALSE(s.icon(SidebarIconType::SaveCSV));

    // The lower sections keep their distance from the bottom whatever the height; the upper ones stay.
    const auto tops = [&] {
        return std::vector<int> { s.top(SidebarIconType::MoveRectangle), s.top(SidebarIconType::SaveJSON),
            s.top(SidebarIconType::Settings) };
    };
    const auto before = tops();
    s.view.resize(220, 1200);
    QCoreApplication::processEvents();
    EXPECT_EQ(tops(), (std::vector<int> { before[0], before[1] + 400, before[2] + 400 }));
}

TEST(SidebarView, OnlyTheModeEntriesLightUpNewImageAddsImagesAndTheZoomEntriesStepTheCurrentOne)
{
    Sidebar s;
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    s.click(SidebarIconType::MoveRectangle);
    EXPECT_EQ(s.highlights(), std::vector<bool>({ false, false, true, false, false, false, false }));
    EXPECT_EQ(s.cursorManager.currentCursorMode.get(), CursorMode::dragToMoveImage);
    s.click(SidebarIconType::DrawRectangle);
    EXPECT_EQ(s.highlights(), std::vector<bool>({ false, true, false, false, false, false, false }));
    EXPECT_EQ(s.cursorManager.currentCursorMode.get(), CursorMode::dragToDrawRectangle);

    // New Image clears the highlight; the canvas stays in draw mode. Cancelling adds nothing.
    s.click(SidebarIconType::New);
    EXPECT_EQ(s.dialogs.openImagesCalls, 1);
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    EXPECT_EQ(s.cursorManager.currentCursorMode.get(), CursorMode::dragToDrawRectangle);
    EXPECT_TRUE(s.imageManager.allImages.get().empty());

    // With no image the zoom entries are disabled and take no click.
    EXPECT_FALSE(s.icon(SidebarIconType::ZoomIn)->isEnabled() || s.icon(SidebarIconType::ZoomOut)->isEnabled());
    s.click(SidebarIconType::DrawRectangle);
    s.click(SidebarIconType::ZoomIn);
    EXPECT_TRUE(s.icon(SidebarIconType::DrawRectangle)->highlighted());

    s.dialogs.imagesToOpen = { TestImages::write(s.dir, "a.png", 40, 30), TestImages::write(s.dir, "b.jpg", 20, 10) };
    s.click(SidebarIconType::New);
    ASSERT_EQ(s.imageManager.imageCount(), 2);
    s.imageManager.currentImageIndex.set(1);
    s.click(SidebarIconType::ZoomIn);
    EXPECT_EQ(s.imageManager.allCurrentScaleFactors.get(), std::vector<double>({ 1.0, 1.1 }));
    EXPECT_TRUE(ZoomTransition::instance().running()); // the sidebar's step is the animated one
    s.click(SidebarIconType::ZoomOut);
    EXPECT_DOUBLE_EQ(s.imageManager.allCurrentScaleFactors.get()[1], 0.99);
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    QTRY_VERIFY(!ZoomTransition::instance().running());

    // Save and Settings open their popovers beside the entry and light up nothing.
    s.click(SidebarIconType::SaveJSON);
    ASSERT_TRUE(s.save->isVisible());
    const SidebarIcon* save = s.icon(SidebarIconType::SaveJSON);
    EXPECT_GT(s.save->geometry().left(), save->mapToGlobal(save->rect().topRight()).x());
    EXPECT_EQ(s.highlights(), std::vector<bool>(7, false));
    s.click(SidebarIconType::SaveJSON);
    EXPECT_FALSE(s.save->isVisible());
    // A press elsewhere closes it and still does what it does there; so does Escape.
    s.click(SidebarIconType::SaveJSON);
    s.click(SidebarIconType::MoveRectangle);
    EXPECT_FALSE(s.save->isVisible());
    EXPECT_TRUE(s.icon(SidebarIconType::MoveRectangle)->highlighted());
    s.click(SidebarIconType::SaveJSON);
    QTest::keyClick(s.save, Qt::Key_Escape);
    EXPECT_FALSE(s.save->isVisible());

    s.click(SidebarIconType::Settings);
    ASSERT_TRUE(s.settings->isVisible());
    QTest::mouseClick(s.settings->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(s.settings->isVisible());
    s.click(SidebarIconType::Settings);
    EXPECT_TRUE(s.settings->isVisible());
    s.click(SidebarIconType::DrawRectangle); // it stays open until closed on purpose
    EXPECT_TRUE(s.settings->isVisible());
    s.click(SidebarIconType::Settings);
    EXPECT_FALSE(s.settings->isVisible());
}

TEST(SidebarView, EntriesStartFivePointsFromTheLeadingEdgeAndGrowUnderThePointer)
{
    Sidebar s;
    // Where the highlight of a mode entry begins, in sidebar coordinates.
    const auto highlightLeft = [&](SidebarIconType type) {
        s.click(type);
        SidebarIcon* entry = s.icon(type);
        const QImage image = s.view.grab(QRect(entry->mapTo(&s.view, QPoint(0, 0)), entry->size())).toImage();
        const int middle = image.height() / 2;
        const QColor ground = image.pixelColor(0, middle);
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, middle) != ground)
                return entry->mapTo(&s.view, QPoint(x, 0)).x();
        return -1;
    };
    EXPECT_EQ(highlightLeft(SidebarIconType::MoveRectangle), 5);
    // A column too narrow for a caption, fixed as the main window fixes it, shortens the caption and
    // keeps the entry in line.
    s.view.setFixedWidth(110);
    QCoreApplication::processEvents();
    EXPECT_LT(
        s.icon(SidebarIconType::DrawRectangle)->width(), s.icon(SidebarIconType::DrawRectangle)->sizeHint().width());
    EXPECT_EQ(highlightLeft(SidebarIconType::DrawRectangle), 5);

    // Under the pointer an entry grows and turns its symbol, animated, and back when the pointer leaves.
    SidebarIcon* icon = s.icon(SidebarIconType::MoveRectangle);
    QTest::mouseMove(icon, icon->rect().center());
    QTRY_VERIFY(icon->isHovering());
    EXPECT_LT(icon->hoverProgress(), 1.0); // animated, not at once
    QTRY_COMPARE(icon->hoverProgress(), 1.0);
    EXPECT_EQ(icon->currentScale(), 1.2);
    EXPECT_EQ(icon->symbolTurnDegrees(), 180.0);
    QTest::mouseMove(&s.view, QPoint(s.view.width() - 2, s.view.height() / 2));
    QTRY_COMPARE(icon->hoverProgress(), 0.0);
    EXPECT_EQ(icon->symbolTurnDegrees(), 0.0);
}

TEST(SavePopover, SavesWaitForAShownBoxWriteTheCurrentImagesShownBoxesInImagePixelsAndShowFailures)
{
    // New files get the mode this mask gives, whatever the test was started with.
    const struct Umask {
        mode_t previous = umask(022);
        ~Umask() { umask(previous); }
    } mask;
    Save s;
    EXPECT_FALSE(s.popover.jsonSection()->isEnabled());
    EXPECT_TRUE(s.popover.csvText()->isEnabled()); // only the CSV button is disabled
    EXPECT_FALSE(s.popover.csvButton()->isEnabled());
    s.add(0, { 5, 5 }, { 6, 6 }, "deleted");
    s.boundingBoxManager.hideCurrentBox(0, 0);
    s.settle();
    EXPECT_FALSE(s.popover.jsonButton()->isEnabled());
    s.add(0, { 10, 20 }, { 30, 40 }, "cat");
    s.imageManager.currentImageIndex.set(1);
    EXPECT_TRUE(s.popover.jsonSection()->isEnabled());
    EXPECT_TRUE(s.popover.csvButton()->isEnabled());
    // A box on any image enables both, though the second image has none: its (empty) file is saved.
    s.dialogs.fileToSave = s.dir + "/second";
    s.press(s.popover.jsonButton());
    EXPECT_FALSE(s.popover.isVisible()); // the dialog came in its place
    EXPECT_EQ(readFile(s.dir + "/second.json"), R"({"imageName":"cat.small.png","imageIndex":1,"shapes":[]})");

    s.imageManager.currentImageIndex.set(0);
    s.add(0, { 12.5, 25 }, { 37.5, 50 }, "dog/2", 1.25);
    s.add(1, { 1, 1 }, { 2, 2.5 }, "other image");

    s.dialogs.fileToSave = s.dir + "/boxes.json";
    s.press(s.popover.jsonButton());
    EXPECT_EQ((QStringList { s.dialogs.lastSaveTitle, s.dialogs.lastSaveMessage, s.dialogs.lastSaveNameLabel }),
        QStringList({ "Save JSON file", "Choose a folder and a name to store your json file.", "JSON name:" }));
    EXPECT_EQ(readFile(s.dir + "/boxes.json"),
        R"({"imageName":"a.png","imageIndex":0,"shapes":[)"
        R"({"label":"cat","bboxCoord":[[10.0,20.0],[30.0,40.0]]},)"
        R"({"label":"dog\/2","bboxCoord":[[10.0,20.0],[30.0,40.0]]}]})");

    // Cancel writes nothing and leaves the cache folder alone.
    const QStringList cachesBefore = s.caches();
    s.dialogs.fileToSave.clear();
    s.press(s.popover.jsonButton());
    s.press(s.popover.csvButton());
    EXPECT_EQ(QDir(s.dir).entryList(QDir::Files), QStringList({ "boxes.json", "second.json" }));
    EXPECT_EQ(s.caches(), cachesBefore);

    // The CSV goes through the hidden file and the bundled script; the ending is added.
    s.imageManager.currentImageIndex.set(1);
    s.dialogs.fileToSave = s.dir + "/table";
    s.press(s.popover.csvButton());
    EXPECT_EQ((QStringList { s.dialogs.lastSaveTitle, s.dialogs.lastSaveMessage, s.dialogs.lastSaveNameLabel }),
        QStringList({ "Save CSV file", "Choose a folder and a name to store your csv file.", "CSV name:" }));
    EXPECT_EQ(readFile(s.dir + "/table.csv"),
        "imageName,imageIndex,label,x1,y1,x2,y2\r\n"
        "cat.small.png,1,other image,1.0,1.0,2.0,2.5\r\n");
    EXPECT_EQ(s.caches(), cachesBefore);
    for (const char* name : { "/boxes.json", "/table.csv" }) {
        struct stat file {
        };
        ASSERT_EQ(stat(QFile::encodeName(s.dir + name).constData(), &file), 0);
        EXPECT_EQ(file.st_mode & 0777, 0644u) << name;
    }

    // A failed save is shown and keeps the earlier file.
    const QString earlier = s.dir + QStringLiteral("/earlier #1 %20?ü");
    for (const QString ending : { ".json", ".csv" }) {
        writeFile(earlier + ending, "earlier");
        QFile::setPermissions(earlier + ending, QFile::ReadOwner | QFile::ReadGroup);
    }
    // The reasons come from the writers, whose own tests try a write cut short by the file-size limit.
    const struct {
        QString path;
        QString reason; // a part of the message
    } cases[] {
        { s.dir + "/no such folder/boxes", "No such file or directory" },
        { "/proc/boxes", "/proc/boxes" },
        { earlier, " is read-only." },
    };
    AlertAnswerer ok("OK");
    qsizetype alerts = 0;
    for (const auto& c : cases) {
        for (const QString kind : { "JSON", "CSV" }) {
            const QString path = c.path + "." + kind.toLower();
            s.dialogs.fileToSave = path;
            s.press(kind == "JSON" ? s.popover.jsonButton() : s.popover.csvButton());

            ASSERT_EQ(ok.seen().size(), ++alerts) << path.toStdString();
            const auto& seen = ok.seen().last();
            EXPECT_TRUE(seen.title == "Save Failed" && seen.text.startsWith("The " + kind + " file was not saved.")
                && seen.text.contains(c.reason) && !seen.text.contains("Traceback"))
                << seen.title.toStdString() << ": " << seen.text.toStdString();
            EXPECT_EQ(readFile(path), QFileInfo::exists(path) ? QByteArray("earlier") : QByteArray("<missing>"));
        }
    }
    EXPECT_TRUE(QDir(exchangeFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(QDir(s.dir).entryList(QDir::Files | QDir::Hidden),
        QStringList({ "boxes.json", "earlier #1 %20?ü.csv", "earlier #1 %20?ü.json", "second.json", "table.csv" }));
}

TEST(SettingsPopover, OnlyChosenAcceptedPathsAreStoredAndSurviveARestart)
{
    clearStore();
    const QString dir = TestEnvironment::makeTempDir();
    const QString library = writeFile(dir + "/my libs/libpython3.11.so.1.0");
    const QString folder = dir + "/my scripts ü";
    QDir().mkpath(folder);
    {
        Settings s;
        EXPECT_EQ(s.popover.restartNoteOpacity(), 0.0);
        // With no library chosen the interpreter's executable stands in, in the running program only.
        const QString executable = s.matchSetting.pythonEnv.get();
        EXPECT_TRUE(QFileInfo(executable).fileName().startsWith("python")) << "the test machine has Python 3";
        QTRY_COMPARE(s.popover.pythonPathField()->text(), executable);
        // Load Scripts stores the folder and asks for no restart.
        s.dialogs.folderToChoose = folder;
        QTest::mouseClick(s.popover.loadScriptsButton(), Qt::LeftButton);
        EXPECT_EQ(s.matchSetting.pythonLibrary.get(), folder);
        QTRY_COMPARE(s.popover.scriptsPathField()->text(), folder);
        EXPECT_FALSE(s.popover.showRestartText());

        // The test is case-sensitive: "Python3" is refused, with a message, and nothing changes.
        s.dialogs.fileToOpen = writeFile(dir + "/Python3");
        {
            AlertAnswerer ok("OK");
            QTest::mouseClick(s.popover.changePathButton(), Qt::LeftButton);
            ASSERT_EQ(ok.seen().size(), 1);
            EXPECT_EQ(ok.seen()[0].title, "Invalid Input");
            EXPECT_TRUE(ok.seen()[0].text.contains("Python3"));
        }
        EXPECT_FALSE(s.popover.showRestartText());
        EXPECT_EQ(s.matchSetting.pythonEnv.get(), executable);
        EXPECT_FALSE(stored(MatchSetting::pythonPathKey).isValid());

        // Cancel in either dialog writes nothing.
        s.dialogs.fileToOpen.clear();
        s.dialogs.folderToChoose.clear();
        QTest::mouseClick(s.popover.changePathButton(), Qt::LeftButton);
        QTest::mouseClick(s.popover.loadScriptsButton(), Qt::LeftButton);
        EXPECT_FALSE(stored(MatchSetting::pythonPathKey).isValid());
        EXPECT_EQ(stored(MatchSetting::pythonLibraryKey).toString(), folder);

        s.dialogs.fileToOpen = library;
        QTest::mouseClick(s.popover.changePathButton(), Qt::LeftButton);
        EXPECT_TRUE(s.popover.showRestartText());
        EXPECT_EQ(s.popover.restartNote()->text(), "*Restart the app for the changes to take effect.");
        QTRY_COMPARE(s.popover.restartNoteOpacity(), 1.0);
        EXPECT_EQ(s.matchSetting.pythonEnv.get(), library);
        QTRY_COMPARE(s.popover.pythonPathField()->text(), library);
        // Plain texts: the blanks stay blanks.
        EXPECT_EQ(stored(MatchSetting::pythonPathKey).toString(), library);
        EXPECT_EQ(stored(MatchSetting::pythonLibraryKey).toString(), folder);
        s.popover.readInterpreter(); // a library already set is kept
        EXPECT_EQ(s.matchSetting.pythonEnv.get(), library);

        // Typing changes the running program only.
        s.popover.pythonPathField()->setFocus();
        s.popover.pythonPathField()->selectAll();
        QTest::keyClicks(s.popover.pythonPathField(), "/typed/libpython9.so");
        EXPECT_EQ(s.matchSetting.pythonEnv.get(), "/typed/libpython9.so");
        QTest::keyClicks(s.popover.scriptsPathField(), "/typed");
        EXPECT_EQ(s.matchSetting.pythonLibrary.get(), folder + "/typed");
    }
    MatchSetting restarted;
    EXPECT_EQ(restarted.pythonEnv.get(), library);
    EXPECT_EQ(restarted.pythonLibrary.get(), folder);
}
