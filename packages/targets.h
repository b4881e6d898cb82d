#pragma once

// What the target files share: the files and panels of each target (the table in package.cpp lists
// them), and the helpers they make them with.
#include "packages/package.h"
#include "packages/sources.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

namespace Packages {

// The targets, each declared in its own file (android.cpp, ...) with its files and panels.
extern const Target androidTarget, iosTarget, macosTarget, windowsTarget, webTarget, linuxTarget;

// With `vector`, in place of the options' choice of vector layers.
Jobs androidFiles(const Sources& s);
Jobs androidFiles(const Sources& s, AndroidVector vector);
QList<Panel> androidPanels(const Sources& s, qreal ratio);
Jobs iosFiles(const Sources& s);
QList<Panel> iosPanels(const Sources& s, qreal ratio);
Jobs macosFiles(const Sources& s);
QList<Panel> macosPanels(const Sources& s, qreal ratio);
// The icon set of an Xcode asset catalog for macOS: AppIcon.appiconset/ with its Contents.json.
Jobs macosCatalogFiles(const Sources& s);
Jobs windowsFiles(const Sources& s);
QList<Panel> windowsPanels(const Sources& s, qreal ratio);
// A Store package's logo `name` ("Square150x150Logo", "StoreLogo", "LockScreenLogo", ...) of `size`
// pixels: the icon centred on transparency, or its picture and text as a white shape for the lock
// screen. Null for a name that is not one of them.
QImage storeLogo(const Sources& s, const QString& name, QSize size);
bool isStoreLogo(const QString& name);
Jobs webFiles(const Sources& s);
// The design as an SVG favicon with its dark look (favicon.svg); empty where it is not paths (a
// picture of pixels, a build variant's badge).
QByteArray vectorFavicon(const Sources& s);
QList<Panel> webPanels(const Sources& s, qreal ratio);
Jobs linuxFiles(const Sources& s);
QList<Panel> linuxPanels(const Sources& s, qreal ratio);

// A PNG file (sRGB-tagged) of the image `image` makes when the job runs; with `grey`, stored as
// grey when all its pixels are (the tinted appearances, which are grey by nature).
Job pngJob(const QString& path, std::function<QImage()> image, bool grey = false);
// A picture several jobs start from, made by the first of them that runs, the others waiting.
std::function<QImage()> madeOnce(std::function<QImage()> make);
// The same for jobs that each want the picture at a size of their own: it is made once, and each
// size is scaled from its halvings.
std::function<QImage(int)> scaledOnce(std::function<QImage()> make);
// A file of fixed bytes.
Job textJob(const QString& path, const QByteArray& bytes);
// The colour as the web and the manifest write it: #rrggbb.
QString colorName(const QColor& color);

} // namespace Packages
