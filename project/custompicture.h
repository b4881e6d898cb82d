#pragma once

#include <QImage>
#include <QString>

// Loads the user's own picture: a regular file holding a PNG, JPEG, BMP or TIFF image (judged by
// its content, whatever its name says) of at most 16384 pixels on a side and 100 megapixels.
// Anything else gives a null image, and an image too big is refused before its pixels are
// allocated.
QImage loadCustomPicture(const QString& path);
