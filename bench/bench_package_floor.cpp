// How far the platform packages are from the least their work can take on this machine: the
// package (android,ios,web) of the default design and of a photograph at 150 %, timed whole, beside
// a floor made of its measured parts: encoding every PNG it writes (filter choice and deflate, one
// core), scaling the 1024 icon to every size it writes, spread over the cores, plus the command's
// own start (`glyphwright-cli --version`). The last lines print the floor and the ratio.
//   build/bench/bench_package_floor [--benchmark_filter=...]
#include "base/png.h"
#include "packages/package.h"
#include "project/custompicture.h"
#include "render/iconrenderer.h"
#include "resources/initresources.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

QTemporaryDir* folder;
const QStringList targets = {QStringLiteral("android"), QStringLiteral("ios"), QStringLiteral("web")};

// A photograph-like picture: smooth colour with fine detail, 640 x 480.
QImage photograph()
{
    QImage photo(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            photo.setPixel(x, y,
                           qRgb((x * 7 + y * 3) % 256, (x * x / 97 + y) % 256, (y * 5 + (x ^ y)) % 256));
    return photo;
}

IconDesign design(const std::string& name)
{
    IconDesign d;
    if (name == "photo") {
        d.useImageFlat = false;
        d.useImageCustom = true;
        d.customImage = photograph();
        d.imageScale = 150;
    }
    return d;
}

// Median of a benchmark's runs, in seconds, by name.
std::map<std::string, double> medians;

void record(const std::string& name, double seconds)
{
    static std::map<std::string, std::vector<double>> runs;
    runs[name].push_back(seconds);
    std::vector<double> sorted = runs[name];
    std::sort(sorted.begin(), sorted.end());
    medians[name] = sorted[sorted.size() / 2];
}

void BM_Package(benchmark::State& state, const std::string& name)
{
    const IconDesign d = design(name);
    for (auto _ : state) {
        const QString out = folder->filePath(QString::fromStdString(name));
        QDir(out).removeRecursively();
        QElapsedTimer clock;
        clock.start();
        Packages::Options options;
        options.name = options.appId = QStringLiteral("Bench");
        Packages::writePackage(d, out, targets, options);
        const double seconds = clock.nsecsElapsed() / 1e9;
        record("package " + name, seconds);
        state.SetIterationTime(seconds);
    }
}

// The parts: every PNG the package wrote, encoded again; the 1024 icon scaled to each of their
// sizes.
void BM_Parts(benchmark::State& state, const std::string& name)
{
    std::vector<QImage> pictures;
    QDirIterator it(folder->filePath(QString::fromStdString(name)), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        pictures.push_back(QImage(it.next()).convertToFormat(QImage::Format_ARGB32));
    const QImage icon = renderIconImage(design(name));
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (const QImage& p : pictures)
            benchmark::DoNotOptimize(Png::encode(p, true).size());
        const double encode = clock.nsecsElapsed() / 1e9;
        clock.restart();
        for (const QImage& p : pictures)
            benchmark::DoNotOptimize(
                icon.scaled(p.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation).constBits());
        const double scale = clock.nsecsElapsed() / 1e9;
        record("encode " + name, encode);
        record("scale " + name, scale);
        state.SetIterationTime(encode + scale);
    }
    state.counters["pictures"] = double(pictures.size());
}

void BM_Start(benchmark::State& state)
{
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../glyphwright-cli");
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QProcess::execute(cli, {QStringLiteral("--version")});
        const double seconds = clock.nsecsElapsed() / 1e9;
        record("start", seconds);
        state.SetIterationTime(seconds);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    initResources();
    QTemporaryDir dir;
    folder = &dir;
    // Each a run at a time, seven times, timed by hand.
    auto timed = [](benchmark::internal::Benchmark* b) {
        b->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)->UseManualTime()->Unit(
            benchmark::kMillisecond);
    };
    for (const std::string name : {"default", "photo"}) {
        timed(benchmark::RegisterBenchmark(("Package/" + name).c_str(), BM_Package, name));
        timed(benchmark::RegisterBenchmark(("Parts/" + name).c_str(), BM_Parts, name));
    }
    timed(benchmark::RegisterBenchmark("Start", BM_Start));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const int cores = std::max(1, QThread::idealThreadCount());
    for (const std::string name : {"default", "photo"}) {
        if (!medians.count("package " + name) || !medians.count("encode " + name))
            continue;
        const double floor =
            (medians["encode " + name] + medians["scale " + name]) / cores + medians["start"];
        const double ours = medians["package " + name] + medians["start"];
        std::printf("%s design, android,ios,web on %d cores: ours %.0f ms (package %.0f + start %.0f), "
                    "floor %.0f ms (encode %.0f + scale %.0f over the cores + start %.0f): %.2fx the floor\n",
                    name.c_str(), cores, ours * 1e3, medians["package " + name] * 1e3, medians["start"] * 1e3,
                    floor * 1e3, medians["encode " + name] * 1e3, medians["scale " + name] * 1e3,
                    medians["start"] * 1e3, ours / floor);
    }
    return 0;
}
