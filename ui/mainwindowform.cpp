#include "ui/mainwindowform.h"

namespace {

QString caption(const char* text)
{
    return QCoreApplication::translate("MainWindow", text);
}

template <class W> W* make(QWidget* parent, const char* name)
{
    W* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

void fixWidth(QWidget* w, int width)
{
    w->setMinimumWidth(width);
    w->setMaximumWidth(width);
}

QLabel* label(QWidget* parent, const char* name, const char* text = "", int width = -1)
{
    QLabel* l = make<QLabel>(parent, name);
    l->setText(caption(text));
    if (width > 0)
        fixWidth(l, width);
    return l;
}

QSlider* slider(QWidget* parent, const char* name, int maximum, int width = 180)
{
    QSlider* s = make<QSlider>(parent, name);
    s->setOrientation(Qt::Horizontal);
    s->setMinimum(0);
    if (maximum >= 0)
        s->setMaximum(maximum);
    fixWidth(s, width);
    return s;
}

QSpinBox* spin(QWidget* parent, const char* name, int minimum, int maximum, int width = 80)
{
    QSpinBox* s = make<QSpinBox>(parent, name);
    s->setRange(minimum, maximum);
    fixWidth(s, width);
    return s;
}

template <class B> B* button(QWidget* parent, const char* name, const char* text = "", int width = -1)
{
    B* b = make<B>(parent, name);
    b->setText(caption(text));
    if (width > 0)
        fixWidth(b, width);
    return b;
}

QListWidget* pictureList(QWidget* parent, const char* name, int iconSize)
{
    QListWidget* l = make<QListWidget>(parent, name);
    l->setIconSize(QSize(iconSize, iconSize));
    l->setFlow(QListView::LeftToRight);
    return l;
}

QSpacerItem* spacer()
{
    return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

QSpacerItem* gap()
{
    return new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

QVBoxLayout* columnLayout(QWidget* owner)
{
    QVBoxLayout* v = new QVBoxLayout(owner);
    v->setSpacing(6);
    v->setContentsMargins(11, 11, 11, 11);
    return v;
}

// One horizontal row of a page; a null entry stands for an expanding spacer.
QHBoxLayout* row(QBoxLayout* into, std::initializer_list<QWidget*> items, bool endsWithSpacer = false,
                 int bottomMargin = 0)
{
    QHBoxLayout* h = new QHBoxLayout();
    h->setSpacing(6);
    h->setContentsMargins(0, 0, 0, bottomMargin);
    for (QWidget* w : items) {
        if (w)
            h->addWidget(w);
        else
            h->addItem(spacer());
    }
    if (endsWithSpacer)
        h->addItem(spacer());
    into->addLayout(h);
    return h;
}

QGridLayout* grid(QBoxLayout* into, int bottomMargin = 0)
{
    QGridLayout* g = new QGridLayout();
    g->setSpacing(6);
    g->setContentsMargins(0, 0, 0, bottomMargin);
    into->addLayout(g);
    return g;
}

} // namespace

void MainWindowForm::fitPictureStrips()
{
    for (QListWidget* list : {listImageFlat, listImageColored, listGraphics}) {
        list->setWrapping(false);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QStyleOptionViewItem item;
        item.initFrom(list);
        item.features = QStyleOptionViewItem::HasDecoration;
        item.decorationSize = list->iconSize();
        item.decorationPosition = QStyleOptionViewItem::Left;
        const QStyle* style = list->style();
        const int strip = style->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), list).height() +
                          style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) +
                          2 * list->frameWidth();
        // The Graphics list keeps its own height where the strip fits in it.
        list->setFixedHeight(std::max(strip, list->minimumHeight()));
    }
}

