// The Linux desktop: the hicolor theme's sizes and a script that installs them.
#include "packages/layers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Packages {

Jobs linuxFiles(const Sources& s)
{
    const QString id = s.options().appId;
    Jobs jobs;
    QString lines;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString file = QStringLiteral("hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
        jobs << pngJob(file, [&s, size] { return s.iconAt(size); });
        lines += QStringLiteral("install -Dm644 \"$here/%1\" \"$prefix/icons/%1\"\n").arg(file);
    }
    Job script = textJob(
        QStringLiteral("install-icons.sh"),
        QStringLiteral("#!/bin/sh\n"
                       "# Installs the icon \"%1\" into the hicolor theme; name it in the desktop entry\n"
                       "# as Icon=%1.\n"
                       "#   ./install-icons.sh [DATA_DIR]   (default ~/.local/share; /usr/share "
                       "system-wide)\n"
                       "set -e\n"
                       "here=$(dirname \"$0\")\n"
                       "prefix=${1:-${XDG_DATA_HOME:-$HOME/.local/share}}\n"
                       "%2"
                       "touch \"$prefix/icons/hicolor\"\n"
                       "# Only a cache that exists is refreshed: a new one would hide the icons other\n"
                       "# programs install here later, until someone rebuilt it.\n"
                       "if [ -f \"$prefix/icons/hicolor/icon-theme.cache\" ]; then\n"
                       "    gtk-update-icon-cache -q -t \"$prefix/icons/hicolor\" 2>/dev/null || true\n"
                       "fi\n")
            .arg(id, lines)
            .toUtf8());
    script.executable = true;
    jobs << script;
    return jobs;
}

QList<Panel> linuxPanels(const Sources& s, qreal ratio)
{
    // 48 pixels at the sheet's scale in a dark desktop panel beside a launcher's light grid.
    QImage icon = s.iconAt(int(std::lround(48 * ratio)));
    icon.setDevicePixelRatio(ratio);
    return {{QStringLiteral("48 px on a panel"), lightPanel, [=](QPainter& p) {
                 p.setPen(Qt::NoPen);
                 p.setBrush(QColor(0x24, 0x24, 0x28));
                 p.drawRect(QRectF(0, 0, cell, 64));
                 p.drawImage(QPoint(16, 8), icon);
                 p.setBrush(Qt::white);
                 p.drawRoundedRect(QRectF(24, 84, cell - 48, 76), 8, 8);
                 p.drawImage(QPoint((cell - 48) / 2, 98), icon);
             }}};
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target linuxTarget = {
    "linux",       "Linux",    "hicolor/NxN/apps/APPID.png for 16 to 512 and install-icons.sh", linuxFiles, 2,
    "Linux panel", linuxPanels};

} // namespace Packages
