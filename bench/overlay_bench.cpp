#include "WidgetBench.h"
#include "view/canvas/BoxView.h"

#include <QHelpEvent>
#include <QImage>

#include <memory>

namespace
{
// One image displayed at 4000 x 3000 with 10,000 labelled boxes on a 100 x 100 grid, every fourth a
// template, under an overlay the size of a window. Corners are fractional, as after any zoom. The
// overlay's origin pans the image.
struct Scene : WidgetBench::CanvasObjects {
    std::unique_ptr<BoxView> view;

    Scene()
    {
        auto image = std::make_shared<ImageProperty>(QUrl());
        image->scaledWidth = 4000;
        image->scaledHeight = 3000;
        images.appendImage(image);
        std::vector<BoundingBoxManager::BoxList> lists(1);
        for (int row = 0; row < 100; ++row)
            for (int col = 0; col < 100; ++col) {
                const Point start { col * 40.0 + 5.25, row * 30.0 + 8.5 };
                lists[0].push_back(std::make_shared<BoundingBoxProperty>(start, start + Point { 30.4, 19.7 },
                    QStringLiteral("class-%1").arg((row * 7 + col) % 20), 1.0, 1.0, true, (row + col) % 4 == 0));
            }
        boxes.allBoundingBoxes.set(std::move(lists));
        boxes.currentSelectedBox.set(boxes.allBoundingBoxes.get()[0][5050]);
        boxes.currentSelectedBoxColor.set(Palette::blue);
        view = std::make_unique<BoxView>(shared(), navigator);
        view->resize(1280, 800);
    }
};

// Never destroyed: its widgets may not outlive the application, which main's return ends first.
Scene& scene()
{
    static Scene& s = *new Scene;
    return s;
}

void paintFrames(benchmark::State& state, QPointF origin)
{
    Scene& s = scene();
    s.view->setImageOrigin(origin);
    QImage frame(s.view->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        frame.fill(Qt::transparent);
        s.view->render(&frame, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::ClobberMemory();
    }
}
} // namespace

// The goal: a window-sized frame over the middle of the image, about 850 boxes in view.
static void BM_paintWindowOverImageCentre(benchmark::State& state) { paintFrames(state, QPointF(-1360, -1100)); }
BENCHMARK(BM_paintWindowOverImageCentre)->Unit(benchmark::kMillisecond);

// The image's top-left corner in the window, the rest of the window empty.
static void BM_paintWindowOverImageCorner(benchmark::State& state) { paintFrames(state, QPointF(600, 400)); }
BENCHMARK(BM_paintWindowOverImageCorner)->Unit(benchmark::kMillisecond);

// The image panned entirely out of the window: only the rejection of every box.
static void BM_paintWindowBesideImage(benchmark::State& state) { paintFrames(state, QPointF(5000, 0)); }
BENCHMARK(BM_paintWindowBesideImage)->Unit(benchmark::kMillisecond);

// The tooltip lookup over the same 10,000 boxes, the pointer on an early box (the longest search).
static void BM_tooltipLookup(benchmark::State& state)
{
    Scene& s = scene();
    s.view->setImageOrigin(QPointF(0, 0));
    const QPoint over(20, 20);
    for (auto _ : state) {
        QHelpEvent help(QEvent::ToolTip, over, over);
        QApplication::sendEvent(s.view.get(), &help);
        benchmark::DoNotOptimize(help.isAccepted());
    }
}
BENCHMARK(BM_tooltipLookup)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return WidgetBench::run(argc, argv); }