// Page "Background": the shape's corners and its fill.
void MainWindowForm::buildBackgroundPage()
{
    tab = make<QWidget>(nullptr, "tab");
    QVBoxLayout* v = columnLayout(tab);
    sliderBackgroundCornerCurvature = slider(tab, "sliderBackgroundCornerCurvature", 512);
    row(v, {label(tab, "label_3", "Corner Curvature", 88), sliderBackgroundCornerCurvature});
    v->addWidget(label(tab, "label_4"));
    radioBackgroundColor = button<QRadioButton>(tab, "radioBackgroundColor", "Color", 88);
    buttonBackgroundColor = button<QPushButton>(tab, "buttonBackgroundColor", "", 80);
    row(v, {radioBackgroundColor, buttonBackgroundColor}, true);
    v->addWidget(label(tab, "label_5"));
    radioBackgroundGradient = button<QRadioButton>(tab, "radioBackgroundGradient", "Gradient");
    v->addWidget(radioBackgroundGradient);
    buttonBackgroundGradientStartColor =
        button<QPushButton>(tab, "buttonBackgroundGradientStartColor", "", 80);
    row(v, {label(tab, "label_6", "Start Color", 88), buttonBackgroundGradientStartColor}, true);
    buttonBackgroundGradientEndColor = button<QPushButton>(tab, "buttonBackgroundGradientEndColor", "", 80);
    row(v, {label(tab, "label_7", "End Color", 88), buttonBackgroundGradientEndColor}, true, 6);
    sliderBackgroundGradientStartPointX = slider(tab, "sliderBackgroundGradientStartPointX", 1024);
    row(v, {label(tab, "label_8", "Start Point X", 88), sliderBackgroundGradientStartPointX});
    sliderBackgroundGradientStartPointY = slider(tab, "sliderBackgroundGradientStartPointY", 1024);
    row(v, {label(tab, "label_9", "Start Point Y", 88), sliderBackgroundGradientStartPointY});
    sliderBackgroundGradientEndPointX = slider(tab, "sliderBackgroundGradientEndPointX", 1024);
    row(v, {label(tab, "label_10", "End Point X", 88), sliderBackgroundGradientEndPointX});
    sliderBackgroundGradientEndPointY = slider(tab, "sliderBackgroundGradientEndPointY", 1024);
    row(v, {label(tab, "label_11", "End Point Y", 88), sliderBackgroundGradientEndPointY});
    v->addWidget(label(tab, "label_12"));
    radioBackgroundTransparent = button<QRadioButton>(tab, "radioBackgroundTransparent", "Transparent");
    v->addWidget(radioBackgroundTransparent);
    v->addItem(gap());
}

// Page "Image": the picture, its kind, scale, colour and offset.
void MainWindowForm::buildImagePage()
{
    tab_2 = make<QWidget>(nullptr, "tab_2");
    QVBoxLayout* v = columnLayout(tab_2);
    QVBoxLayout* lists = new QVBoxLayout();
    lists->setSpacing(6);
    radioImageFlat = button<QRadioButton>(tab_2, "radioImageFlat", "Flat");
    listImageFlat = pictureList(tab_2, "listImageFlat", 95);
    fixWidth(listImageFlat, 200);
    row(lists, {radioImageFlat, listImageFlat});
    radioImageColored = button<QRadioButton>(tab_2, "radioImageColored", "Colored");
    listImageColored = pictureList(tab_2, "listImageColored", 95);
    fixWidth(listImageColored, 200);
    row(lists, {radioImageColored, listImageColored});
    v->addLayout(lists);
    v->addWidget(label(tab_2, "label_13"));
    radioImageCustom = button<QRadioButton>(tab_2, "radioImageCustom", "Custom");
    v->addWidget(radioImageCustom);
    editImageCustom = make<QLineEdit>(tab_2, "editImageCustom");
    editImageCustom->setReadOnly(true);
    buttonImageCustomBrowse = button<QPushButton>(tab_2, "buttonImageCustomBrowse", "Browse");
    row(v, {editImageCustom, buttonImageCustomBrowse});
    v->addWidget(label(tab_2, "label_14"));
    radioImageNone = button<QRadioButton>(tab_2, "radioImageNone", "None");
    v->addWidget(radioImageNone);
    v->addWidget(label(tab_2, "label_18"));
    spinImageScale = spin(tab_2, "spinImageScale", 1, 999);
    buttonImageColor = button<QPushButton>(tab_2, "buttonImageColor", "", 80);
    row(v, {label(tab_2, "label_15", "Scale", 40), spinImageScale, nullptr,
            label(tab_2, "label_32", "Color", 40), buttonImageColor});
    spinImageOffsetX = spin(tab_2, "spinImageOffsetX", -10000, 10000);
    spinImageOffsetY = spin(tab_2, "spinImageOffsetY", -10000, 10000);
    row(v, {label(tab_2, "label_16", "Offset X", 40), spinImageOffsetX, nullptr,
            label(tab_2, "label_17", "Offset Y", 40), spinImageOffsetY});
    v->addItem(gap());
}

