// libFuzzer target for loading the user's own picture: any bytes, written to a real file, must
// load as a null image or as a picture within the size limit, without a crash and without
// allocating more than the limit allows; an SVG that loads is read into paths too, and the
// vector layer and favicon made of them must be well-formed XML whose path data has no exponent.
// Built and run by scripts/fuzz.sh, not by CTest.
#include "packages/layers.h"
#include "packages/vectorshapes.h"
#include "project/custompicture.h"

#include <QXmlStreamReader>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {
QString input;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The JPEG and TIFF readers are plug-ins, found through the application's library paths; an
    // SVG's text is drawn with the font system, which the GUI application starts, as the command
    // line does.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    // In a folder of its own, beside a small picture that an SVG input may name.
    const QString folder = QStringLiteral("/dev/shm/glyphwright-fuzz-picture-%1").arg(getpid());
    QDir().mkpath(folder);
    QImage beside(7, 5, QImage::Format_ARGB32);
    beside.fill(QColor(200, 40, 40, 128));
    beside.save(folder + QStringLiteral("/seed.png"));
    input = folder + QStringLiteral("/picture");
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
    IconDesign design;
    const QImage picture = loadCustomPicture(input, nullptr, &design.customImageSize, &design.customVector);
    if (!picture.isNull() && (picture.width() > 16384 || picture.height() > 16384 ||
                              qint64(picture.width()) * picture.height() > 100000000LL))
        abort();
    if (picture.isNull() || design.customVector.isEmpty())
        return 0;
    design.useImageFlat = false;
    design.useImageCustom = true;
    design.customImage = picture;
    Problem why;
    const Packages::VectorShapes shapes = Packages::foregroundShapes(design, &why);
    if (why)
        return 0;
    for (const QByteArray& xml :
         {Packages::vectorDrawable(shapes, Packages::adaptiveFrame, Packages::canvasFrame),
          Packages::faviconSvg(design, shapes)}) {
        QXmlStreamReader reader(xml);
        while (!reader.atEnd()) {
            reader.readNext();
            const QStringRef data = reader.attributes().value(QLatin1String("android:pathData"));
            if (data.contains(QLatin1Char('e')) || data.contains(QLatin1String("nan")) ||
                data.contains(QLatin1String("inf")))
                abort();
        }
        if (reader.hasError())
            abort();
    }
    return 0;
}
