#include "ui/mainwindowform.h"

#include "ui/swatch.h"

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

// Creates each button of `cells` into its form member and places it in the next cell of a
// two-column grid, row by row.
template <class B> struct Cell
{
    B* MainWindowForm::*member;
    const char* name;
    const char* text;
};
template <class B>
void placeInGrid(MainWindowForm* form, QGridLayout* grid, QWidget* parent,
                 std::initializer_list<Cell<B>> cells)
{
    int i = 0;
    for (const Cell<B>& cell : cells) {
        B* b = button<B>(parent, cell.name, cell.text);
        form->*cell.member = b;
        grid->addWidget(b, i / 2, i % 2);
        ++i;
    }
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
    placeInGrid<QCheckBox>(
        this, android, tab_4,
        {{&MainWindowForm::checkExportAndroid48, "checkExportAndroid48", "48x48 (MDPI)"},
         {&MainWindowForm::checkExportAndroid72, "checkExportAndroid72", "72x72 (HDPI)"},
         {&MainWindowForm::checkExportAndroid96, "checkExportAndroid96", "96x96 (XHDPI)"},
         {&MainWindowForm::checkExportAndroid144, "checkExportAndroid144", "144x144 (XXHDPI)"},
         {&MainWindowForm::checkExportAndroid192, "checkExportAndroid192", "192x192 (XXXHDPI)"},
         {&MainWindowForm::checkExportAndroid512, "checkExportAndroid512", "512x512 (Google Play)"}});
    v->addWidget(label(tab_4, "label_29"));
    radioExportiOS = button<QRadioButton>(tab_4, "radioExportiOS", "iOS Icon Set");
    v->addWidget(radioExportiOS);
    QGridLayout* ios = grid(v);
    placeInGrid<QCheckBox>(this, ios, tab_4,
                           {{&MainWindowForm::checkExportiOS29, "checkExportiOS29", "29x29"},
                            {&MainWindowForm::checkExportiOS40, "checkExportiOS40", "40x40"},
                            {&MainWindowForm::checkExportiOS58, "checkExportiOS58", "58x58"},
                            {&MainWindowForm::checkExportiOS60, "checkExportiOS60", "60x60"},
                            {&MainWindowForm::checkExportiOS76, "checkExportiOS76", "76x76"},
                            {&MainWindowForm::checkExportiOS80, "checkExportiOS80", "80x80"},
                            {&MainWindowForm::checkExportiOS87, "checkExportiOS87", "87x87"},
                            {&MainWindowForm::checkExportiOS120, "checkExportiOS120", "120x120"},
                            {&MainWindowForm::checkExportiOS152, "checkExportiOS152", "152x152"},
                            {&MainWindowForm::checkExportiOS167, "checkExportiOS167", "167x167"},
                            {&MainWindowForm::checkExportiOS180, "checkExportiOS180", "180x180"},
                            {&MainWindowForm::checkExportiOS1024, "checkExportiOS1024", "1024x1024"}});
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
    placeInGrid<QRadioButton>(this, sizes, g,
                              {{&MainWindowForm::radioGraphicsSize20, "radioGraphicsSize20", "20x20"},
                               {&MainWindowForm::radioGraphicsSize30, "radioGraphicsSize30", "30x30"},
                               {&MainWindowForm::radioGraphicsSize40, "radioGraphicsSize40", "40x40"},
                               {&MainWindowForm::radioGraphicsSize50, "radioGraphicsSize50", "50x50"},
                               {&MainWindowForm::radioGraphicsSize60, "radioGraphicsSize60", "60x60"},
                               {&MainWindowForm::radioGraphicsSize90, "radioGraphicsSize90", "90x90"},
                               {&MainWindowForm::radioGraphicsSize100, "radioGraphicsSize100", "100x100"},
                               {&MainWindowForm::radioGraphicsSize120, "radioGraphicsSize120", "120x120"},
                               {&MainWindowForm::radioGraphicsSize150, "radioGraphicsSize150", "150x150"}});
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

// The menu bar with its menus: File, Platforms, About.
void MainWindowForm::buildMenus(QMainWindow* window)
{
    menuBar = make<QMenuBar>(window, "menuBar");
    menuBar->setGeometry(QRect(0, 0, 860, 21));
    menuFile = make<QMenu>(menuBar, "menuFile");
    menuFile->setTitle(caption("File"));
    menuPlatforms = make<QMenu>(menuBar, "menuPlatforms");
    menuPlatforms->setTitle(caption("Platforms"));
    menuAbout_2 = make<QMenu>(menuBar, "menuAbout_2");
    menuAbout_2->setTitle(caption("About"));
    window->setMenuBar(menuBar);
    menuBar->addAction(menuFile->menuAction());
    menuBar->addAction(menuPlatforms->menuAction());
    menuBar->addAction(menuAbout_2->menuAction());
    menuPlatforms->addAction(actionExportPackages);
    menuPlatforms->addAction(actionApplyToAppProject);
    menuPlatforms->addAction(actionUndoLastApply);
    menuPlatforms->addAction(actionDevicePreview);
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
    actionExportPackages = action("actionExportPackages", "Export Packages...");
    actionDevicePreview = action("actionDevicePreview", "Device Preview");
    actionApplyToAppProject = action("actionApplyToAppProject", "Apply to App Project...");
    actionUndoLastApply = action("actionUndoLastApply", "Undo Last Apply...");

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

    for (QPushButton* swatch : {buttonBackgroundColor, buttonBackgroundGradientStartColor,
                                buttonBackgroundGradientEndColor, buttonImageColor, buttonTextColor,
                                buttonTextStrokeColor, buttonTextShadowColor, buttonGraphicsColor})
        markSwatch(swatch);

    tabView->setCurrentIndex(0);
    tabIcon->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(window);
}
