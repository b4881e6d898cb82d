// libFuzzer target for the program's two PNG readers: on any bytes, the row reader and the
// whole-file decoder must accept what libpng accepts, refuse what it refuses and give its pixels.
// Built and run by scripts/fuzz.sh, not by CTest.
#include "tests/support/pngreference.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const QString disagreement = PngReference::disagreement(file, 1 << 18);
    if (!disagreement.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(disagreement));
        std::abort();
    }
    return 0;
}
