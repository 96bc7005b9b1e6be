// Frames of the canvas with a 4000 x 3000 picture, rendered offscreen at the size of the canvas
// column on a 1920-pixel screen, still and while panning.
#include "view/canvas/CanvasView.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include "WidgetBench.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace
{
// A picture with detail everywhere, so no part of it is cheap to scale.
QString writeLargePicture(const QString& dir)
{
    QImage picture(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255);
    }
    const QString path = dir + QStringLiteral("/large.png");
    picture.save(path, nullptr, 0);
    return path;
}

struct Scene : WidgetBench::CanvasObjects {
    std::unique_ptr<CanvasView> view;
    QImage frame { 1440, 1000, QImage::Format_ARGB32_Premultiplied };

    explicit Scene(const QString& picture)
    {
        images.appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile(picture)));
        boxes.allBoundingBoxes.modify([](auto& lists) { lists.emplace_back(); });
        view = std::make_unique<CanvasView>(shared(), navigator);
        view->resize(frame.size());
        QCoreApplication::processEvents();
    }

    void setZoom(double zoom)
    {
        images.allCurrentScaleFactors.modify([zoom](auto& zooms) { zooms[0] = zoom; });
        QCoreApplication::processEvents();
    }

    void render()
    {
        view->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
};

Scene& scene()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kestrune-bench-XXXXXX"));
    static Scene instance(writeLargePicture(dir.path()));
    return instance;
}

void BM_CanvasFrame(benchmark::State& state)
{
    Scene& s = scene();
    s.setZoom(state.range(0) / 100.0);
    s.images.allStartLocations.modify([](auto& starts) { starts[0] = { -500, -400 }; });
    s.render(); // the first frame prepares the picture once
    for (auto _ : state)
        s.render();
    state.SetLabel("zoom " + std::to_string(state.range(0) / 100.0).substr(0, 4));
}
BENCHMARK(BM_CanvasFrame)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);

void BM_CanvasPanFrame(benchmark::State& state)
{
    Scene& s = scene();
    s.setZoom(state.range(0) / 100.0);
    s.render();
    int step = 0;
    for (auto _ : state) {
        ++step;
        const double dx = -(step % 400) * 3.0;
        s.images.allStartLocations.modify([dx](auto& starts) { starts[0] = { dx, dx / 2 }; });
        s.render();
    }
    state.SetLabel("zoom " + std::to_string(state.range(0) / 100.0).substr(0, 4));
}
BENCHMARK(BM_CanvasPanFrame)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) { return WidgetBench::run(argc, argv); }
