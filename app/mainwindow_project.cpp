// Project files in the window: the saved controls as a state, writing and reading them, and the
// File menu commands.
#include "app/mainwindow.h"

#include "ui/dialogs.h"
#include "base/fileio.h"
#include "base/memory.h"
#include "export/imageformats.h"
#include "project/custompicture.h"
#include "project/projectformat.h"
#include "ui/mainwindowform.h"

#include <QDir>
#include <QFileInfo>

using Project::Key;
using Project::Kind;

// The colour members the project keys name, with the buttons that show them.
const MainWindow::Swatch& MainWindow::swatch(Key key)
{
    static const Swatch swatches[] = {
        {Key::BackgroundColor, &MainWindow::backgroundColor, &MainWindowForm::buttonBackgroundColor},
        {Key::GradientStartColor, &MainWindow::gradientStartColor,
         &MainWindowForm::buttonBackgroundGradientStartColor},
        {Key::GradientEndColor, &MainWindow::gradientEndColor,
         &MainWindowForm::buttonBackgroundGradientEndColor},
        {Key::ImageColor, &MainWindow::imageColor, &MainWindowForm::buttonImageColor},
        {Key::TextColor, &MainWindow::textColor, &MainWindowForm::buttonTextColor},
        {Key::StrokeColor, &MainWindow::strokeColor, &MainWindowForm::buttonTextStrokeColor},
        {Key::ShadowColor, &MainWindow::shadowColor, &MainWindowForm::buttonTextShadowColor},
        {Key::GraphicsColor, &MainWindow::graphicsColor, &MainWindowForm::buttonGraphicsColor},
    };
    for (const Swatch& s : swatches)
        if (s.key == key)
            return s;
    qFatal("no colour member for key %d", int(key));
}

void MainWindow::findSavedControls()
{
    for (const Project::Entry& e : Project::entries) {
        if (e.kind == Kind::Colour)
            continue;
        savedControls[int(e.key)] = findChild<QObject*>(QLatin1String(e.objectName));
        if (!savedControls[int(e.key)])
            qFatal("no control %s", e.objectName);
    }
    for (int i = 0; i < ui->comboTextFontType->count(); ++i)
        fontFamilies << ui->comboTextFontType->itemText(i);
}

Project::State MainWindow::projectState() const
{
    Project::State state;
    for (const Project::Entry& e : Project::entries) {
        QObject* control = savedControls[int(e.key)];
        switch (e.kind) {
        case Kind::Integer:
            if (auto* slider = qobject_cast<QAbstractSlider*>(control))
                state.setNumber(e.key, slider->value());
            else
                state.setNumber(e.key, static_cast<QSpinBox*>(control)->value());
            break;
        case Kind::Flag:
            state.setFlag(e.key, static_cast<QAbstractButton*>(control)->isChecked());
            break;
        case Kind::Colour:
            state.setColor(e.key, this->*swatch(e.key).colour);
            break;
        case Kind::ListRow:
            state.setNumber(e.key, selectedRow(static_cast<QListWidget*>(control)));
            break;
        case Kind::ComboIndex:
            state.setNumber(e.key, static_cast<QComboBox*>(control)->currentIndex());
            break;
        case Kind::Text:
            // As the file will hold it (one line), so the window draws what is saved: a pasted
            // line break is a space.
            state.setText(e.key, Project::singleLine(static_cast<QLineEdit*>(control)->text()));
            break;
        }
    }
    return state;
}

bool MainWindow::writeProjectFile(const QString& path)
{
    // The old project is replaced only by a complete new one.
    return bool(Files::write(path, Project::format(projectState())));
}

void MainWindow::applyState(const Project::State& state, const QString& projectFile)
{
    // In file order, each value as setting the control puts it; the value handlers run as they
    // would for the user, so callers retitle afterwards. The previews are drawn once, at the end,
    // not after each value. A picture still loading gives way to the state's.
    previewsHeld = true;
    pictureLoad.drop();
    for (const Project::Entry& e : Project::entries) {
        QObject* control = savedControls[int(e.key)];
        switch (e.kind) {
        case Kind::Integer:
            if (auto* slider = qobject_cast<QAbstractSlider*>(control))
                slider->setValue(state.number(e.key));
            else
                static_cast<QSpinBox*>(control)->setValue(state.number(e.key));
            break;
        case Kind::Flag:
            static_cast<QAbstractButton*>(control)->setChecked(state.flag(e.key));
            break;
        case Kind::Colour: {
            const Swatch& s = swatch(e.key);
            setColor(this->*s.colour, ui->*s.button, state.color(e.key));
            break;
        }
        case Kind::ListRow:
            static_cast<QListWidget*>(control)->setCurrentRow(state.number(e.key));
            break;
        case Kind::ComboIndex:
            static_cast<QComboBox*>(control)->setCurrentIndex(state.number(e.key));
            break;
        case Kind::Text:
            static_cast<QLineEdit*>(control)->setText(state.text(e.key));
            break;
        }
        afterValue(e.after, projectFile);
    }
    previewsHeld = false;
    refreshIconPreview();
    refreshGraphicPreview();
}

