// The design's defaults, the change marker and the handlers of the design controls (the Icon page's
// Background, Image and Text steps, the custom picture's Browse and a dropped picture among them).
#include "app/mainwindow.h"

#include "ui/dialogs.h"
#include "ui/settings.h"
#include "base/memory.h"
#include "export/iconset.h"
#include "export/imageformats.h"
#include "project/custompicture.h"
#include "ui/mainwindowform.h"
#include "ui/swatch.h"

#include <QApplication>
#include <QRegularExpression>
#include <QtConcurrent>

namespace {
const QString programTitle = QStringLiteral("Glyphwright");

// What a screen reader calls a colour button: its name in words, "buttonTextStrokeColor" as
// "Text stroke colour".
QString spokenName(const QString& objectName)
{
    QString words = objectName.mid(int(qstrlen("button")));
    words.replace(QRegularExpression(QStringLiteral("([a-z])([A-Z])")), QStringLiteral("\\1 \\2"));
    words = words.toLower().replace(QLatin1String("color"), QLatin1String("colour"));
    return words.left(1).toUpper() + words.mid(1);
}
} // namespace

void MainWindow::setColor(QColor& member, QPushButton* button, const QColor& color)
{
    button->setStyleSheet(swatchStyleSheet(color));
    // The swatch shows its colour; a screen reader says it.
    button->setAccessibleName(QStringLiteral("%1, %2").arg(spokenName(button->objectName()), color.name()));
    member = color;
}

void MainWindow::resetDesign()
{
    projectFilePath.clear();
    customImage = QImage();
    customImageSize = QSize();
    customVector.clear();
    ui->tabView->setCurrentIndex(0);
    ui->tabIcon->setCurrentIndex(0);
    // The picture lists first, so that the default rows name their pictures.
    fillFlatList();
    fillColoredList();
    // Every saved control and colour member to its default, as loading the default file does.
    applyState(Project::State());
    // Rewriting the title drops the marker that the value handlers have set meanwhile.
    setWindowTitle(programTitle);
}

void MainWindow::markDesignChanged()
{
    const QString title = windowTitle();
    if (!title.contains(QLatin1Char('*')))
        setWindowTitle(title + QLatin1Char('*'));
}

