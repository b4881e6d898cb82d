#include "ui/packagesdialog.h"

#include "packages/android.h"

#include "ui/dialogs.h"
#include "ui/settings.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "ui/swatch.h"
#include "ui/wrappedlabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QtConcurrent>
#include <QFileInfo>

#include <functional>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QPushButton* swatchButton(QWidget* parent, const QString& name, const QColor& colour)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedWidth(80);
    markSwatch(button);
    button->setStyleSheet(swatchStyleSheet(colour));
    return button;
}

} // namespace

class ColourChoice : public QWidget
{
  public:
    ColourChoice(QWidget* parent, const QString& name, const QColor& colour, const QColor& shown)
        : QWidget(parent), chosen(colour.isValid() ? colour : shown), automaticColour(shown)
    {
        setObjectName(name);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        automatic = new QCheckBox(tr("Automatic"), this);
        automatic->setObjectName(name + QStringLiteral("Automatic"));
        automatic->setChecked(!colour.isValid());
        button = swatchButton(this, name + QStringLiteral("Button"), chosen);
        button->setEnabled(colour.isValid());
        row->addWidget(automatic);
        row->addWidget(button);
        row->addStretch();
        connect(automatic, &QCheckBox::toggled, button, [this](bool on) {
            button->setEnabled(!on);
            if (changed)
                changed();
        });
        connect(button, &QPushButton::clicked, this, [this] {
            const QColor picked = Dialogs::getColor(chosen, this, QString());
            if (!picked.isValid())
                return;
            chosen = picked;
            button->setStyleSheet(swatchStyleSheet(chosen));
            if (changed)
                changed();
        });
    }
    // Invalid for "Automatic".
    QColor colour() const { return automatic->isChecked() ? QColor() : chosen; }
    // The colour the swatch shows: the chosen one, or what "Automatic" gives.
    QColor shown() const { return automatic->isChecked() ? automaticColour : chosen; }
    // What "Automatic" gives, shown while it is ticked.
    void setAutomaticColour(const QColor& colour)
    {
        automaticColour = colour;
        if (automatic->isChecked())
            button->setStyleSheet(swatchStyleSheet(colour));
    }
    // Called when the choice changes.
    std::function<void()> changed;

  private:
    QColor chosen, automaticColour;
    QCheckBox* automatic;
    QPushButton* button;
};

