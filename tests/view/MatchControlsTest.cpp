// Match through the bundled scripts in the embedded interpreter, driven from the canvas's buttons.
#include "view/canvas/MatchControls.h"

#include "Alerts.h"
#include "CanvasHost.h"
#include "TestPython.h"
#include "view/ScriptWaitDialog.h"
#include "viewmodel/ExchangeFile.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int side = 24;
constexpr double zoom = 1.5;

QStringList resultFiles() { return QDir(exchangeFolder()).entryList({ QStringLiteral("kestrune-matches-*.json") }); }

using Boxes = std::set<std::tuple<QString, double, double, double, double>>;

class MatchControlsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { TestPython::start(); }
};

// A scene with copies of a cat and a dog: the first cat is a template, the first dog a deleted
// template, and one drawn box is no template; the image is shown at zoom 1.5.
struct Scene : CanvasHost {
    MatchControls* controls = control<MatchControls>();
    ImagePtr image;
    BoxPtr cat, dog, drawn;

    Scene()
    {
        QImage picture = TestImages::noise(320, 220, 1);
        const QImage catPattern = TestImages::noise(side, side, 2);
        const QImage dogPattern = TestImages::noise(side, side, 3);
        for (QPoint at : { QPoint(10, 10), QPoint(100, 40), QPoint(200, 120), QPoint(250, 20) })
            TestImages::plant(picture, catPattern, at);
        for (QPoint at : { QPoint(150, 150), QPoint(40, 180) })
            TestImages::plant(picture, dogPattern, at);
        const QString path = dir + QStringLiteral("/cat.small.png");
        EXPECT_TRUE(picture.save(path));
        image = openPath(path);
        open(QStringLiteral("other.png"));
        imageManager.allCurrentScaleFactors.modify([](auto& v) { v[0] = zoom; });

        cat = pixelBox(QStringLiteral("cat"), { 10, 10 }, true);
        cat->setScaleFactor(1.5);
        dog = pixelBox(QStringLiteral("dog"), { 150, 150 }, true);
        drawn = pixelBox(QStringLiteral("drawn"), { 60, 60 }, false);
        boundingBoxManager.hideCurrentBox(1, 0);
        settle();
    }

    BoxPtr pixelBox(const QString& label, Point at, bool isTemplate)
    {
        auto box = std::make_shared<BoundingBoxProperty>(
            at * zoom, (at + Point { side, side }) * zoom, label, 1.0, zoom, true, isTemplate);
        boundingBoxManager.appendBox(box, 0, false);
        return box;
    }

    QPushButton* button(const QString& name) const
    {
        for (QPushButton* b : controls->findChildren<QPushButton*>())
            if (b->accessibleName() == name || b->objectName() == name)
                return b;
        return nullptr;
    }
    void click(const QString& name)
    {
        QTest::mouseClick(button(name), Qt::LeftButton);
        settle();
    }
    const BoundingBoxManager::BoxList& boxes() const { return *boundingBoxManager.boxesOf(0); }
    // The non-template boxes: label and corners in image pixels.
    Boxes matches() const
    {
        Boxes found;
        for (const BoxPtr& box : boxes())
            if (!box->markTemplate())
                found.insert({ box->classLabel(), box->originalStartLoc().x, box->originalStartLoc().y,
                    box->originalEndLoc().x, box->originalEndLoc().y });
        return found;
    }
};

// The colour of the symbol's most opaque pixel.
QColor iconColour(QPushButton* button, QIcon::Mode mode)
{
    const QImage image = button->icon().pixmap(QSize(16, 16), mode).toImage();
    QColor best(0, 0, 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > best.alpha())
                best = image.pixelColor(x, y);
    return best;
}
} // namespace

