// The window's two live previews and the three picture lists.
#include "app/mainwindow.h"

#include "project/statemapping.h"
#include "render/artwork.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"
#include "ui/devicepreview.h"
#include "ui/mainwindowform.h"
#include "ui/packagesdialog.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QtConcurrent>

#include <functional>

namespace {

// A list thumbnail, decoded when first drawn rather than when the list is filled (an icon made from
// a file name decodes it at once, and the lists hold almost a hundred, most of them out of view):
// then the icon the file makes draws it, as it would have. Its size, which the list's layout asks
// for first, comes from the file's header, as the same icon would answer.
class ThumbnailEngine : public QIconEngine
{
  public:
    explicit ThumbnailEngine(const QString& path) : path(path) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        if (!own.isValid())
            own = QImageReader(path).size();
        QSize actual = own;
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }
    QIconEngine* clone() const override { return new ThumbnailEngine(*this); }

  private:
    const QIcon& icon()
    {
        if (decoded.isNull())
            decoded = QIcon(path);
        return decoded;
    }
    QString path;
    QSize own;
    QIcon decoded;
};

void fillList(QListWidget* list, int count, const std::function<QString(int)>& thumbnail)
{
    list->clear();
    for (int r = 0; r < count; ++r) {
        auto* item = new QListWidgetItem();
        item->setIcon(QIcon(new ThumbnailEngine(thumbnail(r + 1))));
        list->addItem(item);
    }
    list->setCurrentRow(0);
}

// Scaled to the label's size in device pixels, so a high-density screen shows every pixel of it
// rather than an enlarged low-resolution copy; on a checkerboard where it is transparent, in two
// mid greys that white and black glyphs both stand out from.
void showScaled(QLabel* label, const QPixmap& pixmap)
{
    const qreal ratio = label->devicePixelRatioF();
    QPixmap shown = pixmap.scaled(QSize(label->width(), label->height()) * ratio, Qt::KeepAspectRatio,
                                  Qt::SmoothTransformation);
    if (shown.hasAlphaChannel()) {
        const int square = qRound(10 * ratio);
        QPixmap tile(2 * square, 2 * square);
        tile.fill(QColor(0x99, 0x99, 0x99));
        QPainter tp(&tile);
        tp.fillRect(0, 0, square, square, QColor(0x77, 0x77, 0x77));
        tp.fillRect(square, square, square, square, QColor(0x77, 0x77, 0x77));
        tp.end();
        QPixmap board(shown.size());
        QPainter p(&board);
        p.fillRect(board.rect(), QBrush(tile));
        p.drawPixmap(0, 0, shown);
        p.end();
        shown = board;
    }
    shown.setDevicePixelRatio(ratio);
    label->setPixmap(shown);
}

} // namespace

IconDesign MainWindow::currentDesign() const
{
    // The same mapping the command line uses for a project file, with the font box's families.
    return Project::designOf(projectState(), fontFamilies, customImage, customImageSize, customVector);
}

void MainWindow::refreshIconPreview()
{
    if (previewsHeld)
        return;
    const IconDesign design = currentDesign();
    // The device preview, when open, follows after the edits pause.
    if (devicePreview && devicePreview->isVisible())
        devicePreview->showDesign(design, packageChoices.rememberedFor(projectFilePath));
    // Transparency shows as a checkerboard (here and on the Graphics page), so a white picture on a
    // transparent icon is seen.
    if (renderIsQuick(design)) {
        // A drawing still under way on the pool is of an older edit: it will not be shown.
        iconDrawing.drop();
        iconPixmap = renderIcon(design);
        showScaled(ui->labelIconPreview, iconPixmap);
        return;
    }
    // A large picture at a new size: its drawing goes to the pool (one at a time, the newest edit
    // winning) and a draft shows until it is done, so the window keeps answering.
    showScaled(ui->labelIconPreview, QPixmap::fromImage(renderIconDraft(design)));
    iconDrawing.start([design] { return renderIconImage(design); },
                      [this](const QImage& icon) {
                          iconPixmap = QPixmap::fromImage(icon);
                          showScaled(ui->labelIconPreview, iconPixmap);
                      });
}

void MainWindow::settleIconPreview()
{
    settlePicture();
    iconDrawing.settle();
}

void MainWindow::refreshGraphicPreview()
{
    if (previewsHeld)
        return;
    graphicPixmap = renderGraphic(ui->comboGraphicsCategory->currentIndex(), graphicsColor,
                                  selectedRow(ui->listGraphics));
    showScaled(ui->labelGraphicsPreview, graphicPixmap);
}

void MainWindow::fillFlatList()
{
    fillList(ui->listImageFlat, Artwork::flatCount, [](int n) { return Artwork::flatPath(n, true); });
}

void MainWindow::fillColoredList()
{
    fillList(ui->listImageColored, Artwork::coloredCount,
             [](int n) { return Artwork::coloredPath(n, true); });
}

void MainWindow::fillGraphicsList()
{
    const int category = ui->comboGraphicsCategory->currentIndex();
    fillList(ui->listGraphics, Artwork::listedRows(category),
             [category](int n) { return Artwork::graphicPath(category, n, true); });
}