PackagesDialog::PackagesDialog(const IconDesign& design, const QString& projectFile, QWidget* parent,
                               const PackageChoices& remembered)
    : QDialog(parent), design(design), projectFile(projectFile), kept(remembered), ticker(new QTimer(this))
{
    setObjectName(QStringLiteral("PackagesDialog"));
    setWindowTitle(tr("Export Packages"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    // The choices scroll where the screen is too short for them all (a small screen at twice the
    // density); the outcome and the buttons stay in view.
    optionsScroll = new QScrollArea(this);
    optionsScroll->setObjectName(QStringLiteral("scrollOptions"));
    optionsScroll->setFrameShape(QFrame::NoFrame);
    optionsScroll->setWidgetResizable(true);
    optionsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    optionsPanel = new QWidget(optionsScroll);
    auto* panel = new QVBoxLayout(optionsPanel);
    panel->setContentsMargins(0, 0, 0, 0);
    optionsScroll->setWidget(optionsPanel);
    layout->addWidget(optionsScroll, 1);
    panel->addWidget(targetsBox(remembered));
    panel->addWidget(optionsBox(remembered));
    panel->addLayout(folderRow());
    // The check stays in view beside the outcome, whatever the choices' scroll.
    layout->addWidget(checkBox());
    addOutcome(layout);
    layout->addLayout(buttonRow());
    connect(ticker, &QTimer::timeout, this, &PackagesDialog::showProgress);
    connect(&worker, &QFutureWatcher<Files::Outcome>::finished, this, &PackagesDialog::finished);
    // Every choice is kept the moment it changes (the Device Preview follows it).
    for (QCheckBox* box : optionsPanel->findChildren<QCheckBox*>())
        connect(box, &QCheckBox::toggled, this, &PackagesDialog::remember);
    connect(androidVectorBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &PackagesDialog::remember);
    for (ColourChoice* choice : {themeChoice, splashChoice, darkChoice, tintedChoice, splashDarkChoice})
        choice->changed = [this] { remember(); };
    themeChoice->changed = [this] {
        splashChoice->setAutomaticColour(themeChoice->shown());
        remember();
    };
    // Readable while a run has the fields disabled: light text on the disabled fields' dark grey.
    setStyleSheet(QStringLiteral("QLineEdit:!enabled, QSpinBox:!enabled { color: #E8E8E8; }"));
    connect(basePathEdit, &QLineEdit::editingFinished, this, &PackagesDialog::remember);
    // The Linux icon name follows a typed app name while the project has no file name of its own.
    connect(nameEdit, &QLineEdit::textChanged, this, [this](const QString& name) {
        appIdEdit->setPlaceholderText(kept.optionsFor(this->projectFile, name).appId);
    });
    // The project's app as last typed, and the folder it last went to (or the last export's), so
    // that exporting again is one action.
    const ProjectApp app = ProjectApp::load(projectFile);
    nameEdit->setText(app.name);
    appIdEdit->setText(app.appId);
    for (const ProjectApp::Remembered& r : app.variants)
        variantBox->addItem(r.variant);
    variantEdit->setText(app.variant);
    if (badgeStyleBox->findText(app.badgeStyle) >= 0)
        badgeStyleBox->setCurrentText(app.badgeStyle);
    badgeTextEdit->setText(app.badgeText);
    // A remembered variant chosen again comes with its badge as it was.
    connect(variantBox, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        for (const ProjectApp::Remembered& r : ProjectApp::load(this->projectFile).variants)
            if (r.variant == variantBox->itemText(index)) {
                const QSignalBlocker quiet(badgeStyleBox);
                if (badgeStyleBox->findText(r.badgeStyle) >= 0)
                    badgeStyleBox->setCurrentText(r.badgeStyle);
                badgeTextEdit->setText(r.badgeText);
            }
        rememberApp();
    });
    for (const QString& last : {app.folder, storedFolder(Folders::packages)})
        if (!last.isEmpty() && QFileInfo(last).isDir()) {
            folder = last;
            folderEdit->setText(QDir::toNativeSeparators(folder));
            break;
        }
    for (QLineEdit* edit : {nameEdit, appIdEdit, variantEdit, badgeTextEdit})
        connect(edit, &QLineEdit::editingFinished, this, &PackagesDialog::rememberApp);
    connect(badgeStyleBox, &QComboBox::currentTextChanged, this, &PackagesDialog::rememberApp);
    check();
}

void PackagesDialog::showEvent(QShowEvent* event)
{
    // Sized before the dialog places itself over the window.
    fitToScreen();
    QDialog::showEvent(event);
}

void PackagesDialog::fitToScreen()
{
    // All the choices in view where the screen has room for them beside what shows below them
    // (the progress, the outcome, the buttons), a window frame allowed for.
    layout()->invalidate(); // what shows below may have just appeared
    const QSize whole = optionsPanel->minimumSizeHint();
    const QScreen* here = screen();
    const int rest = layout()->sizeHint().height() -
                     std::max(optionsScroll->sizeHint().height(), optionsScroll->minimumHeight());
    const int room = here ? here->availableGeometry().height() - rest - 48 : whole.height();
    optionsScroll->setMinimumWidth(whole.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    optionsScroll->setMinimumHeight(std::max(120, std::min(whole.height(), room)));
    layout()->activate();
    // Grown by what appeared below: kept on the screen, the choices' scroll giving up what it must.
    if (here && isVisible()) {
        const QRect free = here->availableGeometry();
        const int frame = frameGeometry().height() - height();
        if (frameGeometry().height() > free.height())
            resize(width(), std::max(minimumSizeHint().height(), free.height() - frame));
        if (frameGeometry().bottom() > free.bottom())
            move(x(), std::max(free.top(), free.bottom() - frameGeometry().height() + 1));
    }
}

ProjectApp PackagesDialog::typedApp() const
{
    return {
        nameEdit->text(),     appIdEdit->text(), folder, variantEdit->text(), badgeStyleBox->currentText(),
        badgeTextEdit->text()};
}

void PackagesDialog::rememberApp()
{
    const ProjectApp before = ProjectApp::load(projectFile);
    ProjectApp now = typedApp();
    now.variants = before.variants;
    now.save(projectFile);
    // A variant chosen anew: the check and the Device Preview follow it.
    if (before.variant != now.variant || before.badgeStyle != now.badgeStyle ||
        before.badgeText != now.badgeText) {
        emit choicesChanged(kept);
        check();
    }
}

void PackagesDialog::remember()
{
    const PackageChoices chosen = choices();
    if (chosen == kept)
        return;
    chosen.save();
    kept = chosen;
    emit choicesChanged(kept);
    check();
}

QGroupBox* PackagesDialog::checkBox()
{
    auto* box = new QGroupBox(tr("Check"), this);
    auto* column = new QVBoxLayout(box);
    checkLabel = new WrappedLabel(QString(), box);
    checkLabel->setObjectName(QStringLiteral("labelCheck"));
    column->addWidget(checkLabel);
    findingsText = new QPlainTextEdit(box);
    findingsText->setObjectName(QStringLiteral("textFindings"));
    findingsText->setReadOnly(true);
    // Two or three findings in view, more scrolled.
    findingsText->setFixedHeight(findingsText->fontMetrics().lineSpacing() * 6);
    findingsText->hide();
    column->addWidget(findingsText);
    return box;
}

void PackagesDialog::check()
{
    const PackageChoices chosen = choices();
    if (chosen.targets.isEmpty()) {
        checking.drop();
        showFindings({});
        checkLabel->setText(tr("Tick a platform to check the design for it."));
        return;
    }
    const IconDesign snapshot = design;
    PackageChoices chosenWithVariant = chosen;
    chosenWithVariant.options.variant = typedApp().buildVariant();
    checking.start(
        [snapshot, chosenWithVariant] {
            return Packages::Check::checkDesign(snapshot, chosenWithVariant.targets,
                                                chosenWithVariant.options);
        },
        [this](const QList<Packages::Check::Finding>& findings) { showFindings(findings); });
}

void PackagesDialog::showFindings(const QList<Packages::Check::Finding>& findings)
{
    using Packages::Check::Severity;
    findingsText->setPlainText(Packages::Check::findingLines(findings).join(QLatin1Char('\n')));
    if (findingsText->isHidden() != findings.isEmpty()) {
        findingsText->setVisible(!findings.isEmpty());
        if (isVisible())
            fitToScreen();
    }
    const int errors = Packages::Check::count(findings, Severity::Error),
              warnings = Packages::Check::count(findings, Severity::Warning);
    checkLabel->setText(findings.isEmpty() ? tr("The check of the ticked platforms finds nothing to tell.")
                                           : tr("The check of the ticked platforms: %1, %2.")
                                                 .arg(tr("%n error(s)", nullptr, errors))
                                                 .arg(tr("%n warning(s)", nullptr, warnings)));
}

QGroupBox* PackagesDialog::targetsBox(const PackageChoices& remembered)
{
    // One box a target, from the target table, with what its folder holds.
    auto* targets = new QGroupBox(tr("Platforms"), optionsPanel);
    auto* targetGrid = new QGridLayout(targets);
    for (const Packages::Target& target : Packages::targets()) {
        auto* box = new QCheckBox(QLatin1String(target.title), targets);
        box->setObjectName(QStringLiteral("checkTarget_") + QLatin1String(target.name));
        box->setChecked(remembered.targets.contains(QLatin1String(target.name)));
        auto* summary = new WrappedLabel(QString(), targets);
        summary->setMinimumWidth(460);
        summary->setText(QLatin1String(target.summary));
        const int row = targetGrid->rowCount();
        targetGrid->addWidget(box, row, 0, Qt::AlignTop);
        targetGrid->addWidget(summary, row, 1);
        targetBoxes << box;
    }
    return targets;
}

QGroupBox* PackagesDialog::optionsBox(const PackageChoices& remembered)
{
    auto* options = new QGroupBox(tr("Options"), optionsPanel);
    auto* form = new QFormLayout(options);
    plate = remembered.options.background;
    plateButton = swatchButton(options, QStringLiteral("buttonPlateColor"), plate);
    // A transparent design whose glyph nearly matches the plate would vanish from the store icons.
    auto* plateNote = new WrappedLabel(QString(), options);
    plateNote->setObjectName(QStringLiteral("labelPlateWarning"));
    plateNote->setStyleSheet(QStringLiteral("color: #b02020"));
    const QImage foreground =
        Packages::transparentBackground(design) ? Packages::foregroundLayer(design) : QImage();
    auto warnAboutPlate = [this, plateNote, foreground] {
        const QString warning = Packages::plateWarning(this->design, foreground, plate);
        plateNote->setText(warning);
        plateNote->setVisible(!warning.isEmpty());
    };
    connect(plateButton, &QPushButton::clicked, this, [this, warnAboutPlate] {
        const QColor picked = Dialogs::getColor(plate, this, QString());
        if (picked.isValid()) {
            plate = picked;
            plateButton->setStyleSheet(swatchStyleSheet(plate));
            warnAboutPlate();
            remember();
        }
    });
    form->addRow(tr("Plate for a transparent design"), plateButton);
    form->addRow(QString(), plateNote);
    warnAboutPlate();
    nameEdit = new QLineEdit(options);
    nameEdit->setObjectName(QStringLiteral("editAppName"));
    nameEdit->setPlaceholderText(Packages::defaultName(projectFile));
    form->addRow(tr("App name (web)"), nameEdit);
    appIdEdit = new QLineEdit(options);
    appIdEdit->setObjectName(QStringLiteral("editAppId"));
    appIdEdit->setPlaceholderText(Packages::defaultAppId(projectFile));
    appIdEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9_-][A-Za-z0-9._-]{0,249}")), appIdEdit));
    form->addRow(tr("App id (Linux icon name)"), appIdEdit);
    // A build variant (debug, beta, a flavour): badged in every look, remembered for the project.
    auto* variantRow = new QWidget(options);
    auto* variantLayout = new QHBoxLayout(variantRow);
    variantLayout->setContentsMargins(0, 0, 0, 0);
    variantBox = new QComboBox(variantRow);
    variantBox->setObjectName(QStringLiteral("comboVariant"));
    variantBox->setEditable(true);
    variantBox->setInsertPolicy(QComboBox::NoInsert);
    variantEdit = variantBox->lineEdit();
    variantEdit->setObjectName(QStringLiteral("editVariant"));
    variantEdit->setPlaceholderText(tr("none: the release icons"));
    variantEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z][A-Za-z0-9_]{0,39}")), variantEdit));
    badgeStyleBox = new QComboBox(variantRow);
    badgeStyleBox->setObjectName(QStringLiteral("comboBadgeStyle"));
    badgeStyleBox->addItems(Packages::badgeStyleNames());
    badgeTextEdit = new QLineEdit(variantRow);
    badgeTextEdit->setObjectName(QStringLiteral("editBadgeText"));
    badgeTextEdit->setPlaceholderText(tr("badge: the variant's name"));
    variantLayout->addWidget(variantBox, 1);
    variantLayout->addWidget(badgeStyleBox);
    variantLayout->addWidget(badgeTextEdit, 1);
    form->addRow(tr("Build variant"), variantRow);
    themeChoice =
        new ColourChoice(options, QStringLiteral("themeColor"), remembered.options.themeColor,
                         design.useBackgroundGradient ? design.gradientStartColor : design.backgroundColor);
    form->addRow(tr("Web theme colour"), themeChoice);
    // Automatic, the splash colour is the theme colour (as the manifest gets it): shown so.
    splashChoice = new ColourChoice(options, QStringLiteral("splashColor"), remembered.options.splashColor,
                                    themeChoice->shown());
    form->addRow(tr("Web splash colour"), splashChoice);
    basePathEdit = new QLineEdit(remembered.options.basePath, options);
    basePathEdit->setObjectName(QStringLiteral("editBasePath"));
    basePathEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("/[A-Za-z0-9._~%!$()*+,;=:@/-]*")), basePathEdit));
    form->addRow(tr("Web site path"), basePathEdit);
    darkChoice =
        new ColourChoice(options, QStringLiteral("iosDarkColor"), remembered.options.iosDarkColor, Qt::white);
    form->addRow(tr("iOS dark glyph"), darkChoice);
    tintedChoice = new ColourChoice(options, QStringLiteral("iosTintedColor"),
                                    remembered.options.iosTintedColor, Qt::white);
    form->addRow(tr("iOS tinted glyph"), tintedChoice);
    keepCorners = new QCheckBox(tr("Keep the design's corners on macOS"), options);
    keepCorners->setObjectName(QStringLiteral("checkKeepCorners"));
    keepCorners->setChecked(remembered.options.macosKeepCorners);
    form->addRow(QString(), keepCorners);
    smallWithoutText = new QCheckBox(tr("Leave the text out of icons of 48 pixels and less"), options);
    smallWithoutText->setObjectName(QStringLiteral("checkSmallWithoutText"));
    smallWithoutText->setChecked(remembered.options.smallWithoutText);
    form->addRow(QString(), smallWithoutText);
    // Android's adaptive layers as vectors where the design is paths (an SVG picture, the text).
    androidVectorBox = new QComboBox(options);
    androidVectorBox->setObjectName(QStringLiteral("comboAndroidVector"));
    androidVectorBox->addItems(
        {tr("Vectors where the design is paths"), tr("Vectors always"), tr("PNG at every density")});
    androidVectorBox->setCurrentIndex(int(remembered.options.androidVector));
    form->addRow(tr("Android adaptive layers"), androidVectorBox);
    // What keeps an SVG picture's layers in pixels, named (its element and line).
    auto* vectorNote = new WrappedLabel(QString(), options);
    vectorNote->setObjectName(QStringLiteral("labelAndroidVector"));
    const Problem why = Packages::androidVectorProblem(design, remembered.options);
    vectorNote->setText(design.useImageCustom && !design.customVector.isEmpty() && why
                            ? tr("The SVG stays in pixels: %1.").arg(why.text())
                            : QString());
    vectorNote->setVisible(!vectorNote->text().isEmpty());
    form->addRow(QString(), vectorNote);
    launchBox = new QCheckBox(tr("Launch screens for Android, iOS and the web, light and dark"), options);
    launchBox->setObjectName(QStringLiteral("checkLaunch"));
    launchBox->setChecked(remembered.options.launch);
    form->addRow(QString(), launchBox);
    launchTextBox = new QCheckBox(tr("The design's text on the launch screens"), options);
    launchTextBox->setObjectName(QStringLiteral("checkLaunchText"));
    launchTextBox->setChecked(remembered.options.launchText);
    launchTextBox->setEnabled(launchBox->isChecked());
    connect(launchBox, &QCheckBox::toggled, launchTextBox, &QWidget::setEnabled);
    form->addRow(QString(), launchTextBox);
    splashDarkChoice = new ColourChoice(options, QStringLiteral("splashDarkColor"),
                                        remembered.options.splashDarkColor, Packages::darkLaunch);
    splashDarkChoice->setEnabled(launchBox->isChecked());
    connect(launchBox, &QCheckBox::toggled, splashDarkChoice, &QWidget::setEnabled);
    form->addRow(tr("Dark launch screens' colour"), splashDarkChoice);
    return options;
}