TEST_F(MatchControlsTest, MatchReplacesEarlierMatchesAndKeepsTheTemplates)
{
    Scene s;
    EXPECT_TRUE(s.button("Match")->isEnabled());
    // Before a first "Match" the threshold buttons wait, yet are drawn blue at half opacity.
    EXPECT_FALSE(s.button("minus")->isEnabled());
    EXPECT_FALSE(s.button("plus")->isEnabled());
    const QColor halfBlue = iconColour(s.button("minus"), QIcon::Disabled);
    EXPECT_NEAR(halfBlue.blue(), Palette::blue.blue(), 2);
    EXPECT_NEAR(halfBlue.alphaF(), 0.5, 0.01);

    s.matchSetting.threshold.set(0.3);
    s.click("Match");
    EXPECT_EQ(s.matchSetting.threshold.get(), 0.6);
    EXPECT_TRUE(s.canvas->state().isMatchClicked());
    EXPECT_TRUE(s.button("minus")->isEnabled());
    EXPECT_TRUE(s.button("plus")->isEnabled());

    const Boxes expected { { "cat", 250, 20, 274, 44 }, { "cat", 100, 40, 124, 64 }, { "cat", 200, 120, 224, 144 } };
    EXPECT_EQ(s.matches(), expected);
    // In reading order, after the templates; displayed at the image's zoom.
    ASSERT_EQ(s.boxes().size(), 5u);
    EXPECT_EQ(s.boxes()[0], s.cat);
    EXPECT_EQ(s.boxes()[1], s.dog);
    EXPECT_FALSE(s.dog->toShow()); // the deleted template stays, still deleted
    EXPECT_EQ(s.boxes()[2]->startLocation().x, 250 * zoom);
    EXPECT_EQ(s.boxes()[2]->scaleFactor(), 1.5);
    EXPECT_TRUE(s.boundingBoxManager.boxesOf(1)->empty());

    // The exchange file is named after the image's first name piece; both files go 0.3 s later.
    const QString exchange = QDir(exchangeFolder()).filePath(".cat.json");
    EXPECT_TRUE(QFile::exists(exchange));
    EXPECT_EQ(resultFiles().size(), 1);
    QTest::qWait(100);
    EXPECT_TRUE(QFile::exists(exchange));
    QTRY_VERIFY(!QFile::exists(exchange) && resultFiles().isEmpty());

    // Minus raises the threshold and matches again: the same copies, not twice. Plus lowers it, with
    // no bound, and "Match" starts again from 0.6.
    s.click("minus");
    EXPECT_DOUBLE_EQ(s.matchSetting.threshold.get(), 0.7);
    EXPECT_EQ(s.matches(), expected);
    EXPECT_EQ(s.boxes().size(), 5u);
    s.click("Match");
    EXPECT_EQ(s.matchSetting.threshold.get(), 0.6);
    for (int i = 0; i < 7; ++i)
        s.click("plus");
    EXPECT_NEAR(s.matchSetting.threshold.get(), -0.1, 1e-12);
    EXPECT_EQ(s.boxes()[0], s.cat); // templates stay whatever the threshold

    // Another image makes the threshold buttons wait for its own first "Match".
    s.addBox(1, { 1, 1 }, { 9, 9 }, "x", true);
    s.imageManager.showImage(1);
    s.settle();
    EXPECT_FALSE(s.canvas->state().isMatchClicked());
    EXPECT_FALSE(s.button("minus")->isEnabled());
    QTRY_VERIFY(resultFiles().isEmpty()); // let the clean-ups run
}

TEST_F(MatchControlsTest, DisabledWithoutImageOrBoxes)
{
    CanvasHost none;
    auto* controls = none.control<MatchControls>();
    for (QPushButton* button : controls->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isEnabled()) << button->accessibleName().toStdString();
    EXPECT_EQ(iconColour(controls->findChildren<QPushButton*>().at(0), QIcon::Disabled).rgb(), Palette::gray.rgb());
    controls->startMatching(); // does nothing, and does not fail

    none.open("a.png");
    none.settle();
    EXPECT_TRUE(controls->disableButton());
    // A deleted box still counts.
    none.addBox(0, { 1, 1 }, { 5, 5 });
    none.boundingBoxManager.hideCurrentBox(0, 0);
    none.settle();
    EXPECT_FALSE(controls->disableButton());
    EXPECT_TRUE(controls->findChildren<QPushButton*>().at(1)->isEnabled());
}

namespace
{
// A matcher of the test's own: the file "case" beside it says what it does, and with what text.
const QByteArray fakeMatcher = R"(
import os, shutil, tempfile, urllib.parse

def path(url):
    return urllib.parse.unquote(urllib.parse.urlsplit(url).path)

class TemplateMatcher:
    def __init__(self, template_url, image_url):
        self.template, self.image = path(template_url), path(image_url)
        with open(os.path.join(os.path.dirname(__file__), "case"), "rb") as stream:
            self.kind, _, self.text = stream.read().partition(b" ")

    def match_template(self, threshold):
        if self.kind == b"write":
            handle, self.json_file_name = tempfile.mkstemp(suffix=".json", dir=os.path.dirname(self.template))
            os.write(handle, self.text)
            os.close(handle)
        elif self.kind == b"name":
            self.json_file_name = self.image if self.text == b"image" else self.text.decode()
        elif self.kind == b"raise":
            raise RuntimeError(self.text.decode())
        elif self.kind == b"swap":
            # Another picture in the image's place while it runs, and a match in it.
            shutil.copyfile(self.text.decode(), self.image)
            handle, self.json_file_name = tempfile.mkstemp(suffix=".json", dir=os.path.dirname(self.template))
            os.write(handle, b'{"imageName":"x","imageIndex":0,"shapes":[{"label":"s","bboxCoord":[[1,2],[3,4]]}]}')
            os.close(handle)
        else:
            while True:
                pass
)";

