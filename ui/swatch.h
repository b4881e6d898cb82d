#pragma once

#include <QColor>
#include <QProxyStyle>
#include <QString>

class QPushButton;

// The style sheet by which a colour button shows its colour: "background-color: #rrggbb".
QString swatchStyleSheet(const QColor& color);

// Marks a push button as a colour swatch, drawn by SwatchStyle.
void markSwatch(QPushButton* button);

// The application's style with flat colour swatches: a button marked with markSwatch() shows its
// background colour exactly, edge to edge inside a thin border, where the base style would draw a
// lightened, shaded bevel. Everything else is the base style's.
class SwatchStyle : public QProxyStyle
{
  public:
    explicit SwatchStyle(QStyle* base);
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