// Page "Text": the line of text, its font, colour, outline and shadow.
void MainWindowForm::buildTextPage()
{
    tab_3 = make<QWidget>(nullptr, "tab_3");
    QVBoxLayout* v = columnLayout(tab_3);
    editText = make<QLineEdit>(tab_3, "editText");
    v->addWidget(editText);
    comboTextFontType = make<QFontComboBox>(tab_3, "comboTextFontType");
    fixWidth(comboTextFontType, 180);
    row(v, {label(tab_3, "label_20", "Font Type", 88), comboTextFontType});
    spinTextFontSize = spin(tab_3, "spinTextFontSize", 1, 999);
    checkTextBold = button<QCheckBox>(tab_3, "checkTextBold", "Bold", 46);
    row(v, {label(tab_3, "label_21", "Font Size", 88), spinTextFontSize, nullptr, checkTextBold});
    buttonTextColor = button<QPushButton>(tab_3, "buttonTextColor", "", 80);
    checkTextItalic = button<QCheckBox>(tab_3, "checkTextItalic", "Italic", 46);
    row(v, {label(tab_3, "label_19", "Color", 88), buttonTextColor, nullptr, checkTextItalic});
    v->addWidget(label(tab_3, "label_22"));
    spinTextOffsetX = spin(tab_3, "spinTextOffsetX", -10000, 10000);
    row(v, {label(tab_3, "label", "Offset X", 88), spinTextOffsetX}, true);
    spinTextOffsetY = spin(tab_3, "spinTextOffsetY", -10000, 10000);
    row(v, {label(tab_3, "label_2", "Offset Y", 88), spinTextOffsetY}, true);
    v->addWidget(label(tab_3, "label_37"));
    checkTextStroke = button<QCheckBox>(tab_3, "checkTextStroke", "Stroke");
    v->addWidget(checkTextStroke);
    sliderTextStrokeWidth = slider(tab_3, "sliderTextStrokeWidth", 50);
    row(v, {label(tab_3, "label_23", "Width", 88), sliderTextStrokeWidth});
    buttonTextStrokeColor = button<QPushButton>(tab_3, "buttonTextStrokeColor", "", 80);
    row(v, {label(tab_3, "label_24", "Color", 88), buttonTextStrokeColor}, true);
    v->addWidget(label(tab_3, "label_25"));
    checkTextShadow = button<QCheckBox>(tab_3, "checkTextShadow", "Shadow");
    v->addWidget(checkTextShadow);
    sliderTextShadowOffset = slider(tab_3, "sliderTextShadowOffset", 512);
    row(v, {label(tab_3, "label_26", "Offset", 88), sliderTextShadowOffset});
    sliderTextShadowAngle = slider(tab_3, "sliderTextShadowAngle", 360);
    row(v, {label(tab_3, "label_27", "Angle", 88), sliderTextShadowAngle});
    buttonTextShadowColor = button<QPushButton>(tab_3, "buttonTextShadowColor", "", 80);
    row(v, {label(tab_3, "label_28", "Color", 88), buttonTextShadowColor}, true);
    v->addItem(gap());
}