using TestEnvironment::readFile;
using TestEnvironment::writeFile;
} // namespace

TEST(MatchControls, ExchangeFilesAreNamedAfterTheImageInAFolderOfThisCopyAlone)
{
    // A name of dots alone has no first piece; it still gets a file of its own.
    const std::pair<const char*, const char*> names[] { { "...", ".image.json" }, { "cat.small.png", ".cat.json" },
        { "scan", ".scan.json" }, { ".hidden.png", ".hidden.json" }, { "..a..b.png", ".a.json" },
        { "naïve name.jpg", ".naïve name.json" } };
    for (const auto& [name, file] : names)
        EXPECT_EQ(exchangeFileName(QString::fromUtf8(name)), QString::fromUtf8(file)) << name;

    // Folders left by other copies: one still running (this test's parent), one that ended.
    const QByteArray caches = qgetenv("XDG_CACHE_HOME");
    const QString fresh = TestEnvironment::makeTempDir() + QStringLiteral("/cache ü");
    qputenv("XDG_CACHE_HOME", fresh.toUtf8());
    const QString copy = fresh + QStringLiteral("/kestrune-%1-%2-aB3dE6").arg(QSysInfo::machineHostName());
    ASSERT_TRUE(QDir().mkpath(copy.arg(getppid())));
    ASSERT_TRUE(QDir().mkpath(copy.arg(999999999) + QStringLiteral("/left")));
    const QString folder = exchangeFolder();
    qputenv("XDG_CACHE_HOME", caches);
    EXPECT_EQ(QFileInfo(folder).absolutePath(), fresh);
    EXPECT_TRUE(QFileInfo(folder).fileName().startsWith(copy.arg(getpid()).section('/', -1).chopped(6)));
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(QFileInfo::exists(copy.arg(getppid())));
    EXPECT_FALSE(QFileInfo::exists(copy.arg(999999999)));

    // Only a file right inside it is ours to remove.
    writeFile(folder + QStringLiteral("/r.json"), "{}");
    writeFile(fresh + QStringLiteral("/r.json"), "{}");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
    const std::pair<QString, bool> paths[] { { folder + QStringLiteral("/r.json"), true },
        { folder + QStringLiteral("/./sub/../r.json"), true }, { folder + QStringLiteral("/../r.json"), false },
        { folder + QStringLiteral("/sub"), false }, { folder + QStringLiteral("/none.json"), false } };
    for (const auto& [path, ours] : paths)
        EXPECT_EQ(isInExchangeFolder(path), ours) << path.toStdString();
}

