// The Platforms menu of MainWindow: Export Packages, Apply to App Project, Undo Last Apply and the
// Device Preview. Reading an app's project, making its icons and writing them run on the toolkit's
// pool while the window keeps painting, each step continued when its work is done.
#include "app/mainwindow.h"

#include "ui/dialogs.h"
#include "ui/settings.h"
#include "packages/apply/appproject.h"
#include "packages/check/check.h"
#include "ui/devicepreview.h"
#include "ui/mainwindowform.h"
#include "ui/packagesdialog.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QScreen>
#include <QtConcurrent>

#include <algorithm>
#include <memory>

void MainWindow::on_actionExportPackages_triggered()
{
    // The packages are the design's as it stands, a picture still loading in place.
    settlePicture();
    PackagesDialog dialog(currentDesign(), projectFilePath, this, packageChoices);
    // The Device Preview follows each choice as it is made.
    connect(&dialog, &PackagesDialog::choicesChanged, this, [this](const PackageChoices& chosen) {
        packageChoices = chosen;
        if (devicePreview)
            devicePreview->showDesign(currentDesign(), packageChoices.rememberedFor(projectFilePath));
    });
    Dialogs::showModal(dialog);
    // The device preview follows the options the dialog remembers.
    packageChoices = dialog.remembered();
    if (devicePreview)
        devicePreview->showDesign(currentDesign(), packageChoices.rememberedFor(projectFilePath));
}

void MainWindow::on_actionDevicePreview_triggered()
{
    if (!devicePreview) {
        devicePreview = new DevicePreview(this);
        // Beside the main window where the screen has room, else below its menu bar, never over it.
        const QScreen* here = screen();
        const QRect room = here ? here->availableGeometry() : QRect();
        const QRect main = frameGeometry();
        QPoint at(main.right() + 8, main.top());
        if (room.isValid() && at.x() + devicePreview->width() > room.right())
            at = QPoint(std::max(room.left(), room.right() - devicePreview->width()),
                        main.top() + menuBar()->geometry().bottom() + 8);
        devicePreview->move(at);
    }
    devicePreview->show();
    devicePreview->raise();
    devicePreview->activateWindow();
    devicePreview->showDesign(currentDesign(), packageChoices.rememberedFor(projectFilePath));
}

bool MainWindow::appWorkRunning() const
{
    return appWork.running();
}

void MainWindow::runAside(const std::function<void()>& work, const std::function<void()>& then)
{
    appWork.start(
        [work] {
            work();
            return true;
        },
        [then](bool) { then(); });
}

void MainWindow::releaseAppFolder()
{
    appLock.reset();
    ui->actionApplyToAppProject->setEnabled(true);
    ui->actionUndoLastApply->setEnabled(true);
}

