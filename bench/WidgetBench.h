#pragma once

#include "view/SharedObjects.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

// What benchmarks of views share: the objects of a window whose dialogs never open, and a main
// that runs them offscreen.
namespace WidgetBench
{
struct NoDialogs : FileDialogs {
    QStringList openImages() override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString openFile(const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
};

// The shared objects of one window.
struct CanvasObjects {
    NoDialogs dialogs;
    BoundingBoxManager boxes;
    ImageManager images { boxes };
    CursorManager cursor;
    MatchSetting match;
    FunctionalityBarNavigator navigator;

    SharedObjects shared() { return { images, boxes, cursor, match, dialogs }; }
};

inline int run(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
} // namespace WidgetBench
