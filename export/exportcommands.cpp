// The window's export commands: the icon set, the pictogram image and the custom picture.
#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "export/exportformats.h"
#include "export/folders.h"
#include "render/graphicrenderer.h"
#include "ui/mainwindowform.h"

void MainWindow::on_buttonImageCustomBrowse_clicked()
{
    const QString path =
        Dialogs::getOpenFileName(this, tr("Select Image"), rememberedFolder(Folders::imageCustomBrowse),
                                 tr("Image Files (*.jpg *.jpeg *.png *.bmp *.tiff *tif)"));
    if (path.isEmpty())
        return;
    customImage = loadCustomPicture(path);
    // The path is shown with this platform's "/" separators, so the project file stores a path
    // that loads the picture again.
    ui->editImageCustom->setText(path);
    rememberFolder(Folders::imageCustomBrowse, Export::folderOf(ui->editImageCustom->text(), QLatin1Char('/')));
    refreshIconPreview();
    markDesignChanged();
}

void MainWindow::on_buttonSaveIcons_clicked()
{
    const QString folder = Dialogs::getExistingDirectory(this, tr("Select Folder"),
                                                         rememberedFolder(Folders::saveIcons),
                                                         QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    rememberFolder(Folders::saveIcons, folder);

    const int index = ui->comboIconFormat->currentIndex();
    const bool knownFormat = index >= 0 && index < Export::iconFormatCount;
    const Export::Format& format = Export::formats[knownFormat ? index : 0];
    const int quality = format.usesQuality ? ui->sliderIconQuality->value() : -1;
    const QString stamp = Export::timeStamp(QDateTime::currentDateTime());

    QList<int> sizes;
    auto ticked = [this, &sizes](const Export::SizeOption* options, int count) {
        for (int i = 0; i < count; ++i)
            if (findChild<QCheckBox*>(QLatin1String(options[i].control))->isChecked())
                sizes.append(options[i].size);
    };
    if (ui->radioExportAndroid->isChecked())
        ticked(Export::androidSizes, 6);
    else if (ui->radioExportiOS->isChecked())
        ticked(Export::iosSizes, 12);
    else if (ui->radioExportCustomSize->isChecked())
        sizes.append(ui->spinExportCustomSize->value());

    bool success = true;
    for (int size : sizes) {
        const QString path = Export::iconFileName(folder, size, stamp, QLatin1String(format.extension));
        if (!knownFormat
            || !Export::writeImageFile(path, scaledCopy(iconPixmap, size, size), format.name, quality,
                                       QSize(size, size)))
            success = false;
    }
    if (success)
        Dialogs::information(this, QString(), tr("Icon(s) saved successfully."));
    else
        Dialogs::warning(this, QString(), tr("Some icons could not be saved."));
}

void MainWindow::on_buttonSaveImage_clicked()
{
    const int index = ui->comboGraphicsFormat->currentIndex();
    const bool knownFormat = index >= 0 && index < Export::graphicFormatCount;
    const Export::Format& format = Export::formats[knownFormat ? index : 0];
    const int quality = format.usesQuality ? ui->sliderGraphicsQuality->value() : -1;

    const QString path = Dialogs::getSaveFileName(this, tr("Save Image"), rememberedFolder(Folders::saveImage),
                                                  tr(format.filter));
    if (path.isEmpty())
        return;
    rememberFolder(Folders::saveImage, Export::folderOf(path, QLatin1Char('/')));

    int size = 0;
    for (const Export::SizeOption& option : Export::graphicSizes) {
        if (findChild<QRadioButton*>(QLatin1String(option.control))->isChecked()) {
            size = option.size;
            break;
        }
    }
    if (size == 0 && ui->radioGraphicsSizeCustom->isChecked())
        size = ui->spinGraphicsCustomSize->value();
    const QPixmap image = size > 0 ? scaledCopy(graphicPixmap, size, size) : QPixmap();

    if (knownFormat && Export::writeImageFile(path, image, format.name, quality, QSize(size, size)))
        Dialogs::information(this, QString(), tr("Image saved successfully."));
    else
        Dialogs::warning(this, QString(), tr("The image could not be saved."));
}
