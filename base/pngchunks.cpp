#include "base/pngchunks.h"

#include <QIODevice>
#include <QtEndian>

#include <libdeflate.h>

#include <algorithm>

namespace Png {

const uchar signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool unfilter(uchar* row, const uchar* above, int length, int bpp)
{
    switch (row[-1]) {
    case 0:
        return true;
    case 1:
        for (int i = bpp; i < length; ++i)
            row[i] = uchar(row[i] + row[i - bpp]);
        return true;
    case 2:
        if (above)
            for (int i = 0; i < length; ++i)
                row[i] = uchar(row[i] + above[i]);
        return true;
    case 3:
        for (int i = 0; i < length; ++i)
            row[i] = uchar(row[i] + ((i >= bpp ? row[i - bpp] : 0) + (above ? above[i] : 0)) / 2);
        return true;
    case 4:
        for (int i = 0; i < length; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0, b = above ? above[i] : 0,
                      c = above && i >= bpp ? above[i - bpp] : 0;
            row[i] = uchar(row[i] + paeth(a, b, c));
        }
        return true;
    default:
        return false;
    }
}

bool validChunkType(const uchar* type)
{
    for (int i = 0; i < 4; ++i)
        if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z')))
            return false;
    return true;
}

bool Header::read(const uchar* body)
{
    const quint32 width = qFromBigEndian<quint32>(body), height = qFromBigEndian<quint32>(body + 4);
    depth = body[8];
    colourType = body[9];
    interlace = body[12];
    static const struct
    {
        int type, channels, depths; // depths: a bit for each allowed depth
    } kinds[] = {
        {0, 1, 1 | 2 | 4 | 8 | 16}, {2, 3, 8 | 16}, {3, 1, 1 | 2 | 4 | 8}, {4, 2, 8 | 16}, {6, 4, 8 | 16}};
    channels = 0;
    for (const auto& k : kinds)
        if (k.type == colourType && (k.depths & depth) && (depth & (depth - 1)) == 0)
            channels = k.channels;
    if (channels == 0 || width == 0 || height == 0 || width > 1000000 || height > 1000000 || body[10] != 0 ||
        body[11] != 0 || interlace > 1)
        return false;
    w = int(width);
    h = int(height);
    return true;
}

quint32 Header::chunkLimit(bool imageData) const
{
    quint64 limit = 8000000;
    if (imageData) {
        quint64 rowFactor = quint64(w) * quint64(channels) * (depth > 8 ? 2 : 1) + 1 + (interlace ? 6 : 0);
        quint64 data = quint64(h) > 0xffffffffu / rowFactor ? 0x7fffffffu : quint64(h) * rowFactor;
        rowFactor = std::min<quint64>(rowFactor, 32566);
        data += 6 + 5 * (data / rowFactor + 1);
        limit = std::max<quint64>(limit, std::min<quint64>(data, 0x7fffffffu));
    }
    return quint32(limit);
}

Transparency::Transparency()
{
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = 0;
        palette[4 * i + 3] = 0xff;
    }
}

Transparency::Verdict Transparency::judgePalette(const Header& header, quint32 length)
{
    const bool seen = seenPalette;
    seenPalette = true;
    if (seen)
        return Verdict::Refuse;
    if (!(header.colourType & 2))
        return Verdict::Skip;
    if (length > 768 || length % 3 != 0)
        return header.colourType == 3 ? Verdict::Refuse : Verdict::Skip;
    return length == 0 ? Verdict::Refuse : Verdict::Read;
}

void Transparency::takePalette(const Header& header, const uchar* body, quint32 length)
{
    hasPalette = true;
    entries = int(length / 3);
    if (header.colourType == 3) {
        entries = std::min(entries, 1 << header.depth);
        for (int i = 0; i < entries; ++i)
            std::memcpy(&palette[4 * i], &body[size_t(3 * i)], 3);
    }
}

