// The main window as built: widget tree, look, combo contents, radio groups, slot binding.
#include "tests/support/testsupport.h"

#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "app/windowicon.h"
#include "render/iconrenderer.h"
#include "render/programicon.h"

#include <QtTest>
#include <QtWidgets>

using namespace TestSupport;

namespace {

// Brings the page holding `w` to the front in every tab widget on its way up, and lays it out.
void showPageOf(QWidget* w)
{
    for (QWidget* child = w; child->parentWidget(); child = child->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(child->parentWidget()->parentWidget()))
            if (tabs->indexOf(child) >= 0)
                tabs->setCurrentWidget(child);
    QCoreApplication::processEvents();
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase();
    void cleanupTestCase() { delete window; }
    void buildsWithoutWarnings();
    void controls_data();
    void controls();
    void fixedSizeAndTabs();
    void comboContents();
    void radioGroups();
    void applicationLook();
    void programIconIsBuiltIn();
    void menus();
    void everyHandlerIsBound();
    void defaultProjectFolderIsMadeOnFirstUse();
    void captionsFit_data();
    void captionsFit();
    void pictureListsShowWholeThumbnails();

  private:
    MainWindow* window = nullptr;
    QStringList constructionWarnings;
};

void TestWindow::initTestCase()
{
    WarningCatcher catcher;
    window = makeWindow();
    constructionWarnings = catcher.messages();
}

void TestWindow::buildsWithoutWarnings()
{
    // A misspelt on_<object>_<signal> slot makes connectSlotsByName warn.
    QVERIFY2(constructionWarnings.isEmpty(), qPrintable(constructionWarnings.join(QLatin1Char('\n'))));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright"));
}

void TestWindow::controls_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width"); // fixed width, or -1
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");

