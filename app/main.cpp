#include "app/mainwindow.h"
#include "render/iconrenderer.h"
#include "render/programicon.h"
#include "resources/initresources.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    initResources();
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(renderIcon(programIconDesign())));
    QGuiApplication::setDesktopFileName(QStringLiteral(GLYPHWRIGHT_APP_ID));
    MainWindow window;
    window.show();
    return app.exec();
}