QHBoxLayout* PackagesDialog::folderRow()
{
    auto* row = new QHBoxLayout();
    // Chosen, typed or pasted.
    folderEdit = new QLineEdit(optionsPanel);
    folderEdit->setObjectName(QStringLiteral("editFolder"));
    folderEdit->setPlaceholderText(tr("Choose or type the folder to write into"));
    connect(folderEdit, &QLineEdit::textEdited, this, [this](const QString& typed) {
        QString path = QDir::fromNativeSeparators(typed.trimmed());
        if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
            path = QDir::homePath() + path.mid(1);
        folder = path.isEmpty() ? QString() : QDir::cleanPath(path);
    });
    auto* chooseButton = new QPushButton(tr("Choose..."), optionsPanel);
    chooseButton->setObjectName(QStringLiteral("buttonChooseFolder"));
    connect(chooseButton, &QPushButton::clicked, this, &PackagesDialog::chooseFolder);
    row->addWidget(new QLabel(tr("Folder"), optionsPanel));
    row->addWidget(folderEdit, 1);
    row->addWidget(chooseButton);
    return row;
}

void PackagesDialog::addOutcome(QVBoxLayout* layout)
{
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressExport"));
    progressBar->hide();
    layout->addWidget(progressBar);
    outcomeLabel = new WrappedLabel(QString(), this);
    outcomeLabel->setObjectName(QStringLiteral("labelOutcome"));
    layout->addWidget(outcomeLabel);
    failuresText = new QPlainTextEdit(this);
    failuresText->setObjectName(QStringLiteral("textFailures"));
    failuresText->setReadOnly(true);
    failuresText->setMaximumHeight(90);
    failuresText->hide();
    layout->addWidget(failuresText);
    detailsButton = new QPushButton(tr("Show Details"), this);
    detailsButton->setObjectName(QStringLiteral("buttonShowDetails"));
    detailsButton->setCheckable(true);
    detailsButton->hide();
    connect(detailsButton, &QPushButton::toggled, failuresText, &QWidget::setVisible);
    layout->addWidget(detailsButton, 0, Qt::AlignLeft);
}

