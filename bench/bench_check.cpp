// What the design check costs beside the packages it checks: the check of a design (every look
// rendered as package renders it, nothing encoded) and package of the same targets, run alternately
// in one process so that both meet the same machine, with their medians (wall and CPU time) and
// the ratio; and the check of an app's project as it stands (the Capacitor tree of the tests, and
// a real project given as GLYPHWRIGHT_CHECK_APP); three build variants with the release icons
// beside one package of the same targets, alternated the same way; and the android package of an
// SVG logo and of a name alone with vector layers beside the same with PNG layers, with their sizes.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_check
//   GLYPHWRIGHT_CHECK_APP=~/src/tidewater build/bench/bench_check --benchmark_filter=App
#include "packages/check/check.h"
#include "packages/package.h"
#include "render/vectorpicture.h"
#include "resources/initresources.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

QTemporaryDir* folder;
const QStringList allTargets = Packages::targetNames();

IconDesign design(const std::string& name)
{
    IconDesign d;
    if (name == "logo") {
        // An SVG logo with the app's name: the themed layer's regions, the dark and tinted looks'
        // text and picture apart.
        d.useImageFlat = false;
        d.useImageCustom = true;
        d.customVector = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                         "<rect x=\"8\" y=\"8\" width=\"84\" height=\"84\" rx=\"18\" fill=\"#2e7d32\"/>"
                         "<circle cx=\"50\" cy=\"42\" r=\"20\" fill=\"#ffca28\"/></svg>";
        d.customImageSize = QSize(600, 600);
        d.customImage = VectorPicture::draw(d.customVector, d.customImageSize);
        d.text = QStringLiteral("Tide");
        d.fontSize = 200;
        d.textOffsetY = 260;
    } else if (name == "text") {
        // The app's name alone.
        d.useImageFlat = false;
        d.text = QStringLiteral("Tide");
        d.fontSize = 300;
    }
    return d;
}

struct Runs
{
    std::vector<double> wall, cpu;
};
std::map<std::string, Runs> runs;
// The vector layers' bytes and the PNG layers' they replace, by design.
std::map<std::string, std::pair<qint64, qint64>> sizes;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs `work`, keeping its wall and CPU time under `name`; the wall time is the benchmark's.
template <class Work> double timed(const std::string& name, Work work)
{
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpu = std::clock();
    work();
    const double wall = clock.nsecsElapsed() / 1e9;
    runs[name].wall.push_back(wall);
    runs[name].cpu.push_back(double(std::clock() - cpu) / CLOCKS_PER_SEC);
    return wall;
}

// One iteration: package, then check, of the same design and targets (launch screens too); the
// order swaps each iteration.
void BM_CheckBesidePackage(benchmark::State& state, const std::string& name)
{
    const IconDesign d = design(name);
    Packages::Options options;
    options.launch = true;
    int turn = 0;
    for (auto _ : state) {
        const QString out = folder->filePath(QString::fromStdString(name));
        const auto package = [&] {
            QDir(out).removeRecursively();
            benchmark::DoNotOptimize(Packages::writePackage(d, out, allTargets, options));
        };
        const auto check = [&] {
            benchmark::DoNotOptimize(Packages::Check::checkDesign(d, allTargets, options));
        };
        double wall = 0;
        if (turn++ % 2 == 0) {
            timed("package " + name, package);
            wall = timed("check " + name, check);
        } else {
            wall = timed("check " + name, check);
            timed("package " + name, package);
        }
        state.SetIterationTime(wall);
    }
}

// One iteration: one package, then the release icons and three variants (or the other way round).
void BM_VariantsBesidePackage(benchmark::State& state)
{
    const IconDesign d = design("default");
    const QStringList targets = {QStringLiteral("android"), QStringLiteral("ios"), QStringLiteral("web")};
    int turn = 0;
    for (auto _ : state) {
        const auto one = [&] {
            QDir(folder->filePath(QStringLiteral("one"))).removeRecursively();
            Packages::writePackage(d, folder->filePath(QStringLiteral("one")), targets, Packages::Options());
        };
        const auto four = [&] {
            QDir(folder->filePath(QStringLiteral("four"))).removeRecursively();
            QList<Packages::Build> builds;
            for (const char* name : {"", "debug", "beta", "staging"}) {
                Packages::Build build;
                build.variant.name = QLatin1String(name);
                build.folder = folder->filePath(QStringLiteral("four/") +
                                                (*name ? QLatin1String(name) : QLatin1String("release")));
                builds << build;
            }
            Packages::writePackages(d, builds, targets, Packages::Options());
        };
        double wall = 0;
        if (turn++ % 2 == 0) {
            timed("package one", one);
            wall = timed("package four", four);
        } else {
            wall = timed("package four", four);
            timed("package one", one);
        }
        state.SetIterationTime(wall);
    }
}

