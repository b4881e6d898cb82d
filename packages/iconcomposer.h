#pragma once

// Apple's layered app icon document for iOS, iPadOS and macOS 26 (the ".icon" bundle Icon
// Composer edits and Xcode or actool compile): the design's background as the document's fill,
// its picture and its text as groups of one full-canvas layer each, with dark and tinted variants
// that match the iOS package's dark and tinted icons.
#include "packages/package.h"

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace Packages {

class Sources;

struct IconDocument
{
    QJsonObject json;                     // icon.json
    QList<QPair<QString, QImage>> assets; // Assets/NAME.png, each 1024 x 1024 on transparency
    // Assets written as SVG on the 1024 canvas: an SVG picture, whose drawing is among `assets`
    // under the same name, and a build variant's badge.
    QList<QPair<QString, QByteArray>> vectors;
};

// The document of a design; `options` choose the shapes' dark and tinted colours as they do for the
// iOS package.
IconDocument iconDocument(const Sources& sources);

// `json` as Icon Composer writes it: keys sorted, two-space indentation, " : " between key and
// value, one array element a line.
QByteArray iconJson(const QJsonObject& json);

// "srgb:R,G,B,A", each component with five decimals.
QString srgb(const QColor& colour);

// The files of the bundle NAME.icon ("NAME.icon/icon.json", "NAME.icon/Assets/...").
Jobs iconBundleFiles(const Sources& sources, const QString& name = QStringLiteral("AppIcon"));

// An approximation of the system's rendering of the document in an appearance ("", "dark" or
// "tinted"): the fill and layers composed, front to back, in the platform's icon shape with a glassy
// highlight.
QImage approximateGlass(const IconDocument& document, int size, const QString& appearance = QString());

// The layers composed over the fill, front to back, without mask or glass: what the document
// shows before the system's treatment (for checks).
QImage recomposed(const IconDocument& document, const QString& appearance = QString());

} // namespace Packages