QHBoxLayout* PackagesDialog::buttonRow()
{
    auto* buttons = new QHBoxLayout();
    openButton = new QPushButton(tr("Open Folder"), this);
    openButton->setObjectName(QStringLiteral("buttonOpenFolder"));
    openButton->setEnabled(false);
    connect(openButton, &QPushButton::clicked, this, &PackagesDialog::openFolder);
    exportButton = new QPushButton(tr("Export"), this);
    exportButton->setObjectName(QStringLiteral("buttonExport"));
    exportButton->setDefault(true);
    connect(exportButton, &QPushButton::clicked, this, &PackagesDialog::exportPackages);
    cancelButton = new QPushButton(tr("Close"), this);
    cancelButton->setObjectName(QStringLiteral("buttonCancel"));
    connect(cancelButton, &QPushButton::clicked, this, &PackagesDialog::reject);
    buttons->addWidget(openButton);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(cancelButton);
    return buttons;
}

PackagesDialog::~PackagesDialog()
{
    if (running) {
        progress->cancelled = true;
        worker.waitForFinished();
    }
}

bool PackagesDialog::isIdle() const
{
    return !running;
}

PackageChoices PackagesDialog::choices() const
{
    PackageChoices c;
    for (QCheckBox* box : targetBoxes)
        if (box->isChecked())
            c.targets << box->objectName().mid(int(qstrlen("checkTarget_")));
    c.options.background = plate;
    c.options.themeColor = themeChoice->colour();
    c.options.splashColor = splashChoice->colour();
    c.options.iosDarkColor = darkChoice->colour();
    c.options.iosTintedColor = tintedChoice->colour();
    const QString base = basePathEdit->text().isEmpty() ? QStringLiteral("/") : basePathEdit->text();
    c.options.basePath = base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/');
    c.options.macosKeepCorners = keepCorners->isChecked();
    c.options.smallWithoutText = smallWithoutText->isChecked();
    c.options.androidVector = Packages::AndroidVector(androidVectorBox->currentIndex());
    c.options.launch = launchBox->isChecked();
    c.options.launchText = launchTextBox->isChecked();
    c.options.splashDarkColor = splashDarkChoice->colour();
    return c;
}

