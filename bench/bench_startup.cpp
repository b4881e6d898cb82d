// Start-up and editing costs of the window: building it (form, look, combo boxes, the reset that
// fills the three picture lists and renders both previews), New (the reset alone), decoding every
// thumbnail the lists can show (they are decoded when first painted, not when the lists fill),
// reading the design from the controls, one whole edit (a slider step: read, render, show), and
// Scale steps with a 6.9 MB SVG of 100,000 circles in use (the longest step, and the drawing such a
// step would cost on the window's thread).
//
//   build/bench/bench_startup
//   QT_QPA_PLATFORM=xcb xvfb-run -a build/bench/bench_startup --benchmark_filter=LargeSvg
#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "render/artwork.h"
#include "project/custompicture.h"
#include "project/projectformat.h"
#include "render/iconrenderer.h"
#include "render/vectorpicture.h"
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
#include <QSpinBox>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

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

// One edit of the window while the Export Packages dialog checks the design (a choice changed just
// before it starts a check on the pool), alternated with the same edit with no check running: the
// medians of both, and their ratio, are the benchmark's counters.
void BM_EditWhileChecking(benchmark::State& state)
{
    MainWindow window;
    PackagesDialog dialog(window.currentDesign(), QString(), &window);
    dialog.show();
    QSlider* slider = window.findChild<QSlider*>(QStringLiteral("sliderBackgroundCornerCurvature"));
    QCheckBox* choice = dialog.findChild<QCheckBox*>(QStringLiteral("checkKeepCorners"));
    const auto idle = [&] {
        // (The check asked for has run and its findings are shown.)
        for (int i = 0; i < 200 && QThreadPool::globalInstance()->activeThreadCount() > 0; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
    };
    std::vector<double> with, without;
    int step = 0;
    for (auto _ : state) {
        const bool checking = step % 2 == 0;
        if (checking)
            choice->toggle();
        QElapsedTimer clock;
        clock.start();
        slider->setValue(100 + step++ % 2);
        const double seconds = clock.nsecsElapsed() / 1e9;
        (checking ? with : without).push_back(seconds);
        state.SetIterationTime(seconds);
        idle();
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["edit_ms_while_checking"] = median(with) * 1e3;
    state.counters["edit_ms_idle"] = median(without) * 1e3;
    state.counters["ratio"] = median(without) > 0 ? median(with) / median(without) : 0;
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

// A logo of 100,000 translucent circles on a gradient disc (6.9 MB), the same each run.
QString largeSvg(const QTemporaryDir& folder)
{
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" "
                     "viewBox=\"0 0 100 100\"><defs><linearGradient id=\"g\"><stop offset=\"0\" "
                     "stop-color=\"#2563eb\"/><stop offset=\"1\" stop-color=\"#7c3aed\"/></linearGradient>"
                     "</defs><circle cx=\"50\" cy=\"50\" r=\"48\" fill=\"url(#g)\"/>\n";
    QRandomGenerator random(1);
    for (int n = 0; n < 100000; ++n)
        svg += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"#%4\" opacity=\".5\"/>\n")
                   .arg(10 + random.bounded(80.0), 0, 'f', 2)
                   .arg(10 + random.bounded(80.0), 0, 'f', 2)
                   .arg(0.2 + random.bounded(1.3), 0, 'f', 2)
                   .arg(random.bounded(1 << 24), 6, 16, QLatin1Char('0'))
                   .toLatin1();
    svg += "<polygon points=\"30,62 50,26 70,62\" fill=\"#fff\"/></svg>";
    const QString path = folder.filePath(QStringLiteral("large.svg"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(svg);
    return path;
}

// Twenty steps of Scale with the large SVG in use, the window on show: each step from the key
// press to the window back in its event loop, the paint included. The longest step is the figure.
void BM_ScaleStepsLargeSvg(benchmark::State& state)
{
    QTemporaryDir folder;
    MainWindow window;
    window.show();
    Dialogs::queueAnswer(largeSvg(folder));
    window.findChild<QPushButton*>(QStringLiteral("buttonImageCustomBrowse"))->click();
    window.findChild<QRadioButton*>(QStringLiteral("radioImageCustom"))->click();
    window.settleIconPreview();
    QSpinBox* scale = window.findChild<QSpinBox*>(QStringLiteral("spinImageScale"));
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer step;
        step.start();
        scale->stepBy(5);
        QCoreApplication::processEvents();
        const double ms = step.nsecsElapsed() / 1e6;
        longest = std::max(longest, ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["longest_ms"] = longest;
    // The last drawing, finished, so the next repetition starts idle.
    window.settleIconPreview();
}

// What each of those steps would cost drawn on the window's thread: the icon at a new scale.
void BM_ScaleStepLargeSvgDrawn(benchmark::State& state)
{
    QTemporaryDir folder;
    IconDesign design;
    design.useImageFlat = design.useImageColored = false;
    design.useImageCustom = true;
    design.customImage =
        loadCustomPicture(largeSvg(folder), nullptr, &design.customImageSize, &design.customVector);
    int scale = 100;
    for (auto _ : state) {
        design.imageScale = scale += 5;
        benchmark::DoNotOptimize(renderIconImage(design).cacheKey());
    }
}

// Choosing that SVG with Browse: the window's wait, click to answering again (it loads on the pool).
void BM_ChooseLargeSvg(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString svg = largeSvg(folder);
    MainWindow window;
    window.show();
    QPushButton* browse = window.findChild<QPushButton*>(QStringLiteral("buttonImageCustomBrowse"));
    for (auto _ : state) {
        state.PauseTiming();
        VectorPicture::forgetDrawings();
        Dialogs::queueAnswer(svg);
        state.ResumeTiming();
        browse->click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.settlePicture();
        state.ResumeTiming();
    }
}

// Opening a project whose picture is that SVG: the window's wait, from Load to answering again (the
// picture loads on the pool), and the same project's whole load when it is waited for.
void BM_OpenProjectLargeSvg(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString svg = largeSvg(folder);
    const QString project = folder.filePath(QStringLiteral("logo.ipr"));
    QStringList lines = Project::State().lines();
    lines[Project::lineOf(Project::Key::UseImageFlat) - 1] = QStringLiteral("0");
    lines[Project::lineOf(Project::Key::UseImageCustom) - 1] = QStringLiteral("1");
    lines[Project::lineOf(Project::Key::CustomImagePath) - 1] = svg;
    QFile file(project);
    if (!file.open(QIODevice::WriteOnly) || file.write(Project::formatLines(lines)) < 0)
        state.SkipWithError("cannot write the project");
    file.close();
    MainWindow window;
    window.show();
    const bool waited = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        VectorPicture::forgetDrawings();
        state.ResumeTiming();
        window.loadProject(project);
        QCoreApplication::processEvents();
        if (waited)
            window.settleIconPreview();
        state.PauseTiming();
        window.settleIconPreview();
        state.ResumeTiming();
    }
}

// What that choice would cost loaded on the window's thread.
void BM_LoadLargeSvg(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString svg = largeSvg(folder);
    for (auto _ : state) {
        state.PauseTiming();
        VectorPicture::forgetDrawings();
        state.ResumeTiming();
        benchmark::DoNotOptimize(loadCustomPicture(svg).cacheKey());
    }
}

} // namespace

BENCHMARK(BM_ChooseLargeSvg)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLargeSvg)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProjectLargeSvg)
    ->ArgName("waited")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleStepsLargeSvg)
    ->Iterations(20)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleStepLargeSvgDrawn)->Iterations(3)->Unit(benchmark::kMillisecond);
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
BENCHMARK(BM_EditWhileChecking)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
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
