// Match through the bundled scripts in the embedded interpreter, driven from the canvas's buttons.
#include "view/canvas/MatchControls.h"

#include "Alerts.h"
#include "CanvasHost.h"
#include "TestPython.h"
#include "viewmodel/ExchangeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>

namespace
{
constexpr int side = 24;
constexpr double zoom = 1.5;

using TestImages::noise;
using TestImages::plant;

QString cacheDir() { return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation); }

QStringList resultFiles()
{
    return QDir(cacheDir()).entryList({ QStringLiteral("kestrune-matches-*.json") }, QDir::Files);
}

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
        QImage picture = noise(320, 220, 1);
        const QImage catPattern = noise(side, side, 2);
        const QImage dogPattern = noise(side, side, 3);
        for (QPoint at : { QPoint(10, 10), QPoint(100, 40), QPoint(200, 120), QPoint(250, 20) })
            plant(picture, catPattern, at);
        for (QPoint at : { QPoint(150, 150), QPoint(40, 180) })
            plant(picture, dogPattern, at);
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
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

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
    const QString exchange = QDir(cacheDir()).filePath(".cat.json");
    EXPECT_TRUE(QFile::exists(exchange));
    EXPECT_EQ(resultFiles().size(), 1);
    QTest::qWait(100);
    EXPECT_TRUE(QFile::exists(exchange));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(exchange));
    EXPECT_TRUE(resultFiles().isEmpty());

    // Minus raises the threshold and matches again: the same copies, not twice.
    s.click("minus");
    EXPECT_DOUBLE_EQ(s.matchSetting.threshold.get(), 0.7);
    EXPECT_EQ(s.matches(), expected);
    EXPECT_EQ(s.boxes().size(), 5u);
    QTest::qWait(400);
    EXPECT_FALSE(QFile::exists(exchange));
    EXPECT_TRUE(resultFiles().isEmpty());
}

TEST_F(MatchControlsTest, ThresholdStepsAreFloatingPointStepsWithoutBounds)
{
    Scene s;
    s.click("Match");
    for (int i = 0; i < 4; ++i)
        s.click("minus");
    EXPECT_EQ(s.matchSetting.threshold.get(), 0.9999999999999999);
    s.click("Match");
    EXPECT_EQ(s.matchSetting.threshold.get(), 0.6);
    for (int i = 0; i < 6; ++i)
        s.click("plus");
    EXPECT_NEAR(s.matchSetting.threshold.get(), 2.7755575615628914e-17, 1e-30);
    s.click("plus");
    EXPECT_NEAR(s.matchSetting.threshold.get(), -0.1, 1e-15);
    EXPECT_EQ(s.boxes()[0], s.cat); // templates stay whatever the threshold

    // Another image makes the threshold buttons wait for its own first "Match".
    s.addBox(1, { 1, 1 }, { 9, 9 }, "x", true);
    s.imageManager.showImage(1);
    s.settle();
    EXPECT_FALSE(s.canvas->state().isMatchClicked());
    EXPECT_FALSE(s.button("minus")->isEnabled());
    QTest::qWait(400); // let the clean-ups run
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

TEST_F(MatchControlsTest, AFailureIsShownAndTheBoxesStay)
{
    Scene s;
    ASSERT_TRUE(QFile::remove(s.image->imagePath.toLocalFile()));
    const std::vector<BoxPtr> before = s.boxes();
    {
        AlertAnswerer answerer(QStringLiteral("OK"));
        s.click("Match");
        ASSERT_EQ(answerer.seen().size(), 1);
        EXPECT_EQ(answerer.seen()[0].title, "Match");
        EXPECT_TRUE(answerer.seen()[0].text.contains("Cannot read the image")) << answerer.seen()[0].text.toStdString();
    }
    EXPECT_EQ(s.boxes(), before);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QTest::qWait(400);
    EXPECT_FALSE(QFile::exists(QDir(cacheDir()).filePath(".cat.json")));

    // No folder for cached files: told, and nothing else happens.
    const QByteArray caches = qgetenv("XDG_CACHE_HOME");
    const QString blocker = s.dir + QStringLiteral("/not a folder");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_CACHE_HOME", (blocker + "/cache").toLocal8Bit());
    AlertAnswerer second(QStringLiteral("OK"));
    s.click("Match");
    qputenv("XDG_CACHE_HOME", caches);
    ASSERT_EQ(second.seen().size(), 1);
    EXPECT_EQ(second.seen()[0].title, "Match");
    EXPECT_EQ(s.boxes(), before);
}

TEST(MatchControls, ExchangeFileNameIsTheFirstNamePiece)
{
    // A name of dots alone has no first piece; it still gets a file of its own.
    const std::pair<const char*, const char*> names[] { { "...", ".image.json" }, { "cat.small.png", ".cat.json" },
        { "scan", ".scan.json" }, { ".hidden.png", ".hidden.json" }, { "..a..b.png", ".a.json" },
        { "naïve name.jpg", ".naïve name.json" } };
    for (const auto& [name, file] : names)
        EXPECT_EQ(exchangeFileName(QString::fromUtf8(name)), QString::fromUtf8(file)) << name;
}
