// Project files in the window: writing and reading the controls, and the File menu commands.
#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "export/exportformats.h"
#include "export/fileio.h"
#include "project/projectformat.h"
#include "ui/mainwindowform.h"

#include <QFileInfo>

namespace {

int component(const QColor& color, Project::Kind kind)
{
    return kind == Project::Kind::Red     ? color.red()
           : kind == Project::Kind::Green ? color.green()
                                          : color.blue();
}

} // namespace

// The colour members the project lines name, with the buttons that show them.
const MainWindow::Swatch* MainWindow::swatch(const char* member)
{
    static const Swatch swatches[] = {
        {"backgroundColor", &MainWindow::backgroundColor, &MainWindowForm::buttonBackgroundColor},
        {"gradientStartColor", &MainWindow::gradientStartColor,
         &MainWindowForm::buttonBackgroundGradientStartColor},
        {"gradientEndColor", &MainWindow::gradientEndColor,
         &MainWindowForm::buttonBackgroundGradientEndColor},
        {"imageColor", &MainWindow::imageColor, &MainWindowForm::buttonImageColor},
        {"textColor", &MainWindow::textColor, &MainWindowForm::buttonTextColor},
        {"strokeColor", &MainWindow::strokeColor, &MainWindowForm::buttonTextStrokeColor},
        {"shadowColor", &MainWindow::shadowColor, &MainWindowForm::buttonTextShadowColor},
        {"graphicsColor", &MainWindow::graphicsColor, &MainWindowForm::buttonGraphicsColor},
    };
    for (const Swatch& s : swatches)
        if (qstrcmp(s.member, member) == 0)
            return &s;
    return nullptr;
}

Project::State MainWindow::projectState() const
{
    Project::State values;
    for (const Project::Line& line : Project::lines) {
        QObject* control = findChild<QObject*>(QLatin1String(line.target));
        switch (line.kind) {
        case Project::Kind::Integer:
            if (auto* slider = qobject_cast<QAbstractSlider*>(control))
                values << QString::number(slider->value());
            else
                values << QString::number(qobject_cast<QSpinBox*>(control)->value());
            break;
        case Project::Kind::Flag:
            values << QString::number(qobject_cast<QAbstractButton*>(control)->isChecked() ? 1 : 0);
            break;
        case Project::Kind::Red:
        case Project::Kind::Green:
        case Project::Kind::Blue:
            values << QString::number(component(this->*swatch(line.target)->colour, line.kind));
            break;
        case Project::Kind::ListRow:
            values << QString::number(selectedRow(qobject_cast<QListWidget*>(control)));
            break;
        case Project::Kind::ComboIndex:
            values << QString::number(qobject_cast<QComboBox*>(control)->currentIndex());
            break;
        case Project::Kind::Text:
            values << Project::singleLine(qobject_cast<QLineEdit*>(control)->text());
            break;
        }
    }
    return values;
}

bool MainWindow::writeProjectFile(const QString& path)
{
    // The old project is replaced only by a complete new one.
    return bool(Files::write(path, Project::formatLines(projectState())));
}

void MainWindow::applyState(const Project::State& state)
{
    // In file order, each value as setting the control puts it; the value handlers run as they
    // would for the user, so callers refresh and retitle afterwards.
    for (int i = 0; i < Project::lineCount; ++i) {
        const Project::Line& line = Project::lines[i];
        const int number = Project::toNumber(state[i]);
        QObject* control = findChild<QObject*>(QLatin1String(line.target));
        switch (line.kind) {
        case Project::Kind::Integer:
            if (auto* slider = qobject_cast<QAbstractSlider*>(control))
                slider->setValue(number);
            else
                qobject_cast<QSpinBox*>(control)->setValue(number);
            break;
        case Project::Kind::Flag:
            qobject_cast<QAbstractButton*>(control)->setChecked(number != 0);
            break;
        case Project::Kind::Red:
        case Project::Kind::Green:
            break;
        case Project::Kind::Blue: {
            const Swatch* s = swatch(line.target);
            setColor(this->*s->colour, ui->*s->button, state.color(line.target));
            break;
        }
        case Project::Kind::ListRow:
            qobject_cast<QListWidget*>(control)->setCurrentRow(number);
            break;
        case Project::Kind::ComboIndex:
            qobject_cast<QComboBox*>(control)->setCurrentIndex(number);
            break;
        case Project::Kind::Text:
            qobject_cast<QLineEdit*>(control)->setText(state[i]);
            break;
        }
        afterLine(line.after);
    }
}

void MainWindow::afterLine(Project::After step)
{
    switch (step) {
    case Project::After::Nothing:
        break;
    case Project::After::LoadCustomPicture:
        customImage = loadCustomPicture(ui->editImageCustom->text());
        break;
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
    applyState(state);
    return true;
}

bool MainWindow::saveProjectTo(const QString& path)
{
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
    const QString path = Dialogs::getSaveFileName(this, tr("Save Project"), defaultProjectFolder(),
                                                  tr("Glyphwright Project (*.ipr)"));
    if (path.isNull() || path.isEmpty())
        return;
    projectFilePath = path;
    saveProjectTo(path);
}

void MainWindow::on_actionLoadProject_triggered()
{
    const QString path = Dialogs::getOpenFileName(this, tr("Load Project"), defaultProjectFolder(),
                                                  tr("Glyphwright Project (*.ipr)"));
    if (path.isEmpty())
        return;
    // A file that is not a project must not wipe the design nor become the current project.
    if (!readProjectFile(path)) {
        Dialogs::warning(this, QString(), tr("The project file could not be opened."));
        return;
    }
    projectFilePath = path;
    setWindowTitle(QStringLiteral("Glyphwright - ") + QFileInfo(path).baseName());
    refreshIconPreview();
    refreshGraphicPreview();
}
