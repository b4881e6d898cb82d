#pragma once

#include "design/icondesign.h"
#include "packages/package.h"
#include "ui/backgroundjob.h"

#include <QImage>
#include <QWidget>

class QLabel;
class QTimer;

// A window that shows the current design as the platforms show it (the preview sheet of
// "glyphwright-cli preview", with the Export Packages dialog's options), kept current: the sheet is
// drawn on a worker thread once the edits pause, so the main preview keeps its pace; a burst of
// edits makes one drawing, of the last design. Closed, it does nothing.
class DevicePreview : public QWidget
{
    Q_OBJECT

  public:
    explicit DevicePreview(QWidget* parent = nullptr);
    ~DevicePreview() override;

    // The design to show (ignored while the window is closed).
    void showDesign(const IconDesign& design, const Packages::Options& options);
    // The sheet on show, and whether a drawing is under way or waiting.
    QImage sheet() const { return shown; }
    bool isBusy() const;
    // How many panels a line of the sheet holds: as many as the window has room for.
    int columns() const { return shownColumns; }

  signals:
    // A new sheet is on show.
    void updated();

  protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Escape closes it, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void draw();
    // Shows a sheet drawn with `asked` panels a line.
    void drawn(const QImage& sheet, int asked);
    // The width a sheet has, in sheet pixels: the window's inside, or the screen's before the
    // window is fitted to its first sheet.
    int roomWidth() const;
    // The most the window may take on its screen from where it stands.
    QSize space() const;
    // The panels a line the window has room for (no more than the widest row holds, once known).
    int fittingColumns() const;

    QLabel* picture;
    class QScrollArea* scroll;
    bool fitted = false; // sized to the first sheet
    QTimer* pause;
    BackgroundJob<QImage> drawing; // the sheet of the newest design, on the pool
    IconDesign design;
    Packages::Options options;
    QImage shown;
    int shownColumns = 0; // the sheet's
    int widest = 0;       // the most panels a row has, once a sheet showed it (0: not yet)
};
