#include "ui/swatch.h"

QString swatchStyleSheet(const QColor& color)
{
    return QStringLiteral("background-color: ") + color.name();
}
