#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

// libpng as the reference for the program's own PNG readers: the differential test and the fuzzer
// both hold the readers to it.
namespace PngReference {

// What libpng makes of a file read as the toolkit reads it, to its end, with the expand, scale-16,
// grey-to-RGB and filler transformations: 8-bit RGBA rows.
struct Reading
{
    bool accepted = false;
    bool interlaced = false;
    bool tooLarge = false; // not decoded: more pixels than asked for
    QSize size;
    QByteArray rows;
    QString error;        // why libpng refused it
    QStringList warnings; // the errors libpng lets pass on reading
};
Reading read(const QByteArray& file, qint64 mostPixels = qint64(1) << 22);

// How the row reader and the whole-file decoder disagree with libpng on `file`: empty when they
// agree, in what they accept and in every pixel.
QString disagreement(const QByteArray& file, qint64 mostPixels = qint64(1) << 22);

// A chunk with its length and CRC.
QByteArray chunk(const char* type, const QByteArray& body);

} // namespace PngReference