// Page "Export": the icon sets, the custom size, format and quality.
void MainWindowForm::buildExportPage()
{
    tab_4 = make<QWidget>(nullptr, "tab_4");
    QVBoxLayout* v = columnLayout(tab_4);
    radioExportAndroid = button<QRadioButton>(tab_4, "radioExportAndroid", "Android Icon Set");
    v->addWidget(radioExportAndroid);
    QGridLayout* android = grid(v);
    checkExportAndroid48 = button<QCheckBox>(tab_4, "checkExportAndroid48", "48x48 (MDPI)");
    checkExportAndroid72 = button<QCheckBox>(tab_4, "checkExportAndroid72", "72x72 (HDPI)");
    checkExportAndroid96 = button<QCheckBox>(tab_4, "checkExportAndroid96", "96x96 (XHDPI)");
    checkExportAndroid144 = button<QCheckBox>(tab_4, "checkExportAndroid144", "144x144 (XXHDPI)");
    checkExportAndroid192 = button<QCheckBox>(tab_4, "checkExportAndroid192", "192x192 (XXXHDPI)");
    checkExportAndroid512 = button<QCheckBox>(tab_4, "checkExportAndroid512", "512x512 (Google Play)");
    QCheckBox* androidBoxes[] = {checkExportAndroid48,  checkExportAndroid72,  checkExportAndroid96,
                                 checkExportAndroid144, checkExportAndroid192, checkExportAndroid512};
    for (int i = 0; i < 6; ++i)
        android->addWidget(androidBoxes[i], i / 2, i % 2);
    v->addWidget(label(tab_4, "label_29"));
    radioExportiOS = button<QRadioButton>(tab_4, "radioExportiOS", "iOS Icon Set");
    v->addWidget(radioExportiOS);
    QGridLayout* ios = grid(v);
    checkExportiOS29 = button<QCheckBox>(tab_4, "checkExportiOS29", "29x29");
    checkExportiOS40 = button<QCheckBox>(tab_4, "checkExportiOS40", "40x40");
    checkExportiOS58 = button<QCheckBox>(tab_4, "checkExportiOS58", "58x58");
    checkExportiOS60 = button<QCheckBox>(tab_4, "checkExportiOS60", "60x60");
    checkExportiOS76 = button<QCheckBox>(tab_4, "checkExportiOS76", "76x76");
    checkExportiOS80 = button<QCheckBox>(tab_4, "checkExportiOS80", "80x80");
    checkExportiOS87 = button<QCheckBox>(tab_4, "checkExportiOS87", "87x87");
    checkExportiOS120 = button<QCheckBox>(tab_4, "checkExportiOS120", "120x120");
    checkExportiOS152 = button<QCheckBox>(tab_4, "checkExportiOS152", "152x152");
    checkExportiOS167 = button<QCheckBox>(tab_4, "checkExportiOS167", "167x167");
    checkExportiOS180 = button<QCheckBox>(tab_4, "checkExportiOS180", "180x180");
    checkExportiOS1024 = button<QCheckBox>(tab_4, "checkExportiOS1024", "1024x1024");
    QCheckBox* iosBoxes[] = {checkExportiOS29,  checkExportiOS40,  checkExportiOS58,  checkExportiOS60,
                             checkExportiOS76,  checkExportiOS80,  checkExportiOS87,  checkExportiOS120,
                             checkExportiOS152, checkExportiOS167, checkExportiOS180, checkExportiOS1024};
    for (int i = 0; i < 12; ++i)
        ios->addWidget(iosBoxes[i], i / 2, i % 2);
    v->addWidget(label(tab_4, "label_30"));
    radioExportCustomSize = button<QRadioButton>(tab_4, "radioExportCustomSize", "Custom Size", 88);
    spinExportCustomSize = spin(tab_4, "spinExportCustomSize", 1, 1024);
    row(v, {radioExportCustomSize, spinExportCustomSize, label(tab_4, "label_31", "px")}, true);
    v->addItem(gap());
    comboIconFormat = make<QComboBox>(tab_4, "comboIconFormat");
    fixWidth(comboIconFormat, 180);
    row(v, {label(tab_4, "label_33", "Format", 88), comboIconFormat}, true);
    sliderIconQuality = slider(tab_4, "sliderIconQuality", -1);
    row(v, {label(tab_4, "label_34", "Quality", 88), sliderIconQuality});
    v->addItem(gap());
    buttonSaveIcons = button<QPushButton>(tab_4, "buttonSaveIcons", "Save Icon(s)");
    v->addWidget(buttonSaveIcons);
}

