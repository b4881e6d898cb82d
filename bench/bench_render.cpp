// Rendering and export speed. Each figure is the median of single calls (the "_median" rows);
// the last line gives the process's peak resident memory.
//
//   build/bench/bench_render [--benchmark_filter=...]
#include "design/icondesign.h"
#include "packages/package.h"
#include "packages/previewsheet.h"
#include "project/projectformat.h"
#include "export/iconset.h"
#include "render/artwork.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"
#include "resources/initresources.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>

namespace {

void configure(benchmark::internal::Benchmark* b)
{
    b->Iterations(1)->Repetitions(31)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
}

void renderDesign(benchmark::State& state, const IconDesign& design, bool cold)
{
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            clearRenderCaches();
            state.ResumeTiming();
        }
        const QPixmap icon = renderIcon(design);
        const QPixmap preview = icon.scaled(480, 480, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(preview.cacheKey());
    }
}

IconDesign hugeDesign()
{
    IconDesign d;
    d.imageScale = 999;
    return d;
}

IconDesign textDesign()
{
    IconDesign d;
    d.text = QStringLiteral("Ab");
    d.fontSize = 600;
    d.textStroke = true;
    d.textShadow = true;
    return d;
}

// Picture edits (offset, scale, tint): the decoded picture is kept, the picture layer is rebuilt.
void pictureEdit(benchmark::State& state, IconDesign design)
{
    int step = 0;
    for (auto _ : state) {
        design.imageOffsetX = (step++ % 2) ? 1 : -1;
        const QPixmap icon = renderIcon(design);
        const QPixmap preview = icon.scaled(480, 480, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(preview.cacheKey());
    }
}

void BM_DefaultDesignWarm(benchmark::State& s)
{
    renderDesign(s, IconDesign(), false);
}
void BM_DefaultPictureEdit(benchmark::State& s)
{
    pictureEdit(s, IconDesign());
}
void BM_Scale999PictureEdit(benchmark::State& s)
{
    pictureEdit(s, hugeDesign());
}
void BM_DefaultDesignCold(benchmark::State& s)
{
    renderDesign(s, IconDesign(), true);
}
void BM_TextStrokeShadowWarm(benchmark::State& s)
{
    renderDesign(s, textDesign(), false);
}
void BM_Scale999Warm(benchmark::State& s)
{
    renderDesign(s, hugeDesign(), false);
}
void BM_Scale999Cold(benchmark::State& s)
{
    renderDesign(s, hugeDesign(), true);
}

void graphic(benchmark::State& state, bool cold)
{
    int row = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            clearRenderCaches();
            state.ResumeTiming();
        }
        const QPixmap g = renderGraphic(6, QColor(200, 30, 30), row++ % 39);
        benchmark::DoNotOptimize(g.cacheKey());
    }
}
void BM_RenderGraphicWarm(benchmark::State& s)
{
    graphic(s, false);
}
void BM_RenderGraphicCold(benchmark::State& s)
{
    graphic(s, true);
}

// The whole iOS set (twelve PNGs) from the stored 1024 icon, as "Save Icon(s)" writes it.
void BM_ExportIosSetPng(benchmark::State& state)
{
    QTemporaryDir dir;
    const QPixmap icon = renderIcon(IconDesign());
    Export::IconPlan plan;
    plan.sizes = {29, 40, 58, 60, 76, 80, 87, 120, 152, 167, 180, 1024};
    plan.format = &Export::imageFormats[0];
    for (auto _ : state) {
        if (!Export::writeIconSet(icon.toImage(), dir.path(), plan, QStringLiteral("stamp")).failed.isEmpty())
            state.SkipWithError("write failed");
    }
}

// Typing into a long text at 600 pt with stroke and shadow: each keystroke renders a text one
// character longer (up to 200), as the preview does.
void BM_TextKeystroke200(benchmark::State& state)
{
    IconDesign d = textDesign();
    const QString full = QStringLiteral("Glyphwright ").repeated(17).left(200);
    int length = 150;
    for (auto _ : state) {
        d.text = full.left(length);
        length = length == 200 ? 150 : length + 1;
        benchmark::DoNotOptimize(renderIconImage(d).constBits());
    }
}

// The longest text a line holds, at the largest size, a new text each time (as when the project
// is loaded or the text edited).
void BM_Text32767At999(benchmark::State& state)
{
    IconDesign d = textDesign();
    d.text = QString(32767, QLatin1Char('W'));
    d.fontSize = 999;
    int step = 0;
    for (auto _ : state) {
        d.text[0] = (step++ % 2) ? QLatin1Char('W') : QLatin1Char('V');
        benchmark::DoNotOptimize(renderIconImage(d).constBits());
    }
}

// The preview sheet of the default design, as the Device Preview draws it after an edit.
void BM_PreviewSheetDefault(benchmark::State& state)
{
    IconDesign d;
    int step = 0;
    for (auto _ : state) {
        d.cornerCurvature = 100 + (step++ % 2); // a new design each time, as after an edit
        benchmark::DoNotOptimize(Packages::previewSheet(d).constBits());
    }
}

// Refusing a hostile project file: one line of 2 MB, read and judged as the window and the command
// line read a project (the window's Load must answer within a second).
void BM_RefuseTwoMegabyteLine(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line.ipr"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(2 << 20, '7') + '\n') != (2 << 20) + 1)
        state.SkipWithError("cannot write the project file");
    file.close();
    for (auto _ : state)
        benchmark::DoNotOptimize(Project::readFile(path).why.text().size());
}

} // namespace

BENCHMARK(BM_RefuseTwoMegabyteLine)->Apply(configure);
BENCHMARK(BM_TextKeystroke200)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text32767At999)->Apply(configure);
BENCHMARK(BM_PreviewSheetDefault)->Apply(configure);
BENCHMARK(BM_DefaultDesignWarm)->Apply(configure);
BENCHMARK(BM_DefaultDesignCold)->Apply(configure);
BENCHMARK(BM_DefaultPictureEdit)->Apply(configure);
BENCHMARK(BM_Scale999PictureEdit)->Apply(configure);
BENCHMARK(BM_TextStrokeShadowWarm)->Apply(configure);
BENCHMARK(BM_Scale999Warm)->Apply(configure);
BENCHMARK(BM_Scale999Cold)->Apply(configure);
BENCHMARK(BM_RenderGraphicWarm)->Apply(configure);
BENCHMARK(BM_RenderGraphicCold)->Apply(configure);
BENCHMARK(BM_ExportIosSetPng)
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    initResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
