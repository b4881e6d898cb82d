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

QColor* MainWindow::colorMember(const QString& name)
{
    const std::pair<const char*, QColor*> members[] = {
        {"backgroundColor", &backgroundColor},
        {"gradientStartColor", &gradientStartColor},
        {"gradientEndColor", &gradientEndColor},
        {"imageColor", &imageColor},
        {"textColor", &textColor},
        {"strokeColor", &strokeColor},
        {"shadowColor", &shadowColor},
        {"graphicsColor", &graphicsColor},
    };
    for (const auto& member : members)
        if (name == QLatin1String(member.first))
            return member.second;
    return nullptr;
}

QPushButton* MainWindow::swatchButton(const QString& member)
{
    const std::pair<const char*, QPushButton*> buttons[] = {
        {"backgroundColor", ui->buttonBackgroundColor},
        {"gradientStartColor", ui->buttonBackgroundGradientStartColor},
        {"gradientEndColor", ui->buttonBackgroundGradientEndColor},
        {"imageColor", ui->buttonImageColor},
        {"textColor", ui->buttonTextColor},
        {"strokeColor", ui->buttonTextStrokeColor},
        {"shadowColor", ui->buttonTextShadowColor},
        {"graphicsColor", ui->buttonGraphicsColor},
    };
    for (const auto& button : buttons)
        if (member == QLatin1String(button.first))
            return button.second;
    return nullptr;
}

Project::State MainWindow::projectState()
{
    Project::State values;
    for (const Project::Line& line : Project::lines) {
        const QString target = QLatin1String(line.target);
        QObject* control = findChild<QObject*>(target);
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
            values << QString::number(component(*colorMember(target), line.kind));
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

void MainWindow::writeProjectFile(const QString& path, bool* ok)
{
    // The old project is replaced only by a complete new one.
    const bool written = bool(Files::write(path, Project::formatLines(projectState())));
    if (ok)
        *ok = written;
}

bool MainWindow::readProjectFile(const QString& path)
{
    const Project::FileContents contents = Project::readFile(path);
    if (!contents.ok)
        return false;
    Project::State state = projectState();
    Project::apply(state, contents.values, ui->comboTextFontType->count());

    // Put the values into the controls in file order; their value handlers run as they would for
    // the user, and Load refreshes and retitles afterwards.
    for (int i = 0; i < Project::lineCount; ++i) {
        const Project::Line& line = Project::lines[i];
        const QString target = QLatin1String(line.target);
        const int number = Project::toNumber(state[i]);
        QObject* control = findChild<QObject*>(target);
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
        case Project::Kind::Blue:
            setColor(*colorMember(target), swatchButton(target),
                     QColor(Project::toNumber(state[i - 2]), Project::toNumber(state[i - 1]), number));
            break;
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

        switch (i + 1) {
        case 23:
            customImage = loadCustomPicture(ui->editImageCustom->text());
            break;
        case 75:
            applyQualityRule(ui->comboIconFormat, ui->sliderIconQuality);
            break;
        case 76:
            fillGraphicsList();
            break;
        case 93:
            applyQualityRule(ui->comboGraphicsFormat, ui->sliderGraphicsQuality);
            break;
        }
    }
    return true;
}

bool MainWindow::saveProjectTo(const QString& path)
{
    bool ok = false;
    writeProjectFile(path, &ok);
    if (!ok) {
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
