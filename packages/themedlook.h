#pragma once

#include <QImage>

struct IconDesign;

// The themed look: a design as one colour with alpha, as Android's themed icons, the web's
// monochrome icon and Windows' badge and lock-screen logos show it.
namespace Packages {

class DesignLayers;

// The design's monochrome (themed icon) shape on the 1024 canvas, white with alpha. Flat pictures
// and text keep their outline, the text cut out of the picture where it crosses it. A coloured or
// custom picture that stands on an opaque plate of its own (a photo, a logo on paper) is taken by
// its tones instead: the plate's tone drops out and everything that differs from it stays, so its
// details and holes survive.
QImage monochromeLayer(const IconDesign& design);
QImage monochromeLayer(const DesignLayers& layers);
} // namespace Packages
