// artbake: rasterises the vendored SVG artwork into the PNG resources and writes artwork.qrc.
//
//   artbake ARTWORK_DIR OUT_DIR
//
// Flat and coloured pictures are fitted on their ink box so that its longer side is 66 % of the
// canvas, centred; pictograms keep their own 24-unit grid inside a centred 90 % box. The tintable
// sets (flat pictures, pictograms) are stored white with the shape in the alpha channel.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTextStream>

#include "base/parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

struct Job
{
    QString svg;    // source file
    QString prefix; // resource path without ".png" / "-small.png", e.g. "Flat/flat7"
    int fullSize;
    enum Fit { InkBox, Grid } fit;
    bool tintable;
};

QByteArray readSvg(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // QtSvg does not resolve currentColor; the tintable sets only need the shape, so any
    // opaque colour will do.
    return f.readAll().replace("currentColor", "#000000");
}

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void renderInto(QSvgRenderer& r, QImage& img, const QRectF& target)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    r.render(&p, target);
}

// The ink box of a first render, in units of the canvas (0 ... 1).
QRectF inkBox(QSvgRenderer& r)
{
    const int n = 1024;
    QImage probe = blank(n, n);
    renderInto(r, probe, QRectF(0, 0, n, n));
    int x0 = n, y0 = n, x1 = -1, y1 = -1;
    for (int y = 0; y < n; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
        for (int x = 0; x < n; ++x) {
            if (qAlpha(line[x]) > 8) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
    }
    if (x1 < 0)
        return QRectF(0, 0, 1, 1);
    return QRectF(double(x0) / n, double(y0) / n, double(x1 + 1 - x0) / n, double(y1 + 1 - y0) / n);
}

QImage renderFitted(QSvgRenderer& r, const QRectF& ink, int size)
{
    const double side = 0.66 * size;
    const double full = side / std::max(ink.width(), ink.height());
    const QPointF c = ink.center();
    QImage img = blank(size, size);
    renderInto(r, img, QRectF(size / 2.0 - c.x() * full, size / 2.0 - c.y() * full, full, full));
    return img;
}

QImage renderGrid(QSvgRenderer& r, int size)
{
    QImage img = blank(size, size);
    const double margin = size * 0.05;
    renderInto(r, img, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    return img;
}

// One colour with the shape in alpha, stored as a 256-entry palette of that colour at every
// opacity: a quarter of the data of RGBA, so the program decodes it several times faster.
QImage shapeIn(const QImage& src, QRgb colour)
{
    const QImage argb = src.convertToFormat(QImage::Format_ARGB32);
    QImage img(argb.size(), QImage::Format_Indexed8);
    QVector<QRgb> palette(256);
    for (int a = 0; a < 256; ++a)
        palette[a] = qRgba(qRed(colour), qGreen(colour), qBlue(colour), a);
    img.setColorTable(palette);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = img.scanLine(y);
        for (int x = 0; x < img.width(); ++x)
            out[x] = uchar(qAlpha(in[x]));
    }
    return img;
}

// Rasterises one picture and its thumbnail; returns what went wrong, empty when nothing did.
QString bake(const Job& job, const QString& outDir)
{
    QSvgRenderer r(readSvg(job.svg));
    if (!r.isValid())
        return QStringLiteral("cannot read %1").arg(job.svg);
    QImage full, small;
    if (job.fit == Job::InkBox) {
        const QRectF ink = inkBox(r);
        full = renderFitted(r, ink, job.fullSize);
        small = renderFitted(r, ink, 100);
    } else {
        full = renderGrid(r, job.fullSize);
        small = renderGrid(r, 100);
    }
    if (job.tintable) {
        // The renderers only use the full-size shape's alpha and tint it; the thumbnails are only
        // shown, in dark grey so that they stand out on the lists' white background.
        full = shapeIn(full, qRgb(255, 255, 255));
        small = shapeIn(small, qRgb(60, 60, 60));
    }
    if (!full.save(outDir + QLatin1Char('/') + job.prefix + QStringLiteral(".png")) ||
        !small.save(outDir + QLatin1Char('/') + job.prefix + QStringLiteral("-small.png")))
        return QStringLiteral("cannot write %1").arg(job.prefix);
    return QString();
}

// The About dialog's product picture: a warm rounded tile carrying the white magic wand.
bool bakeBoxshot(const QString& wandSvg, const QString& outPath)
{
    QSvgRenderer wand(readSvg(wandSvg));
    if (!wand.isValid())
        return false;
    QImage img = blank(240, 253);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawEllipse(QRectF(30, 226, 180, 18));
        QLinearGradient g(0, 14, 0, 230);
        g.setColorAt(0, QColor(0xff, 0xb3, 0x47));
        g.setColorAt(1, QColor(0xe8, 0x4a, 0x5f));
        QPainterPath tile;
        tile.addRoundedRect(QRectF(12, 12, 216, 216), 48, 48);
        p.fillPath(tile, g);
    }
    QImage glyph = shapeIn(renderFitted(wand, inkBox(wand), 216), qRgb(255, 255, 255));
    {
        QPainter p(&img);
        p.drawImage(12, 12, glyph);
    }
    return img.save(outPath);
}