    struct Row
    {
        const char *name, *cls, *text;
        int width, min, max;
    };
    const Row rows[] = {
        {"labelIconPreview", "QLabel", "", 480, 0, 0},
        {"label_3", "QLabel", "Corner Curvature", 88, 0, 0},
        {"sliderBackgroundCornerCurvature", "QSlider", "", 180, 0, 512},
        {"radioBackgroundColor", "QRadioButton", "Color", 88, 0, 0},
        {"buttonBackgroundColor", "QPushButton", "", 80, 0, 0},
        {"radioBackgroundGradient", "QRadioButton", "Gradient", -1, 0, 0},
        {"label_6", "QLabel", "Start Color", 88, 0, 0},
        {"buttonBackgroundGradientStartColor", "QPushButton", "", 80, 0, 0},
        {"label_7", "QLabel", "End Color", 88, 0, 0},
        {"buttonBackgroundGradientEndColor", "QPushButton", "", 80, 0, 0},
        {"label_8", "QLabel", "Start Point X", 88, 0, 0},
        {"sliderBackgroundGradientStartPointX", "QSlider", "", 180, 0, 1024},
        {"label_9", "QLabel", "Start Point Y", 88, 0, 0},
        {"sliderBackgroundGradientStartPointY", "QSlider", "", 180, 0, 1024},
        {"label_10", "QLabel", "End Point X", 88, 0, 0},
        {"sliderBackgroundGradientEndPointX", "QSlider", "", 180, 0, 1024},
        {"label_11", "QLabel", "End Point Y", 88, 0, 0},
        {"sliderBackgroundGradientEndPointY", "QSlider", "", 180, 0, 1024},
        {"radioBackgroundTransparent", "QRadioButton", "Transparent", -1, 0, 0},
        {"radioImageFlat", "QRadioButton", "Flat", -1, 0, 0},
        {"listImageFlat", "QListWidget", "", 200, 0, 0},
        {"radioImageColored", "QRadioButton", "Colored", -1, 0, 0},
        {"listImageColored", "QListWidget", "", 200, 0, 0},
        {"radioImageCustom", "QRadioButton", "Custom", -1, 0, 0},
        {"editImageCustom", "QLineEdit", "", -1, 0, 0},
        {"buttonImageCustomBrowse", "QPushButton", "Browse", -1, 0, 0},
        {"radioImageNone", "QRadioButton", "None", -1, 0, 0},
        {"label_15", "QLabel", "Scale", 40, 0, 0},
        {"spinImageScale", "QSpinBox", "", 80, 1, 999},
        {"label_32", "QLabel", "Color", 40, 0, 0},
        {"buttonImageColor", "QPushButton", "", 80, 0, 0},
        {"label_16", "QLabel", "Offset X", 40, 0, 0},
        {"spinImageOffsetX", "QSpinBox", "", 80, -10000, 10000},
        {"label_17", "QLabel", "Offset Y", 40, 0, 0},
        {"spinImageOffsetY", "QSpinBox", "", 80, -10000, 10000},
        {"editText", "QLineEdit", "", -1, 0, 0},
        {"label_20", "QLabel", "Font Type", 88, 0, 0},
        {"comboTextFontType", "QFontComboBox", "", 180, 0, 0},
        {"label_21", "QLabel", "Font Size", 88, 0, 0},
        {"spinTextFontSize", "QSpinBox", "", 80, 1, 999},
        {"checkTextBold", "QCheckBox", "Bold", 46, 0, 0},
        {"label_19", "QLabel", "Color", 88, 0, 0},
        {"buttonTextColor", "QPushButton", "", 80, 0, 0},
        {"checkTextItalic", "QCheckBox", "Italic", 46, 0, 0},
        {"label", "QLabel", "Offset X", 88, 0, 0},
        {"spinTextOffsetX", "QSpinBox", "", 80, -10000, 10000},
        {"label_2", "QLabel", "Offset Y", 88, 0, 0},
        {"spinTextOffsetY", "QSpinBox", "", 80, -10000, 10000},
        {"checkTextStroke", "QCheckBox", "Stroke", -1, 0, 0},
        {"label_23", "QLabel", "Width", 88, 0, 0},
        {"sliderTextStrokeWidth", "QSlider", "", 180, 0, 50},
        {"label_24", "QLabel", "Color", 88, 0, 0},
        {"buttonTextStrokeColor", "QPushButton", "", 80, 0, 0},
        {"checkTextShadow", "QCheckBox", "Shadow", -1, 0, 0},
        {"label_26", "QLabel", "Offset", 88, 0, 0},
        {"sliderTextShadowOffset", "QSlider", "", 180, 0, 512},
        {"label_27", "QLabel", "Angle", 88, 0, 0},
        {"sliderTextShadowAngle", "QSlider", "", 180, 0, 360},
        {"label_28", "QLabel", "Color", 88, 0, 0},
        {"buttonTextShadowColor", "QPushButton", "", 80, 0, 0},
        {"radioExportAndroid", "QRadioButton", "Android Icon Set", -1, 0, 0},
        {"checkExportAndroid48", "QCheckBox", "48x48 (MDPI)", -1, 0, 0},
        {"checkExportAndroid72", "QCheckBox", "72x72 (HDPI)", -1, 0, 0},
        {"checkExportAndroid96", "QCheckBox", "96x96 (XHDPI)", -1, 0, 0},
        {"checkExportAndroid144", "QCheckBox", "144x144 (XXHDPI)", -1, 0, 0},
        {"checkExportAndroid192", "QCheckBox", "192x192 (XXXHDPI)", -1, 0, 0},
        {"checkExportAndroid512", "QCheckBox", "512x512 (Google Play)", -1, 0, 0},
        {"radioExportiOS", "QRadioButton", "iOS Icon Set", -1, 0, 0},
        {"checkExportiOS29", "QCheckBox", "29x29", -1, 0, 0},
        {"checkExportiOS40", "QCheckBox", "40x40", -1, 0, 0},
        {"checkExportiOS58", "QCheckBox", "58x58", -1, 0, 0},
        {"checkExportiOS60", "QCheckBox", "60x60", -1, 0, 0},
        {"checkExportiOS76", "QCheckBox", "76x76", -1, 0, 0},
        {"checkExportiOS80", "QCheckBox", "80x80", -1, 0, 0},
        {"checkExportiOS87", "QCheckBox", "87x87", -1, 0, 0},
        {"checkExportiOS120", "QCheckBox", "120x120", -1, 0, 0},
        {"checkExportiOS152", "QCheckBox", "152x152", -1, 0, 0},
        {"checkExportiOS167", "QCheckBox", "167x167", -1, 0, 0},
        {"checkExportiOS180", "QCheckBox", "180x180", -1, 0, 0},
        {"checkExportiOS1024", "QCheckBox", "1024x1024", -1, 0, 0},
        {"radioExportCustomSize", "QRadioButton", "Custom Size", 88, 0, 0},
        {"spinExportCustomSize", "QSpinBox", "", 80, 1, 1024},
        {"label_31", "QLabel", "px", -1, 0, 0},
        {"label_33", "QLabel", "Format", 88, 0, 0},
        {"comboIconFormat", "QComboBox", "", 180, 0, 0},
        {"label_34", "QLabel", "Quality", 88, 0, 0},
        {"sliderIconQuality", "QSlider", "", 180, 0, 99},
        {"buttonSaveIcons", "QPushButton", "Save Icon(s)", -1, 0, 0},
        {"labelGraphicsPreview", "QLabel", "", 420, 0, 0},
        {"label_36", "QLabel", "Category", 91, 0, 0},
        {"comboGraphicsCategory", "QComboBox", "", 180, 0, 0},
        {"label_35", "QLabel", "Color", 91, 0, 0},
        {"buttonGraphicsColor", "QPushButton", "", 80, 0, 0},
        {"listGraphics", "QListWidget", "", -1, 0, 0},
        {"label_38", "QLabel", "Predefined Sizes", -1, 0, 0},
        {"radioGraphicsSize20", "QRadioButton", "20x20", -1, 0, 0},
        {"radioGraphicsSize30", "QRadioButton", "30x30", -1, 0, 0},
        {"radioGraphicsSize40", "QRadioButton", "40x40", -1, 0, 0},
        {"radioGraphicsSize50", "QRadioButton", "50x50", -1, 0, 0},
        {"radioGraphicsSize60", "QRadioButton", "60x60", -1, 0, 0},
        {"radioGraphicsSize90", "QRadioButton", "90x90", -1, 0, 0},
        {"radioGraphicsSize100", "QRadioButton", "100x100", -1, 0, 0},
        {"radioGraphicsSize120", "QRadioButton", "120x120", -1, 0, 0},
        {"radioGraphicsSize150", "QRadioButton", "150x150", -1, 0, 0},
        {"radioGraphicsSizeCustom", "QRadioButton", "Custom", -1, 0, 0},
        {"spinGraphicsCustomSize", "QSpinBox", "", 80, 1, 420},
        {"label_39", "QLabel", "px", -1, 0, 0},
        {"label_43", "QLabel", "Format", 91, 0, 0},
        {"comboGraphicsFormat", "QComboBox", "", 180, 0, 0},
        {"label_42", "QLabel", "Quality", 91, 0, 0},
        {"sliderGraphicsQuality", "QSlider", "", 180, 0, 99},
        {"buttonSaveImage", "QPushButton", "Save Image", -1, 0, 0},
    };
    for (const Row& r : rows)
        QTest::newRow(r.name) << r.cls << r.text << r.width << r.min << r.max;
    // The blank labels keep their vertical gaps with empty text.
    for (const char* blank : {"label_4", "label_5", "label_12", "label_13", "label_14", "label_18",
                              "label_22", "label_37", "label_25", "label_29", "label_30"})
        QTest::newRow(blank) << "QLabel"
                             << "" << -1 << 0 << 0;
}

