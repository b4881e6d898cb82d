// The window's two live previews and the three picture lists.
#include "app/mainwindow.h"

#include "project/statemapping.h"
#include "render/artwork.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"
#include "ui/mainwindowform.h"

#include <functional>

namespace {

void fillList(QListWidget* list, int count, const std::function<QString(int)>& thumbnail)
{
    list->clear();
    for (int r = 0; r < count; ++r) {
        auto* item = new QListWidgetItem();
        item->setIcon(QIcon(thumbnail(r + 1)));
        list->addItem(item);
    }
    list->setCurrentRow(0);
}

void showScaled(QLabel* label, const QPixmap& pixmap)
{
    // Scaled to the label's size in device pixels, so a high-density screen shows every pixel of
    // it rather than an enlarged low-resolution copy.
    const qreal ratio = label->devicePixelRatioF();
    QPixmap shown = pixmap.scaled(QSize(label->width(), label->height()) * ratio, Qt::KeepAspectRatio,
                                  Qt::SmoothTransformation);
    shown.setDevicePixelRatio(ratio);
    label->setPixmap(shown);
}

} // namespace

IconDesign MainWindow::currentDesign() const
{
    // The same mapping the command line uses for a project file, with the font box's families.
    return Project::designOf(projectState(), fontFamilies, customImage);
}

void MainWindow::refreshIconPreview()
{
    iconPixmap = renderIcon(currentDesign());
    showScaled(ui->labelIconPreview, iconPixmap);
}

void MainWindow::refreshGraphicPreview()
{
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
