#pragma once

#include "design/icondesign.h"
#include "packages/apply/appproject.h"
#include "packages/check/check.h"
#include "project/projectformat.h"
#include "ui/settings.h"
#include "base/reason.h"
#include "ui/backgroundjob.h"

#include <QColor>
#include <QFutureWatcher>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class MainWindowForm;
class QListWidget;
class QListWidgetItem;
class QComboBox;
class QSlider;
class QPushButton;
class DevicePreview;

// The program's one window: the icon designer with its live preview, export and the Graphics page.
// Every control's handler is an on_<objectName>_<signal> slot bound by name when the form is built.
//
// The class is implemented in parts by topic, all in app/ beside this header:
//   mainwindow.cpp            construction, the application look, closing, Exit, About, drops
//   mainwindow_editing.cpp    the reset to defaults, the change marker, the colour picker and the
//                             handlers of the design controls, the custom picture's Browse
//   mainwindow_preview.cpp    the two live previews and the picture lists
//   mainwindow_project.cpp    the controls as a project state, project files, the File menu
//   mainwindow_export.cpp     Save Icon(s) and Save Image
//   mainwindow_platforms.cpp  the Platforms menu: packages, apply and undo, Device Preview
// (ui/mainwindowform.cpp builds the widget tree.) Everything these call that is not about widgets
// (rendering, the project format, export, packages) lives in the core library, which does not link
// the widgets. The window reads and sets its saved controls through the project's keys, each
// control found once when the window is built.
class MainWindow : public QMainWindow
{
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The program's own folder under the documents location, created when missing.
    static QString defaultProjectFolder();

    // Design state. The controls hold every other value of the design.
    QColor backgroundColor, gradientStartColor, gradientEndColor, imageColor, textColor, strokeColor,
        shadowColor;
    QColor graphicsColor;
    QImage customImage;
    QSize customImageSize;   // its own size, when it is held reduced
    QByteArray customVector; // an SVG picture's text
    QPixmap iconPixmap;
    QPixmap graphicPixmap;
    QString projectFilePath;

    // The design the controls describe right now.
    IconDesign currentDesign() const;
    // Whether Apply to App Project or Undo Last Apply is at work (on the pool, the window painting).
    bool appWorkRunning() const;
    // Makes iconPixmap the icon of the design the controls describe, waiting for its drawing when
    // one is under way (Save Icon(s) writes it).
    void settleIconPreview();
    // Whether an icon is being drawn on the pool for the preview.
    bool iconWorkRunning() const { return iconDrawing.running(); }
    // Whether a picture (dropped, chosen with Browse or named by a project opened) is being loaded
    // on the pool.
    bool pictureWorkRunning() const { return pictureLoad.running(); }
    // Puts the picture being loaded in place, waiting for it (what is exported or saved uses it).
    void settlePicture();
    // The device preview window, null until Platforms > Device Preview first opens it.
    DevicePreview* devicePreviewWindow() const { return devicePreview; }