void TestWindow::controls()
{
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget* w = window->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    if (auto* label = qobject_cast<QLabel*>(w))
        QCOMPARE(label->text(), text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(button->text(), text);
    if (width > 0) {
        QCOMPARE(w->minimumWidth(), width);
        QCOMPARE(w->maximumWidth(), width);
    }
    if (auto* slider = qobject_cast<QSlider*>(w)) {
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->minimum(), minimum);
        QCOMPARE(slider->maximum(), maximum);
    }
    if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        QCOMPARE(spin->minimum(), minimum);
        QCOMPARE(spin->maximum(), maximum);
        // Typed values are clamped to the range.
        spin->setValue(maximum + 1);
        QCOMPARE(spin->value(), maximum);
        spin->setValue(minimum - 1);
        QCOMPARE(spin->value(), minimum);
    }
}

void TestWindow::fixedSizeAndTabs()
{
    QCOMPARE(window->size(), QSize(860, 543));
    QCOMPARE(window->minimumSize(), QSize(860, 543));
    QCOMPARE(window->maximumSize(), QSize(860, 543));
    auto* view = control<QTabWidget>(window, "tabView");
    auto* icon = control<QTabWidget>(window, "tabIcon");
    QCOMPARE(view->tabPosition(), QTabWidget::West);
    QCOMPARE(icon->tabPosition(), QTabWidget::North);
    QCOMPARE(view->currentIndex(), 0);
    QCOMPARE(icon->currentIndex(), 0);
    QCOMPARE(view->tabText(0), QStringLiteral("Icon"));
    QCOMPARE(view->tabText(1), QStringLiteral("Graphics"));
    QStringList pages;
    for (int i = 0; i < icon->count(); ++i)
        pages << icon->widget(i)->objectName() + QLatin1Char(':') + icon->tabText(i);
    QCOMPARE(pages, QStringList({"tab:Background", "tab_2:Image", "tab_3:Text", "tab_4:Export"}));
    QCOMPARE(icon->minimumWidth(), 300);
    QCOMPARE(icon->maximumWidth(), 300);
    QCOMPARE(control<QLabel>(window, "labelGraphicsPreview")->size(), QSize(420, 420));
    QCOMPARE(control<QLabel>(window, "labelIconPreview")->size(), QSize(480, 480));
    auto* flat = control<QListWidget>(window, "listImageFlat");
    QCOMPARE(flat->iconSize(), QSize(95, 95));
    QCOMPARE(flat->flow(), QListView::LeftToRight);
    auto* graphics = control<QListWidget>(window, "listGraphics");
    QCOMPARE(graphics->iconSize(), QSize(80, 80));
    QCOMPARE(graphics->maximumHeight(), 100);
    QVERIFY(control<QLineEdit>(window, "editImageCustom")->isReadOnly());
    QCOMPARE(control<QGroupBox>(window, "groupBox_2")->title(), QStringLiteral("Settings"));
}

