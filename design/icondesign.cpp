#include "design/icondesign.h"

#include "project/projectformat.h"

IconDesign::IconDesign()
{
    static const IconDesign defaults = Project::designOf(Project::defaultState(), QStringList(), QImage());
    *this = defaults;
}

QString swatchStyleSheet(const QColor& color)
{
    return QStringLiteral("background-color: ") + color.name();
}