// The bytes of the files under `folder` whose names `filter` takes.
qint64 bytesUnder(const QString& folder, const QString& filter)
{
    qint64 sum = 0;
    for (QDirIterator it(folder, {filter}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        sum += QFileInfo(it.next()).size();
    return sum;
}

// One iteration: the android package of an SVG logo with vector layers, then with PNG layers (or
// the other way round); the sizes of the layers each writes.
void BM_AndroidVectorLayers(benchmark::State& state, const std::string& name)
{
    const IconDesign d = design(name);
    int turn = 0;
    for (auto _ : state) {
        const auto android = [&](Packages::AndroidVector vector, const char* out) {
            return [&d, vector, out] {
                QDir(folder->filePath(QLatin1String(out))).removeRecursively();
                Packages::Options options;
                options.androidVector = vector;
                Packages::writePackage(d, folder->filePath(QLatin1String(out)), {QStringLiteral("android")},
                                       options);
            };
        };
        double wall = 0;
        if (turn++ % 2 == 0) {
            wall = timed("android vectors " + name, android(Packages::AndroidVector::Auto, "vectors"));
            timed("android pixels " + name, android(Packages::AndroidVector::Never, "pixels"));
        } else {
            timed("android pixels " + name, android(Packages::AndroidVector::Never, "pixels"));
            wall = timed("android vectors " + name, android(Packages::AndroidVector::Auto, "vectors"));
        }
        state.SetIterationTime(wall);
    }
    const QString vectors = folder->filePath(QStringLiteral("vectors/res/drawable"));
    sizes[name] = {bytesUnder(vectors, QStringLiteral("*.xml")),
                   bytesUnder(folder->filePath(QStringLiteral("pixels/res")),
                              QStringLiteral("ic_launcher_foreground.png")) +
                       bytesUnder(folder->filePath(QStringLiteral("pixels/res")),
                                  QStringLiteral("ic_launcher_background.png")) +
                       (QFile::exists(vectors + QStringLiteral("/ic_launcher_monochrome.xml"))
                            ? bytesUnder(folder->filePath(QStringLiteral("pixels/res")),
                                         QStringLiteral("ic_launcher_monochrome.png"))
                            : 0)};
}

void BM_CheckApp(benchmark::State& state, const QString& app)
{
    for (auto _ : state)
        state.SetIterationTime(timed("app " + app.toStdString(),
                                     [&] { benchmark::DoNotOptimize(Packages::Check::checkApp(app)); }));
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
    for (const std::string name : {"default", "logo"})
        benchmark::RegisterBenchmark(("CheckBesidePackage/" + name).c_str(), BM_CheckBesidePackage, name)
            ->Iterations(15)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("VariantsBesidePackage", BM_VariantsBesidePackage)
        ->Iterations(9)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    for (const std::string name : {"logo", "text"})
        benchmark::RegisterBenchmark(("AndroidVectorLayers/" + name).c_str(), BM_AndroidVectorLayers, name)
            ->Iterations(15)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    QStringList apps = {QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/tests/data/apply/capacitor")};
    if (!qEnvironmentVariableIsEmpty("GLYPHWRIGHT_CHECK_APP"))
        apps << qEnvironmentVariable("GLYPHWRIGHT_CHECK_APP");
    for (const QString& a : apps)
        benchmark::RegisterBenchmark(("CheckApp/" + a.toStdString()).c_str(), BM_CheckApp, a)
            ->Iterations(15)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const std::string name : {"default", "logo"}) {
        const Runs& c = runs["check " + name];
        const Runs& p = runs["package " + name];
        if (c.wall.empty() || p.wall.empty())
            continue;
        std::printf("%s design, every target with launch screens, alternated: check %.0f ms (CPU %.0f), "
                    "package %.0f ms (CPU %.0f): check / package %.2f wall, %.2f CPU\n",
                    name.c_str(), median(c.wall) * 1e3, median(c.cpu) * 1e3, median(p.wall) * 1e3,
                    median(p.cpu) * 1e3, median(c.wall) / median(p.wall), median(c.cpu) / median(p.cpu));
    }
    if (!runs["package one"].wall.empty())
        std::printf(
            "android,ios,web: one package %.0f ms (CPU %.0f), the release and three variants %.0f ms (CPU "
            "%.0f): %.2f wall, %.2f CPU\n",
            median(runs["package one"].wall) * 1e3, median(runs["package one"].cpu) * 1e3,
            median(runs["package four"].wall) * 1e3, median(runs["package four"].cpu) * 1e3,
            median(runs["package four"].wall) / median(runs["package one"].wall),
            median(runs["package four"].cpu) / median(runs["package one"].cpu));
    for (const std::string name : {"logo", "text"}) {
        const Runs &v = runs["android vectors " + name], &p = runs["android pixels " + name];
        if (v.wall.empty() || p.wall.empty())
            continue;
        std::printf(
            "%s design, package --target android, alternated: vector layers %.1f ms (CPU %.1f), PNG layers "
            "%.1f ms (CPU %.1f): %.2f wall, %.2f CPU; the vector layers %lld bytes against the %lld of "
            "the PNG layers they replace\n",
            name.c_str(), median(v.wall) * 1e3, median(v.cpu) * 1e3, median(p.wall) * 1e3,
            median(p.cpu) * 1e3, median(v.wall) / median(p.wall), median(v.cpu) / median(p.cpu),
            sizes[name].first, sizes[name].second);
    }
    for (const QString& a : apps)
        if (!runs["app " + a.toStdString()].wall.empty())
            std::printf("check %s: median %.0f ms\n", qPrintable(a),
                        median(runs["app " + a.toStdString()].wall) * 1e3);
    return 0;
}
