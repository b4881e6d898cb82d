// iconbake: renders the program's own icon and its project files' icon with its own renderer
// into the hicolor sizes.
//   iconbake OUT_DIR APP_ID
#include "base/fileio.h"
#include "packages/containers.h"
#include "render/iconrenderer.h"
#include "render/programicon.h"
#include "resources/initresources.h"

#include <QDir>
#include <QFileInfo>
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
    const std::pair<QString, QImage> icons[] = {
        {QStringLiteral("apps/") + id, renderIcon(programIconDesign()).toImage()},
        {QStringLiteral("mimetypes/application-x-glyphwright-project"),
         renderIcon(projectFileIconDesign()).toImage()},
    };
    for (const auto& icon : icons) {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
            const QString path = QStringLiteral("%1/%2x%2/%3.png").arg(out).arg(size).arg(icon.first);
            QDir().mkpath(QFileInfo(path).path());
            const QImage scaled =
                icon.second.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            if (!Files::write(path, Packages::pngBytes(scaled))) {
                std::fprintf(stderr, "iconbake: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
