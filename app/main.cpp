#include "app/mainwindow.h"
#include "resources/initresources.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    initResources();
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    return app.exec();
}
