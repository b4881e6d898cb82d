#include "ui/devicepreview.h"

#include "packages/previewsheet.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QtConcurrent>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// How long edits must pause before the sheet is drawn: a drag of a slider makes one drawing.
constexpr int pauseMs = 40;
} // namespace

DevicePreview::DevicePreview(QWidget* parent) : QWidget(parent, Qt::Window), pause(new QTimer(this))
{
    setObjectName(QStringLiteral("DevicePreview"));
    setWindowTitle(tr("Device Preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll = new QScrollArea(this);
    picture = new QLabel(scroll);
    picture->setObjectName(QStringLiteral("labelDevicePreview"));
    picture->setAlignment(Qt::AlignCenter);
    scroll->setWidget(picture);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
    resize(1264, 520);
    pause->setSingleShot(true);
    pause->setInterval(pauseMs);
    connect(pause, &QTimer::timeout, this, &DevicePreview::draw);
    connect(&worker, &QFutureWatcher<QImage>::finished, this, &DevicePreview::drawn);
}

DevicePreview::~DevicePreview()
{
    worker.waitForFinished();
}

bool DevicePreview::isBusy() const
{
    return drawing || pause->isActive() || waiting;
}

void DevicePreview::showDesign(const IconDesign& next, const Packages::Options& chosen)
{
    if (!isVisible())
        return;
    design = next;
    options = chosen;
    if (drawing)
        waiting = true;
    else
        pause->start();
}

void DevicePreview::draw()
{
    if (drawing || !isVisible())
        return;
    waiting = false;
    drawing = true;
    const IconDesign snapshot = design;
    const Packages::Options chosen = options;
    // At the screen's own density: crisp, and 1:1 panels one device pixel a pixel.
    const qreal ratio = devicePixelRatioF();
    worker.setFuture(QtConcurrent::run(
        [snapshot, chosen, ratio] { return Packages::previewSheet(snapshot, chosen, ratio); }));
}

void DevicePreview::drawn()
{
    drawing = false;
    if (!isVisible())
        return;
    shown = worker.result();
    picture->setPixmap(QPixmap::fromImage(shown));
    if (!fitted) {
        // The whole sheet where the screen has room for it.
        fitted = true;
        const QSize whole =
            (QSizeF(shown.size()) / shown.devicePixelRatioF()).toSize() + QSize(2, 2) * scroll->frameWidth();
        const QScreen* here = screen();
        // The whole sheet where the screen has room for it from where the window stands.
        const QRect room = here ? here->availableGeometry() : QRect();
        const QSize space = room.isValid() ? QSize(room.right() - x() + 1, room.bottom() - y() + 1)
                                                 .expandedTo(QSize(480, 320))
                                                 .boundedTo(room.size())
                                           : whole;
        resize(whole.boundedTo(space));
    }
    emit updated();
    if (waiting)
        pause->start();
}

void DevicePreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void DevicePreview::hideEvent(QHideEvent* event)
{
    // Closed: no drawing is waiting; one under way finishes unseen.
    pause->stop();
    waiting = false;
    QWidget::hideEvent(event);
}
