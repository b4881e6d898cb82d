// The window's two live previews and the three picture lists.
#include "app/mainwindow.h"

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
    IconDesign d;
    d.useBackgroundColor = ui->radioBackgroundColor->isChecked();
    d.useBackgroundGradient = ui->radioBackgroundGradient->isChecked();
    d.useBackgroundTransparent = ui->radioBackgroundTransparent->isChecked();
    d.cornerCurvature = ui->sliderBackgroundCornerCurvature->value();
    d.backgroundColor = backgroundColor;
    d.gradientStartColor = gradientStartColor;
    d.gradientEndColor = gradientEndColor;
    d.gradientStartX = ui->sliderBackgroundGradientStartPointX->value();
    d.gradientStartY = ui->sliderBackgroundGradientStartPointY->value();
    d.gradientEndX = ui->sliderBackgroundGradientEndPointX->value();
    d.gradientEndY = ui->sliderBackgroundGradientEndPointY->value();

    d.useImageFlat = ui->radioImageFlat->isChecked();
    d.useImageColored = ui->radioImageColored->isChecked();
    d.useImageCustom = ui->radioImageCustom->isChecked();
    d.flatImageRow = selectedRow(ui->listImageFlat);
    d.imageColor = imageColor;
    d.coloredImageRow = selectedRow(ui->listImageColored);
    d.customImage = customImage;
    d.imageScale = ui->spinImageScale->value();
    d.imageOffsetX = ui->spinImageOffsetX->value();
    d.imageOffsetY = ui->spinImageOffsetY->value();

    d.text = ui->editText->text();
    d.textBold = ui->checkTextBold->isChecked();
    d.textItalic = ui->checkTextItalic->isChecked();
    d.fontFamily = ui->comboTextFontType->currentText();
    d.fontSize = ui->spinTextFontSize->value();
    d.textColor = textColor;
    d.textOffsetX = ui->spinTextOffsetX->value();
    d.textOffsetY = ui->spinTextOffsetY->value();
    d.textStroke = ui->checkTextStroke->isChecked();
    d.strokeWidth = ui->sliderTextStrokeWidth->value();
    d.strokeColor = strokeColor;
    d.textShadow = ui->checkTextShadow->isChecked();
    d.shadowOffset = ui->sliderTextShadowOffset->value();
    d.shadowAngle = ui->sliderTextShadowAngle->value();
    d.shadowColor = shadowColor;
    return d;
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