namespace {

// `path` as the user's system writes it, on a line of its own so that a message never breaks it.
QString pathLine(const QString& folder, const QString& relative = QString())
{
    return QStringLiteral("\n") +
           QDir::toNativeSeparators(relative.isEmpty() ? folder : QDir(folder).filePath(relative)) +
           QStringLiteral("\n");
}

// "add public/icon-192.png", a line for each change.
QString changeLines(const QList<Packages::AppChange>& changes)
{
    QStringList lines;
    for (const Packages::AppChange& change : changes)
        if (change.action != Packages::AppChange::Same)
            lines << Packages::actionName(change.action) + QLatin1Char(' ') + change.path;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

// The app's folder chosen for an apply or its undo, held by this run; empty (with a warning when
// another run holds it) when there is none.
QString MainWindow::chooseAppFolder(const QString& title)
{
    const QString folder = Dialogs::getExistingDirectory(this, title, rememberedFolder(Folders::appProject),
                                                         QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return folder;
    rememberFolder(Folders::appProject, folder);
    appLock = std::make_unique<Packages::AppLock>(folder);
    if (!appLock->isHeld()) {
        Dialogs::warning(this, title,
                         tr("The folder %1 was left as it is: %2.").arg(pathLine(folder), appLock->whyNot()));
        appLock.reset();
        return QString();
    }
    ui->actionApplyToAppProject->setEnabled(false);
    ui->actionUndoLastApply->setEnabled(false);
    return folder;
}

bool MainWindow::chooseBuild(const QString& title, Packages::Options* options)
{
    ProjectApp app = ProjectApp::load(projectFilePath);
    if (app.variants.isEmpty())
        return true;
    QStringList items{tr("The release icons")};
    int current = 0;
    for (const ProjectApp::Remembered& r : app.variants) {
        items << (r.badgeText.isEmpty()
                      ? tr("Build variant %1 (%2)").arg(r.variant, r.badgeStyle)
                      : tr("Build variant %1 (%2, \"%3\")").arg(r.variant, r.badgeStyle, r.badgeText));
        if (r.variant == app.variant)
            current = items.size() - 1;
    }
    const int chosen = Dialogs::getItem(this, title, tr("Which icons go into the app?"), items, current);
    if (chosen < 0)
        return false;
    const ProjectApp::Remembered build = chosen == 0 ? ProjectApp::Remembered() : app.variants[chosen - 1];
    app.variant = build.variant;
    app.badgeStyle = build.badgeStyle;
    app.badgeText = build.badgeText;
    app.save(projectFilePath);
    *options = packageChoices.rememberedFor(projectFilePath);
    if (devicePreview)
        devicePreview->showDesign(currentDesign(), *options);
    return true;
}

void MainWindow::on_actionApplyToAppProject_triggered()
{
    const QString title = tr("Apply to App Project");
    const QString folder = chooseAppFolder(title);
    if (folder.isEmpty())
        return;
    settlePicture();
    const IconDesign design = currentDesign();
    Packages::Options options = packageChoices.rememberedFor(projectFilePath);
    if (!chooseBuild(title, &options)) {
        releaseAppFolder();
        return;
    }
    auto plan = std::make_shared<Packages::AppPlan>();
    // The project's own findings as it stands, and as the apply would leave it.
    auto findings = std::make_shared<Findings>();
    const QString recovered = appLock->recoveredNote();
    runAside(
        [plan, findings, design, folder, options, recovered] {
            *plan = Packages::planAppUpdate(design, folder, options);
            if (!recovered.isEmpty())
                plan->notes.prepend(recovered);
            if (!plan->refused && !plan->found.isEmpty())
                *findings = {Packages::Check::checkApp(folder), Packages::Check::checkPlanned(*plan)};
        },
        [this, plan, findings, title, design, options] {
            askToApply(*plan, *findings, title, design, options);
        });
}

namespace {

using Findings = std::pair<QList<Packages::Check::Finding>, QList<Packages::Check::Finding>>;

// What the check finds in the app's project as it stands and as the apply would leave it, for the
// question; and the findings' lines, for its details.
QString checkedBefore(const Findings& findings)
{
    if (findings.first.isEmpty() && findings.second.isEmpty())
        return QString();
    return QStringLiteral("\n\n") +
           MainWindow::tr("The check finds in the project as it stands: %1; after the apply: %2.")
               .arg(Packages::Check::summary(findings.first), Packages::Check::summary(findings.second));
}

QString findingDetails(const Findings& findings)
{
    QString details;
    for (const auto& [title, list] :
         {std::pair{MainWindow::tr("The check, as the project stands:"), &findings.first},
          {MainWindow::tr("The check, after the apply:"), &findings.second}})
        if (!list->isEmpty())
            details += QStringLiteral("\n\n") + title + QStringLiteral("\n") +
                       Packages::Check::findingLines(*list).join(QLatin1Char('\n'));
    return details;
}

} // namespace

void MainWindow::askToApply(const Packages::AppPlan& plan, const Findings& findings, const QString& title,
                            const IconDesign& design, const Packages::Options& options)
{
    using Packages::AppChange;
    if (plan.refused || plan.found.isEmpty() || plan.count(AppChange::Same) == plan.changes.size()) {
        releaseAppFolder();
        if (plan.refused)
            Dialogs::warning(
                this, title,
                tr("The folder %1 was not searched: %2.").arg(pathLine(plan.folder), plan.refused.text()));
        else if (plan.found.isEmpty())
            Dialogs::warning(
                this, title,
                tr("No app project was found in %1").arg(pathLine(plan.folder)) + QStringLiteral("\n") +
                    (plan.hint.contains(QLatin1String("index.html"))
                         ? tr("It has a web page without a web app manifest: add one with an icon "
                              "list and apply puts the icons into it, or write the web package "
                              "with Platforms > Export Packages.")
                         : tr("Platforms > Export Packages writes the icons into a folder of their "
                              "own.")),
                tr("Looked for:") + QStringLiteral("\n") +
                    Packages::appProjectMarkers().join(QLatin1Char('\n')));
        else
            Dialogs::information(this, title,
                                 tr("Found:") + QStringLiteral("\n") + plan.found.join(QLatin1Char('\n')) +
                                     QStringLiteral("\n\n") + tr("Its icons are already up to date."));
        return;
    }
    // The question names what goes in: the icons, and the launch screens when Export Packages chose
    // them, which the user may leave out this time.
    const QList<AppChange> launch = plan.part(true);
    const bool withLaunch = std::any_of(launch.begin(), launch.end(),
                                        [](const AppChange& c) { return c.action != AppChange::Same; });
    const QString found = tr("Found:") + QStringLiteral("\n") + plan.found.join(QLatin1Char('\n')) +
                          QStringLiteral("\n\n") +
                          (options.variant.isSet() ? tr("The build variant %1: "
                                                        "its icons go where its build picks them up, "
                                                        "the release icons as they are.")
                                                             .arg(options.variant.name) +
                                                         QStringLiteral("\n\n")
                                                   : QString());
    const QString kept =
        tr("Every file replaced, edited or removed is kept in its .glyphwright-backup folder, "
           "and Platforms > Undo Last Apply puts them back.");
    const QString question =
        withLaunch
            ? found + tr("Put the icons and the launch screens into this project? The icons: %1; the launch "
                         "screens: %2 (the list is behind Show Details). Yes puts in both, No the icons "
                         "alone. %3")
                          .arg(Packages::changeCounts(plan.part(false)), Packages::changeCounts(launch), kept)
            : found + tr("Put the icons into this project? %1 (the list is behind Show Details). %2")
                          .arg(Packages::changeCounts(plan.changes), kept);
    const QMessageBox::StandardButton answer =
        Dialogs::question(this, title, question + checkedBefore(findings),
                          withLaunch ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                     : QMessageBox::Yes | QMessageBox::No,
                          changeLines(plan.changes) + findingDetails(findings));
    if (answer == QMessageBox::No && withLaunch) {
        // The icons alone: planned again without the launch screens, and put in.
        Packages::Options icons = options;
        icons.launch = false;
        auto iconsOnly = std::make_shared<Packages::AppPlan>();
        const QString folder = plan.folder;
        runAside([iconsOnly, design, folder,
                  icons] { *iconsOnly = Packages::planAppUpdate(design, folder, icons); },
                 [this, iconsOnly, title] { makeAppChanges(*iconsOnly, title); });
        return;
    }
    if (answer != QMessageBox::Yes) {
        releaseAppFolder();
        return;
    }
    makeAppChanges(plan, title);
}

void MainWindow::makeAppChanges(const Packages::AppPlan& plan, const QString& title)
{
    const QString backup = Packages::backupFolder(plan.folder, QDateTime::currentDateTime());
    auto outcome = std::make_shared<Files::Outcome>();
    runAside(
        [plan, backup, outcome] { *outcome = Packages::applyAppPlan(plan, backup); },
        [this, plan, backup, outcome, title] {
            releaseAppFolder();
            if (!outcome->failed.isEmpty()) {
                // What is told is what was done: nothing, or what could not be put back.
                Dialogs::warning(
                    this, title,
                    outcome->written.isEmpty()
                        ? tr("%n change(s) could not be made, so nothing in %1 was changed.", nullptr,
                             outcome->failed.size())
                              .arg(pathLine(plan.folder))
                        : tr("The changes could not all be made, and %n file(s) could not be put back as "
                             "they were; the old files are kept in %1",
                             nullptr, outcome->written.size())
                              .arg(pathLine(plan.folder, backup)),
                    Files::failureLines(outcome->failed));
                return;
            }
            const QList<Packages::AppChange> launch = plan.part(true);
            const bool withLaunch =
                std::any_of(launch.begin(), launch.end(), [](const Packages::AppChange& c) {
                    return c.action != Packages::AppChange::Same;
                });
            QString done =
                (withLaunch ? tr("The icons and the launch screens are in place: %1. What was "
                                 "there before is kept in %2")
                            : tr("The icons are in place: %1. What was there before is kept in %2"))
                    .arg(Packages::changeCounts(plan.changes), pathLine(plan.folder, backup));
            if (!plan.notes.isEmpty())
                done += QStringLiteral("\n") + plan.notes.join(QLatin1Char('\n'));
            if (plan.skipped.isEmpty()) {
                Dialogs::information(this, title, done);
                return;
            }
            // A part left alone (behind a link out of the folder) is not in place: said as a warning.
            Dialogs::warning(this, title,
                             done + QStringLiteral("\n\n") +
                                 tr("%n part(s) were left as they are (the list is behind Show Details).",
                                    nullptr, plan.skipped.size()),
                             plan.skipped.join(QLatin1Char('\n')));
        });
}

void MainWindow::on_actionUndoLastApply_triggered()
{
    using Packages::AppChange;
    const QString title = tr("Undo Last Apply");
    const QString folder = chooseAppFolder(title);
    if (folder.isEmpty())
        return;
    // The last apply was stopped half way, and taking the lock undid it: that was the undo asked for.
    if (!appLock->recoveredNote().isEmpty()) {
        Dialogs::information(this, title, appLock->recoveredNote());
        releaseAppFolder();
        return;
    }
    const Packages::AppUndo undo = Packages::planAppUndo(folder);
    if (undo.refused || !undo.conflicts.isEmpty()) {
        releaseAppFolder();
        if (undo.refused)
            Dialogs::warning(this, title,
                             tr("Nothing to undo in %1: %2.").arg(pathLine(folder), undo.refused.text()));
        else
            Dialogs::warning(
                this, title,
                tr("%n file(s) were changed after the apply, so nothing was put back (the list is "
                   "behind Show Details).",
                   nullptr, undo.conflicts.size()),
                undo.conflicts.join(QLatin1Char('\n')));
        ui->actionApplyToAppProject->setEnabled(true);
        ui->actionUndoLastApply->setEnabled(true);
        return;
    }
    const QString question =
        tr("Put the app's folder back as it was before the apply kept in %1? %2 (the list is behind Show "
           "Details).")
            .arg(pathLine(folder, undo.backup), Packages::changeCounts(undo.changes, true));
    if (Dialogs::question(this, title, question, QMessageBox::Yes | QMessageBox::No,
                          changeLines(undo.changes)) != QMessageBox::Yes) {
        releaseAppFolder();
        return;
    }
    auto outcome = std::make_shared<Files::Outcome>();
    runAside([undo, outcome] { *outcome = Packages::undoApp(undo); },
             [this, outcome, folder, title] {
                 releaseAppFolder();
                 if (outcome->failed.isEmpty())
                     Dialogs::information(
                         this, title,
                         tr("The folder %1 is as it was before the apply.").arg(pathLine(folder)));
                 else if (outcome->written.isEmpty())
                     Dialogs::warning(
                         this, title,
                         tr("Nothing was put back: %n file(s) could not be; the backup is kept, to undo "
                            "again.",
                            nullptr, outcome->failed.size()),
                         Files::failureLines(outcome->failed));
                 else
                     Dialogs::warning(
                         this, title,
                         tr("%n file(s) were put back, but not all: the backup is kept, to undo again.",
                            nullptr, outcome->written.size()),
                         Files::failureLines(outcome->failed));
             });
}
