#include "WidgetBench.h"
#include "view/functionality/FunctionalityView.h"
#include "view/functionality/details/ClassBarChart.h"

#include <QCoreApplication>

#include <memory>

namespace
{
// 100 open images of 1,000 boxes each, labels from a set of 20, under a details column of a window
// on a 1280-point screen; the first image is shown and its middle box selected.
struct Scene : WidgetBench::CanvasObjects {
    std::unique_ptr<FunctionalityView> view;

    Scene()
    {
        for (int i = 0; i < 100; ++i) {
            auto image = std::make_shared<ImageProperty>(QUrl());
            image->originalWidth = 4000;
            image->originalHeight = 3000;
            images.openImage(image);
            for (int k = 0; k < 1000; ++k) {
                const Point start { (k % 40) * 100.0 + 5.25, (k / 40) * 100.0 + 8.5 };
                boxes.appendBox(std::make_shared<BoundingBoxProperty>(start, start + Point { 30.4, 19.7 },
                                    QStringLiteral("class-%1").arg((i * 7 + k) % 20)),
                    i, false);
            }
        }
        boxes.select(boxes.boxAt(500, 0));
        view = std::make_unique<FunctionalityView>(shared(), navigator);
        view->resize(FunctionalityView::minimumColumnWidth, 760);
        view->show();
        settle();
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
};

// Never destroyed: its widgets may not outlive the application, which main's return ends first.
Scene& scene(FunctionalityTabMode tab)
{
    static Scene& s = *new Scene;
    if (s.navigator.currentFunctionalityBar.get() != tab) {
        s.navigator.changeActiveFunctionalityBar(tab);
        Scene::settle();
    }
    return s;
}
} // namespace

// The goal: within one frame at 60 Hz (16.7 ms). One box of the shown image is relabelled, so the
// counts of every image are taken again and the table changes; then the event loop runs the panel's
// one refresh and repaints it.
static void BM_imageDetailsAfterARelabel(benchmark::State& state)
{
    Scene& s = scene(FunctionalityTabMode::ImageDetails);
    const BoxPtr box = s.boxes.boxAt(10, 0);
    int flip = 0;
    for (auto _ : state) {
        const BoxEdit edit { QStringLiteral("class-%1").arg(++flip % 2), std::nullopt, std::nullopt, false };
        s.boxes.applyEdit(box, 0, edit, 1.0);
        Scene::settle();
    }
}
BENCHMARK(BM_imageDetailsAfterARelabel)->Unit(benchmark::kMillisecond);

// The selected box nudged right and back from the box details: one box replaced, the card refreshed.
static void BM_boxDetailsAfterANudge(benchmark::State& state)
{
    Scene& s = scene(FunctionalityTabMode::BoxDetails);
    const Size displayed = s.images.currentDisplayedSize();
    int flip = 0;
    for (auto _ : state) {
        const auto direction = ++flip % 2 ? NudgeDirection::Right : NudgeDirection::Left;
        s.boxes.nudgeSelected(0, direction, 1.0, displayed);
        Scene::settle();
    }
}
BENCHMARK(BM_boxDetailsAfterANudge)->Unit(benchmark::kMillisecond);

// The chart popover's content for n classes, built and painted: each class is a bar set of its own.
static void BM_barChartOfClasses(benchmark::State& state)
{
    std::vector<ChartData> rows;
    for (int i = 0; i < state.range(0); ++i)
        rows.emplace_back(QStringLiteral("class-%1").arg(i), 1 + i % 37);
    ClassBarChart chart;
    chart.show();
    for (auto _ : state) {
        chart.setData(rows);
        benchmark::DoNotOptimize(chart.grab());
    }
}
BENCHMARK(BM_barChartOfClasses)->Arg(10)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return WidgetBench::run(argc, argv); }
