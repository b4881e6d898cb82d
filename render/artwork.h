#pragma once

#include <QImage>
#include <QString>

// Names of the compiled-in artwork. Picture numbers count from 1; list row r shows picture r + 1.
namespace Artwork {

constexpr int flatCount = 43;
constexpr int coloredCount = 35;
constexpr int categoryCount = 7;

struct Category
{
    const char* entry; // text in the category combo box
    const char* word;  // resource path word, ":/Graphics/<word>N.png"
    int pictures;      // pictures in the library; the list offers pictures 1 ... pictures - 1
};
extern const Category categories[categoryCount];

// Rows a category's list offers, 0 for an index outside 0 ... 6.
int listedRows(int category);

QString flatPath(int number, bool thumbnail = false);
QString coloredPath(int number, bool thumbnail = false);
// Empty for a category index outside 0 ... 6.
QString graphicPath(int category, int number, bool thumbnail = false);

// Decodes a library picture, keeping decoded pictures for later calls (the resources never
// change). A path that does not resolve gives a null image, and is not retried noisily.
QImage libraryImage(const QString& path);
void clearImageCache();

} // namespace Artwork
