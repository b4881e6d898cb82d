#include "ui/wrappedlabel.h"

#include <algorithm>

WrappedLabel::WrappedLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setWordWrap(true);
    keepHeight();
}

void WrappedLabel::setText(const QString& text)
{
    QLabel::setText(text);
    keepHeight();
}

void WrappedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    keepHeight();
}

void WrappedLabel::keepHeight()
{
    // At its width once laid out; before that, at the narrowest it may get, when it has one.
    const bool laidOut = testAttribute(Qt::WA_Resized) || isVisible();
    if (!laidOut && minimumWidth() == 0)
        return;
    const int width = laidOut ? std::max(this->width(), minimumWidth()) : minimumWidth();
    const int height = text().isEmpty() ? 0 : heightForWidth(width);
    if (height != minimumHeight())
        setMinimumHeight(height);
}