void Transparency::takeAlphas(const Header& header, const uchar* body, quint32 length)
{
    if (hasAlphas || hasKey)
        return;
    if (header.colourType == 3 && hasPalette && length > 0 && int(length) <= entries) {
        hasAlphas = true;
        for (quint32 i = 0; i < length; ++i)
            palette[4 * i + 3] = body[i];
    } else if ((header.colourType == 0 && length == 2) || (header.colourType == 2 && length == 6)) {
        hasKey = true;
        for (quint32 i = 0; i < length / 2; ++i)
            key[i] = qFromBigEndian<quint16>(body + 2 * i);
    }
}

ChunkReader::ChunkReader(const uchar* data, qsizetype size)
    : memory(data), end_(size_t(std::max<qsizetype>(size, 0)))
{
}

ChunkReader::ChunkReader(QIODevice& from) : device(&from), block(size_t(1) << 20) {}

quint32 ChunkReader::take(quint32 n, const uchar** where)
{
    if (memory) {
        const quint32 k = quint32(std::min<size_t>(n, end_ - at));
        *where = memory + at;
        at += k;
        return k;
    }
    if (end_ - at < n) {
        std::memmove(block.data(), block.data() + at, end_ - at);
        end_ -= at;
        at = 0;
        while (end_ < n) {
            const qint64 got =
                device->read(reinterpret_cast<char*>(block.data() + end_), qint64(block.size() - end_));
            if (got <= 0)
                break;
            end_ += size_t(got);
        }
    }
    const quint32 k = quint32(std::min<size_t>(n, end_ - at));
    *where = (device ? block.data() : memory) + at;
    at += k;
    return k;
}

bool ChunkReader::read(void* to, quint32 n)
{
    const uchar* where = nullptr;
    if ((device && n > block.size()) || take(n, &where) != n)
        return false;
    std::memcpy(to, where, n);
    return true;
}

bool ChunkReader::signature()
{
    uchar start[8];
    return read(start, 8) && std::memcmp(start, Png::signature, 8) == 0;
}

bool ChunkReader::next(quint32* length, uchar type[4], quint32 limit)
{
    uchar bytes[8];
    if (!read(bytes, 8))
        return false;
    *length = qFromBigEndian<quint32>(bytes);
    std::memcpy(type, bytes + 4, 4);
    return *length <= 0x7fffffffu && validChunkType(type) && *length <= limit;
}

bool ChunkReader::body(const uchar type[4], quint32 length, const uchar** data, bool* sound)
{
    // Data and CRC together: from a device, a chunk of more than a block is not read whole.
    if (length > 0x7fffffffu - 4 || take(length + 4, data) != length + 4)
        return false;
    const quint32 sum = quint32(libdeflate_crc32(libdeflate_crc32(0, type, 4), *data, length));
    *sound = sum == qFromBigEndian<quint32>(*data + length);
    return true;
}

bool ChunkReader::skip(const uchar type[4], quint32 length, bool check)
{
    if (check) {
        begin(type, length);
        const uchar* where = nullptr;
        while (dataLeft > 0)
            if (piece(8192, &where) == 0)
                return false;
        return end();
    }
    // Passed over unsummed, the CRC with it.
    const uchar* where = nullptr;
    for (quint64 left = quint64(length) + 4; left > 0;) {
        const quint32 n = take(quint32(std::min<quint64>(left, 8192)), &where);
        if (n == 0)
            return false;
        left -= n;
    }
    return true;
}

void ChunkReader::begin(const uchar type[4], quint32 length)
{
    dataLeft = length;
    crc = quint32(libdeflate_crc32(0, type, 4));
}

quint32 ChunkReader::piece(quint32 most, const uchar** where)
{
    const quint32 n = take(std::min(dataLeft, most), where);
    crc = quint32(libdeflate_crc32(crc, *where, n));
    dataLeft -= n;
    return n;
}

bool ChunkReader::end()
{
    uchar stored[4];
    return dataLeft == 0 && read(stored, 4) && qFromBigEndian<quint32>(stored) == crc;
}

} // namespace Png