void TestWindow::comboContents()
{
    auto items = [this](const char* name) {
        auto* box = control<QComboBox>(window, name);
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    };
    QCOMPARE(items("comboGraphicsCategory"),
             QStringList({"Add", "Remove", "Media Player", "Multimedia", "Navigation", "Share", "Misc"}));
    QCOMPARE(items("comboIconFormat"), QStringList({"PNG", "JPG", "BMP", "TIFF", "ICO", "ICNS"}));
    QCOMPARE(items("comboGraphicsFormat"), QStringList({"PNG", "JPG", "BMP", "TIFF"}));
    for (const char* name : {"comboGraphicsCategory", "comboIconFormat", "comboGraphicsFormat"})
        QCOMPARE(control<QComboBox>(window, name)->currentIndex(), 0);
    QVERIFY(control<QFontComboBox>(window, "comboTextFontType")->count() > 0);
}

void TestWindow::radioGroups()
{
    const QList<QStringList> groups = {
        {"radioBackgroundColor", "radioBackgroundGradient", "radioBackgroundTransparent"},
        {"radioImageFlat", "radioImageColored", "radioImageCustom", "radioImageNone"},
        {"radioExportAndroid", "radioExportiOS", "radioExportCustomSize"},
        {"radioGraphicsSize20", "radioGraphicsSize30", "radioGraphicsSize40", "radioGraphicsSize50",
         "radioGraphicsSize60", "radioGraphicsSize90", "radioGraphicsSize100", "radioGraphicsSize120",
         "radioGraphicsSize150", "radioGraphicsSizeCustom"},
    };
    QStringList all;
    for (const QStringList& group : groups)
        all << group;
    for (const QStringList& group : groups) {
        for (const QString& chosen : group) {
            window->findChild<QRadioButton*>(chosen)->setChecked(true);
            for (const QString& other : group)
                QCOMPARE(window->findChild<QRadioButton*>(other)->isChecked(), other == chosen);
        }
    }
    // Every radio of the window belongs to exactly one of these groups.
    for (QRadioButton* radio : window->findChildren<QRadioButton*>())
        QVERIFY2(all.contains(radio->objectName()), qPrintable(radio->objectName()));
    QCOMPARE(window->findChildren<QRadioButton*>().size(), all.size());
    // The check boxes are independent.
    auto* a = control<QCheckBox>(window, "checkExportAndroid48");
    auto* b = control<QCheckBox>(window, "checkExportAndroid72");
    a->setChecked(true);
    b->setChecked(true);
    QVERIFY(a->isChecked() && b->isChecked());
    triggerAction(window, "actionNew");
}

