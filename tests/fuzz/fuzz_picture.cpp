// libFuzzer target for loading the user's own picture: any bytes, written to a real file, must
// load as a null image or as a picture within the size limit, without a crash and without
// allocating more than the limit allows. Built and run by scripts/fuzz.sh, not by CTest.
#include "project/custompicture.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {
QString input;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The JPEG and TIFF readers are plug-ins, found through the application's library paths.
    new QCoreApplication(*argc, *argv);
    input = QStringLiteral("/dev/shm/glyphwright-fuzz-picture-%1").arg(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            abort();
    }
    const QImage picture = loadCustomPicture(input);
    if (!picture.isNull() && (picture.width() > 16384 || picture.height() > 16384 ||
                              qint64(picture.width()) * picture.height() > 100000000LL))
        abort();
    return 0;
}
