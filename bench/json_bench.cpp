// Speed of the JSON box file: saveAsJson + loadJSON of 100,000 boxes against Python's json module
// (/usr/bin/python3) dumping the same boxes to a file and loading them back, in the same run.
#include "BenchTools.h"
#include "viewmodel/BoundingBoxManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace BenchTools;

namespace
{
constexpr int boxCount = 100000, runs = 7;

// json.dump and json.load are what a Python program writing such a file would call; dumps + one write
// is timed too, as the faster way a careful one would take. The collector is off while timing, as
// timeit has it: with it on, loading takes up to three times as long.
const char* pythonCode = R"(
import gc, json, sys, time
path, runs = sys.argv[1], int(sys.argv[2])
with open(path) as f:
    boxes = json.load(f)
copy = path + '.py.json'
def median(work):
    times = []
    gc.collect()
    gc.disable()
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    gc.enable()
    return sorted(times)[len(times) // 2]
def dump():
    with open(copy, 'w') as f:
        json.dump(boxes, f)
def dumps():
    with open(copy, 'w') as f:
        f.write(json.dumps(boxes))
def load():
    with open(copy) as f:
        assert len(json.load(f)['shapes']) == len(boxes['shapes'])
print(median(dump), median(dumps), median(load))
)";
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    // Boxes drawn at assorted zooms: their pixel corners are doubles of every length, some whole.
    BoundingBoxManager manager;
    std::vector<BoundingBoxManager::BoxList> lists(1);
    std::mt19937 random(12);
    const double zooms[] { 1.0, 0.75, 1.5, 2.0, 1.0 / 3 };
    for (int k = 0; k < boxCount; ++k) {
        const double zoom = zooms[random() % 5];
        const Point start { double(random() % 6000), double(random() % 4000) };
        const Point end = start + Point { double(16 + random() % 200), double(16 + random() % 200) };
        lists[0].push_back(std::make_shared<BoundingBoxProperty>(
            start, end, QStringLiteral("class-%1").arg(random() % 40), 1.0, zoom, true, false));
    }
    manager.allBoundingBoxes.set(std::move(lists));

    const QString path = dir.filePath("boxes.json");
    const QString urlText = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    std::vector<double> saves, loads;
    for (int r = 0; r < runs; ++r) {
        QString error;
        std::optional<JSONData> data;
        saves.push_back(seconds([&] {
            if (!manager.saveAsJson(QUrl::fromLocalFile(path), "aerial tile.png", 0, &error))
                fail(error);
        }));
        loads.push_back(seconds([&] { data = manager.loadJSON(urlText); }));
        if (!data || data->shapes.size() != size_t(boxCount))
            fail("The saved file does not read back");
    }
    const double ours = median(saves) + median(loads);

    QProcess python;
    python.start("/usr/bin/python3", { "-c", pythonCode, path, QString::number(runs) });
    if (!python.waitForFinished(600000) || python.exitCode() != 0)
        fail("Python's json module could not be timed: " + QString::fromLocal8Bit(python.readAllStandardError()));
    const QList<QByteArray> figures = python.readAllStandardOutput().simplified().split(' ');
    if (figures.size() != 3)
        fail("Python printed no figures");
    const double dump = figures[0].toDouble(), dumps = figures[1].toDouble(), load = figures[2].toDouble();

    std::printf("JSON box file, %d boxes, %.1f MB, median of %d runs\n", boxCount, QFile(path).size() / 1e6, runs);
    std::printf("  Kestrune saveAsJson %.1f ms + loadJSON %.1f ms = %.1f ms\n", median(saves) * 1e3,
        median(loads) * 1e3, ours * 1e3);
    std::printf(
        "  Python json.dump %.1f ms + json.load %.1f ms = %.1f ms\n", dump * 1e3, load * 1e3, (dump + load) * 1e3);
    std::printf("  Python json.dumps and one write %.1f ms + json.load %.1f ms = %.1f ms\n", dumps * 1e3, load * 1e3,
        (dumps + load) * 1e3);
    std::printf("  ratio %.3f of json.dump + json.load (%.3f of json.dumps + json.load)\n", ours / (dump + load),
        ours / (dumps + load));
    return 0;
}
