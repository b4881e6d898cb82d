// The yardstick of the start-up benchmark: an empty main window of a given size, the least a Qt
// program shows.
//
//   bare_window WIDTH HEIGHT
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    if (argc >= 3)
        window.resize(QString::fromLatin1(argv[1]).toInt(), QString::fromLatin1(argv[2]).toInt());
    window.setWindowTitle(QStringLiteral("Bare"));
    window.show();
    return app.exec();
}
