// The Export page's Save Icon(s) and the Graphics page's Save Image.
#include "app/mainwindow.h"

#include "ui/dialogs.h"
#include "ui/settings.h"
#include "export/iconset.h"
#include "project/statemapping.h"
#include "ui/mainwindowform.h"

void MainWindow::on_buttonSaveIcons_clicked()
{
    const QString folder = Dialogs::getExistingDirectory(
        this, tr("Select Folder"), rememberedFolder(Folders::saveIcons), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    rememberFolder(Folders::saveIcons, folder);

    // The icons are the design's as it stands, its drawing finished.
    settleIconPreview();
    // One stamp for every file of this export.
    const QString stamp = Export::timeStamp(QDateTime::currentDateTime());
    const Files::Outcome outcome =
        Export::writeIconSet(iconPixmap.toImage(), folder, Project::iconPlan(projectState()), stamp);
    if (outcome.failed.isEmpty())
        Dialogs::information(this, QString(), tr("Icon(s) saved successfully."));
    else
        Dialogs::warning(this, QString(), tr("Some icons could not be saved."),
                         Files::failureLines(outcome.failed, true));
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
                         Files::failureLines({{path, written.problem}}, true));
}
