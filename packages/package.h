#pragma once

#include "base/fileio.h"
#include "base/png.h"
#include "design/icondesign.h"
#include "packages/variant.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>

class QPainter;

// Ready-to-drop icon folders for each platform, derived from a design, and a preview sheet that
// shows the icon as those platforms do.
namespace Packages {

// Whether Android's adaptive layers are written as vector drawables: when the design can be drawn
// as paths (an SVG picture or none, and its text), always (the caller refuses a design that
// cannot: androidVectorProblem() says why), or never.
enum class AndroidVector { Auto, Always, Never };

// Choices a design does not make itself.
struct Options
{
    QColor background = Qt::white;        // behind a transparent design wherever a platform wants opaque
    QString name = QStringLiteral("App"); // the web app's name
    QColor themeColor;  // the web app's theme colour; invalid: the design's background colour
    QColor splashColor; // the web manifest's background_color; invalid: as the theme colour
    QString appId = QStringLiteral("app"); // the Linux icon name
    bool macosKeepCorners = false;         // the design's own corners instead of the macOS shape
    QColor iosDarkColor;   // the glyph colour of the iOS dark icon; invalid: the design's, lifted
    QColor iosTintedColor; // the grey of the iOS tinted glyph (a colour counts by its grey)
    QString basePath = QStringLiteral("/"); // where the web files are served from, ending in "/"
    bool launch = false;                    // the launch screens too (Android, iOS, the web)
    QColor splashDarkColor;                 // the dark launch screens' colour; invalid: near-black (#121214)
    bool smallWithoutText = false;          // the icons of 48 pixels and less without the design's text
    bool launchText = false;                // the design's text on them (otherwise the picture alone)
    Variant variant;                        // a build variant's badge; none: the release icons
    AndroidVector androidVector = AndroidVector::Auto;
};

class Sources;

// One file of a package: where it goes (relative to the target's folder) and how its bytes are
// made. Making them (scaling and encoding) is the costly part, so it runs on all cores once every
// file of every target is known; it may only read the Sources.
struct Job
{
    QString path;
    std::function<QByteArray()> bytes; // the file's bytes; null for a PNG file
    bool executable = false;           // a script
    // For a PNG file, the picture it shows, encoded by the package writer: files that show the
    // same picture share one encoding.
    std::function<QImage()> picture = nullptr;
    bool grey = false;                            // stored as grey when all its pixels are
    int dotsPerMeter = Png::standardDotsPerMeter; // the density the file declares
    const char* target = nullptr;                 // the target's name, once chosen
    bool launch = false;                          // one of the launch screens' files
};
using Jobs = QList<Job>;

// One labelled picture of the preview sheet; `draw` paints it in panel coordinates.
struct Panel
{
    QString label;
    QColor background;
    std::function<void(QPainter&)> draw;
};

// A platform the packages are made for. Adding one is a file with its two functions and a row of
// the table.
struct Target
{
    const char* name;    // the command line's and the folder's
    const char* title;   // as people know the platform: "Android", "iOS"
    const char* summary; // one line: what the folder holds
    // The target's files; runs on the calling thread.
    Jobs (*files)(const Sources& sources);
    // The preview sheet's row the target's panels join, and the words that row's title gives them.
    int previewRow;
    const char* previewTitle;
    // At `ratio` device pixels a sheet pixel.
    QList<Panel> (*panels)(const Sources& sources, qreal ratio); // null: none
};
// In the order targets are written, listed and shown.
const QList<Target>& targets();
// The names of targets(), in order.
QStringList targetNames();

// The name and Linux icon name a project's file gives its packages where none is chosen:
// "Shop Icon.ipr" gives "Shop Icon" and "Shop-Icon", "org.example.Shop.ipr" "org.example.Shop" and
// "org.example.Shop"; no file, "App" and "app".
QString defaultName(const QString& projectFile);
QString defaultAppId(const QString& projectFile);

// How far a run of writePackage() is, for a progress bar on another thread, and its stop button.
struct Progress
{
    std::atomic<int> total{0}; // files, known once the run has begun
    std::atomic<int> done{0};
    std::atomic<bool> cancelled{false}; // files not yet begun are then not written
};

// Writes the packages of `chosen` (names from targetNames()) into `folder`: a single target
// straight into it, several each into a sub-folder of its own name. The files are encoded and
// written on all cores; each is written whole or not at all, and none through a symbolic link
// that leads out of `folder`. Any thread may run it.
Files::Outcome writePackage(const IconDesign& design, const QString& folder, const QStringList& chosen,
                            const Options& options = Options(), Progress* progress = nullptr);

// One build's package: the release's (no variant) or a variant's, and the folder it goes into.
struct Build
{
    Variant variant;
    QString folder;
};

// Writes the package of `chosen` for each build as writePackage() does (`options` without a
// variant), the design drawn once for them all: each variant only draws its badge on the release's
// pictures.
Files::Outcome writePackages(const IconDesign& design, const QList<Build>& builds, const QStringList& chosen,
                             const Options& options);

// The bytes of each job's file (empty where one could not be made, or once `cancelled` says so),
// made on all cores, its pictures packed with `effort`; files that show the same large picture
// share one encoding.
QVector<QByteArray> fileBytes(
    const Jobs& jobs, const std::function<bool()>& cancelled = [] { return false; },
    Png::Effort effort = Png::Effort::Smallest);
// How hard the pictures of a package made with `options` are packed: a build variant's, whose
// icons never go to a store, quickly.
Png::Effort encodingEffort(const Options& options);

} // namespace Packages
