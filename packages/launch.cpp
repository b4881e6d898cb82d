#include "packages/launch.h"

#include "packages/previewsheet.h"
#include "packages/targets.h"
#include "render/iconrenderer.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Packages {

Jobs launchJobs(Jobs jobs)
{
    for (Job& job : jobs)
        job.launch = true;
    return jobs;
}

QColor launchColour(const Sources& s, bool dark)
{
    const IconDesign& d = s.design();
    if (dark)
        return s.options().splashDarkColor.isValid() ? s.options().splashDarkColor : darkLaunch;
    if (d.useBackgroundColor)
        return d.backgroundColor;
    if (d.useBackgroundGradient) {
        const QColor a = d.gradientStartColor.toRgb(), b = d.gradientEndColor.toRgb();
        return QColor((a.red() + b.red() + 1) / 2, (a.green() + b.green() + 1) / 2,
                      (a.blue() + b.blue() + 1) / 2);
    }
    return s.plate();
}

QImage launchScreen(const Sources& s, QSize size, bool dark, double share)
{
    QImage screen(size, QImage::Format_RGB32);
    QPainter p(&screen);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const IconDesign& d = s.design();
    if (!dark && d.useBackgroundGradient) {
        // The gradient's canvas stretched over the screen: its colours meet the same corners.
        p.save();
        p.scale(size.width() / double(canvas), size.height() / double(canvas));
        p.fillRect(canvasFrame, backgroundBrush(d));
        p.restore();
    } else {
        screen.fill(launchColour(s, dark));
    }
    const int side = std::max(1, int(std::lround(std::min(size.width(), size.height()) * share)));
    const Downscaler& shown = s.launchContent(dark);
    const QRect at((size.width() - side) / 2, (size.height() - side) / 2, side, side);
    // Smaller than the canvas through the smooth downscale; larger by the painter.
    if (side <= canvas)
        p.drawImage(at.topLeft(), shown.scaled(side));
    else
        p.drawImage(at, shown.image());
    p.end();
    return screen;
}

QImage launchIcon(const Sources& s, int size, bool dark)
{
    // The canvas fills the icon's square; ink that reaches past the 192 of 288 dp circle is
    // shrunk into it.
    const QRectF frame = fittedFrame(canvasFrame, s.launchReach(dark), 1.0 / 3);
    return placed(s.launchContent(dark), frame, size);
}

namespace {

// What `draw` paints on a transparent image of `size`, kept inside `shape` with smooth edges.
template <typename Draw> QImage inside(QSize size, const QPainterPath& shape, Draw draw)
{
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter m(&out);
    m.setRenderHint(QPainter::Antialiasing);
    m.fillPath(shape, Qt::black);
    m.setCompositionMode(QPainter::CompositionMode_SourceIn);
    draw(m);
    m.end();
    return out;
}

// `screen` (device pixels) shown at `at` on the panel as a device shows it: in a bezel (lighter on a
// dark panel), its corners rounded by `radius` sheet pixels, with smooth edges.
void onDevice(QPainter& p, const QImage& screen, const QRectF& at, double radius, qreal ratio, bool dark)
{
    p.setPen(Qt::NoPen);
    p.setBrush(dark ? QColor(0x4a, 0x4a, 0x50) : QColor(0x1b, 0x1b, 0x1f));
    p.drawRoundedRect(at.adjusted(-4, -4, 4, 4), radius + 4, radius + 4);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(screen.size())), radius * ratio, radius * ratio);
    QImage shown = inside(screen.size(), corners, [&screen](QPainter& m) { m.drawImage(0, 0, screen); });
    shown.setDevicePixelRatio(ratio);
    p.drawImage(at.topLeft(), shown);
}

// A device's screen of `points` (its shape) `height` sheet pixels tall, centred in the panel.
QRectF screenRect(QSizeF points, double height)
{
    const double width = std::round(height * points.width() / points.height());
    return QRectF(std::round((cell - width) / 2), std::round((cell - height) / 2), width, height);
}

// Android 12's launch screen at `size` device pixels on a screen `dp` wide: the colour, and the
// launch icon (288 dp) seen through the 192 dp circle the system keeps.
QImage androidLaunch(const Sources& s, QSize size, double dp, bool dark)
{
    QImage screen(size, QImage::Format_ARGB32_Premultiplied);
    screen.fill(launchColour(s, dark));
    const int icon = std::max(3, int(std::lround(288 * size.width() / dp)));
    const QRectF frame((size.width() - icon) / 2.0, (size.height() - icon) / 2.0, icon, icon);
    QPainterPath circle;
    circle.addEllipse(frame.center(), icon / 3.0, icon / 3.0);
    const QImage seen = launchIcon(s, icon, dark);
    QPainter p(&screen);
    p.drawImage(0, 0, inside(size, circle, [&](QPainter& m) { m.drawImage(frame.topLeft(), seen); }));
    p.end();
    return screen;
}

} // namespace

QList<Panel> launchPanels(const Sources& s, qreal ratio)
{
    // A phone of 412 x 915 dp, an iPhone of 430 x 932 points, an iPad Air of 820 x 1180 points.
    const QRectF android = screenRect({412, 915}, 150), iphone = screenRect({430, 932}, 150),
                 ipad = screenRect({820, 1180}, 140);
    const auto pixels = [ratio](const QRectF& r) { return (r.size() * ratio).toSize(); };
    QList<Panel> panels;
    for (bool dark : {false, true}) {
        const QString suffix = dark ? QStringLiteral(", dark") : QString();
        const QColor background = dark ? darkPanel : lightPanel;
        const QImage a = androidLaunch(s, pixels(android), 412, dark);
        panels.append({QStringLiteral("Android 12") + suffix, background,
                       [=](QPainter& p) { onDevice(p, a, android, 8, ratio, dark); }});
        // The square image iOS crops to the screen's shape, as tall as the screen.
        const QSize phone = pixels(iphone);
        const QImage i = launchScreen(s, QSize(phone.height(), phone.height()), dark, croppedLaunchShare)
                             .copy((phone.height() - phone.width()) / 2, 0, phone.width(), phone.height());
        panels.append({QStringLiteral("iPhone") + suffix, background,
                       [=](QPainter& p) { onDevice(p, i, iphone, 10, ratio, dark); }});
        const QImage w = launchScreen(s, pixels(ipad), dark);
        panels.append({QStringLiteral("Web app on iPad") + suffix, background,
                       [=](QPainter& p) { onDevice(p, w, ipad, 6, ratio, dark); }});
    }
    return panels;
}

} // namespace Packages