// Page "Graphics": the pictogram preview and its settings.
void MainWindowForm::buildGraphicsPage()
{
    tab_6 = make<QWidget>(nullptr, "tab_6");
    QHBoxLayout* h = new QHBoxLayout(tab_6);
    h->setSpacing(6);
    h->setContentsMargins(11, 11, 11, 11);
    h->addItem(spacer());
    labelGraphicsPreview = label(tab_6, "labelGraphicsPreview");
    labelGraphicsPreview->setFixedSize(420, 420);
    labelGraphicsPreview->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    h->addWidget(labelGraphicsPreview);
    h->addItem(spacer());
    QVBoxLayout* side = new QVBoxLayout();
    side->setSpacing(6);
    h->addLayout(side);
    groupBox_2 = make<QGroupBox>(tab_6, "groupBox_2");
    groupBox_2->setTitle(caption("Settings"));
    side->addWidget(groupBox_2);

    QWidget* g = groupBox_2;
    QVBoxLayout* v = columnLayout(g);
    QLabel* categoryLabel = label(g, "label_36", "Category", 91);
    categoryLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    comboGraphicsCategory = make<QComboBox>(g, "comboGraphicsCategory");
    fixWidth(comboGraphicsCategory, 180);
    row(v, {categoryLabel, comboGraphicsCategory});
    buttonGraphicsColor = button<QPushButton>(g, "buttonGraphicsColor", "", 80);
    row(v, {label(g, "label_35", "Color", 91), buttonGraphicsColor}, true);
    listGraphics = pictureList(g, "listGraphics", 80);
    listGraphics->setMinimumHeight(100);
    listGraphics->setMaximumHeight(100);
    listGraphics->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    v->addWidget(listGraphics);
    v->addItem(gap());
    v->addWidget(label(g, "label_38", "Predefined Sizes"));
    QGridLayout* sizes = grid(v, 10);
    radioGraphicsSize20 = button<QRadioButton>(g, "radioGraphicsSize20", "20x20");
    radioGraphicsSize30 = button<QRadioButton>(g, "radioGraphicsSize30", "30x30");
    radioGraphicsSize40 = button<QRadioButton>(g, "radioGraphicsSize40", "40x40");
    radioGraphicsSize50 = button<QRadioButton>(g, "radioGraphicsSize50", "50x50");
    radioGraphicsSize60 = button<QRadioButton>(g, "radioGraphicsSize60", "60x60");
    radioGraphicsSize90 = button<QRadioButton>(g, "radioGraphicsSize90", "90x90");
    radioGraphicsSize100 = button<QRadioButton>(g, "radioGraphicsSize100", "100x100");
    radioGraphicsSize120 = button<QRadioButton>(g, "radioGraphicsSize120", "120x120");
    radioGraphicsSize150 = button<QRadioButton>(g, "radioGraphicsSize150", "150x150");
    QRadioButton* fixed[] = {radioGraphicsSize20,  radioGraphicsSize30,  radioGraphicsSize40,
                             radioGraphicsSize50,  radioGraphicsSize60,  radioGraphicsSize90,
                             radioGraphicsSize100, radioGraphicsSize120, radioGraphicsSize150};
    for (int i = 0; i < 9; ++i)
        sizes->addWidget(fixed[i], i / 2, i % 2);
    radioGraphicsSizeCustom = button<QRadioButton>(g, "radioGraphicsSizeCustom", "Custom");
    spinGraphicsCustomSize = spin(g, "spinGraphicsCustomSize", 1, 420);
    QHBoxLayout* custom = new QHBoxLayout();
    custom->setSpacing(6);
    custom->setContentsMargins(0, 0, 0, 0);
    custom->addWidget(radioGraphicsSizeCustom);
    custom->addWidget(spinGraphicsCustomSize);
    custom->addWidget(label(g, "label_39", "px"));
    sizes->addLayout(custom, 4, 1);
    v->addItem(gap());
    comboGraphicsFormat = make<QComboBox>(g, "comboGraphicsFormat");
    fixWidth(comboGraphicsFormat, 180);
    row(v, {label(g, "label_43", "Format", 91), comboGraphicsFormat});
    sliderGraphicsQuality = slider(g, "sliderGraphicsQuality", -1);
    row(v, {label(g, "label_42", "Quality", 91), sliderGraphicsQuality}, false, 10);
    buttonSaveImage = button<QPushButton>(g, "buttonSaveImage", "Save Image");
    v->addWidget(buttonSaveImage);
}

