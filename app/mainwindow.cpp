#include "app/mainwindow.h"

#include "ui/dialogs.h"
#include "ui/settings.h"
#include "export/imageformats.h"
#include "render/artwork.h"
#include "ui/aboutdialog.h"
#include "ui/mainwindowform.h"
#include "ui/swatch.h"

#include <QApplication>
#include <QUrl>
#include <QMimeData>
#include <QDropEvent>
#include <QDragEnterEvent>
#include <QTranslator>
#include <QCloseEvent>
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
    // (Work on an app's folder is finished, never cut off: each job waits for its work as it goes.)
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
    choosePicture(path, true);
}
