// The canvas's controls (tab strip, navigation, matching buttons) with many images open: what one
// pass of model changes costs them while the user pans, switches images or opens more.
#include "view/canvas/CanvasView.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include "WidgetBench.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
struct Scene : WidgetBench::CanvasObjects {
    std::unique_ptr<CanvasView> view;

    Scene()
    {
        view = std::make_unique<CanvasView>(shared(), navigator);
        view->resize(1440, 1000);
        view->show();
        QCoreApplication::processEvents();
    }

    // Images whose files do not exist decode nothing, so only the controls' work is measured.
    void open(std::int64_t count)
    {
        for (std::int64_t i = 0; i < count; ++i) {
            const QString name = QStringLiteral("/nonexistent/picture %1.png").arg(images.imageCount());
            images.appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile(name)));
            boxes.allBoundingBoxes.modify([](auto& lists) { lists.emplace_back(); });
        }
        QCoreApplication::processEvents();
    }
};

void BM_OpenImages(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        state.ResumeTiming();
        scene->open(state.range(0));
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(state.range(0)) + " images at once");
}
BENCHMARK(BM_OpenImages)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PanStep(benchmark::State& state)
{
    Scene scene;
    scene.open(state.range(0));
    double x = 0;
    for (auto _ : state) {
        x += 1;
        scene.images.allStartLocations.modify([x](auto& starts) { starts[0] = { x, x }; });
        QCoreApplication::processEvents();
    }
    state.SetLabel(std::to_string(state.range(0)) + " images open");
}
BENCHMARK(BM_PanStep)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_SwitchImage(benchmark::State& state)
{
    Scene scene;
    scene.open(state.range(0));
    std::int64_t index = 0;
    for (auto _ : state) {
        index = (index + 7) % scene.images.imageCount();
        scene.images.currentImageIndex.set(index);
        QCoreApplication::processEvents();
    }
    state.SetLabel(std::to_string(state.range(0)) + " images open");
}
BENCHMARK(BM_SwitchImage)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv) { return WidgetBench::run(argc, argv); }
