#include "tests/support/pngreference.h"

#include "base/png.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace PngReference {

namespace {

struct Source
{
    const QByteArray* file;
    qsizetype at;
    Reading* reading;
};

void readBytes(png_structp png, png_bytep data, size_t length)
{
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > size_t(source->file->size() - source->at))
        png_error(png, "the file ends early");
    std::memcpy(data, source->file->constData() + source->at, length);
    source->at += qsizetype(length);
}

[[noreturn]] void fail(png_structp png, png_const_charp message)
{
    if (auto* source = static_cast<Source*>(png_get_io_ptr(png)))
        source->reading->error = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

// libpng allocates what a chunk declares before reading it (a gigabyte for a text chunk of a few
// bytes): beyond 64 MiB the file is left uncompared, as one too large.
png_voidp allocate(png_structp png, png_alloc_size_t size)
{
    if (size > (png_alloc_size_t(64) << 20)) {
        static_cast<Source*>(png_get_mem_ptr(png))->reading->tooLarge = true;
        return nullptr;
    }
    return std::malloc(size);
}

void release(png_structp, png_voidp p)
{
    std::free(p);
}

void warn(png_structp png, png_const_charp message)
{
    static_cast<Source*>(png_get_io_ptr(png))->reading->warnings << QString::fromLatin1(message);
}

// The reading, through pointers that stay put across libpng's longjmp.
void readInto(Source* source, qint64 mostPixels, png_structp png, png_infop info, QByteArray* rows,
              std::vector<png_bytep>* pointers)
{
    Reading* reading = source->reading;
    png_set_read_fn(png, source, readBytes);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    reading->size = QSize(int(w), int(h));
    reading->interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (qint64(w) * qint64(h) > mostPixels) {
        reading->tooLarge = true;
        return;
    }
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rows->resize(int(qint64(w) * h * 4));
    pointers->resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        (*pointers)[y] = reinterpret_cast<png_bytep>(rows->data()) + size_t(y) * w * 4;
    png_read_image(png, pointers->data());
    png_read_end(png, info); // as the toolkit does: every chunk after the data is judged
    reading->accepted = true;
}

} // namespace

Reading read(const QByteArray& file, qint64 mostPixels)
{
    Reading reading;
    Source source{&file, 0, &reading};
    png_structp png =
        png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, fail, warn, &source, allocate, release);
    png_infop info = png_create_info_struct(png);
    QByteArray rows;
    std::vector<png_bytep> pointers;
    if (setjmp(png_jmpbuf(png)) == 0)
        readInto(&source, mostPixels, png, info, &rows, &pointers);
    png_destroy_read_struct(&png, &info, nullptr);
    if (reading.tooLarge)
        reading.accepted = false;
    else if (reading.accepted)
        reading.rows = rows;
    return reading;
}

QString disagreement(const QByteArray& file, qint64 mostPixels)
{
    const Reading reference = read(file, mostPixels);
    if (reference.tooLarge)
        return QString();
    const bool rowReaderShouldRead = reference.accepted && !reference.interlaced;

    QBuffer buffer(const_cast<QByteArray*>(&file));
    buffer.open(QIODevice::ReadOnly);
    Png::RowReader reader(buffer);
    QByteArray rows;
    if (reader.isValid() && reader.size() != reference.size)
        return QStringLiteral("the row reader reads a size of %1 x %2")
            .arg(reader.size().width())
            .arg(reader.size().height());
    if (reader.isValid()) {
        QByteArray row(reader.size().width() * 4, 0);
        int read = 0;
        while (reader.readRow(reinterpret_cast<uchar*>(row.data()))) {
            rows += row;
            ++read;
        }
        if ((read == reader.size().height()) != rowReaderShouldRead)
            return rowReaderShouldRead
                       ? QStringLiteral("the row reader refuses what libpng reads (%1 of %2 rows)")
                             .arg(read)
                             .arg(reader.size().height())
                       : QStringLiteral("the row reader reads what libpng refuses");
        if (rowReaderShouldRead && rows != reference.rows)
            return QStringLiteral("the row reader's pixels differ from libpng's");
    } else if (rowReaderShouldRead) {
        return QStringLiteral("the row reader refuses the header of what libpng reads");
    }

    const QImage decoded = Png::decode(reinterpret_cast<const uchar*>(file.constData()), file.size());
    if (decoded.isNull())
        return QString(); // left to the toolkit's reader, which is libpng
    if (!rowReaderShouldRead)
        return QStringLiteral("the decoder reads what libpng refuses (%1)").arg(reference.error);
    const uchar* p = reinterpret_cast<const uchar*>(reference.rows.constData());
    for (int y = 0; y < decoded.height(); ++y)
        for (int x = 0; x < decoded.width(); ++x, p += 4)
            if (decoded.pixel(x, y) != qPremultiply(qRgba(p[0], p[1], p[2], p[3])))
                return QStringLiteral("the decoder's pixel at %1, %2 differs from libpng's").arg(x).arg(y);
    return QString();
}

QByteArray chunk(const char* type, const QByteArray& body)
{
    QByteArray out;
    Png::appendChunk(out, type, body);
    return out;
}

} // namespace PngReference
