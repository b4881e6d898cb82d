#pragma once

#include <QDialog>

class QLabel;

// The fixed-size About box: product picture, name and version, rights, link and credits.
class AboutDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

  private:
    struct Form;
    Form* ui;
};
