#include "app/windowicon.h"

#include "render/iconrenderer.h"
#include "render/programicon.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

void setProgramIcon()
{
    const QPixmap full = renderIcon(programIconDesign());
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(full.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    QApplication::setWindowIcon(icon);
}

// Waits for the window's first exposure; the icon follows once that has been painted.
class FirstExposure : public QObject
{
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            QTimer::singleShot(0, qApp, setProgramIcon);
            deleteLater();
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

void setProgramIconOnceShown(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!handle || handle->isExposed()) {
        setProgramIcon();
        return;
    }
    handle->installEventFilter(new FirstExposure(handle));
}
