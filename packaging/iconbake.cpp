// iconbake: renders the program's own icon with its own renderer into the hicolor sizes.
//   iconbake OUT_DIR APP_ID
#include "render/iconrenderer.h"
#include "render/programicon.h"
#include "resources/initresources.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    initResources();
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: iconbake OUT_DIR APP_ID\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    const QImage icon = renderIcon(programIconDesign()).toImage();
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        QDir().mkpath(dir);
        const QImage scaled = icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!scaled.save(dir + QLatin1Char('/') + id + QStringLiteral(".png"))) {
            std::fprintf(stderr, "iconbake: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
