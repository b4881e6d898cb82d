#pragma once

#include <QtWidgets>

// The main window's widget tree. Built once by setupUi(); the widgets are children of the window,
// reachable through these members or by object name.
// Row of the first selected item of a picture list, -1 when nothing is selected.
inline int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

class MainWindowForm
{
  public:
    // Builds the tree into the window, sets the captions, shows page 0 of both tab widgets and
    // connects the window's on_<object>_<signal> slots by name, in that order.
    void setupUi(QMainWindow* window);
    // Makes each picture list one strip exactly as tall as a whole thumbnail and its horizontal
    // scroll bar, with no vertical one. Depends on the style, so it runs once the look is set.
    void fitPictureStrips();

    QAction *actionNew, *actionSaveProject, *actionSaveProjectAs, *actionLoadProject, *actionExit,
        *actionAboutUs;
    // The Platforms menu: the packages and the device preview the command line makes, here.
    QAction *actionExportPackages, *actionDevicePreview, *actionApplyToAppProject, *actionUndoLastApply;
    QWidget* centralWidget;
    QTabWidget *tabView, *tabIcon;
    QWidget *tab_5, *tab_6, *tab, *tab_2, *tab_3, *tab_4;
    QLabel* labelIconPreview;

    // Background
    QSlider* sliderBackgroundCornerCurvature;
    QRadioButton *radioBackgroundColor, *radioBackgroundGradient, *radioBackgroundTransparent;
    QPushButton *buttonBackgroundColor, *buttonBackgroundGradientStartColor,
        *buttonBackgroundGradientEndColor;
    QSlider *sliderBackgroundGradientStartPointX, *sliderBackgroundGradientStartPointY;
    QSlider *sliderBackgroundGradientEndPointX, *sliderBackgroundGradientEndPointY;

    // Image
    QRadioButton *radioImageFlat, *radioImageColored, *radioImageCustom, *radioImageNone;
    QListWidget *listImageFlat, *listImageColored;
    QLineEdit* editImageCustom;
    QPushButton *buttonImageCustomBrowse, *buttonImageColor;
    QSpinBox *spinImageScale, *spinImageOffsetX, *spinImageOffsetY;

    // Text
    QLineEdit* editText;
    QFontComboBox* comboTextFontType;
    QSpinBox *spinTextFontSize, *spinTextOffsetX, *spinTextOffsetY;
    QCheckBox *checkTextBold, *checkTextItalic, *checkTextStroke, *checkTextShadow;
    QPushButton *buttonTextColor, *buttonTextStrokeColor, *buttonTextShadowColor;
    QSlider *sliderTextStrokeWidth, *sliderTextShadowOffset, *sliderTextShadowAngle;

    // Export
    QRadioButton *radioExportAndroid, *radioExportiOS, *radioExportCustomSize;
    QCheckBox *checkExportAndroid48, *checkExportAndroid72, *checkExportAndroid96, *checkExportAndroid144,
        *checkExportAndroid192, *checkExportAndroid512;
    QCheckBox *checkExportiOS29, *checkExportiOS40, *checkExportiOS58, *checkExportiOS60, *checkExportiOS76,
        *checkExportiOS80, *checkExportiOS87, *checkExportiOS120, *checkExportiOS152, *checkExportiOS167,
        *checkExportiOS180, *checkExportiOS1024;
    QSpinBox* spinExportCustomSize;
    QComboBox* comboIconFormat;
    QSlider* sliderIconQuality;
    QPushButton* buttonSaveIcons;

    // Graphics
    QLabel* labelGraphicsPreview;
    QGroupBox* groupBox_2;
    QComboBox *comboGraphicsCategory, *comboGraphicsFormat;
    QPushButton *buttonGraphicsColor, *buttonSaveImage;
    QListWidget* listGraphics;
    QRadioButton *radioGraphicsSize20, *radioGraphicsSize30, *radioGraphicsSize40, *radioGraphicsSize50,
        *radioGraphicsSize60, *radioGraphicsSize90, *radioGraphicsSize100, *radioGraphicsSize120,
        *radioGraphicsSize150, *radioGraphicsSizeCustom;
    QSpinBox* spinGraphicsCustomSize;
    QSlider* sliderGraphicsQuality;

    QMenuBar* menuBar;
    QMenu *menuFile, *menuPlatforms, *menuAbout_2;

  private:
    // One builder a page, each creating the page's controls in the order they stand on it.
    void buildBackgroundPage();
    void buildImagePage();
    void buildTextPage();
    void buildExportPage();
    void buildGraphicsPage();
    void buildMenus(QMainWindow* window);
};
