#include "ui/swatch.h"

#include <QPainter>
#include <QPushButton>
#include <QStyleOption>

namespace {

const char* const swatchProperty = "glyphwrightSwatch";

bool isSwatch(const QWidget* widget)
{
    return widget && widget->property(swatchProperty).toBool();
}

// The face: the button's colour, flat, inside a one-pixel border that reads on any colour and
// darkens while the button is pressed.
void drawFace(const QStyleOption* option, QPainter* painter)
{
    const QColor colour = option->palette.color(QPalette::Button);
    const bool down = option->state & (QStyle::State_Sunken | QStyle::State_On);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(option->rect, down ? QColor(0x50, 0x50, 0x50) : QColor(0x8c, 0x8c, 0x8c));
    painter->fillRect(option->rect.adjusted(1, 1, -1, -1), colour);
    painter->restore();
}

} // namespace

QString swatchStyleSheet(const QColor& color)
{
    return QStringLiteral("background-color: ") + color.name();
}

void markSwatch(QPushButton* button)
{
    button->setProperty(swatchProperty, true);
}

SwatchStyle::SwatchStyle(QStyle* base) : QProxyStyle(base) {}

void SwatchStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    if (element == PE_PanelButtonCommand && isSwatch(widget)) {
        drawFace(option, painter);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SwatchStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    if (element == CE_PushButtonBevel && isSwatch(widget)) {
        drawFace(option, painter);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
