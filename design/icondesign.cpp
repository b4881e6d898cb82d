#include "design/icondesign.h"

QString swatchStyleSheet(const QColor& color)
{
    return QStringLiteral("background-color: ") + color.name();
}