// The menu bar with its two menus.
void MainWindowForm::buildMenus(QMainWindow* window)
{
    menuBar = make<QMenuBar>(window, "menuBar");
    menuBar->setGeometry(QRect(0, 0, 860, 21));
    menuFile = make<QMenu>(menuBar, "menuFile");
    menuFile->setTitle(caption("File"));
    menuAbout_2 = make<QMenu>(menuBar, "menuAbout_2");
    menuAbout_2->setTitle(caption("About"));
    window->setMenuBar(menuBar);
    menuBar->addAction(menuFile->menuAction());
    menuBar->addAction(menuAbout_2->menuAction());
    menuFile->addAction(actionNew);
    menuFile->addSeparator();
    menuFile->addAction(actionSaveProject);
    menuFile->addAction(actionSaveProjectAs);
    menuFile->addSeparator();
    menuFile->addAction(actionLoadProject);
    menuFile->addSeparator();
    menuFile->addAction(actionExit);
    menuAbout_2->addAction(actionAboutUs);
}

void MainWindowForm::setupUi(QMainWindow* window)
{
    window->setObjectName(QStringLiteral("MainWindow"));
    window->resize(860, 543);
    window->setMinimumSize(860, 543);
    window->setMaximumSize(860, 543);
    window->setWindowTitle(caption("MainWindow"));

    auto action = [window](const char* name, const char* text) {
        QAction* a = new QAction(window);
        a->setObjectName(QLatin1String(name));
        a->setText(caption(text));
        return a;
    };
    actionNew = action("actionNew", "New");
    actionSaveProject = action("actionSaveProject", "Save Project");
    actionSaveProjectAs = action("actionSaveProjectAs", "Save Project As");
    actionLoadProject = action("actionLoadProject", "Load Project");
    actionExit = action("actionExit", "Exit");
    actionAboutUs = action("actionAboutUs", "About Us");

    centralWidget = make<QWidget>(window, "centralWidget");
    QHBoxLayout* central = new QHBoxLayout(centralWidget);
    central->setSpacing(6);
    central->setContentsMargins(11, 11, 11, 11);
    tabView = make<QTabWidget>(centralWidget, "tabView");
    tabView->setTabPosition(QTabWidget::West);
    central->addWidget(tabView);

    // Page "Icon": preview on the left, the four design steps on the right.
    tab_5 = make<QWidget>(nullptr, "tab_5");
    QHBoxLayout* iconPage = new QHBoxLayout(tab_5);
    iconPage->setSpacing(6);
    iconPage->setContentsMargins(11, 11, 11, 11);
    labelIconPreview = label(tab_5, "labelIconPreview");
    labelIconPreview->setFixedSize(480, 480);
    labelIconPreview->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    iconPage->addWidget(labelIconPreview);
    tabIcon = make<QTabWidget>(tab_5, "tabIcon");
    fixWidth(tabIcon, 300);
    iconPage->addWidget(tabIcon);
    buildBackgroundPage();
    tabIcon->addTab(tab, caption("Background"));
    buildImagePage();
    tabIcon->addTab(tab_2, caption("Image"));
    buildTextPage();
    tabIcon->addTab(tab_3, caption("Text"));
    buildExportPage();
    tabIcon->addTab(tab_4, caption("Export"));
    tabView->addTab(tab_5, caption("Icon"));
    buildGraphicsPage();
    tabView->addTab(tab_6, caption("Graphics"));
    window->setCentralWidget(centralWidget);
    buildMenus(window);

    tabView->setCurrentIndex(0);
    tabIcon->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(window);
}
