#pragma once

#include <QLabel>

// A word-wrapped label that is never given less height than its text takes at its width: a
// dialog's layout otherwise sizes such a label for some other width (and, at a scale of 2, cut off
// its last line), or squeezes it when something below it appears. Set its text through setText()
// here, so that the height follows the text.
class WrappedLabel : public QLabel
{
  public:
    explicit WrappedLabel(const QString& text = QString(), QWidget* parent = nullptr);
    void setText(const QString& text);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void keepHeight();
};
