// Start-up and editing costs of the window: building it (form, look, combo boxes, the reset that
// fills the three picture lists and renders both previews), New (the reset alone), decoding every
// thumbnail the lists can show (they are decoded when first painted, not when the lists fill),
// reading the design from the controls, and one whole edit (a slider step: read, render, show).
//
//   build/bench/bench_startup
#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "render/artwork.h"
#include "render/iconrenderer.h"
#include "resources/initresources.h"

#include "ui/devicepreview.h"
#include "ui/packagesdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_BuildWindow(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        clearRenderCaches();
        state.ResumeTiming();
        MainWindow window;
        benchmark::DoNotOptimize(window.iconPixmap.cacheKey());
    }
}

void BM_NewDesign(benchmark::State& state)
{
    MainWindow window;
    QAction* action = window.findChild<QAction*>(QStringLiteral("actionNew"));
    for (auto _ : state)
        action->trigger();
}

void BM_DecodeAllThumbnails(benchmark::State& state)
{
    for (auto _ : state) {
        int pixels = 0;
        for (int n = 1; n <= Artwork::flatCount; ++n)
            pixels += QImage(Artwork::flatPath(n, true)).width();
        for (int n = 1; n <= Artwork::coloredCount; ++n)
            pixels += QImage(Artwork::coloredPath(n, true)).width();
        for (int n = 1; n <= Artwork::listedRows(0); ++n)
            pixels += QImage(Artwork::graphicPath(0, n, true)).width();
        benchmark::DoNotOptimize(pixels);
    }
}

// What each refresh spends before it renders: the controls read into the design record.
void BM_ReadDesign(benchmark::State& state)
{
    MainWindow window;
    for (auto _ : state)
        benchmark::DoNotOptimize(window.currentDesign().cornerCurvature);
}

// One step of the corner slider, as dragging it does: the design is read, rendered and shown.
void BM_EditCornerCurvature(benchmark::State& state)
{
    MainWindow window;
    QSlider* slider = window.findChild<QSlider*>(QStringLiteral("sliderBackgroundCornerCurvature"));
    int step = 0;
    for (auto _ : state)
        slider->setValue(100 + (step++ % 2));
}

// Typing into a long text at 600 pt with stroke and shadow, in the window on show: each keystroke
// (a text of 150 to 200 characters) refreshes the preview, and the window repaints.
void BM_TypeLongText(benchmark::State& state)
{
    MainWindow window;
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("tabIcon"))->setCurrentIndex(2);
    QCoreApplication::processEvents();
    window.findChild<QCheckBox*>(QStringLiteral("checkTextStroke"))->click();
    window.findChild<QCheckBox*>(QStringLiteral("checkTextShadow"))->click();
    QLineEdit* edit = window.findChild<QLineEdit*>(QStringLiteral("editText"));
    const QString full = QStringLiteral("Glyphwright ").repeated(17).left(200);
    int length = 150;
    for (auto _ : state) {
        edit->setText(full.left(length));
        length = length == 200 ? 150 : length + 1;
        QCoreApplication::processEvents();
    }
}

// The same step with the device preview open: what it adds to the step itself (its drawing follows
// on worker threads once the edits pause).
void BM_EditCornerCurvatureWithDevicePreview(benchmark::State& state)
{
    MainWindow window;
    window.findChild<QAction*>(QStringLiteral("actionDevicePreview"))->trigger();
    QSlider* slider = window.findChild<QSlider*>(QStringLiteral("sliderBackgroundCornerCurvature"));
    int step = 0;
    for (auto _ : state)
        slider->setValue(100 + (step++ % 2));
    // (After the timed steps: the drawing they asked for, so that the next repetition starts idle.)
    while (window.devicePreviewWindow()->isBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Export Packages, every target, from "Export" to the outcome shown (the window answering events
// all along).
void BM_ExportPackagesAllTargets(benchmark::State& state)
{
    MainWindow window;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir out;
        PackagesDialog dialog(window.currentDesign(), QString(), &window);
        Dialogs::queueAnswer(out.path());
        state.ResumeTiming();
        dialog.findChild<QPushButton*>(QStringLiteral("buttonExport"))->click();
        while (!dialog.isIdle())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

} // namespace

BENCHMARK(BM_TypeLongText)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditCornerCurvatureWithDevicePreview)
    ->Iterations(20)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPackagesAllTargets)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDesign)->Repetitions(11)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditCornerCurvature)
    ->Iterations(20)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildWindow)
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewDesign)
    ->Iterations(1)
    ->Repetitions(21)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAllThumbnails)
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    initResources();
    QApplication app(argc, argv);
    Dialogs::setTestMode(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