bool MainWindow::confirmDiscardChanges()
{
    if (!windowTitle().contains(QLatin1Char('*')))
        return true;
    return Dialogs::question(this, QString(), tr("You have unsaved changes that will be lost. Continue?"),
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MainWindow::pickColor(QColor& member, QPushButton* button, bool graphic)
{
    const QColor chosen = Dialogs::getColor(member, nullptr, QString());
    if (!chosen.isValid())
        return;
    setColor(member, button, chosen);
    if (graphic)
        refreshGraphicPreview();
    else
        refreshIconPreview();
    markDesignChanged();
}

void MainWindow::applyQualityRule(const QComboBox* format, QSlider* quality)
{
    const Export::ImageFormat* chosen = Export::formatAt(format->currentIndex(), format->count());
    quality->setEnabled(chosen && chosen->takesQuality);
}

void MainWindow::iconEdited()
{
    refreshIconPreview();
    markDesignChanged();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* list = qobject_cast<QListWidget*>(watched);
    if (event->type() != QEvent::KeyPress ||
        (list != ui->listImageFlat && list != ui->listImageColored && list != ui->listGraphics))
        return QMainWindow::eventFilter(watched, event);
    // The list handles the key here, so that the row it moves to is seen at once: a picture chosen
    // with the arrow keys is previewed, saved and exported like one clicked, once a step. (A key
    // the list ignores still goes on to its parents.)
    const int before = selectedRow(list);
    static_cast<QObject*>(list)->event(event);
    if (selectedRow(list) != before) {
        if (list == ui->listGraphics)
            on_listGraphics_itemClicked(list->currentItem());
        else
            iconEdited();
    }
    return true;
}

// Background
void MainWindow::on_sliderBackgroundCornerCurvature_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_radioBackgroundColor_clicked()
{
    iconEdited();
}
void MainWindow::on_buttonBackgroundColor_clicked()
{
    pickColor(backgroundColor, ui->buttonBackgroundColor, false);
}
void MainWindow::on_radioBackgroundGradient_clicked()
{
    iconEdited();
}
void MainWindow::on_buttonBackgroundGradientStartColor_clicked()
{
    pickColor(gradientStartColor, ui->buttonBackgroundGradientStartColor, false);
}
void MainWindow::on_buttonBackgroundGradientEndColor_clicked()
{
    pickColor(gradientEndColor, ui->buttonBackgroundGradientEndColor, false);
}
void MainWindow::on_sliderBackgroundGradientStartPointX_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_sliderBackgroundGradientStartPointY_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_sliderBackgroundGradientEndPointX_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_sliderBackgroundGradientEndPointY_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_radioBackgroundTransparent_clicked()
{
    iconEdited();
}

// Image
void MainWindow::on_radioImageFlat_clicked()
{
    iconEdited();
}
void MainWindow::on_listImageFlat_itemClicked(QListWidgetItem*)
{
    iconEdited();
}
void MainWindow::on_radioImageColored_clicked()
{
    iconEdited();
}
void MainWindow::on_listImageColored_itemClicked(QListWidgetItem*)
{
    iconEdited();
}
void MainWindow::on_radioImageCustom_clicked()
{
    iconEdited();
}
void MainWindow::on_radioImageNone_clicked()
{
    iconEdited();
}
void MainWindow::on_spinImageScale_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_buttonImageColor_clicked()
{
    pickColor(imageColor, ui->buttonImageColor, false);
}
void MainWindow::on_spinImageOffsetX_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_spinImageOffsetY_valueChanged(int)
{
    iconEdited();
}

// Text
void MainWindow::on_editText_textChanged(const QString&)
{
    iconEdited();
}
void MainWindow::on_comboTextFontType_activated(int)
{
    iconEdited();
}
void MainWindow::on_spinTextFontSize_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_checkTextBold_clicked()
{
    iconEdited();
}
void MainWindow::on_buttonTextColor_clicked()
{
    pickColor(textColor, ui->buttonTextColor, false);
}
void MainWindow::on_checkTextItalic_clicked()
{
    iconEdited();
}
void MainWindow::on_spinTextOffsetX_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_spinTextOffsetY_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_checkTextStroke_clicked()
{
    iconEdited();
}
void MainWindow::on_sliderTextStrokeWidth_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_buttonTextStrokeColor_clicked()
{
    pickColor(strokeColor, ui->buttonTextStrokeColor, false);
}
void MainWindow::on_checkTextShadow_clicked()
{
    iconEdited();
}
void MainWindow::on_sliderTextShadowOffset_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_sliderTextShadowAngle_valueChanged(int)
{
    iconEdited();
}
void MainWindow::on_buttonTextShadowColor_clicked()
{
    pickColor(shadowColor, ui->buttonTextShadowColor, false);
}

// Export settings belong to the saved project but not to the picture: they only mark.
void MainWindow::on_radioExportAndroid_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportAndroid48_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportAndroid72_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportAndroid96_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportAndroid144_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportAndroid192_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportAndroid512_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioExportiOS_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS29_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS40_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS58_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS60_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS76_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS80_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS87_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS120_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS152_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS167_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS180_clicked()
{
    markDesignChanged();
}
void MainWindow::on_checkExportiOS1024_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioExportCustomSize_clicked()
{
    markDesignChanged();
}
void MainWindow::on_spinExportCustomSize_valueChanged(int)
{
    markDesignChanged();
}
void MainWindow::on_comboIconFormat_activated(int)
{
    applyQualityRule(ui->comboIconFormat, ui->sliderIconQuality);
    markDesignChanged();
}
void MainWindow::on_sliderIconQuality_valueChanged(int)
{
    markDesignChanged();
}

// Graphics
void MainWindow::on_comboGraphicsCategory_activated(int)
{
    fillGraphicsList();
    refreshGraphicPreview();
    markDesignChanged();
}
void MainWindow::on_buttonGraphicsColor_clicked()
{
    pickColor(graphicsColor, ui->buttonGraphicsColor, true);
}
void MainWindow::on_listGraphics_itemClicked(QListWidgetItem*)
{
    refreshGraphicPreview();
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize20_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize30_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize40_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize50_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize60_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize90_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize100_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize120_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSize150_clicked()
{
    markDesignChanged();
}
void MainWindow::on_radioGraphicsSizeCustom_clicked()
{
    markDesignChanged();
}
void MainWindow::on_spinGraphicsCustomSize_valueChanged(int)
{
    markDesignChanged();
}
void MainWindow::on_comboGraphicsFormat_activated(int)
{
    applyQualityRule(ui->comboGraphicsFormat, ui->sliderGraphicsQuality);
    markDesignChanged();
}
void MainWindow::on_sliderGraphicsQuality_valueChanged(int)
{
    markDesignChanged();
}

void MainWindow::on_buttonImageCustomBrowse_clicked()
{
    const QString path =
        Dialogs::getOpenFileName(this, tr("Select Image"), rememberedFolder(Folders::imageCustomBrowse),
                                 tr("Image Files (*.jpg *.jpeg *.png *.bmp *.tiff *tif)"));
    if (path.isEmpty())
        return;
    choosePicture(path, false);
}

MainWindow::LoadedPicture MainWindow::loadPicture(const QString& path, bool dropped)
{
    LoadedPicture picture{path, dropped, QImage(), QSize(), QByteArray(), Problem()};
    picture.image = loadCustomPicture(path, &picture.why, &picture.size, &picture.vector);
    return picture;
}

void MainWindow::choosePicture(const QString& path, bool dropped)
{
    // The newest choice wins: one loading still is forgotten.
    if (loadsQuickly(path)) {
        pictureLoad.drop();
        usePicture(loadPicture(path, dropped));
        return;
    }
    pictureLoad.start([path, dropped] { return loadPicture(path, dropped); },
                      [this](const LoadedPicture& picture) { usePicture(picture); });
}

void MainWindow::settlePicture()
{
    pictureLoad.settle();
}

void MainWindow::usePicture(const LoadedPicture& picture)
{
    if (picture.dropped && picture.image.isNull()) {
        Dialogs::warning(this, QString(),
                         tr("The picture %1 could not be loaded: %2.").arg(picture.path, picture.why.text()));
        return;
    }
    customImage = picture.image;
    customImageSize = picture.size;
    customVector = picture.vector;
    // The path is shown with this platform's "/" separators, so the project file stores a path
    // that loads the picture again.
    ui->editImageCustom->setText(picture.path);
    if (picture.dropped)
        ui->radioImageCustom->setChecked(true);
    else
        rememberFolder(Folders::imageCustomBrowse,
                       Export::folderOf(ui->editImageCustom->text(), QLatin1Char('/')));
    refreshIconPreview();
    // The decoding's buffers (a large picture's take hundreds of megabytes) are not kept.
    Memory::handBack();
    markDesignChanged();
}
