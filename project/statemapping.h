#pragma once

#include "design/icondesign.h"
#include "export/iconset.h"
#include "project/projectformat.h"

#include <QImage>
#include <QStringList>

// What a saved state asks for: the icon design, the icon set and the pictogram image. The window
// and the command line both go through these, so a project means the same to both.
namespace Project {

// The font families the font box lists, in its order.
QStringList fontFamilies();

// The icon design a state describes: `families` names the font index's family (the font box's
// list), `customImage` is the picture the custom path names.
IconDesign designOf(const State& state, const QStringList& families, const QImage& customImage,
                    QSize customImageSize = QSize(), const QByteArray& customVector = QByteArray());

// The chosen set (Android, iOS or custom, the first checked radio) with its ticked sizes, in the
// state's format and quality.
Export::IconPlan iconPlan(const State& state);
// The chosen pictogram size, format and quality.
Export::ImagePlan imagePlan(const State& state);

} // namespace Project