void MainWindow::afterValue(Project::After step, const QString& projectFile)
{
    switch (step) {
    case Project::After::Nothing:
        break;
    case Project::After::LoadCustomPicture: {
        // A picture that cannot be loaded leaves none, without a word, as the path still shows. One
        // that takes long loads on the pool, the design showing without it meanwhile (saving and
        // exporting wait for it); it is the project's, so it changes nothing the user did.
        const QString path = customPicturePath(ui->editImageCustom->text(), projectFile);
        const auto put = [this](const LoadedPicture& picture) {
            customImage = picture.image;
            customImageSize = picture.size;
            customVector = picture.vector;
            Memory::handBack();
        };
        if (loadsQuickly(path)) {
            put(loadPicture(path, false));
            break;
        }
        customImage = QImage();
        customImageSize = QSize();
        customVector.clear();
        pictureLoad.start([path] { return loadPicture(path, false); },
                          [this, put](const LoadedPicture& picture) {
                              put(picture);
                              refreshIconPreview();
                          });
        break;
    }
    case Project::After::IconQualityRule:
        applyQualityRule(ui->comboIconFormat, ui->sliderIconQuality);
        break;
    case Project::After::FillGraphicsList:
        fillGraphicsList();
        break;
    case Project::After::GraphicsQualityRule:
        applyQualityRule(ui->comboGraphicsFormat, ui->sliderGraphicsQuality);
        break;
    }
}

bool MainWindow::readProjectFile(const QString& path)
{
    const Project::FileContents contents = Project::readFile(path);
    if (!contents.ok)
        return false;
    Project::State state = projectState();
    Project::apply(state, contents.values, ui->comboTextFontType->count());
    applyState(state, path);
    return true;
}

bool MainWindow::saveProjectTo(const QString& path)
{
    settlePicture();
    if (!writeProjectFile(path)) {
        Dialogs::warning(this, QString(), tr("The project file could not be created."));
        return false;
    }
    setWindowTitle(QStringLiteral("Glyphwright - ") + QFileInfo(path).baseName());
    return true;
}

void MainWindow::on_actionNew_triggered()
{
    if (confirmDiscardChanges())
        resetDesign();
}

void MainWindow::on_actionSaveProject_triggered()
{
    if (projectFilePath.isEmpty()) {
        on_actionSaveProjectAs_triggered();
        return;
    }
    saveProjectTo(projectFilePath);
}

void MainWindow::on_actionSaveProjectAs_triggered()
{
    // A name typed without an extension gets ".ipr", so that Load Project lists the file.
    const QString path = Dialogs::getSaveFileName(this, tr("Save Project"), defaultProjectFolder(),
                                                  tr("Glyphwright Project (*.ipr)"), QStringLiteral("ipr"));
    if (path.isNull() || path.isEmpty())
        return;
    // A relative picture path counts from the project's folder: re-based to the new one, so the
    // project saved elsewhere still finds its picture.
    const QString stored = ui->editImageCustom->text();
    QString rebased;
    if (!stored.isEmpty() && QDir::isRelativePath(stored))
        rebased = QFileInfo(path).absoluteDir().relativeFilePath(
            QFileInfo(customPicturePath(stored, projectFilePath)).absoluteFilePath());
    projectFilePath = path;
    if (!rebased.isEmpty() && rebased != stored)
        ui->editImageCustom->setText(rebased);
    saveProjectTo(path);
}

void MainWindow::on_actionLoadProject_triggered()
{
    // Unsaved work is not dropped without a word, as New does not drop it.
    if (!confirmDiscardChanges())
        return;
    const QString path = Dialogs::getOpenFileName(this, tr("Load Project"), defaultProjectFolder(),
                                                  tr("Glyphwright Project (*.ipr)"));
    if (!path.isEmpty())
        loadProject(path);
}

void MainWindow::loadProject(const QString& path)
{
    // The project's path is set first, as the previews (the packages' default names) use it, so
    // they are drawn once. A file that is not a project must not wipe the design nor become the
    // current project.
    const QString previous = projectFilePath;
    projectFilePath = path;
    if (!readProjectFile(path)) {
        projectFilePath = previous;
        Dialogs::warning(this, QString(), tr("The project file could not be opened."));
        return;
    }
    setWindowTitle(QStringLiteral("Glyphwright - ") + QFileInfo(path).baseName());
}
