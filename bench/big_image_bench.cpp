// Opening and showing a 250-megapixel image (a 20000 x 12500 aerial tile), in colour (JPEG) and in
// grey (PNG), and refusing a 100000 x 100000 PNG bomb: the time taken and the peak memory beyond
// what the process held before, against the size of the decoded picture. Each file is made, and
// each one opened, in a process of its own, so that no peak hides another.
#include "view/canvas/CanvasView.h"

#include "TestImages.h"
#include "WidgetBench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int width = 20000;
constexpr int height = 12500;

// The process's peak resident memory so far, in bytes.
double peakBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() * 1024;
    return 0;
}

template <class F> void inChild(F&& work)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        work();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("the child process failed\n");
        std::exit(1);
    }
}

void make(const QString& path, QImage::Format format)
{
    inChild([&] {
        // Texture everywhere, as in an aerial photograph: gradients with a little noise.
        QImage picture(width, height, format);
        std::uint32_t noise = 1;
        for (int y = 0; y < height; ++y) {
            uchar* line = picture.scanLine(y);
            for (qsizetype x = 0; x < picture.bytesPerLine(); ++x) {
                noise = noise * 1664525u + 1013904223u;
                line[x] = uchar(x / 9 + y / 7 + int(noise >> 28));
            }
        }
        if (!picture.save(path, nullptr, format == QImage::Format_Grayscale8 ? 1 : 90))
            std::exit(1);
    });
}

void measure(const char* what, const QString& path, int argc, char** argv)
{
    inChild([&] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication application(argc, argv);
        WidgetBench::CanvasObjects objects;
        CanvasView view(objects.shared(), objects.navigator);
        view.resize(1440, 1000);
        QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
        view.render(&frame);
        const double before = peakBytes();

        QElapsedTimer clock;
        clock.start();
        auto image = std::make_shared<ImageProperty>(QUrl::fromLocalFile(path));
        const double opened = clock.nsecsElapsed() / 1e9;
        objects.images.appendImage(image);
        objects.boxes.allBoundingBoxes.modify([](auto& lists) { lists.emplace_back(); });
        QCoreApplication::processEvents();
        clock.restart();
        view.render(&frame);
        const double shown = clock.nsecsElapsed() / 1e9;
        // The whole picture at once, scaled down, as after zooming out.
        objects.images.allCurrentScaleFactors.modify([](auto& zooms) { zooms[0] = 0.05; });
        QCoreApplication::processEvents();
        clock.restart();
        view.render(&frame);
        const double whole = clock.nsecsElapsed() / 1e9;
        const double peak = peakBytes() - before;
        const double decoded = double(image->imageNS.sizeInBytes());
        std::printf("%-26s %5.2f s to open, %5.3f s to show the first frame, %5.3f s zoomed out, peak %7.1f MB", what,
            opened, shown, whole, peak / 1e6);
        if (decoded > 0)
            std::printf(" = %.2f x the decoded %.1f MB\n", peak / decoded, decoded / 1e6);
        else
            std::printf(", refused: %s\n", qPrintable(image->readError));
    });
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QString colour = dir.filePath(QStringLiteral("tile.jpg"));
    const QString grey = dir.filePath(QStringLiteral("tile.png"));
    const QString bomb = dir.filePath(QStringLiteral("bomb.png"));
    make(colour, QImage::Format_RGB888);
    make(grey, QImage::Format_Grayscale8);
    {
        QFile file(bomb);
        file.open(QIODevice::WriteOnly);
        file.write(TestImages::pngHeader(100000, 100000));
    }
    std::printf("%d x %d = %.0f megapixels\n", width, height, width * double(height) / 1e6);
    measure("colour JPEG", colour, argc, argv);
    measure("grey PNG", grey, argc, argv);
    measure("100000 x 100000 PNG bomb", bomb, argc, argv);
    return 0;
}
