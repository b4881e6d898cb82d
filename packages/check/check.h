#pragma once

#include "design/icondesign.h"
#include "packages/apply/appproject.h"
#include "packages/package.h"
#include "packages/previewsheet.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// The design check: every platform's rules and every derived look, measured on the pixels the
// packages would write (for a design) or on the files an app's project holds (whoever wrote them),
// and told as findings before anything ships.
namespace Packages {
class Sources;
}

namespace Packages::Check {

enum class Severity {
    Error,   // a store or a build refuses it
    Warning, // it ships, but looks wrong or is flagged
    Note,    // worth knowing
};
// "error", "warning", "note".
QString severityName(Severity severity);

// A rule the check applies: a row of one table (rules()), which the check and the tests walk.
struct Rule
{
    const char* id;       // stable, for scripts: "ios-appstore-alpha"
    Severity severity;
    const char* measures; // what it measures, for --help and the README
    const char* sentence; // what is wrong, with the figures measured as %1, %2 ...
    const char* remedy;   // what to do about it: the option or the control that fixes it
    // The labels of the preview sheet's panels that show it, "|" between them (none: an app's files).
    const char* panels = nullptr;
    bool boxOnPanels = true; // whether those panels show the icon whole, where the box is drawn
};
const QList<Rule>& rules();
// The row of `id` (which must be one).
const Rule& rule(const char* id);

// One finding: a rule that fired, with the figures it measured.
struct Finding
{
    const Rule* rule = nullptr;
    QString message; // the rule's sentence with its figures
    QString target;  // "android", "ios" ... (or the framework's part of an app: "Android app module")
    QString file;    // the file it concerns, as the package or the app's folder names it
    QRect box;       // where it stands, on the 1024 canvas (a design) or in the file's pixels; may be empty
    Severity severity() const { return rule->severity; }
};
// A finding of rule `id`, its sentence filled with `figures`.
Finding finding(const char* id, const QStringList& figures, const QString& target, const QString& file,
                const QRect& box = QRect());

// The findings of a design as `package` would write it for `targets` (names of targetNames()) with
// `options`, without writing anything.
QList<Finding> checkDesign(const IconDesign& design, const QStringList& targets, const Options& options);
// The same on pictures drawn already (the Device Preview's, say).
QList<Finding> checkDesign(const Sources& sources, const QStringList& targets);
// The findings of the app's project in `folder` as it stands: the frameworks apply knows, read as
// apply reads them.
QList<Finding> checkApp(const QString& folder);

// The findings as the preview sheet marks them (warnings and errors on the panels that show them).
QList<Mark> marksOf(const QList<Finding>& findings);

// The findings of the app's project as an apply of `plan` would leave it (nothing written).
QList<Finding> checkPlanned(const AppPlan& plan);
// A line a finding: "warning (Android app module app): the sentence. The remedy."
QStringList findingLines(const QList<Finding>& findings);

// How many findings of `severity`.
int count(const QList<Finding>& findings, Severity severity);
// "2 errors, 1 warning, 0 notes".
QString summary(const QList<Finding>& findings);

// Measures the rules take of pictures, for the design and the app's files alike.
// The share of `shape`'s coverage that `kept` lacks (0: all kept, 1: all lost), over the pixels
// where `shape` has at least half coverage; and the share of its bounding box `kept` covers.
double lostShare(const QImage& shape, const QImage& kept);
double filledShare(const QImage& image);
// The share of `shape`'s ink (half coverage or more) that `kept` shows partly transparent (a
// coverage from an eighth to three quarters).
double fadedShare(const QImage& shape, const QImage& kept);
// How far the ink (coverage of 16 or more) of a square image reaches from its centre, as a share
// of its side; and how wide it is across, as a share of its side.
double inkRadius(const QImage& image);
double inkWidth(const QImage& image);

} // namespace Packages::Check