// Reads "N file ..." (or "word N file ..." when withWord) lines of a SOURCES file.
std::vector<QStringList> readSources(const QString& path)
{
    std::vector<QStringList> rows;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        rows.push_back(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    return rows;
}

// The pictures the SOURCES lists name, and the About picture's wand.
struct Catalogue
{
    std::vector<Job> jobs;
    QString wand;
};

Catalogue catalogue(const QString& src)
{
    Catalogue c;
    for (const QStringList& row : readSources(src + QStringLiteral("/flat/SOURCES"))) {
        if (row.size() < 2)
            continue;
        if (row[0] == QLatin1String("about"))
            c.wand = src + QStringLiteral("/flat/") + row[1];
        else
            c.jobs.push_back({src + QStringLiteral("/flat/") + row[1], QStringLiteral("Flat/flat") + row[0],
                              1024, Job::InkBox, true});
    }
    for (const QStringList& row : readSources(src + QStringLiteral("/colored/SOURCES")))
        if (row.size() >= 2)
            c.jobs.push_back({src + QStringLiteral("/colored/") + row[1],
                              QStringLiteral("Colored/colored") + row[0], 1024, Job::InkBox, false});
    for (const QStringList& row : readSources(src + QStringLiteral("/pictograms/SOURCES")))
        if (row.size() >= 3)
            c.jobs.push_back({src + QStringLiteral("/pictograms/") + row[2],
                              QStringLiteral("Graphics/") + row[0] + row[1], 420, Job::Grid, true});
    return c;
}

bool writeQrc(const QString& out, const std::vector<Job>& jobs)
{
    QFile qrc(out + QStringLiteral("/artwork.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream q(&qrc);
    q << "<RCC>\n<qresource prefix=\"/\">\n";
    auto entry = [&q](const QString& path) {
        q << "  <file alias=\"" << path << "\">" << path << "</file>\n";
    };
    for (const Job& job : jobs) {
        entry(job.prefix + QStringLiteral(".png"));
        entry(job.prefix + QStringLiteral("-small.png"));
    }
    entry(QStringLiteral("Resources/Boxshot.png"));
    q << "</qresource>\n</RCC>\n";
    q.flush();
    return qrc.error() == QFileDevice::NoError;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: artbake ARTWORK_DIR OUT_DIR\n");
        return 2;
    }
    const QString src = args[1];
    const QString out = args[2];
    for (const char* sub : {"Flat", "Colored", "Graphics", "Resources"})
        QDir().mkpath(out + QLatin1Char('/') + QLatin1String(sub));

    const Catalogue pictures = catalogue(src);
    std::atomic<bool> failed{false};
    parallelFor(int(pictures.jobs.size()), [&](int i) {
        const QString error = bake(pictures.jobs[i], out);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "artbake: %s\n", qPrintable(error));
            failed = true;
        }
    });
    if (failed || pictures.wand.isEmpty() ||
        !bakeBoxshot(pictures.wand, out + QStringLiteral("/Resources/Boxshot.png")) ||
        !writeQrc(out, pictures.jobs)) {
        std::fprintf(stderr, "artbake: baking failed\n");
        return 1;
    }
    std::printf("artbake: %zu pictures\n", pictures.jobs.size());
    return 0;
}
