#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "app/folders.h"
#include "export/imageformats.h"
#include "packages/apply/appproject.h"
#include "render/artwork.h"
#include "ui/aboutdialog.h"
#include "ui/devicepreview.h"
#include "ui/packagesdialog.h"
#include "ui/mainwindowform.h"
#include "ui/swatch.h"

#include <QApplication>
#include <QScreen>
#include <QUrl>
#include <QMimeData>
#include <QDropEvent>
#include <QDragEnterEvent>
#include <QTranslator>
#include <QCloseEvent>
#include <QDateTime>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent>
#include <QDir>
#include <QStandardPaths>
#include <QStyleFactory>

#include <algorithm>

namespace {

// The layout's fixed widths hold captions set in a font of the classic desktop sans metrics at
// 11 pixels: Liberation Sans, which the package depends on, gives exactly those ("Corner
// Curvature" takes 85 of its 88 pixels, "Offset X" 39 of 40). The size is in pixels, not
// points, so a desktop's font scaling cannot push captions past those widths; high-density
// screens scale the whole window instead. Without Liberation Sans the desktop's own sans at 10
// pixels still fits.
QFont applicationFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    if (QFontInfo(font).family() == font.family())
        return font;
    QFont fallback;
    fallback.setPixelSize(10);
    return fallback;
}

} // namespace

// The English forms of the messages whose words follow a number ("1 file", "2 files"), once for
// the application. (At file scope: the resource's initialiser is declared where it is called.)
static void installTranslations()
{
    static const bool installed = [] {
        Q_INIT_RESOURCE(translations);
        auto* translator = new QTranslator(QCoreApplication::instance());
        return translator->load(QStringLiteral(":/translations/glyphwright_en.qm")) &&
               QCoreApplication::installTranslator(translator);
    }();
    Q_UNUSED(installed);
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new MainWindowForm)
{
    installTranslations();
    ui->setupUi(this);

    QCoreApplication::setOrganizationName(QStringLiteral("Mossgate Software"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("mossgate.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Glyphwright"));
    packageChoices = PackageChoices::load();
    applyApplicationLook();
    ui->fitPictureStrips();

    // The combo handlers listen to activated(), which only the user emits, so filling the boxes
    // here reaches no handler.
    ui->comboGraphicsCategory->clear();
    for (const Artwork::Category& category : Artwork::categories)
        ui->comboGraphicsCategory->addItem(tr(category.entry));
    ui->comboIconFormat->clear();
    ui->comboGraphicsFormat->clear();
    for (int i = 0; i < Export::iconFormatCount; ++i) {
        ui->comboIconFormat->addItem(QLatin1String(Export::imageFormats[i].name));
        if (i < Export::graphicFormatCount)
            ui->comboGraphicsFormat->addItem(QLatin1String(Export::imageFormats[i].name));
    }
    findSavedControls();
    // The project keeps the font box's row, so a typed family must be one of its rows: a name
    // that matches one (in any case) chooses it on Return, anything else is put back to the
    // chosen family when the box is left.
    QComboBox* fontBox = ui->comboTextFontType;
    fontBox->setInsertPolicy(QComboBox::NoInsert);
    connect(fontBox->lineEdit(), &QLineEdit::editingFinished, this, [fontBox] {
        if (fontBox->currentText() != fontBox->itemText(fontBox->currentIndex()))
            fontBox->setEditText(fontBox->itemText(fontBox->currentIndex()));
    });
    for (QListWidget* list : {ui->listImageFlat, ui->listImageColored, ui->listGraphics})
        list->installEventFilter(this);
    setAcceptDrops(true);

    resetDesign();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::applyApplicationLook()
{
    // Fusion, with colour swatches that show their colour exactly.
    QApplication::setStyle(new SwatchStyle(QStyleFactory::create(QStringLiteral("fusion"))));

    const QColor lightGrey(230, 230, 230);
    const QColor skyBlue(135, 206, 250);
    QPalette palette;
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        {QPalette::Window, lightGrey},
        {QPalette::WindowText, Qt::black},
        {QPalette::Base, Qt::white},
        {QPalette::AlternateBase, Qt::yellow},
        {QPalette::ToolTipBase, Qt::black},
        {QPalette::ToolTipText, Qt::black},
        {QPalette::Text, Qt::black},
        {QPalette::Button, lightGrey},
        {QPalette::ButtonText, Qt::black},
        {QPalette::BrightText, Qt::magenta},
        {QPalette::Light, lightGrey},
        {QPalette::Midlight, Qt::red},
        {QPalette::Dark, Qt::gray},
        {QPalette::Mid, Qt::red},
        {QPalette::Shadow, Qt::red},
        {QPalette::Highlight, skyBlue},
        {QPalette::HighlightedText, Qt::black},
        {QPalette::Link, QColor(0, 0, 255)},
        {QPalette::LinkVisited, skyBlue},
    };
    for (const auto& role : roles)
        palette.setColor(QPalette::All, role.first, role.second);

    const QString sheet =
        QStringLiteral("QToolTip { color: #FFFFFF; background-color: #26A3E2; border: 1px solid white; }"
                       "QLineEdit:!enabled { background-color: #424242; }"
                       "QPushButton:!enabled { background-color: #505050; color: #999999; }"
                       "QSpinBox:!enabled { background-color: #424242; }"
                       "QMenu { background-color: #D3D3D3; }"
                       "QMenu::item:!enabled { color: #999999; }"
                       "QMenu::item:selected { color: #000000; background-color: #87CEFA; }"
                       "QMenu::item:selected:!enabled { color: #000000; }"
                       "QMenu::separator { }");

    QApplication::setPalette(palette);
    QApplication::setFont(applicationFont());
    qApp->setStyleSheet(sheet);
}

QString MainWindow::defaultProjectFolder()
{
    const QString path =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Glyphwright");
    if (!QDir().exists(path))
        QDir().mkpath(path);
    return path;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (confirmDiscardChanges())
        event->accept();
    else
        event->ignore();
}

void MainWindow::on_actionExit_triggered()
{
    close();
}

void MainWindow::on_actionAboutUs_triggered()
{
    AboutDialog dialog;
    Dialogs::showModal(dialog);
}

void MainWindow::on_actionExportPackages_triggered()
{
    PackagesDialog dialog(currentDesign(), projectFilePath, this, packageChoices);
    // The Device Preview follows each choice as it is made.
    connect(&dialog, &PackagesDialog::choicesChanged, this, [this](const PackageChoices& chosen) {
        packageChoices = chosen;
        if (devicePreview)
            devicePreview->showDesign(currentDesign(), packageChoices.optionsFor(projectFilePath));
    });
    Dialogs::showModal(dialog);
    // The device preview follows the options the dialog remembers.
    packageChoices = dialog.remembered();
    if (devicePreview)
        devicePreview->showDesign(currentDesign(), packageChoices.optionsFor(projectFilePath));
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
    devicePreview->showDesign(currentDesign(), packageChoices.optionsFor(projectFilePath));
}

namespace {

// `work`'s result, made on the toolkit's pool while the window keeps painting (and takes no
// input): reading an app's project and making its icons takes a moment.
template <class T> T madeAside(const std::function<T()>& work)
{
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(work));
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return watcher.result();
}

} // namespace

