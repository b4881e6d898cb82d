#include "app/mainwindow.h"
#include "app/windowicon.h"
#include "resources/initresources.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    initResources();
    // The window paints with the raster engine alone, so the X11 OpenGL stack (a software
    // renderer on many machines, tens of milliseconds to load) is not loaded for it.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    // On a high-density screen the whole fixed-size window scales, and pixmaps keep their detail.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(GLYPHWRIGHT_APP_ID));
    MainWindow window;
    window.show();
    setProgramIconOnceShown(&window);
    // A project file given as the one argument (as the desktop opens one) is loaded at once.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && !arguments[1].startsWith(QLatin1Char('-')))
        window.loadProject(arguments[1]);
    return app.exec();
}
