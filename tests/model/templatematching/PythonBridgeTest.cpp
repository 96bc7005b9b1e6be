// Match and the CSV export end to end through the embedded interpreter, loaded from Debian's library.
#include "model/templatematching/PythonBridge.h"
#include "model/templatematching/PythonRuntime.h"
#include "viewmodel/BoundingBoxManager.h"

#include "BoxText.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "TestPython.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace
{
QString url(const QString& path) { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

struct PythonBridge : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_TRUE(TestPython::start()); }
};
} // namespace

TEST_F(PythonBridge, LoadsTheChosenLibraryOnceWithItsOwnPrefix)
{
    // Not whatever python3 comes first on PATH: the interpreter beside the library's prefix.
    QString error;
    EXPECT_EQ(pythonExecutable(&error), QStringLiteral("/usr/bin/python3.11")) << error.toStdString();
    // A second choice cannot change the library in use, and harms nothing.
    EXPECT_FALSE(PythonRuntime::instance().selectLibrary(QStringLiteral("/elsewhere/libpython3.12.so.1.0"))
        || PythonRuntime::instance().selectLibrary(QString()));
    EXPECT_EQ(std::tuple(pythonExecutable(), PythonRuntime::instance().loadedLibrary()),
        std::tuple(std::optional(QStringLiteral("/usr/bin/python3.11")), TestPython::debianLibrary));
}

// Which copies match is the script's (tests/python); here the paths, the label and the corners that
// cross the bridge both ways, with the image shown at zoom 1.5.
TEST_F(PythonBridge, MatchTakesAwkwardPathsAndLabelsBothWays)
{
    const QString dir = TestEnvironment::makeTempDir() + QStringLiteral("/a folder ü #%?");
    ASSERT_TRUE(QDir().mkpath(dir));
    QImage image = TestImages::noise(400, 300, 1);
    for (const QImage pattern = TestImages::noise(24, 24, 2);
         const QPoint p : { QPoint(60, 150), QPoint(250, 200), QPoint(370, 5) })
        TestImages::plant(image, pattern, p);
    const QString imagePath = dir + QStringLiteral("/scene #1 %41?.png");
    ASSERT_TRUE(image.save(imagePath));

    const std::string label = "dog/x ünï, \"quoted\"";
    const double zoom = 1.5;
    BoundingBoxManager manager;
    manager.allBoundingBoxes.set({ {}, {} });
    manager.appendBox(std::make_shared<BoundingBoxProperty>(Point { 60, 150 } * zoom, Point { 84, 174 } * zoom,
                          QString::fromStdString(label), 1.0, zoom, true, true),
        1, false);
    manager.appendBox(std::make_shared<BoundingBoxProperty>(Point { 1, 1 }, Point { 5, 5 }, "old match"), 1, false);
    const QString templates = QDir(qEnvironmentVariable("XDG_CACHE_HOME")).filePath(".scene.json");
    ASSERT_TRUE(manager.cacheJson(QUrl::fromLocalFile(templates), "scene #1 %41?.png", 1));
    QString error;
    const auto result = getBoxes(url(templates), url(imagePath), 0.6, QString(), &error);
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_TRUE(QFileInfo(*result).isAbsolute() && result->startsWith(qEnvironmentVariable("XDG_CACHE_HOME")))
        << result->toStdString();
    manager.updateMatchedBox(QStringLiteral("file://") + *result, 0.8, zoom);
    EXPECT_EQ(boxesText(manager.allBoundingBoxes.get()[1]),
        label + "T 90,225 126,261 px 60,150 84,174 s1 i1.5 | " + label
            + " 555,7.5 591,43.5 px 370,5 394,29 s0.8 i1.5 | " + label
            + " 375,300 411,336 px 250,200 274,224 s0.8 i1.5");
    EXPECT_TRUE(QFile::remove(*result));
}

// The rows themselves are the script's (tests/python); here the paths and texts that cross the bridge.
TEST_F(PythonBridge, CsvExportTakesAwkwardPathsAndTexts)
{
    const QString dir = TestEnvironment::makeTempDir() + QString::fromUtf8("/with blank ü #%?");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString json = TestEnvironment::writeFile(dir + QStringLiteral("/.scene.json"),
        R"({"imageName":"scène.png","imageIndex":0,"shapes":[{"label":"a, \"b\"","bboxCoord":[[3,4.5],[1,2]]}]})");
    QFile csv(dir + QStringLiteral("/boxes.csv"));
    QString error;
    ASSERT_TRUE(saveBoxes(json, csv.fileName(), QString(), &error)) << error.toStdString();
    EXPECT_EQ(csv.open(QIODevice::ReadOnly) ? QString::fromUtf8(csv.readAll()) : QString("(missing)"),
        QString::fromUtf8("imageName,imageIndex,label,x1,y1,x2,y2\r\nscène.png,0,\"a, \"\"b\"\"\",3,4.5,1,2\r\n"));
}
