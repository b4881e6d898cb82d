#include "packages/containers.h"

#include "base/png.h"

#include <QBuffer>
#include <QHash>
#include <QColorSpace>

namespace Packages {

namespace {

void be32(QByteArray& b, quint32 v)
{
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xff));
}

} // namespace

QByteArray pngBytes(const QImage& image, bool grey, int dotsPerMeter, Png::Effort effort)
{
    const QByteArray fast = Png::encode(image, true, grey, dotsPerMeter, effort);
    if (!fast.isEmpty())
        return fast;
    // An embedded profile would contradict the sRGB chunk; the package's pixels are sRGB anyway.
    QImage untagged = Png::withDensity(image, dotsPerMeter);
    untagged.setColorSpace(QColorSpace());
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!untagged.save(&buffer, "PNG"))
            return QByteArray();
    }
    // The signature (8 bytes) and the header chunk (25) come first; the colour space follows it.
    QByteArray gamma;
    be32(gamma, 45455);
    QByteArray chunks;
    Png::appendChunk(chunks, "sRGB", QByteArray(1, 0));
    Png::appendChunk(chunks, "gAMA", gamma);
    return bytes.left(33) + chunks + bytes.mid(33);
}

QByteArray icoFile(const QList<QImage>& images)
{
    auto le16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    auto le32 = [](QByteArray& b, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    QList<QByteArray> blobs;
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        if (img.width() >= 256) {
            blobs.append(pngBytes(img));
            continue;
        }
        // A 32-bit bottom-up DIB, its height doubled for the (unused) AND mask that follows.
        QByteArray dib;
        const int w = img.width(), h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        le32(dib, 40);
        le32(dib, quint32(w));
        le32(dib, quint32(2 * h));
        le16(dib, 1);
        le16(dib, 32);
        le32(dib, 0);
        le32(dib, quint32(w * h * 4 + maskStride * h));
        for (int i = 0; i < 4; ++i)
            le32(dib, 0);
        for (int y = h - 1; y >= 0; --y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                dib.append(char(qBlue(line[x]))).append(char(qGreen(line[x])));
                dib.append(char(qRed(line[x]))).append(char(qAlpha(line[x])));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskStride, 0);
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(line[x]) == 0)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            dib.append(row);
        }
        blobs.append(dib);
    }
    QByteArray ico;
    le16(ico, 0);
    le16(ico, 1);
    le16(ico, quint16(images.size()));
    quint32 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        const int w = images[i].width(), h = images[i].height();
        ico.append(char(w >= 256 ? 0 : w)).append(char(h >= 256 ? 0 : h));
        ico.append(char(0)).append(char(0));
        le16(ico, 1);
        le16(ico, 32);
        le32(ico, quint32(blobs[i].size()));
        le32(ico, offset);
        offset += quint32(blobs[i].size());
    }
    for (const QByteArray& blob : blobs)
        ico.append(blob);
    return ico;
}

QByteArray icnsFile(const QList<QPair<QByteArray, QImage>>& entries)
{
    QByteArray body;
    QHash<qint64, QByteArray> encoded; // an image that several entries show is encoded once
    for (const auto& entry : entries) {
        const qint64 key = entry.second.cacheKey();
        if (!encoded.contains(key))
            encoded.insert(key, pngBytes(entry.second));
        const QByteArray png = encoded.value(key);
        body.append(entry.first.left(4));
        be32(body, quint32(png.size() + 8));
        body.append(png);
    }
    QByteArray icns("icns");
    be32(icns, quint32(body.size() + 8));
    return icns + body;
}

} // namespace Packages
