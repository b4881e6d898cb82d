#include "app/mainwindow.h"
#include "render/iconrenderer.h"
#include "render/programicon.h"
#include "resources/initresources.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    initResources();
    // On a high-density screen the whole fixed-size window scales, and pixmaps keep their detail.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    // The window icon in the sizes title bars and task switchers ask for.
    const QPixmap full = renderIcon(programIconDesign());
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(full.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral(GLYPHWRIGHT_APP_ID));
    MainWindow window;
    window.show();
    // A project file given as the one argument (as the desktop opens one) is loaded at once.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && !arguments[1].startsWith(QLatin1Char('-')))
        window.loadProject(arguments[1]);
    return app.exec();
}
