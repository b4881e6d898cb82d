// The largest picture a project may hold, 16384 x 6103 pixels at 16 bits a channel (a gradient
// that packs into under a megabyte): how long the window takes to load a project that uses it,
// how long one step of each control takes with it in use (the edit, the refresh and the repaint),
// and the memory the whole program then holds. The last lines name the slowest control and the
// process's peak resident memory.
//
//   build/bench/bench_largest_picture [--benchmark_filter=...]
#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "project/projectformat.h"
#include "resources/initresources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int pictureWidth = 16384, pictureHeight = 6103;

QTemporaryDir* folder;
MainWindow* window;
std::map<std::string, double> slowest; // each control's slowest step, in milliseconds

void chunk(FILE* f, const char* type, const QByteArray& body)
{
    const auto be = [](quint32 v) {
        const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(b, 4);
    };
    QByteArray all = be(quint32(body.size())) + QByteArray(type, 4) + body;
    all += be(quint32(crc32(0, reinterpret_cast<const Bytef*>(all.constData() + 4), uInt(all.size() - 4))));
    fwrite(all.constData(), 1, size_t(all.size()), f);
}

// A horizontal gradient, every row alike (rows after the first filtered "up", all zeros).
void writeLargestPicture(const QString& path)
{
    QByteArray row(1 + pictureWidth * 8, '\0'), zeros(1 + pictureWidth * 8, '\0');
    for (int x = 0; x < pictureWidth; ++x) {
        const quint16 v = quint16(x * 65535 / (pictureWidth - 1));
        const quint16 c[4] = {v, quint16(65535 - v), quint16(v * 7), 65535};
        for (int i = 0; i < 4; ++i) {
            row[1 + x * 8 + 2 * i] = char(c[i] >> 8);
            row[1 + x * 8 + 2 * i + 1] = char(c[i]);
        }
    }
    zeros[0] = 2;
    z_stream z{};
    deflateInit(&z, 6);
    QByteArray data;
    std::vector<Bytef> out(1 << 20);
    for (int y = 0; y < pictureHeight; ++y) {
        const QByteArray& r = y ? zeros : row;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(r.constData()));
        z.avail_in = uInt(r.size());
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            deflate(&z, y + 1 == pictureHeight ? Z_FINISH : Z_NO_FLUSH);
            data.append(reinterpret_cast<const char*>(out.data()), int(out.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    FILE* f = fopen(QFile::encodeName(path).constData(), "wb");
    fwrite("\x89PNG\r\n\x1a\n", 1, 8, f);
    QByteArray header(13, '\0');
    header[0] = char(pictureWidth >> 24), header[1] = char(pictureWidth >> 16),
    header[2] = char(pictureWidth >> 8), header[3] = char(pictureWidth);
    header[4] = char(pictureHeight >> 24), header[5] = char(pictureHeight >> 16),
    header[6] = char(pictureHeight >> 8), header[7] = char(pictureHeight);
    header[8] = 16;
    header[9] = 6;
    chunk(f, "IHDR", header);
    chunk(f, "IDAT", data);
    chunk(f, "IEND", QByteArray());
    fclose(f);
}

// The start-up project with the picture in use at 60 %.
QString writeProject()
{
    Project::State state;
    state.setFlag(Project::Key::UseImageFlat, false);
    state.setFlag(Project::Key::UseImageCustom, true);
    state.setText(Project::Key::CustomImagePath, QStringLiteral("largest.png"));
    state.setNumber(Project::Key::ImageScale, 60);
    const QString path = folder->filePath(QStringLiteral("largest.ipr"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(Project::format(state));
    return path;
}

void BM_LoadLargestPicture(benchmark::State& state)
{
    const QString project = folder->filePath(QStringLiteral("largest.ipr"));
    for (auto _ : state) {
        state.PauseTiming();
        auto* fresh = new MainWindow;
        fresh->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        fresh->loadProject(project);
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete fresh;
        state.ResumeTiming();
    }
}

// One control's step and back, each timed with the window's answer to it.
void stepControl(benchmark::State& state, const std::function<void(bool)>& step, const std::string& name)
{
    bool forth = true;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        step(forth);
        QCoreApplication::processEvents();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        slowest[name] = std::max(slowest[name], ms);
        state.SetIterationTime(ms / 1000.0);
        forth = !forth;
    }
}

void registerControls()
{
    for (const Project::Entry& e : Project::entries) {
        const QString name = QString::fromLatin1(e.objectName);
        std::function<void(bool)> step;
        if (auto* spin = window->findChild<QSpinBox*>(name)) {
            const int from = spin->value(), to = from < spin->maximum() ? from + 1 : from - 1;
            step = [spin, from, to](bool forth) { spin->setValue(forth ? to : from); };
        } else if (auto* slider = window->findChild<QSlider*>(name)) {
            const int from = slider->value(), to = from < slider->maximum() ? from + 1 : from - 1;
            step = [slider, from, to](bool forth) { slider->setValue(forth ? to : from); };
        } else if (auto* radio = window->findChild<QRadioButton*>(name)) {
            // Choosing this option and going back to the one chosen before.
            QRadioButton* before = nullptr;
            for (QAbstractButton* b : radio->group() ? radio->group()->buttons() : QList<QAbstractButton*>())
                if (b->isChecked())
                    before = qobject_cast<QRadioButton*>(b);
            if (!before)
                for (QRadioButton* sibling : radio->parentWidget()->findChildren<QRadioButton*>(
                         QString(), Qt::FindDirectChildrenOnly))
                    if (sibling->isChecked())
                        before = sibling;
            if (!before || before == radio)
                continue;
            step = [radio, before](bool forth) { (forth ? radio : before)->click(); };
        } else if (auto* check = window->findChild<QAbstractButton*>(name)) {
            step = [check](bool) { check->click(); };
        } else if (auto* combo = window->findChild<QComboBox*>(name)) {
            const int from = combo->currentIndex(), to = from + 1 < combo->count() ? from + 1 : from - 1;
            step = [combo, from, to](bool forth) { combo->setCurrentIndex(forth ? to : from); };
        } else if (auto* list = window->findChild<QListWidget*>(name)) {
            const int from = std::max(0, list->currentRow()),
                      to = from + 1 < list->count() ? from + 1 : from - 1;
            step = [list, from, to](bool forth) { list->setCurrentRow(forth ? to : from); };
        } else if (auto* edit = window->findChild<QLineEdit*>(name)) {
            if (e.after == Project::After::LoadCustomPicture)
                continue; // naming another picture is a load, timed above
            step = [edit](bool forth) { edit->setText(forth ? QStringLiteral("Ab") : QString()); };
        } else {
            continue;
        }
        const std::string label = e.objectName;
        benchmark::RegisterBenchmark(("Edit/" + label).c_str(),
                                     [step, label](benchmark::State& s) { stepControl(s, step, label); })
            ->Iterations(4)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    // The picture's scale away from its start: smallest, small and largest.
    auto* scale = window->findChild<QSpinBox*>(QStringLiteral("spinImageScale"));
    for (const auto& [from, to] : {std::pair<int, int>(1, 2), {5, 6}, {998, 999}}) {
        const std::string label = "spinImageScale " + std::to_string(from) + "-" + std::to_string(to);
        auto step = [scale, from = from, to = to](bool forth) { scale->setValue(forth ? to : from); };
        benchmark::RegisterBenchmark(("Edit/" + label).c_str(),
                                     [step, label](benchmark::State& s) {
                                         step(false); // the starting value, untimed
                                         QCoreApplication::processEvents();
                                         stepControl(s, step, label);
                                     })
            ->Iterations(4)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    // The colour buttons answer with a colour as the colour dialog would.
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (!button->objectName().endsWith(QLatin1String("Color")))
            continue;
        const std::string label = button->objectName().toStdString();
        auto step = [button](bool forth) {
            Dialogs::queueAnswer(forth ? QColor(12, 200, 90) : QColor(200, 30, 60));
            button->click();
        };
        benchmark::RegisterBenchmark(("Edit/" + label).c_str(),
                                     [step, label](benchmark::State& s) { stepControl(s, step, label); })
            ->Iterations(4)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
}

// The process's resident memory now.
double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

} // namespace

BENCHMARK(BM_LoadLargestPicture)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    initResources();
    QApplication app(argc, argv);
    Dialogs::setTestMode(true);
    QTemporaryDir dir;
    folder = &dir;
    writeLargestPicture(dir.filePath(QStringLiteral("largest.png")));
    const QString project = writeProject();
    MainWindow main;
    main.show();
    QCoreApplication::processEvents();
    const double before = residentMegabytes();
    main.loadProject(project);
    QCoreApplication::processEvents();
    window = &main;
    registerControls();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto worst = std::max_element(slowest.begin(), slowest.end(),
                                        [](const auto& a, const auto& b) { return a.second < b.second; });
    if (worst != slowest.end())
        std::printf("slowest control step: %s, %.1f ms\n", worst->first.c_str(), worst->second);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    // The picture replaced by a library picture: the memory it took is handed back.
    window->findChild<QRadioButton*>(QStringLiteral("radioImageFlat"))->click();
    QCoreApplication::processEvents();
    std::printf("resident before the picture: %.1f MB, after it is replaced by a library picture: %.1f MB\n",
                before, residentMegabytes());
    return 0;
}
