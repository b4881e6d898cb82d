// The window's export commands: the icon set, the pictogram image and the custom picture.
#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "app/folders.h"
#include "base/memory.h"
#include "export/iconset.h"
#include "project/custompicture.h"
#include "project/statemapping.h"
#include "ui/mainwindowform.h"

#include <QFileInfo>

namespace {

// One line a file that could not be written: its name and why.
QString reasons(const QList<Files::Failure>& failed)
{
    QStringList lines;
    for (const Files::Failure& f : failed)
        lines << QFileInfo(f.path).fileName() + QStringLiteral(": ") + f.reason;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void MainWindow::on_buttonImageCustomBrowse_clicked()
{
    const QString path =
        Dialogs::getOpenFileName(this, tr("Select Image"), rememberedFolder(Folders::imageCustomBrowse),
                                 tr("Image Files (*.jpg *.jpeg *.png *.bmp *.tiff *tif)"));
    if (path.isEmpty())
        return;
    customImage = loadCustomPicture(path, nullptr, &customImageSize, &customVector);
    // The path is shown with this platform's "/" separators, so the project file stores a path
    // that loads the picture again.
    ui->editImageCustom->setText(path);
    rememberFolder(Folders::imageCustomBrowse,
                   Export::folderOf(ui->editImageCustom->text(), QLatin1Char('/')));
    refreshIconPreview();
    markDesignChanged();
}

bool MainWindow::useCustomPicture(const QString& path)
{
    QString why;
    QSize size;
    QByteArray vector;
    const QImage picture = loadCustomPicture(path, &why, &size, &vector);
    if (picture.isNull()) {
        Dialogs::warning(this, QString(), tr("The picture %1 could not be loaded: %2.").arg(path, why));
        return false;
    }
    customImage = picture;
    customImageSize = size;
    customVector = vector;
    ui->editImageCustom->setText(path);
    ui->radioImageCustom->setChecked(true);
    refreshIconPreview();
    // The decoding's buffers (a large picture's take hundreds of megabytes) are not kept.
    Memory::handBack();
    markDesignChanged();
    return true;
}

void MainWindow::on_buttonSaveIcons_clicked()
{
    const QString folder = Dialogs::getExistingDirectory(
        this, tr("Select Folder"), rememberedFolder(Folders::saveIcons), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    rememberFolder(Folders::saveIcons, folder);

    // One stamp for every file of this export.
    const QString stamp = Export::timeStamp(QDateTime::currentDateTime());
    const Files::Outcome outcome =
        Export::writeIconSet(iconPixmap.toImage(), folder, Project::iconPlan(projectState()), stamp);
    if (outcome.failed.isEmpty())
        Dialogs::information(this, QString(), tr("Icon(s) saved successfully."));
    else
        Dialogs::warning(this, QString(), tr("Some icons could not be saved."), reasons(outcome.failed));
}

void MainWindow::on_buttonSaveImage_clicked()
{
    const Export::ImagePlan plan = Project::imagePlan(projectState());
    const char* filter = (plan.format ? *plan.format : Export::imageFormats[0]).filter;
    const QString path =
        Dialogs::getSaveFileName(this, tr("Save Image"), rememberedFolder(Folders::saveImage), tr(filter));
    if (path.isEmpty())
        return;
    rememberFolder(Folders::saveImage, Export::folderOf(path, QLatin1Char('/')));

    const Files::Result written = Export::writeGraphic(graphicPixmap, path, plan);
    if (written)
        Dialogs::information(this, QString(), tr("Image saved successfully."));
    else
        Dialogs::warning(this, QString(), tr("The image could not be saved."),
                         reasons({{path, written.error}}));
}
