#pragma once

#include <QColor>
#include <QString>

// The style sheet by which a colour button shows its colour: "background-color: #rrggbb".
QString swatchStyleSheet(const QColor& color);
