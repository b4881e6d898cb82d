// Windows: the application's .ico for the resource file.
#include "packages/containers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"

#include <QPainter>

namespace Packages {

Jobs windowsFiles(const Sources& s)
{
    const QImage icon = s.icon();
    return {{QStringLiteral("app.ico"), [icon] {
                 return icoFile(sizes(icon, {16, 20, 24, 30, 32, 36, 40, 48, 60, 64, 72, 80, 96, 256}));
             }}};
}

QList<Panel> windowsPanels(const Sources& s)
{
    // Whole pixels, as the taskbar (24) and the Start menu (48) show them, on light and dark.
    const QImage taskbar = scaled(s.icon(), 24), start = scaled(s.icon(), 48);
    QList<Panel> panels;
    for (bool dark : {false, true})
        panels.append({dark ? QStringLiteral("Windows, dark") : QStringLiteral("Windows, light"),
                       dark ? darkPanel : lightPanel, [=](QPainter& p) {
                           p.setPen(Qt::NoPen);
                           p.setBrush(dark ? QColor(0x2c, 0x2c, 0x2c) : QColor(0xf9, 0xf9, 0xf9));
                           p.drawRoundedRect(QRectF(12, 16, cell - 24, 96), 8, 8);
                           p.drawImage(QPoint((cell - 48) / 2, 40), start);
                           p.setBrush(dark ? QColor(0x1c, 0x1c, 0x1c) : QColor(0xee, 0xee, 0xee));
                           p.drawRect(QRectF(0, cell - 44, cell, 44));
                           p.drawImage(QPoint((cell - 24) / 2, cell - 34), taskbar);
                       }});
    return panels;
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target windowsTarget = {"windows",    "Windows", "app.ico, 16 to 256 pixels",
                              windowsFiles, 2,         "Windows taskbar and Start",
                              windowsPanels};

} // namespace Packages
