#pragma once

#include "ui/settings.h"
#include "design/icondesign.h"
#include "packages/check/check.h"
#include "packages/package.h"
#include "ui/backgroundjob.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QStringList>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// A colour option a platform may choose by itself: "Automatic", or a colour.
class ColourChoice;

// Writes the platform packages of a design from the window, with exactly the function the command
// line's "package" uses: the targets from the target table, the command line's options as
// controls, a folder chosen, typed or pasted, remembered under "PackagesFolder" and for the project
// with the app's name and id. The files are made on worker threads while
// the dialog shows their progress; Cancel stops the run (no file is left half written) and the
// outcome (how many files where, each failure with its reason) stays in the dialog.
class PackagesDialog : public QDialog
{
    Q_OBJECT

  public:
    // `remembered`: the choices to start from (the window keeps them, read once).
    PackagesDialog(const IconDesign& design, const QString& projectFile, QWidget* parent = nullptr,
                   const PackageChoices& remembered = PackageChoices::load());
    ~PackagesDialog() override;

    // Whether no export is running.
    bool isIdle() const;
    // The choices as last saved (those it started from when none was).
    const PackageChoices& remembered() const { return kept; }

  signals:
    // A choice changed, and was kept.
    void choicesChanged(const PackageChoices& choices);

  protected:
    void showEvent(QShowEvent* event) override;

  public slots:
    void exportPackages();
    void chooseFolder();
    void openFolder();
    void reject() override;

  private:
    void remember();
    // Keeps the typed app name and id, and the folder, for the project.
    void rememberApp();
    // The dialog's parts, built once.
    class QGroupBox* targetsBox(const PackageChoices& remembered);
    class QGroupBox* optionsBox(const PackageChoices& remembered);
    class QHBoxLayout* folderRow();
    void addOutcome(class QVBoxLayout* layout);
    class QHBoxLayout* buttonRow();
    void finished();
    void showProgress();
    // The choices' height: whole where the screen has room, scrolled where it has not.
    void fitToScreen();
    void setRunning(bool running);
    PackageChoices choices() const;
    // The design check of the ticked platforms, with the choices made, on the pool: the newest
    // choices' findings are shown once they are made.
    class QGroupBox* checkBox();
    void check();
    void showFindings(const QList<Packages::Check::Finding>& findings);

    IconDesign design;
    QString projectFile;
    PackageChoices kept;
    QString folder;
    QList<QCheckBox*> targetBoxes;
    QPushButton* plateButton;
    QColor plate;
    QLineEdit *nameEdit, *appIdEdit, *basePathEdit, *folderEdit, *variantEdit, *badgeTextEdit;
    // The variant typed or chosen from the project's remembered ones (variantEdit is its text).
    class QComboBox *variantBox, *badgeStyleBox;
    // The app as typed: its name, id and folder, and the build variant chosen.
    ProjectApp typedApp() const;
    ColourChoice *themeChoice, *splashChoice, *darkChoice, *tintedChoice, *splashDarkChoice;
    QCheckBox *keepCorners, *smallWithoutText, *launchBox, *launchTextBox;
    QComboBox* androidVectorBox = nullptr;
    class WrappedLabel* checkLabel;
    QPlainTextEdit* findingsText;
    BackgroundJob<QList<Packages::Check::Finding>> checking;
    QProgressBar* progressBar;
    class WrappedLabel* outcomeLabel;
    QPlainTextEdit* failuresText;
    QPushButton *exportButton, *openButton, *cancelButton, *detailsButton;
    QWidget* optionsPanel;
    class QScrollArea* optionsScroll;

    // The run in flight.
    QFutureWatcher<Files::Outcome> worker;
    bool running = false;
    QTimer* ticker;
    std::unique_ptr<Packages::Progress> progress;
    QString runFolder;
};
