#pragma once

// The parts of PNG the encoder and both decoders share: the signature, the header and palette as
// libpng judges them, the filters' predictor, and the one reader of chunks that serves the whole-
// file decoder (a file in memory) and the row reader (a device read a block at a time).
#include <QByteArray>
#include <QtGlobal>

#include <cstdlib>
#include <cstring>
#include <vector>

class QIODevice;

namespace Png {

extern const uchar signature[8];

inline uchar paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uchar(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes a row's filter in place (`row` follows its filter type byte; `above` is the row before,
// null for the first). False for a filter type PNG does not have.
bool unfilter(uchar* row, const uchar* above, int length, int bpp);

// A chunk type is four ASCII letters.
bool validChunkType(const uchar* type);
inline bool isCritical(const uchar* type)
{
    return !(type[0] & 0x20);
}
inline bool isType(const uchar* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// What libpng makes of a file's header, shared by both readers so that they accept and refuse
// what libpng does.
struct Header
{
    int w = 0, h = 0, depth = 0, colourType = 0, interlace = 0, channels = 0;

    // IHDR's thirteen bytes; false where libpng stops with an error (its default limit of a
    // million pixels a side included).
    bool read(const uchar* body);
    // The most data a chunk may declare before libpng refuses it: 8,000,000 bytes, and for image
    // data what the rows could take deflated at worst.
    quint32 chunkLimit(bool imageData) const;
};

// The palette with its alphas, and a single transparent grey or colour, as libpng keeps them.
struct Transparency
{
    uchar palette[256 * 4]; // RGBA; entries past the palette black and opaque
    int entries = 0;
    bool seenPalette = false, hasPalette = false, hasAlphas = false;
    bool hasKey = false;
    quint16 key[3] = {0, 0, 0};

    Transparency();
    // What libpng does with a PLTE chunk of `length` bytes: a second one, a palette picture's
    // of a wrong length and an empty one are errors; a grey picture's, and a malformed one of a
    // colour picture, are skipped (their CRC still checked, the chunk being critical).
    enum class Verdict { Read, Skip, Refuse };
    Verdict judgePalette(const Header& header, quint32 length);
    // A PLTE chunk's body; a palette picture's palette is cut to the entries its depth can index.
    void takePalette(const Header& header, const uchar* body, quint32 length);
    // A tRNS chunk's body (a sound CRC); libpng ignores one that is misplaced, repeated or of the
    // wrong length.
    void takeAlphas(const Header& header, const uchar* body, quint32 length);
};

// Reads a PNG file chunk by chunk, from memory (each chunk's bytes taken where they lie) or from a
// device (a megabyte at a time, the chunks taken from there in place: writers cut the image data
// into chunks of 8 KiB, and reading each through the device's own buffer copied every byte once
// more). The image data can be taken in pieces, its CRC summed as it comes.
class ChunkReader
{
  public:
    ChunkReader(const uchar* data, qsizetype size);
    explicit ChunkReader(QIODevice& device);

    // Whether the file starts with PNG's signature.
    bool signature();
    // The next chunk's length and type: false where the file ends or libpng stops (a length past
    // 2^31 - 1 or past `limit`, a type that is not four letters).
    bool next(quint32* length, uchar type[4], quint32 limit = 0x7fffffffu);
    // The chunk's data, where it lies until the next read, and whether its CRC matches; false
    // where the file ends first.
    bool body(const uchar type[4], quint32 length, const uchar** data, bool* sound);
    // The chunk's data read past, its CRC checked when `check` (libpng ignores an ancillary chunk
    // whose CRC is wrong).
    bool skip(const uchar type[4], quint32 length, bool check);
    // A chunk whose data is taken in pieces: begin() after next(), piece() for each, end() once all
    // is taken, which reads the CRC and says whether it matches.
    void begin(const uchar type[4], quint32 length);
    quint32 left() const { return dataLeft; }
    quint32 piece(quint32 most, const uchar** at);
    bool end();

  private:
    // The next `n` bytes of the file (at most a block's from a device), where they lie, valid until
    // the next call; fewer where the file ends.
    quint32 take(quint32 n, const uchar** at);
    bool read(void* to, quint32 n);

    const uchar* memory = nullptr;
    QIODevice* device = nullptr;
    std::vector<uchar> block;
    size_t at = 0, end_ = 0; // the bytes not yet taken: of `memory`, or of `block`
    quint32 dataLeft = 0;    // of the current chunk taken in pieces
    quint32 crc = 0;         // of that chunk so far
};

} // namespace Png
