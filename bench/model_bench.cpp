#include "viewmodel/BoundingBoxManager.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace
{
// 100 images with 1,000 shown boxes each, labels from a set of 20.
BoundingBoxManager& filled()
{
    static BoundingBoxManager manager;
    if (manager.allBoundingBoxes.get().empty()) {
        std::vector<BoundingBoxManager::BoxList> lists(100);
        for (int i = 0; i < 100; ++i)
            for (int k = 0; k < 1000; ++k)
                lists[size_t(i)].push_back(std::make_shared<BoundingBoxProperty>(Point { double(k), double(k) },
                    Point { double(k) + 10, double(k) + 10 }, QStringLiteral("class-%1").arg((i * 7 + k) % 20)));
        manager.allBoundingBoxes.set(std::move(lists));
    }
    return manager;
}
} // namespace

static void BM_getDictClass(benchmark::State& state)
{
    auto& manager = filled();
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.getDictClass(100));
}
BENCHMARK(BM_getDictClass)->Unit(benchmark::kMillisecond);

static void BM_getIndexLastBox(benchmark::State& state)
{
    auto& manager = filled();
    const BoxPtr last = manager.allBoundingBoxes.get()[50].back();
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.getIndex(last, 50));
}
BENCHMARK(BM_getIndexLastBox)->Unit(benchmark::kMicrosecond);

static void BM_getTotalVisibleCount(benchmark::State& state)
{
    auto& manager = filled();
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.getTotalVisibleCount());
}
BENCHMARK(BM_getTotalVisibleCount)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
