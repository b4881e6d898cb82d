// Stands in for a file manager in the end-to-end check: a small window that, pressed with the
// mouse, drags the file named on its command line, as a file manager's icon does.
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

class Source : public QLabel
{
  public:
    explicit Source(const QString& path) : QLabel(QFileInfo(path).fileName()), path(path)
    {
        setWindowTitle(QStringLiteral("Drag source"));
        setAlignment(Qt::AlignCenter);
        setFixedSize(160, 80);
    }

  protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())});
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction);
    }

  private:
    QString path;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Source source(QString::fromLocal8Bit(argv[1]));
    source.move(0, 700);
    source.show();
    return app.exec();
}
