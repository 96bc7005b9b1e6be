// Speed of Match: the whole getBoxes road (template file, bridge, scripts, result file read back)
// against a bare sequential loop of cv2.matchTemplate + threshold + non-maximum suppression over the
// same templates, in the same run. Usage: matching_bench [python library file] (default: own search).
#include "BenchTools.h"
#include "model/templatematching/PythonBridge.h"
#include "model/templatematching/PythonRuntime.h"
#include "viewmodel/BoundingBoxManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

namespace
{
constexpr int width = 4000, height = 3000, side = 64, copies = 5, runs = 5;

// The baseline: what one would write first, one template after another on one thread.
const char* baselineCode = R"(
import cv2, numpy as np
image = cv2.imread(image_path, cv2.IMREAD_GRAYSCALE)
templates = [np.ascontiguousarray(image[y:y + 64, x:x + 64]) for x, y in corners]

def overlap(a, b):
    w = min(a[3], b[3]) - max(a[1], b[1])
    h = min(a[4], b[4]) - max(a[2], b[2])
    return w > 0 and h > 0 and w * h > 0.5 * 64 * 64

def baseline(threshold):
    candidates = []
    for template in templates:
        scores = cv2.matchTemplate(image, template, cv2.TM_CCOEFF_NORMED)
        ys, xs = np.nonzero(scores >= threshold)
        for y, x, s in zip(ys.tolist(), xs.tolist(), scores[ys, xs].tolist()):
            candidates.append((s, x, y, x + 64, y + 64))
    candidates.sort(reverse=True)
    kept = []
    for c in candidates:
        if not any(overlap(c, k) for k in kept):
            kept.append(c)
    return [k for k in kept if not any(overlap(k, (1, x, y, x + 64, y + 64)) for x, y in corners)]
)";

using namespace BenchTools;
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.path().toLocal8Bit());
    qputenv("PYTHONDONTWRITEBYTECODE", "1");
    PythonRuntime::instance().selectLibrary(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());

    // A textured grey image with three patterns planted five times each.
    QImage image(width, height, QImage::Format_Grayscale8);
    std::mt19937 random(5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar(random() & 0xff);
    std::vector<QPoint> firsts;
    for (int t = 0; t < 3; ++t) {
        std::vector<uchar> pattern(side * side);
        for (auto& p : pattern)
            p = uchar(random() & 0xff);
        for (int c = 0; c < copies; ++c) {
            const QPoint at(200 + 700 * c + 90 * t, 150 + 560 * c + 180 * t);
            if (c == 0)
                firsts.push_back(at);
            for (int row = 0; row < side; ++row)
                std::memcpy(image.scanLine(at.y() + row) + at.x(), &pattern[size_t(row * side)], side);
        }
    }
    const QString imagePath = dir.filePath("scene.png");
    if (!image.save(imagePath))
        fail("Cannot write the test image");

    BoundingBoxManager manager;
    manager.allBoundingBoxes.set({ {} });
    for (size_t t = 0; t < firsts.size(); ++t) {
        const Point at { double(firsts[t].x()), double(firsts[t].y()) };
        manager.appendBox(std::make_shared<BoundingBoxProperty>(
                              at, at + Point { side, side }, QStringLiteral("t%1").arg(t), 1.0, 1.0, true, true),
            0, false);
    }
    const QUrl cache = QUrl::fromLocalFile(dir.filePath(".scene.json"));
    const QString imageUrl = QUrl::fromLocalFile(imagePath).toString(QUrl::FullyEncoded);

    auto wholeRoad = [&] {
        QString error;
        if (!manager.cacheJson(cache, "scene.png", 0, &error))
            fail(error);
        const auto result = getBoxes(cache.toString(QUrl::FullyEncoded), imageUrl, 0.6, QString(), &error);
        if (!result)
            fail(error);
        manager.updateMatchedBox(QStringLiteral("file://") + *result);
        QFile::remove(*result);
        const auto found = manager.allBoundingBoxes.get()[0].size() - firsts.size();
        if (found != size_t(3 * (copies - 1)))
            fail(QStringLiteral("getBoxes found %1 matches instead of %2").arg(found).arg(3 * (copies - 1)));
    };

    QString error;
    const PythonApi* api = PythonRuntime::instance().api(&error);
    if (!api)
        fail(error);
    PyObject* globals = nullptr;
    auto exec = [&](const QString& code) {
        PythonGil gil(*api);
        try {
            PythonCall py(*api);
            PyRef run = py.attr(py.import("builtins"), "exec", "builtins");
            PyRef text = py.string(code);
            PyRef scope(*api, globals);
            api->Py_IncRef(globals);
            py.call(run, { &text, &scope }, "exec");
        } catch (const PythonError& e) {
            fail(e.message);
        }
    };
    {
        PythonGil gil(*api);
        PythonCall py(*api);
        PyRef dict = py.call(py.attr(py.import("builtins"), "dict", "builtins"), {}, "dict()");
        globals = dict.get();
        api->Py_IncRef(globals); // kept for the whole run
    }
    QString corners = "corners = [";
    for (const QPoint& p : firsts)
        corners += QStringLiteral("(%1, %2), ").arg(p.x()).arg(p.y());
    exec(QStringLiteral("image_path = %1\n%2]\n%3").arg("'" + imagePath + "'", corners, baselineCode));
    auto bareLoop = [&] { exec("kept = baseline(0.6)\nassert len(kept) == 12, len(kept)"); };

    wholeRoad(); // warm-up: imports, first allocations
    bareLoop();
    std::vector<double> road, bare;
    for (int k = 0; k < runs; ++k) {
        road.push_back(seconds(wholeRoad));
        bare.push_back(seconds(bareLoop));
    }
    const double ratio = median(road) / median(bare);
    std::printf("cores: %u\n", std::thread::hardware_concurrency());
    std::printf("image %d x %d, three %d x %d templates, %d copies each, threshold 0.6, median of %d runs\n", width,
        height, side, side, copies, runs);
    std::printf("whole getBoxes road: %.3f s\n", median(road));
    std::printf("bare sequential cv2 loop: %.3f s\n", median(bare));
    std::printf("ratio: %.2f (goal: at most 0.75)\n", ratio);
    return 0;
}
