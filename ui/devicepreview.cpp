#include "ui/devicepreview.h"

#include "packages/check/check.h"
#include "packages/previewsheet.h"
#include "packages/sources.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
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
    // Beside a sheet narrower than the window, the sheet's own paper.
    picture->setStyleSheet(QStringLiteral("background: #f7f7f9"));
    scroll->setWidget(picture);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
    resize(1264, 520);
    pause->setSingleShot(true);
    pause->setInterval(pauseMs);
    connect(pause, &QTimer::timeout, this, &DevicePreview::draw);
}

DevicePreview::~DevicePreview() = default;

bool DevicePreview::isBusy() const
{
    return pause->isActive() || drawing.running();
}

void DevicePreview::showDesign(const IconDesign& next, const Packages::Options& chosen)
{
    if (!isVisible())
        return;
    design = next;
    options = chosen;
    pause->start();
}

void DevicePreview::draw()
{
    if (!isVisible())
        return;
    const IconDesign snapshot = design;
    const Packages::Options chosen = options;
    // At the screen's own density: crisp, and 1:1 panels one device pixel a pixel; as many panels a
    // line as the window (the screen, the first time) has room for. A drawing under way of an
    // older design is not shown.
    const qreal ratio = devicePixelRatioF();
    const int columns = fittingColumns();
    // Each panel with a finding of the design check is marked, the finding's box drawn on it.
    drawing.start(
        [snapshot, chosen, ratio, columns] {
            // One drawing of the design's pictures for both; a variant's badged on the release's,
            // which its home screens show too.
            Packages::Options plain = chosen;
            plain.variant = Packages::Variant();
            const Packages::Sources release(snapshot, plain);
            const Packages::Sources sources =
                chosen.variant.isSet() ? Packages::Sources(release, chosen.variant) : release;
            const auto findings = Packages::Check::checkDesign(sources, Packages::targetNames());
            return Packages::previewSheet(sources, ratio, columns, Packages::Check::marksOf(findings), {},
                                          &release);
        },
        [this, columns](const QImage& sheet) { drawn(sheet, columns); });
}

int DevicePreview::roomWidth() const
{
    // Inside the frame, beside a vertical scroll bar.
    const int inside = 2 * scroll->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return (fitted ? width() : space().width()) - inside;
}

QSize DevicePreview::space() const
{
    // To the screen's right and bottom edges from where the window stands, at least a modest
    // window's worth.
    const QScreen* here = screen();
    const QRect room = here ? here->availableGeometry() : QRect();
    if (!room.isValid())
        return size();
    return QSize(room.right() - x() + 1, room.bottom() - y() + 1)
        .expandedTo(QSize(480, 320))
        .boundedTo(room.size());
}

int DevicePreview::fittingColumns() const
{
    const int room = Packages::sheetColumns(roomWidth());
    return widest > 0 ? std::min(room, widest) : room;
}

void DevicePreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Narrower or wider by a panel: the panels are laid out again.
    if (fitted && isVisible() && fittingColumns() != shownColumns)
        pause->start();
}

void DevicePreview::drawn(const QImage& sheet, int asked)
{
    if (!isVisible())
        return;
    shown = sheet;
    picture->setPixmap(QPixmap::fromImage(shown));
    // A sheet narrower than asked for holds its widest row on one line.
    shownColumns = Packages::sheetColumns(qRound(shown.width() / shown.devicePixelRatioF()));
    if (shownColumns < asked)
        widest = shownColumns;
    if (!fitted) {
        // The whole sheet where the screen has room for it.
        fitted = true;
        // (Room for a vertical scroll bar beside it, which a screen too short for the sheet shows.)
        const QSize whole = (QSizeF(shown.size()) / shown.devicePixelRatioF()).toSize() +
                            QSize(2, 2) * scroll->frameWidth() +
                            QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 0);
        resize(whole.boundedTo(space()));
    }
    emit updated();
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
    drawing.drop();
    QWidget::hideEvent(event);
}