void MainWindow::on_actionApplyToAppProject_triggered()
{
    using Packages::AppChange;
    const QString title = tr("Apply to App Project");
    const QString folder = Dialogs::getExistingDirectory(this, title, rememberedFolder(Folders::appProject),
                                                         QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    rememberFolder(Folders::appProject, folder);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const IconDesign design = currentDesign();
    const Packages::Options options = packageChoices.optionsFor(projectFilePath);
    const Packages::AppPlan plan = madeAside<Packages::AppPlan>(
        [design, folder, options] { return Packages::planAppUpdate(design, folder, options); });
    QApplication::restoreOverrideCursor();
    if (!plan.refused.isEmpty()) {
        Dialogs::warning(
            this, title,
            tr("The folder %1 was not searched: %2.").arg(QDir::toNativeSeparators(folder), plan.refused));
        return;
    }
    if (plan.found.isEmpty()) {
        Dialogs::warning(
            this, title, tr("No app project was found in %1.").arg(QDir::toNativeSeparators(folder)),
            tr("Looked for:") + QStringLiteral("\n") + Packages::appProjectMarkers().join(QLatin1Char('\n')));
        return;
    }
    const QString summary = tr("%1 added, %2 replaced, %3 edited, %4 removed")
                                .arg(plan.count(AppChange::Add))
                                .arg(plan.count(AppChange::Replace))
                                .arg(plan.count(AppChange::Edit))
                                .arg(plan.count(AppChange::Remove));
    const QString found = tr("Found:") + QStringLiteral("\n") + plan.found.join(QLatin1Char('\n'));
    if (plan.count(AppChange::Same) == plan.changes.size()) {
        Dialogs::information(this, title,
                             found + QStringLiteral("\n\n") + tr("Its icons are already up to date."));
        return;
    }
    QStringList lines;
    const char* const words[] = {"add", "replace", "edit", "remove"};
    for (const AppChange& change : plan.changes)
        if (change.action != AppChange::Same)
            lines << QLatin1String(words[change.action]) + QLatin1Char(' ') + change.path;
    const QString question =
        found + QStringLiteral("\n\n") +
        tr("Put the icons into this project? %1 (the list is behind Show Details). Every file replaced, "
           "edited or removed is kept in its .glyphwright-backup folder.")
            .arg(summary);
    if (Dialogs::question(this, title, question, QMessageBox::Yes | QMessageBox::No,
                          lines.join(QLatin1Char('\n'))) != QMessageBox::Yes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString backup = Packages::backupFolder(plan.folder, QDateTime::currentDateTime());
    const Files::Outcome outcome =
        madeAside<Files::Outcome>([&plan, &backup] { return Packages::applyAppPlan(plan, backup); });
    QApplication::restoreOverrideCursor();
    if (!outcome.failed.isEmpty()) {
        QStringList failures;
        for (const Files::Failure& f : outcome.failed)
            failures << f.path + QStringLiteral(": ") + f.reason;
        Dialogs::warning(this, title,
                         tr("%1 of the changes could not be made; the others were, and the files they "
                            "replaced are in %2.")
                             .arg(outcome.failed.size())
                             .arg(QDir::toNativeSeparators(QDir(plan.folder).filePath(backup))),
                         failures.join(QLatin1Char('\n')));
        return;
    }
    QString done = tr("The icons are in place: %1.").arg(summary);
    if (plan.count(AppChange::Replace) + plan.count(AppChange::Edit) + plan.count(AppChange::Remove) > 0)
        done +=
            QLatin1Char(' ') +
            tr("The old files are in %1.").arg(QDir::toNativeSeparators(QDir(plan.folder).filePath(backup)));
    if (!plan.notes.isEmpty())
        done += QStringLiteral("\n\n") + plan.notes.join(QLatin1Char('\n'));
    Dialogs::information(this, title, done);
}

namespace {

// The one local file a drag carries, or an empty string.
QString droppedFile(const QMimeData* mime)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    if (path.endsWith(QLatin1String(".ipr"), Qt::CaseInsensitive)) {
        if (confirmDiscardChanges())
            loadProject(path);
        return;
    }
    useCustomPicture(path);
}