TEST_F(MatchControlsTest, BadResultsAndScriptsLeaveTheBoxesAndEveryOtherFileAloneAndALoopIsCancelled)
{
    Scene s;
    const QString scripts = s.dir + QStringLiteral("/my scripts");
    ASSERT_TRUE(QDir().mkpath(scripts));
    writeFile(scripts + "/packageInstaller.py", "def checkPackage():\n    pass\n");
    writeFile(scripts + "/templateMatcher.py", fakeMatcher);
    s.matchSetting.pythonLibrary.set(scripts);
    const QString imagePath = s.image->imagePath.toLocalFile();
    const QByteArray picture = readFile(imagePath);
    const QString foreign = s.dir + QStringLiteral("/other #1 %20?.json");
    const QByteArray foreignBytes
        = R"({"imageName":"x","imageIndex":0,"shapes":[{"label":"f","bboxCoord":[[1,2],[3,4]]}]})";
    writeFile(foreign, foreignBytes);
    const QString pipe = s.dir + QStringLiteral("/pipe.json");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    const QString unusable = QStringLiteral("The matching script's result cannot be used");
    const struct {
        QByteArray script;
        QString alert; // empty: none
        int matches; // the image's boxes afterwards that are no template; -1: the boxes stay as they were
    } cases[] {
        // The reader's own refusals are its tests'; these show that its reason is passed on.
        { "write null", unusable, -1 },
        { R"(write {"imageName":"x","imageIndex":7,"shapes":[]})", "image index 7", -1 },
        // Shapes without two finite points are skipped (the zoom is 1.5); the others are placed.
        { R"(write {"imageName":"x","imageIndex":0,"shapes":[{"label":"a","bboxCoord":[[1,2]]},)"
          R"({"label":"b","bboxCoord":[[1.7e308,1],[2,3]]},{"label":"c","bboxCoord":[[1e300,-1e300],[2,3]]}]})",
            {}, 1 },
        { "name image", unusable, -1 }, { "name " + foreign.toUtf8(), {}, 1 },
        // Never waited for, nor cut short at a NUL to read the file before it.
        { "name " + pipe.toUtf8(), "a named pipe, not a regular file", -1 },
        { "name " + foreign.toUtf8() + QByteArray("\0x", 2), "NUL", -1 },
        { "raise boom", "RuntimeError: boom", -1 }, // the script's own failures are the runtime tests'
    };
    for (const auto& c : cases) {
        writeFile(scripts + "/case", c.script);
        const std::vector<BoxPtr> before = s.boxes();
        AlertAnswerer ok(QStringLiteral("OK"));
        s.click("Match");
        s.canvas->grab(); // boxes far out are painted without harm
        ASSERT_EQ(ok.seen().size(), c.alert.isEmpty() ? 0 : 1) << c.script.constData();
        if (!c.alert.isEmpty()) {
            EXPECT_EQ(ok.seen()[0].title, "Match");
            EXPECT_TRUE(ok.seen()[0].text.contains(c.alert)) << ok.seen()[0].text.toStdString();
        }
        if (c.matches < 0)
            EXPECT_EQ(s.boxes(), before) << c.script.constData();
        else
            EXPECT_EQ(s.matches().size(), size_t(c.matches)) << c.script.constData();
    }
    {
        // A picture of another size in the image's file, before or while the script runs: told, and nothing
        // is placed.
        const QString smaller = s.dir + QStringLiteral("/smaller.png");
        ASSERT_TRUE(TestImages::noise(100, 80, 4).save(smaller));
        writeFile(scripts + "/case", "write " + foreignBytes);
        const std::vector<BoxPtr> unchanged = s.boxes();
        AlertAnswerer changed(QStringLiteral("OK"));
        QFile::remove(imagePath);
        QFile::copy(smaller, imagePath);
        s.click("Match");
        writeFile(imagePath, picture);
        writeFile(scripts + "/case", "swap " + smaller.toUtf8());
        s.click("Match");
        writeFile(imagePath, picture);
        ASSERT_EQ(changed.seen().size(), 2);
        for (const auto& alert : changed.seen())
            EXPECT_TRUE(alert.text.contains(imagePath
                + " has changed since it was opened: it now has 100 x 80 pixels, "
                  "not 320 x 220. Nothing was matched"))
                << alert.text.toStdString();
        EXPECT_EQ(s.boxes(), unchanged);
    }
    // A script that loops: the wait window comes after a while, no key typed into the canvas's index
    // field arrives meanwhile, and its "Cancel" (whose texts the e2e run presses) stops the script.
    writeFile(scripts + "/case", "loop");
    const std::vector<BoxPtr> before = s.boxes();
    auto* field = s.canvas->findChild<QLineEdit*>();
    ASSERT_TRUE(field);
    const QString index = field->text();
    int keysSent = 0;
    qint64 shownAfter = -1;
    QElapsedTimer clock;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()); !dialog) {
            QTest::keyClick(field, Qt::Key_7);
            ++keysSent;
        } else if (shownAfter < 0) {
            shownAfter = clock.elapsed();
            QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    AlertAnswerer ok(QStringLiteral("OK"));
    clock.start();
    poll.start(20);
    s.click("Match");
    poll.stop();
    EXPECT_GE(shownAfter, ScriptWaitDialog::showAfterMs - 50);
    EXPECT_GT(keysSent, 10); // the event loop ran all along
    EXPECT_EQ(field->text(), index);
    EXPECT_TRUE(ok.seen().isEmpty());
    EXPECT_EQ(s.boxes(), before);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // No folder for the exchange files: told, and nothing else happens.
    const QByteArray caches = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", (imagePath + "/cache").toLocal8Bit());
    s.click("Match");
    qputenv("XDG_CACHE_HOME", caches);
    ASSERT_EQ(ok.seen().size(), 1);
    EXPECT_TRUE(ok.seen()[0].text.contains("cache folder")) << ok.seen()[0].text.toStdString();
    EXPECT_EQ(s.boxes(), before);

    QTest::qWait(2 * MatchControls::cleanUpDelayMs);
    EXPECT_EQ(readFile(imagePath), picture);
    EXPECT_EQ(readFile(foreign), foreignBytes);
    EXPECT_EQ(QDir(exchangeFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}