    // The 93 values a project file holds, read from the controls and colour members.
    Project::State projectState() const;
    // Writes the project file; true when the complete file replaced the old one.
    bool writeProjectFile(const QString& path);
    // Puts a project file's values into the controls; false when the file cannot be opened or is
    // not a project file (not a regular text file of sane size), in which case nothing changes.
    bool readProjectFile(const QString& path);
    // Opens a project as Load Project does once its file is chosen: the design, the current file
    // and the title, or a warning and nothing changed.
    void loadProject(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    // A file dropped on the window: a project opens (after the unsaved-changes question), a
    // picture becomes the custom picture, in use.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Keys that move the current row of a picture list count as a click on the new row.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private slots:
    void on_actionNew_triggered();
    void on_actionSaveProject_triggered();
    void on_actionSaveProjectAs_triggered();
    void on_actionLoadProject_triggered();
    void on_actionExit_triggered();
    void on_actionAboutUs_triggered();
    void on_actionExportPackages_triggered();
    void on_actionDevicePreview_triggered();
    // Puts the icons into an app's own project folder, after showing what will change.
    void on_actionApplyToAppProject_triggered();
    // Puts an app's folder back as it was before the last apply, after showing what will change.
    void on_actionUndoLastApply_triggered();
    void on_sliderBackgroundCornerCurvature_valueChanged(int);
    void on_radioBackgroundColor_clicked();
    void on_buttonBackgroundColor_clicked();
    void on_radioBackgroundGradient_clicked();
    void on_buttonBackgroundGradientStartColor_clicked();
    void on_buttonBackgroundGradientEndColor_clicked();
    void on_sliderBackgroundGradientStartPointX_valueChanged(int);
    void on_sliderBackgroundGradientStartPointY_valueChanged(int);
    void on_sliderBackgroundGradientEndPointX_valueChanged(int);
    void on_sliderBackgroundGradientEndPointY_valueChanged(int);
    void on_radioBackgroundTransparent_clicked();
    void on_radioImageFlat_clicked();
    void on_listImageFlat_itemClicked(QListWidgetItem*);
    void on_radioImageColored_clicked();
    void on_listImageColored_itemClicked(QListWidgetItem*);
    void on_radioImageCustom_clicked();
    void on_buttonImageCustomBrowse_clicked();
    void on_radioImageNone_clicked();
    void on_spinImageScale_valueChanged(int);
    void on_buttonImageColor_clicked();
    void on_spinImageOffsetX_valueChanged(int);
    void on_spinImageOffsetY_valueChanged(int);
    void on_editText_textChanged(const QString&);
    void on_comboTextFontType_activated(int);
    void on_spinTextFontSize_valueChanged(int);
    void on_checkTextBold_clicked();
    void on_buttonTextColor_clicked();
    void on_checkTextItalic_clicked();
    void on_spinTextOffsetX_valueChanged(int);
    void on_spinTextOffsetY_valueChanged(int);
    void on_checkTextStroke_clicked();
    void on_sliderTextStrokeWidth_valueChanged(int);
    void on_buttonTextStrokeColor_clicked();
    void on_checkTextShadow_clicked();
    void on_sliderTextShadowOffset_valueChanged(int);
    void on_sliderTextShadowAngle_valueChanged(int);
    void on_buttonTextShadowColor_clicked();
    void on_radioExportAndroid_clicked();
    void on_checkExportAndroid48_clicked();
    void on_checkExportAndroid72_clicked();
    void on_checkExportAndroid96_clicked();
    void on_checkExportAndroid144_clicked();
    void on_checkExportAndroid192_clicked();
    void on_checkExportAndroid512_clicked();
    void on_radioExportiOS_clicked();
    void on_checkExportiOS29_clicked();
    void on_checkExportiOS40_clicked();
    void on_checkExportiOS58_clicked();
    void on_checkExportiOS60_clicked();
    void on_checkExportiOS76_clicked();
    void on_checkExportiOS80_clicked();
    void on_checkExportiOS87_clicked();
    void on_checkExportiOS120_clicked();
    void on_checkExportiOS152_clicked();
    void on_checkExportiOS167_clicked();
    void on_checkExportiOS180_clicked();
    void on_checkExportiOS1024_clicked();
    void on_radioExportCustomSize_clicked();
    void on_spinExportCustomSize_valueChanged(int);
    void on_comboIconFormat_activated(int);
    void on_sliderIconQuality_valueChanged(int);
    void on_buttonSaveIcons_clicked();
    void on_comboGraphicsCategory_activated(int);
    void on_buttonGraphicsColor_clicked();
    void on_listGraphics_itemClicked(QListWidgetItem*);
    void on_radioGraphicsSize20_clicked();
    void on_radioGraphicsSize30_clicked();
    void on_radioGraphicsSize40_clicked();
    void on_radioGraphicsSize50_clicked();
    void on_radioGraphicsSize60_clicked();
    void on_radioGraphicsSize90_clicked();
    void on_radioGraphicsSize100_clicked();
    void on_radioGraphicsSize120_clicked();
    void on_radioGraphicsSize150_clicked();
    void on_radioGraphicsSizeCustom_clicked();
    void on_spinGraphicsCustomSize_valueChanged(int);
    void on_comboGraphicsFormat_activated(int);
    void on_sliderGraphicsQuality_valueChanged(int);
    void on_buttonSaveImage_clicked();

  private:
    void applyApplicationLook();
    void resetDesign();
    void markDesignChanged();
    bool confirmDiscardChanges();
    // A custom picture as loaded, and how it was chosen: dropped, it becomes the picture in use (a
    // warning when it cannot be loaded); with Browse, the picture whatever came of it.
    struct LoadedPicture
    {
        QString path;
        bool dropped = false;
        QImage image;
        QSize size;
        QByteArray vector;
        Problem why;
    };
    static LoadedPicture loadPicture(const QString& path, bool dropped);
    // Loads the picture at `path` at once, or on the pool when it takes long (the window answering
    // meanwhile, with a busy cursor), then uses it.
    void choosePicture(const QString& path, bool dropped);
    void usePicture(const LoadedPicture& picture);
    void refreshIconPreview();
    void refreshGraphicPreview();
    void fillFlatList();
    void fillColoredList();
    void fillGraphicsList();

    // Sets a colour member and, in the same step, its button's swatch.
    void setColor(QColor& member, QPushButton* button, const QColor& color);
    // The colour picker shared by the eight swatch buttons.
    void pickColor(QColor& member, QPushButton* button, bool graphic);
    // A format that takes a quality (JPG) enables the quality slider, every other disables it.
    static void applyQualityRule(const QComboBox* format, QSlider* quality);
    void iconEdited();
    bool saveProjectTo(const QString& path);
    // Puts a state's values into the controls and colour members in file order, each value's
    // follow-up step included (as Load does; reset puts the default state), then shows the design
    // in both previews. A relative picture path counts from the folder of `projectFile`.
    void applyState(const Project::State& state, const QString& projectFile = QString());
    void afterValue(Project::After step, const QString& projectFile);
    // Finds the control of every saved key, once.
    void findSavedControls();
    // Runs `work` on the pool, then `then` on the window's thread; a wait cursor meanwhile.
    void runAside(const std::function<void()>& work, const std::function<void()>& then);
    // The app folder chosen for an apply or undo, held by this run (see appLock), or empty.
    QString chooseAppFolder(const QString& title);
    // For a project given build variants: which icons an apply puts in, the release's or one
    // variant's (remembered for the project, as Export Packages remembers it), into `options`;
    // false when cancelled.
    bool chooseBuild(const QString& title, Packages::Options* options);
    // Lets the app folder go, and the menu's apply and undo work again.
    void releaseAppFolder();
    // Shows what an apply would change, and makes the changes when the user says so (the launch
    // screens among them, or the icons alone: planned again from `design` and `options`).
    // The check's findings in an app's project as it stands, and as an apply would leave it.
    using Findings = std::pair<QList<Packages::Check::Finding>, QList<Packages::Check::Finding>>;
    void askToApply(const Packages::AppPlan& plan, const Findings& findings, const QString& title,
                    const IconDesign& design, const Packages::Options& options);
    // Makes the plan's changes on the pool, then tells what was done.
    void makeAppChanges(const Packages::AppPlan& plan, const QString& title);

    // A colour member a project key names, and the button that shows it.
    struct Swatch
    {
        Project::Key key;
        QColor MainWindow::*colour;
        QPushButton* MainWindowForm::*button;
    };
    static const Swatch& swatch(Project::Key key);

    MainWindowForm* ui;
    // The control of each saved key (null for the colours, which live in members).
    std::array<QObject*, Project::keyCount> savedControls{};
    // The font box's families, in its order: the font index's meaning.
    QStringList fontFamilies;
    // While a whole state is put into the controls, the previews wait for the last value.
    bool previewsHeld = false;
    // Made when first opened.
    DevicePreview* devicePreview = nullptr;
    // What the Export Packages dialog remembers, read from the settings store once and kept up to
    // date by the dialog (the Device Preview follows it at every edit).
    PackageChoices packageChoices;
    // The app folder an apply or undo holds, and its steps' work on the pool.
    std::unique_ptr<Packages::AppLock> appLock;
    BackgroundJob<bool> appWork{Qt::WaitCursor};
    // An icon that takes long to draw, drawn on the pool for the preview (a draft shows meanwhile).
    BackgroundJob<QImage> iconDrawing;
    // A custom picture that takes long to load (dropped, chosen with Browse or a project's own).
    BackgroundJob<LoadedPicture> pictureLoad{Qt::BusyCursor};
};