void PackagesDialog::chooseFolder()
{
    const QString chosen = Dialogs::getExistingDirectory(
        this, tr("Select Folder"), rememberedFolder(Folders::packages), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    rememberFolder(Folders::packages, chosen);
    folder = chosen;
    folderEdit->setText(QDir::toNativeSeparators(folder));
    rememberApp();
}

void PackagesDialog::exportPackages()
{
    if (running)
        return;
    const PackageChoices chosen = choices();
    if (chosen.targets.isEmpty()) {
        outcomeLabel->setText(tr("Choose at least one platform."));
        return;
    }
    if (folder.isEmpty())
        chooseFolder();
    if (folder.isEmpty())
        return;
    if (QDir::isRelativePath(folder)) {
        outcomeLabel->setText(tr("Type the folder's whole path, from /."));
        return;
    }
    rememberFolder(Folders::packages, folder);
    rememberApp();
    chosen.save();
    kept = chosen;
    failuresText->clear();
    failuresText->hide();
    outcomeLabel->setText(tr("Writing..."));
    progress = std::make_unique<Packages::Progress>();
    runFolder = folder;
    // The same function, options and defaults as "glyphwright-cli package", on worker threads.
    Packages::Options options = chosen.optionsFor(projectFile, nameEdit->text(), appIdEdit->text());
    // A build variant's files go into a folder of its name, as package --variant writes them.
    options.variant = typedApp().buildVariant();
    if (options.variant.isSet())
        runFolder = QDir(folder).filePath(options.variant.name);
    if (chosen.targets.contains(QLatin1String("android")) &&
        options.androidVector == Packages::AndroidVector::Always)
        if (const Problem why = Packages::androidVectorProblem(design, options)) {
            outcomeLabel->setText(
                tr("Nothing was written: the Android layers cannot be vectors, since %1.").arg(why.text()));
            return;
        }
    const IconDesign snapshot = design;
    const QStringList targets = chosen.targets;
    Packages::Progress* shared = progress.get();
    const QString into = runFolder;
    setRunning(true);
    worker.setFuture(QtConcurrent::run([snapshot, into, targets, options, shared] {
        return Packages::writePackage(snapshot, into, targets, options, shared);
    }));
    ticker->start(50);
}

void PackagesDialog::showProgress()
{
    if (!progress)
        return;
    progressBar->setMaximum(std::max(1, progress->total.load()));
    progressBar->setValue(progress->done);
}

void PackagesDialog::finished()
{
    ticker->stop();
    showProgress();
    const Files::Outcome outcome = worker.result();
    const bool cancelled = progress->cancelled;
    progress.reset();
    setRunning(false);
    const int written = outcome.written.size(), failed = outcome.failed.size();
    QString text = tr("Wrote %n file(s) to %1.", nullptr, written).arg(QDir::toNativeSeparators(runFolder));
    if (cancelled)
        text += QLatin1Char(' ') + tr("Cancelled: the files not yet begun were not written.");
    QList<Files::Failure> failures;
    QStringList reasons;
    for (const Files::Failure& f : outcome.failed)
        if (f.problem.reason != Reason::Cancelled) {
            failures << f;
            if (!reasons.contains(f.text()))
                reasons << f.text();
        }
    // One cause behind every failure (a read-only, missing or full folder) is one sentence, the
    // files behind Show Details; several causes are listed file by file.
    const bool oneCause = reasons.size() == 1 && failures.size() > 1;
    if (!cancelled && failed > 0)
        text += QLatin1Char(' ') +
                (oneCause ? tr("%n file(s) could not be written: %1.", nullptr, failed).arg(reasons.first())
                          : tr("%n file(s) could not be written:", nullptr, failed));
    // The earlier export's files that this one replaced by none, named below the failures.
    QStringList lines;
    if (!failures.isEmpty())
        lines << Files::failureLines(failures);
    if (!outcome.removed.isEmpty())
        text +=
            QLatin1Char(' ') + tr("Removed %n file(s) an earlier export wrote there that this one no longer "
                                  "writes:",
                                  nullptr, outcome.removed.size());
    for (const QString& path : outcome.removed)
        lines << tr("Removed %1").arg(QDir::toNativeSeparators(QDir(runFolder).relativeFilePath(path)));
    outcomeLabel->setText(text);
    failuresText->setPlainText(lines.join(QLatin1Char('\n')));
    failuresText->setVisible((!failures.isEmpty() && !oneCause) || !outcome.removed.isEmpty());
    detailsButton->setVisible(oneCause);
    detailsButton->setChecked(false);
    openButton->setEnabled(!outcome.written.isEmpty());
    fitToScreen();
}

void PackagesDialog::setRunning(bool busy)
{
    running = busy;
    optionsPanel->setEnabled(!busy);
    exportButton->setEnabled(!busy);
    progressBar->setVisible(busy || progressBar->value() > 0);
    cancelButton->setText(busy ? tr("Cancel") : tr("Close"));
    fitToScreen();
}

void PackagesDialog::reject()
{
    // While a run goes, Cancel stops it; the dialog stays to tell what was written.
    if (running) {
        progress->cancelled = true;
        outcomeLabel->setText(tr("Cancelling..."));
        return;
    }
    QDialog::reject();
}

void PackagesDialog::openFolder()
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(runFolder)))
        outcomeLabel->setText(outcomeLabel->text() + QLatin1Char(' ') +
                              tr("No file manager opened %1.").arg(QDir::toNativeSeparators(runFolder)));
}