void TestWindow::applicationLook()
{
    // The style sheet wraps the application style, so compare what only the base style decides.
    QScopedPointer<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion")));
    QScopedPointer<QStyle> windows(QStyleFactory::create(QStringLiteral("windows")));
    QVERIFY(fusion->pixelMetric(QStyle::PM_SliderThickness) !=
            windows->pixelMetric(QStyle::PM_SliderThickness));
    QCOMPARE(QApplication::style()->pixelMetric(QStyle::PM_SliderThickness),
             fusion->pixelMetric(QStyle::PM_SliderThickness));
    const QPalette p = QApplication::palette();
    const std::pair<QPalette::ColorRole, QRgb> roles[] = {
        {QPalette::Window, 0xE6E6E6},
        {QPalette::WindowText, 0x000000},
        {QPalette::Base, 0xFFFFFF},
        {QPalette::AlternateBase, 0xFFFF00},
        {QPalette::ToolTipBase, 0x000000},
        {QPalette::ToolTipText, 0x000000},
        {QPalette::Text, 0x000000},
        {QPalette::Button, 0xE6E6E6},
        {QPalette::ButtonText, 0x000000},
        {QPalette::BrightText, 0xFF00FF},
        {QPalette::Light, 0xE6E6E6},
        {QPalette::Midlight, 0xFF0000},
        {QPalette::Dark, 0xA0A0A4},
        {QPalette::Mid, 0xFF0000},
        {QPalette::Shadow, 0xFF0000},
        {QPalette::Highlight, 0x87CEFA},
        {QPalette::HighlightedText, 0x000000},
        {QPalette::Link, 0x0000FF},
        {QPalette::LinkVisited, 0x87CEFA},
    };
    for (const auto& role : roles)
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(p.color(group, role.first).rgb() & 0xFFFFFF, role.second);
    // What the style sheet does, seen on the controls it styles: disabled fields and buttons dark,
    // menus light grey with the chosen item in sky blue, tool tips white on blue.
    const auto shows = [](QWidget* w, QRgb colour) {
        w->resize(w->sizeHint().expandedTo(QSize(120, 30)));
        w->ensurePolished();
        const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int found = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                found += (shot.pixel(x, y) & 0xFFFFFF) == colour;
        return found * 4 >= shot.width() * shot.height(); // a quarter of it at least
    };
    QLineEdit field;
    field.setEnabled(false);
    QVERIFY(shows(&field, 0x424242));
    QSpinBox spin;
    spin.setEnabled(false);
    QVERIFY(shows(&spin, 0x424242));
    // (Fusion shades a button's face: its colours are those the sheet gives its palette.)
    QPushButton button(QStringLiteral("Save"));
    button.setEnabled(false);
    button.ensurePolished();
    QCOMPARE(button.palette().color(QPalette::Disabled, QPalette::Button).rgb() & 0xFFFFFF, QRgb(0x505050));
    QCOMPARE(button.palette().color(QPalette::Disabled, QPalette::ButtonText).rgb() & 0xFFFFFF,
             QRgb(0x999999));
    QMenu menu;
    menu.addAction(QStringLiteral("A long enough entry"));
    QVERIFY(shows(&menu, 0xD3D3D3));
    QAction* chosen = menu.addAction(QStringLiteral("Another long entry"));
    menu.setActiveAction(chosen);
    QImage shot = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect item = menu.actionGeometry(chosen);
    QCOMPARE(shot.pixel(item.right() - 2, item.center().y()) & 0xFFFFFF, QRgb(0x87CEFA));
    QToolTip::showText(QPoint(100, 100), QStringLiteral("A tool tip, long enough to be seen"));
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel"))
            tip = w;
    QVERIFY(tip);
    QVERIFY(shows(tip, 0x26A3E2));
    QToolTip::hideText();
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Mossgate Software"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Glyphwright"));
    QVERIFY(!QCoreApplication::organizationDomain().isEmpty());
}

