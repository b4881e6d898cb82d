#include "app/windowicon.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <QWindow>

// The icon's sizes, rendered by the program's own renderer when it is built. (The resource is
// registered outside any namespace, where its registration function is declared.)
static void registerProgramIcon()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(programicon);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

void setProgramIcon()
{
    registerProgramIcon();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/programicon/%1.png").arg(size), QSize(size, size));
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