void TestWindow::programIconIsBuiltIn()
{
    // The window's icon comes built in, in every size, drawn by the program's own renderer.
    QWidget hidden;
    setProgramIconOnceShown(&hidden);
    const QIcon icon = QApplication::windowIcon();
    QCOMPARE(icon.availableSizes(),
             QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    const QImage built = icon.pixmap(256).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage rendered = renderIconImage(programIconDesign())
                                .scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
    for (const QPoint at : {QPoint(1, 1), QPoint(40, 128), QPoint(128, 128), QPoint(220, 220)}) {
        const QColor a = built.pixelColor(at), b = rendered.pixelColor(at);
        QVERIFY2(qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 &&
                     qAbs(a.blue() - b.blue()) <= 2 && qAbs(a.alpha() - b.alpha()) <= 2,
                 qPrintable(QStringLiteral("%1,%2: %3 against %4")
                                .arg(at.x())
                                .arg(at.y())
                                .arg(a.name(QColor::HexArgb), b.name(QColor::HexArgb))));
    }
}

void TestWindow::menus()
{
    auto entries = [this](const char* menu) {
        QStringList texts;
        for (QAction* a : control<QMenu>(window, menu)->actions())
            texts << (a->isSeparator() ? QStringLiteral("-")
                                       : a->objectName() + QLatin1Char(':') + a->text());
        return texts;
    };
    QCOMPARE(entries("menuFile"), QStringList({"actionNew:New", "-", "actionSaveProject:Save Project",
                                               "actionSaveProjectAs:Save Project As", "-",
                                               "actionLoadProject:Load Project", "-", "actionExit:Exit"}));
    QCOMPARE(entries("menuAbout_2"), QStringList({"actionAboutUs:About Us"}));
    // Platforms stands between File and About.
    QStringList bar;
    for (QAction* a : control<QMenuBar>(window, "menuBar")->actions())
        bar << a->text();
    QCOMPARE(bar, QStringList({"File", "Platforms", "About"}));
    QCOMPARE(entries("menuPlatforms"),
             QStringList({"actionExportPackages:Export Packages...",
                          "actionApplyToAppProject:Apply to App Project...",
                          "actionUndoLastApply:Undo Last Apply...", "actionDevicePreview:Device Preview"}));
    QCOMPARE(control<QMenu>(window, "menuFile")->title(), QStringLiteral("File"));
    QCOMPARE(control<QMenu>(window, "menuAbout_2")->title(), QStringLiteral("About"));
    // As the specified menus: no shortcut, no icon, no mnemonic.
    for (QAction* a : window->findChildren<QAction*>())
        QVERIFY2(a->shortcut().isEmpty() && a->icon().isNull() && !a->text().contains(QLatin1Char('&')),
                 qPrintable(a->text()));
}

void TestWindow::everyHandlerIsBound()
{
    // Every on_<object>_<signal> slot names a control that exists and is connected to it.
    const QMetaObject* meta = window->metaObject();
    int handlers = 0;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod slot = meta->method(i);
        const QString name = QString::fromLatin1(slot.name());
        if (!name.startsWith(QLatin1String("on_")))
            continue;
        ++handlers;
        const int split = name.lastIndexOf(QLatin1Char('_'));
        const QString object = name.mid(3, split - 3);
        const QByteArray signal = name.mid(split + 1).toLatin1();
        QObject* sender = window->findChild<QObject*>(object);
        QVERIFY2(sender, qPrintable(name));
        bool connected = false;
        const QMetaObject* senderMeta = sender->metaObject();
        for (int s = 0; s < senderMeta->methodCount() && !connected; ++s) {
            const QMetaMethod candidate = senderMeta->method(s);
            if (candidate.methodType() == QMetaMethod::Signal && candidate.name() == signal &&
                QMetaObject::checkConnectArgs(candidate, slot))
                connected = QObject::disconnect(sender, candidate, window, slot) &&
                            QObject::connect(sender, candidate, window, slot);
        }
        QVERIFY2(connected, qPrintable(name));
    }
    QCOMPARE(handlers, 89); // the design's 85, and the Platforms menu's four
}

void TestWindow::defaultProjectFolderIsMadeOnFirstUse()
{
    const QString expected = homeFolder() + QStringLiteral("/Documents/Glyphwright");
    // Start-up itself does not make the folder.
    QVERIFY(!QDir(expected).exists());
    QCOMPARE(MainWindow::defaultProjectFolder(), expected);
    QVERIFY(QDir(expected).exists());
    QFile marker(expected + QStringLiteral("/keep.txt"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    QCOMPARE(MainWindow::defaultProjectFolder(), expected);
    QVERIFY(marker.exists());
}

void TestWindow::captionsFit_data()
{
    QTest::addColumn<QWidget*>("control");
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const QString text = label ? label->text() : button ? button->text() : QString();
        if (!text.isEmpty())
            QTest::newRow(qPrintable(w->objectName() + QStringLiteral(" \"") + text + QLatin1Char('"'))) << w;
    }
}

void TestWindow::captionsFit()
{
    QFETCH(QWidget*, control);
    window->show();
    showPageOf(control);
    // The room the style leaves a caption: a label's contents, a button's contents less its
    // margins, a check box's or radio button's width less its indicator and spacing.
    int room = control->contentsRect().width();
    QString text;
    if (const auto* label = qobject_cast<QLabel*>(control)) {
        text = label->text();
    } else {
        const auto* button = qobject_cast<QAbstractButton*>(control);
        text = button->text();
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        const QStyle* style = button->style();
        if (qobject_cast<const QCheckBox*>(button))
            room = style->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
        else if (qobject_cast<const QRadioButton*>(button))
            room = style->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width();
        else
            room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width() -
                   2 * style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    }
    const int need = control->fontMetrics().horizontalAdvance(text);
    QVERIFY2(need <= room, qPrintable(QStringLiteral("%1 px of caption in %2 px").arg(need).arg(room)));
}

void TestWindow::pictureListsShowWholeThumbnails()
{
    window->show();
    for (const char* name : {"listImageFlat", "listImageColored", "listGraphics"}) {
        auto* list = control<QListWidget>(window, name);
        showPageOf(list);
        // One strip: the first thumbnail whole in the viewport, a horizontal bar and no vertical one.
        const QRect first = list->visualItemRect(list->item(0));
        QVERIFY2(list->viewport()->rect().contains(first), name);
        QVERIFY(first.height() >= list->iconSize().height());
        QVERIFY(list->horizontalScrollBar()->isVisible());
        QVERIFY(!list->verticalScrollBar()->isVisible());
        QCOMPARE(list->visualItemRect(list->item(1)).top(), first.top());
    }
    // The Flat and Colored lists line up.
    QCOMPARE(control<QListWidget>(window, "listImageFlat")->mapTo(window, QPoint()).x(),
             control<QListWidget>(window, "listImageColored")->mapTo(window, QPoint()).x());
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
