// Editing the design through the real window: handlers, previews, change marker, dialogs, closing.
#include "tests/support/testsupport.h"

#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "ui/settings.h"
#include "packages/previewsheet.h"
#include "project/projectformat.h"
#include "render/iconrenderer.h"
#include "ui/devicepreview.h"
#include "ui/mainwindowform.h"
#include "ui/packagesdialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace TestSupport;

namespace {

// How long an apply in the window may take: the whole suite on two cores slows it several times.
constexpr int appWorkMs = 60000;

enum Effect { Icon = 1, Graphic = 2, Mark = 4 };

// One way to touch a control as the user does.
void act(MainWindow* w, const QString& name)
{
    QObject* o = w->findChild<QObject*>(name);
    QVERIFY2(o, qPrintable(name));
    if (auto* slider = qobject_cast<QSlider*>(o)) {
        slider->setValue(slider->value() == slider->maximum() ? slider->value() - 1 : slider->value() + 1);
    } else if (auto* spin = qobject_cast<QSpinBox*>(o)) {
        spin->setValue(spin->value() == spin->maximum() ? spin->value() - 1 : spin->value() + 1);
    } else if (auto* button = qobject_cast<QAbstractButton*>(o)) {
        button->click();
    } else if (auto* edit = qobject_cast<QLineEdit*>(o)) {
        QTest::keyClicks(edit, QStringLiteral("A"));
    } else if (auto* combo = qobject_cast<QComboBox*>(o)) {
        const int index = combo->count() > 1 ? 1 : 0;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    } else if (auto* list = qobject_cast<QListWidget*>(o)) {
        list->setCurrentRow(2);
        emit list->itemClicked(list->item(2));
    } else {
        QFAIL(qPrintable(QStringLiteral("cannot act on ") + name));
    }
}

} // namespace

class TestEditing : public WindowTest
{
    Q_OBJECT

  private:
    QStringList* caseNames = nullptr; // set while the data functions list their cases

  private slots:
    void init();
    void startUpAndNewLeaveAnUnmarkedTitle();
    void markerIsAddedOnce();
    void filesDroppedOnTheWindow_data();
    void filesDroppedOnTheWindow();
    void aSlowPictureNeverTakesANewerPlace_data();
    void aSlowPictureNeverTakesANewerPlace();
    void handlersRefreshTheirPreview_data();
    void handlersRefreshTheirPreview();
    void colourPicker();
    void colourPickerCancelChangesNothing();
    void qualitySlidersFollowTheFormat();
    void categoryRefillsEvenWhenUnchanged();
    void listClickKeepsTheRadioChoice();
    void closing();
    void newAsksOnlyWithChanges();
    void aboutOpensTheDialog();
    void windowNeverMisleads_data();
    void windowNeverMisleads();
    void exportPackagesFromTheWindow();
    void applyToAppProjectFromTheWindow();
    void devicePreviewFollowsEdits();
};

void TestEditing::init()
{
    WindowTest::init();
    window->show();
}

void TestEditing::startUpAndNewLeaveAnUnmarkedTitle()
{
    // The reset's own value changes pass through the marker; the title is rewritten at the end.
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright"));
    QCOMPARE(window->iconPixmap.size(), QSize(1024, 1024));
    QCOMPARE(window->graphicPixmap.size(), QSize(420, 420));
    QCOMPARE(control<QLabel>(window, "labelIconPreview")->pixmap(Qt::ReturnByValue).size(), QSize(480, 480));
    QCOMPARE(control<QLabel>(window, "labelGraphicsPreview")->pixmap(Qt::ReturnByValue).size(),
             QSize(420, 420));

    control<QSlider>(window, "sliderBackgroundCornerCurvature")->setValue(3);
    control<QComboBox>(window, "comboGraphicsCategory")->setCurrentIndex(5);
    emit control<QComboBox>(window, "comboGraphicsCategory")->activated(5);
    window->projectFilePath = QStringLiteral("/somewhere/x.ipr");
    Dialogs::queueAnswer(int(QMessageBox::Yes));
    triggerAction(window, "actionNew");
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright"));
    QVERIFY(window->projectFilePath.isEmpty());
    QCOMPARE(control<QSlider>(window, "sliderBackgroundCornerCurvature")->value(), 128);
    QCOMPARE(control<QListWidget>(window, "listGraphics")->count(), 14);
    QCOMPARE(control<QPushButton>(window, "buttonBackgroundColor")->styleSheet(),
             QStringLiteral("background-color: #aa0000"));
    QVERIFY(!control<QSlider>(window, "sliderIconQuality")->isEnabled());
    QVERIFY(!control<QSlider>(window, "sliderGraphicsQuality")->isEnabled());
    QCOMPARE(control<QSlider>(window, "sliderIconQuality")->value(), 80);
    QVERIFY(control<QRadioButton>(window, "radioGraphicsSizeCustom")->isChecked());
    QCOMPARE(control<QSpinBox>(window, "spinGraphicsCustomSize")->value(), 200);
}

void TestEditing::markerIsAddedOnce()
{
    act(window, QStringLiteral("sliderTextShadowAngle"));
    act(window, QStringLiteral("spinImageScale"));
    act(window, QStringLiteral("checkExportiOS29"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    // A title that holds "*" for another reason counts as changed and is never marked again.
    window->setWindowTitle(QStringLiteral("Glyphwright - star*name"));
    act(window, QStringLiteral("spinImageScale"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - star*name"));
    window->setWindowTitle(QStringLiteral("Glyphwright - shop"));
    act(window, QStringLiteral("editText"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - shop*"));
}

void TestEditing::handlersRefreshTheirPreview_data()
{
    QTest::addColumn<int>("effect");
    const char* iconControls[] = {"sliderBackgroundCornerCurvature",
                                  "radioBackgroundColor",
                                  "radioBackgroundGradient",
                                  "sliderBackgroundGradientStartPointX",
                                  "sliderBackgroundGradientStartPointY",
                                  "sliderBackgroundGradientEndPointX",
                                  "sliderBackgroundGradientEndPointY",
                                  "radioBackgroundTransparent",
                                  "radioImageFlat",
                                  "listImageFlat",
                                  "radioImageColored",
                                  "listImageColored",
                                  "radioImageCustom",
                                  "radioImageNone",
                                  "spinImageScale",
                                  "spinImageOffsetX",
                                  "spinImageOffsetY",
                                  "editText",
                                  "comboTextFontType",
                                  "spinTextFontSize",
                                  "checkTextBold",
                                  "checkTextItalic",
                                  "spinTextOffsetX",
                                  "spinTextOffsetY",
                                  "checkTextStroke",
                                  "sliderTextStrokeWidth",
                                  "checkTextShadow",
                                  "sliderTextShadowOffset",
                                  "sliderTextShadowAngle"};
    for (const char* name : iconControls)
        QTest::newRow(name) << (Icon | Mark);
    const char* markOnly[] = {
        "radioExportAndroid",    "checkExportAndroid48",    "checkExportAndroid72",   "checkExportAndroid96",
        "checkExportAndroid144", "checkExportAndroid192",   "checkExportAndroid512",  "radioExportiOS",
        "checkExportiOS29",      "checkExportiOS40",        "checkExportiOS58",       "checkExportiOS60",
        "checkExportiOS76",      "checkExportiOS80",        "checkExportiOS87",       "checkExportiOS120",
        "checkExportiOS152",     "checkExportiOS167",       "checkExportiOS180",      "checkExportiOS1024",
        "radioExportCustomSize", "spinExportCustomSize",    "comboIconFormat",        "sliderIconQuality",
        "radioGraphicsSize20",   "radioGraphicsSize30",     "radioGraphicsSize40",    "radioGraphicsSize50",
        "radioGraphicsSize60",   "radioGraphicsSize90",     "radioGraphicsSize100",   "radioGraphicsSize120",
        "radioGraphicsSize150",  "radioGraphicsSizeCustom", "spinGraphicsCustomSize", "comboGraphicsFormat",
        "sliderGraphicsQuality"};
    for (const char* name : markOnly)
        QTest::newRow(name) << int(Mark);
    QTest::newRow("comboGraphicsCategory") << (Graphic | Mark);
    QTest::newRow("listGraphics") << (Graphic | Mark);
}

void TestEditing::handlersRefreshTheirPreview()
{
    QFETCH(int, effect);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const qint64 icon = window->iconPixmap.cacheKey();
    const qint64 graphic = window->graphicPixmap.cacheKey();
    act(window, name);
    QCOMPARE(window->iconPixmap.cacheKey() != icon, bool(effect & Icon));
    QCOMPARE(window->graphicPixmap.cacheKey() != graphic, bool(effect & Graphic));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    QVERIFY(Dialogs::takeCalls().isEmpty());
}

void TestEditing::colourPicker()
{
    struct
    {
        const char* button;
        QColor MainWindow::*member;
        bool graphic;
    } swatches[] = {
        {"buttonBackgroundColor", &MainWindow::backgroundColor, false},
        {"buttonBackgroundGradientStartColor", &MainWindow::gradientStartColor, false},
        {"buttonBackgroundGradientEndColor", &MainWindow::gradientEndColor, false},
        {"buttonImageColor", &MainWindow::imageColor, false},
        {"buttonTextColor", &MainWindow::textColor, false},
        {"buttonTextStrokeColor", &MainWindow::strokeColor, false},
        {"buttonTextShadowColor", &MainWindow::shadowColor, false},
        {"buttonGraphicsColor", &MainWindow::graphicsColor, true},
    };
    int n = 0;
    for (const auto& s : swatches) {
        window->setWindowTitle(QStringLiteral("Glyphwright"));
        const QColor before = window->*s.member;
        const QColor chosen(10 + n, 200 - n, 33 * n % 256);
        ++n;
        const qint64 icon = window->iconPixmap.cacheKey(), graphic = window->graphicPixmap.cacheKey();
        Dialogs::queueAnswer(chosen);
        click(window, s.button);
        const QList<Dialogs::Call> calls = Dialogs::takeCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].kind, QStringLiteral("color"));
        QCOMPARE(calls[0].initial.value<QColor>(), before);
        QVERIFY(calls[0].caption.isEmpty());
        QVERIFY(calls[0].parent == nullptr);
        QCOMPARE(window->*s.member, chosen);
        QCOMPARE(control<QPushButton>(window, s.button)->styleSheet(),
                 QStringLiteral("background-color: ") + chosen.name());
        QCOMPARE(window->iconPixmap.cacheKey() != icon, !s.graphic);
        QCOMPARE(window->graphicPixmap.cacheKey() != graphic, s.graphic);
        QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    }
    // Confirming the very same colour still marks the design changed.
    window->setWindowTitle(QStringLiteral("Glyphwright"));
    Dialogs::queueAnswer(window->textColor);
    click(window, "buttonTextColor");
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    // The chosen colour really paints: the background pixel is the new colour.
    window->setWindowTitle(QStringLiteral("Glyphwright"));
    Dialogs::queueAnswer(QColor(1, 2, 3));
    click(window, "buttonBackgroundColor");
    QCOMPARE(window->iconPixmap.toImage().pixel(20, 512), qRgb(1, 2, 3));
}

void TestEditing::colourPickerCancelChangesNothing()
{
    // The buttons stay usable whatever the background switch says.
    click(window, "radioBackgroundTransparent");
    QVERIFY(control<QPushButton>(window, "buttonBackgroundColor")->isEnabled());
    window->setWindowTitle(QStringLiteral("Glyphwright"));
    const qint64 icon = window->iconPixmap.cacheKey();
    Dialogs::queueAnswer(QColor()); // cancelled
    click(window, "buttonBackgroundColor");
    QCOMPARE(window->backgroundColor, QColor(170, 0, 0));
    QCOMPARE(control<QPushButton>(window, "buttonBackgroundColor")->styleSheet(),
             QStringLiteral("background-color: #aa0000"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright"));
    QCOMPARE(window->iconPixmap.cacheKey(), icon);
}

void TestEditing::qualitySlidersFollowTheFormat()
{
    struct
    {
        const char *combo, *slider;
    } pairs[] = {{"comboIconFormat", "sliderIconQuality"}, {"comboGraphicsFormat", "sliderGraphicsQuality"}};
    for (const auto& pair : pairs) {
        auto* combo = control<QComboBox>(window, pair.combo);
        auto* slider = control<QSlider>(window, pair.slider);
        auto* other =
            control<QSlider>(window, pair.slider == pairs[0].slider ? pairs[1].slider : pairs[0].slider);
        for (int index = 0; index < combo->count(); ++index) {
            slider->setValue(33);
            combo->setCurrentIndex(index);
            emit combo->activated(index);
            QCOMPARE(slider->isEnabled(), index == 1);
            QCOMPARE(slider->value(), 33);
            QVERIFY(!other->isEnabled());
        }
        // The rule goes by index, not text.
        combo->setItemText(1, QStringLiteral("Renamed"));
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QVERIFY(slider->isEnabled());
        combo->setItemText(1, QStringLiteral("JPG"));
        combo->setCurrentIndex(0);
        emit combo->activated(0);
    }
}

void TestEditing::categoryRefillsEvenWhenUnchanged()
{
    auto* combo = control<QComboBox>(window, "comboGraphicsCategory");
    auto* list = control<QListWidget>(window, "listGraphics");
    list->setCurrentRow(7);
    const qint64 graphic = window->graphicPixmap.cacheKey();
    emit combo->activated(0); // the category already shown
    QCOMPARE(list->count(), 14);
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(window->graphicPixmap.cacheKey() != graphic);
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
}

void TestEditing::listClickKeepsTheRadioChoice()
{
    click(window, "radioImageColored");
    act(window, QStringLiteral("listImageFlat"));
    QVERIFY(control<QRadioButton>(window, "radioImageColored")->isChecked());
    QVERIFY(!control<QRadioButton>(window, "radioImageFlat")->isChecked());
    QCOMPARE(window->currentDesign().flatImageRow, 2);
    // Nothing selected: -1, and the icon shows no picture.
    click(window, "radioImageFlat");
    control<QListWidget>(window, "listImageFlat")->clearSelection();
    click(window, "radioImageFlat");
    QCOMPARE(window->currentDesign().flatImageRow, -1);
    QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(170, 0, 0));
    click(window, "radioImageNone");
    const IconDesign none = window->currentDesign();
    QVERIFY(!none.useImageFlat && !none.useImageColored && !none.useImageCustom);
}

void TestEditing::closing()
{
    // Without changes the window closes without asking.
    QVERIFY(window->close());
    QVERIFY(Dialogs::takeCalls().isEmpty());
    window->show();

    act(window, QStringLiteral("spinTextFontSize"));
    const int size = control<QSpinBox>(window, "spinTextFontSize")->value();
    Dialogs::queueAnswer(int(QMessageBox::No));
    QVERIFY(!window->close());
    QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].kind, QStringLiteral("question"));
    QCOMPARE(calls[0].text, QStringLiteral("You have unsaved changes that will be lost. Continue?"));
    QVERIFY(calls[0].caption.isEmpty());
    QCOMPARE(calls[0].parent, static_cast<QWidget*>(window));
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    QCOMPARE(control<QSpinBox>(window, "spinTextFontSize")->value(), size);

    // Exit goes through the same check.
    Dialogs::queueAnswer(int(QMessageBox::No));
    triggerAction(window, "actionExit");
    QVERIFY(window->isVisible());
    Dialogs::queueAnswer(int(QMessageBox::Yes));
    triggerAction(window, "actionExit");
    QVERIFY(!window->isVisible());
    QCOMPARE(Dialogs::takeCalls().size(), 2);
}

void TestEditing::newAsksOnlyWithChanges()
{
    triggerAction(window, "actionNew");
    QVERIFY(Dialogs::takeCalls().isEmpty());
    act(window, QStringLiteral("sliderBackgroundCornerCurvature"));
    window->projectFilePath = QStringLiteral("/tmp/kept.ipr");
    Dialogs::queueAnswer(int(QMessageBox::No));
    triggerAction(window, "actionNew");
    QCOMPARE(Dialogs::takeCalls().size(), 1);
    QCOMPARE(control<QSlider>(window, "sliderBackgroundCornerCurvature")->value(), 129);
    QCOMPARE(window->projectFilePath, QStringLiteral("/tmp/kept.ipr"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
}

void TestEditing::aboutOpensTheDialog()
{
    triggerAction(window, "actionAboutUs");
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].kind, QStringLiteral("dialog"));
    QCOMPARE(calls[0].caption, QStringLiteral("About"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright"));
}

// What a designer meets on the first day: each item a check of the real window, answered through
// the dialog seam.
void TestEditing::windowNeverMisleads()
{
    const struct
    {
        const char* name;
        std::function<void()> check;
    } items[] = {
        {"colour buttons show exactly their colour, at 1x and 2x",
         [this] {
             const char* buttons[] = {"buttonBackgroundColor",
                                      "buttonBackgroundGradientStartColor",
                                      "buttonBackgroundGradientEndColor",
                                      "buttonImageColor",
                                      "buttonTextColor",
                                      "buttonTextStrokeColor",
                                      "buttonTextShadowColor",
                                      "buttonGraphicsColor"};
             const QColor brand[] = {QColor(0xaa, 0, 0),       QColor(0xff, 0x7a, 0),
                                     QColor(0xc2, 0x18, 0x5b), QColor(0x12, 0x34, 0x56),
                                     QColor(0xfe, 0xfe, 0xfe), QColor(0, 0, 0),
                                     QColor(0x80, 0x80, 0x80), QColor(0x00, 0xc8, 0x53)};
             for (int i = 0; i < 8; ++i) {
                 Dialogs::queueAnswer(brand[i]);
                 click(window, buttons[i]);
                 auto* button = control<QPushButton>(window, buttons[i]);
                 for (int scale : {1, 2}) {
                     QImage face(button->size() * scale, QImage::Format_ARGB32);
                     face.setDevicePixelRatio(scale);
                     face.fill(Qt::magenta);
                     button->render(&face);
                     const QRgb centre = face.pixel(face.width() / 2, face.height() / 2);
                     QVERIFY2(centre == brand[i].rgb(),
                              qPrintable(QStringLiteral("%1 at %2x: (%3,%4,%5) for %6")
                                             .arg(QLatin1String(buttons[i]))
                                             .arg(scale)
                                             .arg(qRed(centre))
                                             .arg(qGreen(centre))
                                             .arg(qBlue(centre))
                                             .arg(brand[i].name())));
                     // The whole face but a thin border.
                     for (int x = 3 * scale; x < face.width() - 3 * scale; x += scale)
                         QVERIFY(face.pixel(x, face.height() / 2) == brand[i].rgb());
                 }
                 QCOMPARE(button->styleSheet(), QStringLiteral("background-color: ") + brand[i].name());
             }
             Dialogs::takeCalls();
         }},
        {"a project saved without an extension gets .ipr",
         [this] {
             triggerAction(window, "actionSaveProjectAs");
             const Dialogs::Call save = Dialogs::takeCalls().value(0);
             QCOMPARE(save.kind, QStringLiteral("save"));
             QCOMPARE(save.filter, QStringLiteral("Glyphwright Project (*.ipr)"));
             QCOMPARE(save.suffix, QStringLiteral("ipr"));
             // Save Image keeps the name as typed.
             click(window, "buttonSaveImage");
             QCOMPARE(Dialogs::takeCalls().value(0).suffix, QString());
         }},
        {"arrow keys in a picture list choose the picture, once a step",
         [this] {
             struct
             {
                 const char* list;
                 QPixmap MainWindow::*preview;
             } lists[] = {{"listImageFlat", &MainWindow::iconPixmap},
                          {"listImageColored", &MainWindow::iconPixmap},
                          {"listGraphics", &MainWindow::graphicPixmap}};
             click(window, "radioImageColored");
             for (const auto& l : lists) {
                 auto* list = control<QListWidget>(window, l.list);
                 if (QLatin1String(l.list) == QLatin1String("listImageFlat"))
                     click(window, "radioImageFlat");
                 else if (QLatin1String(l.list) == QLatin1String("listImageColored"))
                     click(window, "radioImageColored");
                 QSignalSpy rows(list, &QListWidget::currentRowChanged);
                 window->setWindowTitle(QStringLiteral("Glyphwright"));
                 for (int step = 1; step <= 3; ++step) {
                     const qint64 before = (window->*l.preview).cacheKey();
                     QTest::keyClick(list, Qt::Key_Right);
                     QCOMPARE(selectedRow(list), step);
                     QVERIFY((window->*l.preview).cacheKey() != before);
                 }
                 QCOMPARE(rows.size(), 3);
                 QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
                 // What the preview shows is what the project saves and the export writes.
                 const int row = window->projectState().number(
                     QLatin1String(l.list) == QLatin1String("listGraphics") ? Project::Key::GraphicsRow
                     : QLatin1String(l.list) == QLatin1String("listImageFlat")
                         ? Project::Key::FlatImageRow
                         : Project::Key::ColoredImageRow);
                 QCOMPARE(row, 3);
                 if (l.preview == &MainWindow::iconPixmap)
                     QCOMPARE(window->iconPixmap.toImage(), renderIcon(window->currentDesign()).toImage());
                 // A key that moves nothing refreshes nothing.
                 const qint64 still = (window->*l.preview).cacheKey();
                 list->setCurrentRow(list->count() - 1);
                 const qint64 moved = (window->*l.preview).cacheKey();
                 QCOMPARE(moved, still); // rows set by code refresh nothing by themselves
                 QTest::keyClick(list, Qt::Key_Right);
                 QCOMPARE((window->*l.preview).cacheKey(), moved);
             }
         }},
        {"a start folder that is gone opens its nearest existing parent",
         [this] {
             const QString gone = dir->filePath(QStringLiteral("gone/deeper"));
             QSettings().setValue(QStringLiteral("SaveImageFolder"), gone);
             QSettings().setValue(QStringLiteral("SaveIconsFolder"), gone);
             QSettings().setValue(QStringLiteral("ImageCustomBrowseFolder"), gone);
             click(window, "buttonSaveImage");
             click(window, "buttonSaveIcons");
             click(window, "buttonImageCustomBrowse");
             for (const Dialogs::Call& call : Dialogs::takeCalls())
                 QCOMPARE(call.text, dir->path());
             QCOMPARE(QSettings().value(QStringLiteral("SaveImageFolder")).toString(), gone);
         }},
        {"failed exports say why, one line a file",
         [this] {
             control<QComboBox>(window, "comboIconFormat")->setCurrentIndex(4); // ICO
             click(window, "radioExportCustomSize");                            // 1024
             Dialogs::queueAnswer(dir->path());
             click(window, "buttonSaveIcons");
             Dialogs::Call box = Dialogs::takeCalls().last();
             QCOMPARE(box.kind, QStringLiteral("warning"));
             QCOMPARE(box.text, QStringLiteral("Some icons could not be saved."));
             QVERIFY2(QRegularExpression(
                          QStringLiteral("^Icon1024 [0-9 -]+\\.ico: ICO holds at most 256 x 256 pixels$"))
                          .match(box.details)
                          .hasMatch(),
                      qPrintable(box.details));
             control<QComboBox>(window, "comboIconFormat")->setCurrentIndex(5); // ICNS
             click(window, "radioExportAndroid");
             Dialogs::queueAnswer(dir->path());
             click(window, "buttonSaveIcons");
             box = Dialogs::takeCalls().last();
             QCOMPARE(box.details.count(QLatin1Char('\n')), 4); // 48, 72, 96, 144 and 192
             QVERIFY(box.details.contains(QStringLiteral("ICNS holds 16 x 16 pixels or less")));
         }},
        {"transparency shows as a checkerboard in the preview only",
         [this] {
             click(window, "radioBackgroundTransparent");
             click(window, "radioImageNone");
             const QImage shown =
                 control<QLabel>(window, "labelIconPreview")->pixmap(Qt::ReturnByValue).toImage();
             QCOMPARE(qAlpha(window->iconPixmap.toImage().pixel(0, 0)), 0);
             QCOMPARE(shown.pixel(2, 2), qRgb(0x77, 0x77, 0x77));
             QCOMPARE(shown.pixel(12, 2), qRgb(0x99, 0x99, 0x99));
             // Where the icon is opaque, the preview is its smooth scaled copy.
             click(window, "radioBackgroundColor");
             click(window, "radioImageFlat");
             const QImage smooth =
                 window->iconPixmap.scaled(480, 480, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                     .toImage()
                     .convertToFormat(QImage::Format_RGB32);
             const QImage preview = control<QLabel>(window, "labelIconPreview")
                                        ->pixmap(Qt::ReturnByValue)
                                        .toImage()
                                        .convertToFormat(QImage::Format_RGB32);
             QCOMPARE(preview.copy(100, 100, 280, 280), smooth.copy(100, 100, 280, 280));
         }},
    };
    listOrRunCase(items, caseNames);
}

// One row a case, each named by what it checks.
void TestEditing::windowNeverMisleads_data()
{
    addCaseRows([this](QStringList* names) {
        caseNames = names;
        windowNeverMisleads();
        caseNames = nullptr;
    });
}

void TestEditing::applyToAppProjectFromTheWindow()
{
    // A plain web app: a manifest with one icon.
    const QString app = dir->filePath(QStringLiteral("app")), empty = dir->filePath(QStringLiteral("empty"));
    QDir().mkpath(app + QStringLiteral("/public"));
    QDir().mkpath(empty);
    const QByteArray manifest =
        "{\n  \"name\": \"Shop\",\n  \"icons\": [\n    { \"src\": \"icon-192.png\", "
        "\"sizes\": \"192x192\", \"type\": \"image/png\", \"purpose\": \"maskable\" }\n  ]\n}\n";
    writeFile(app + QStringLiteral("/public/manifest.json"), manifest);
    Dialogs::takeCalls();

    // A folder without an app project says what was looked for.
    Dialogs::queueAnswer(empty);
    triggerAction(window, "actionApplyToAppProject");
    QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
    Dialogs::Call said = Dialogs::takeCalls().last();
    QCOMPARE(said.kind, QStringLiteral("warning"));
    QVERIFY(said.details.contains(QStringLiteral("a web app manifest with icons")));
    // The changes are shown before anything is written; No writes nothing.
    Dialogs::queueAnswer(app);
    Dialogs::queueAnswer(int(QMessageBox::No));
    triggerAction(window, "actionApplyToAppProject");
    QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
    said = Dialogs::takeCalls().last();
    QCOMPARE(said.kind, QStringLiteral("question"));
    QVERIFY2(said.text.contains(QStringLiteral("1 added, 0 replaced, 0 edited, 0 removed")),
             qPrintable(said.text));
    QVERIFY2(said.details.startsWith(QStringLiteral("add public/icon-192.png\n\n")),
             qPrintable(said.details));
    // The project's own findings are told before it asks, and what the apply would leave of them.
    QVERIFY2(
        said.text.endsWith(QStringLiteral("The check finds in the project as it stands: 1 error, 1 warning, "
                                          "0 notes; after the apply: 0 errors, 1 warning, 0 notes.")),
        qPrintable(said.text));
    QVERIFY(!QFileInfo::exists(app + QStringLiteral("/public/icon-192.png")));
    // Yes: the same file the command line writes.
    Dialogs::queueAnswer(app);
    Dialogs::queueAnswer(int(QMessageBox::Yes));
    triggerAction(window, "actionApplyToAppProject");
    QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
    said = Dialogs::takeCalls().last();
    QCOMPARE(said.kind, QStringLiteral("information"));
    QVERIFY2(said.text.startsWith(QStringLiteral("The icons are in place")), qPrintable(said.text));
    const QByteArray written = readAll(app + QStringLiteral("/public/icon-192.png"));
    QCOMPARE(QImage::fromData(written).size(), QSize(192, 192));
    QCOMPARE(readAll(app + QStringLiteral("/public/manifest.json")), manifest);
    // Undo Last Apply shows what it puts back, then leaves the folder as it was.
    Dialogs::queueAnswer(app);
    Dialogs::queueAnswer(int(QMessageBox::Yes));
    triggerAction(window, "actionUndoLastApply");
    QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
    const QList<Dialogs::Call> undone = Dialogs::takeCalls();
    QCOMPARE(undone.value(1).details, QStringLiteral("remove public/icon-192.png"));
    QCOMPARE(undone.last().kind, QStringLiteral("information"));
    QCOMPARE(filesUnder(app).keys(), QStringList{QStringLiteral("public/manifest.json")});
    QVERIFY(!QFileInfo::exists(app + QStringLiteral("/.glyphwright-backup")));
    const QString project = projectFile(dir->path(), QStringLiteral("Default.ipr"), {});
    QFile::remove(app + QStringLiteral("/public/icon-192.png"));
    QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("apply"), project, app}).status, 0);
    QCOMPARE(readAll(app + QStringLiteral("/public/icon-192.png")), written);
    QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("apply"), QStringLiteral("--undo"), app}).status, 0);

    // With the launch screens chosen in Export Packages, the question names both and counts each;
    // No puts in the icons alone, and the undo counts what the apply counted.
    PackageChoices choices = PackageChoices::load();
    choices.options.launch = true;
    choices.save();
    delete window;
    window = makeWindow();
    writeFile(app + QStringLiteral("/public/index.html"), "<html><head>\n</head><body></body></html>\n");
    Dialogs::queueAnswer(app);
    Dialogs::queueAnswer(int(QMessageBox::No));
    triggerAction(window, "actionApplyToAppProject");
    QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
    const QList<Dialogs::Call> asked = Dialogs::takeCalls();
    choices.options.launch = false;
    choices.save();
    QVERIFY2(
        asked.value(1).text.contains(QStringLiteral("Put the icons and the launch screens into this project? "
                                                    "The icons: 1 added, 0 replaced, 0 edited, 0 removed; "
                                                    "the launch screens: 92 added, 0 replaced, 1 edited")),
        qPrintable(asked.value(1).text));
    QCOMPARE(asked.last().kind, QStringLiteral("information"));
    QVERIFY2(asked.last().text.startsWith(QStringLiteral("The icons are in place: 1 added, 0 replaced")),
             qPrintable(asked.last().text));
    QVERIFY(!QFileInfo::exists(app + QStringLiteral("/public/splash")));
    Dialogs::queueAnswer(app);
    Dialogs::queueAnswer(int(QMessageBox::No));
    triggerAction(window, "actionUndoLastApply");
    QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
    const QList<Dialogs::Call> undoAsked = Dialogs::takeCalls();
    QVERIFY2(undoAsked.value(1).text.contains(QStringLiteral("0 restored, 1 removed")),
             "the undo counts the files the apply added");

    // A project given build variants is asked which icons go in (the latest chosen first, the
    // project's own the one offered); the one chosen becomes the project's. Cancelled, nothing is
    // asked further and the folder is let go.
    Dialogs::queueAnswer(projectFile(dir->path(), QStringLiteral("Variants.ipr"), {}));
    triggerAction(window, "actionLoadProject");
    ProjectApp given;
    given.variants = {{QStringLiteral("beta"), QStringLiteral("ribbon"), QString()}};
    given.variant = QStringLiteral("debug");
    given.badgeStyle = QStringLiteral("banner");
    given.save(window->projectFilePath);
    Dialogs::takeCalls();
    for (const QVariant& answer : {QVariant(2), QVariant()}) {
        Dialogs::queueAnswer(app);
        Dialogs::queueAnswer(answer);
        triggerAction(window, "actionApplyToAppProject");
        QTRY_VERIFY_WITH_TIMEOUT(!window->appWorkRunning(), appWorkMs);
        const QList<Dialogs::Call> chose = Dialogs::takeCalls();
        QCOMPARE(chose.value(1).kind, QStringLiteral("item"));
        QCOMPARE(chose.value(1).details, answer.isValid()
                                             ? QStringLiteral("The release icons\nBuild variant debug "
                                                              "(banner)\nBuild variant beta (ribbon)")
                                             : QStringLiteral("The release icons\nBuild variant beta "
                                                              "(ribbon)\nBuild variant debug (banner)"));
        QCOMPARE(chose.value(1).initial.toInt(), 1);
        QCOMPARE(chose.size(), answer.isValid() ? 3 : 2);
        QCOMPARE(ProjectApp::load(window->projectFilePath).variant, QStringLiteral("beta"));
        QVERIFY(window->findChild<QAction*>(QStringLiteral("actionApplyToAppProject"))->isEnabled());
    }
}

void TestEditing::exportPackagesFromTheWindow()
{
    const QString project = projectFile(dir->path(), QStringLiteral("Shop Icon.ipr"),
                                        {{2, "0"}, {6, "1"}, {31, "Go"}, {33, "300"}, {18, "0"}, {20, "1"}});
    Dialogs::queueAnswer(project);
    triggerAction(window, "actionLoadProject");
    Dialogs::takeCalls();

    // The Platforms menu opens the dialog, modal, over the window.
    triggerAction(window, "actionExportPackages");
    const Dialogs::Call opened = Dialogs::takeCalls().value(0);
    QCOMPARE(opened.kind, QStringLiteral("dialog"));
    QCOMPARE(opened.caption, QStringLiteral("Export Packages"));

    const QString viaWindow = dir->filePath(QStringLiteral("window"));
    QDir().mkpath(viaWindow);
    {
        PackagesDialog dialog(window->currentDesign(), window->projectFilePath, window);
        QCOMPARE(dialog.findChildren<QCheckBox*>(QRegularExpression(QStringLiteral("^checkTarget_"))).size(),
                 Packages::targets().size());
        Dialogs::queueAnswer(QColor(20, 30, 40));
        dialog.findChild<QPushButton*>(QStringLiteral("buttonPlateColor"))->click();
        dialog.findChild<QCheckBox*>(QStringLiteral("iosDarkColorAutomatic"))->setChecked(false);
        Dialogs::queueAnswer(QColor(0, 200, 100));
        dialog.findChild<QPushButton*>(QStringLiteral("iosDarkColorButton"))->click();
        dialog.findChild<QLineEdit*>(QStringLiteral("editBasePath"))->setText(QStringLiteral("/app/"));
        dialog.findChild<QCheckBox*>(QStringLiteral("checkKeepCorners"))->setChecked(true);
        dialog.findChild<QComboBox*>(QStringLiteral("comboAndroidVector"))->setCurrentIndex(2); // PNG
        // The check of the ticked platforms, live: the name in the 16 pixel favicon is too small to
        // read, until the small icons leave it out.
        auto* findings = dialog.findChild<QPlainTextEdit*>(QStringLiteral("textFindings"));
        QTRY_VERIFY2(findings->toPlainText().contains(QStringLiteral("it is legible only in icons of")),
                     qPrintable(findings->toPlainText()));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("labelCheck"))
                    ->text()
                    .contains(QStringLiteral("warning")));
        dialog.findChild<QCheckBox*>(QStringLiteral("checkSmallWithoutText"))->setChecked(true);
        QTRY_VERIFY(!findings->toPlainText().contains(QStringLiteral("it is legible only in icons of")));
        // The folder of the last export is filled in; Choose... starts from it.
        const QString last = rememberedFolder(Folders::packages);
        Dialogs::queueAnswer(viaWindow);
        dialog.findChild<QPushButton*>(QStringLiteral("buttonChooseFolder"))->click();
        QCOMPARE(Dialogs::takeCalls().last().text, last); // the folder dialog
        dialog.findChild<QPushButton*>(QStringLiteral("buttonExport"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.isIdle(), 30000);
        const QString outcome = dialog.findChild<QLabel*>(QStringLiteral("labelOutcome"))->text();
        QVERIFY2(outcome.startsWith(QStringLiteral("Wrote ")) && outcome.contains(viaWindow),
                 qPrintable(outcome));
        QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("buttonOpenFolder"))->isEnabled());
        QVERIFY(dialog.findChild<QPlainTextEdit*>(QStringLiteral("textFailures"))->isHidden());
    }

    // The command line, with the same options: the same files, byte for byte.
    const QString viaCli = dir->filePath(QStringLiteral("cli"));
    const Run run = cli({QStringLiteral("-q"), QStringLiteral("package"), project, viaCli,
                         QStringLiteral("--target"), QStringLiteral("all"), QStringLiteral("--background"),
                         QStringLiteral("#141e28"), QStringLiteral("--ios-dark-color"),
                         QStringLiteral("#00c864"), QStringLiteral("--base-path"), QStringLiteral("/app/"),
                         QStringLiteral("--macos-keep-corners"), QStringLiteral("--small-without-text"),
                         QStringLiteral("--android-vector"), QStringLiteral("never")});
    QCOMPARE(run.status, 0);
    const QMap<QString, QByteArray> a = filesUnder(viaWindow), b = filesUnder(viaCli);
    QVERIFY(a.size() > 50);
    QCOMPARE(a.keys(), b.keys());
    for (const QString& file : a.keys())
        QVERIFY2(a[file] == b[file], qPrintable(file));

    // Remembered: the folder, the options; a cancel stops the run with no file half written.
    QCOMPARE(rememberedFolder(Folders::packages), viaWindow);
    PackagesDialog again(window->currentDesign(), window->projectFilePath, window);
    QVERIFY(again.findChild<QCheckBox*>(QStringLiteral("checkKeepCorners"))->isChecked());
    QVERIFY(again.findChild<QCheckBox*>(QStringLiteral("checkSmallWithoutText"))->isChecked());
    QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("comboAndroidVector"))->currentIndex(), 2);
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("editBasePath"))->text(), QStringLiteral("/app/"));
    QVERIFY(!again.findChild<QCheckBox*>(QStringLiteral("iosDarkColorAutomatic"))->isChecked());
    const QString cancelled = dir->filePath(QStringLiteral("cancelled"));
    QDir().mkpath(cancelled);
    // The last folder is filled in (exporting again is one action); a cancelled Choose... keeps it.
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("editFolder"))->text(),
             QDir::toNativeSeparators(viaWindow));
    again.findChild<QPushButton*>(QStringLiteral("buttonChooseFolder"))->click(); // answered: cancelled
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("editFolder"))->text(),
             QDir::toNativeSeparators(viaWindow));
    Dialogs::queueAnswer(cancelled);
    again.findChild<QPushButton*>(QStringLiteral("buttonChooseFolder"))->click();
    again.findChild<QPushButton*>(QStringLiteral("buttonExport"))->click();
    again.findChild<QPushButton*>(QStringLiteral("buttonCancel"))->click(); // Cancel, at once
    QTRY_VERIFY_WITH_TIMEOUT(again.isIdle(), 30000);
    QVERIFY(again.findChild<QLabel*>(QStringLiteral("labelOutcome"))
                ->text()
                .contains(QStringLiteral("Cancelled")));
    const QMap<QString, QByteArray> left = filesUnder(cancelled);
    QVERIFY(left.size() < a.size());
    for (const QString& file : left.keys()) {
        QVERIFY2(!QFileInfo(file).fileName().startsWith(QLatin1Char('.')), qPrintable(file));
        QVERIFY2(left[file] == a[file], qPrintable(file)); // each written whole
    }

    // The app's name and id belong to the project: typed once (into a folder typed too), they come
    // back when it is open again; exporting under another id leaves none of the first one's files
    // and says so, and what the program did not write stays.
    const QString named = dir->filePath(QStringLiteral("named"));
    const auto exportAs = [&](const QString& id, bool typeFolder) -> QString {
        PackagesDialog d(window->currentDesign(), window->projectFilePath, window);
        if (typeFolder) {
            auto* folder = d.findChild<QLineEdit*>(QStringLiteral("editFolder"));
            folder->clear();
            QTest::keyClicks(folder, QDir::toNativeSeparators(named));
        }
        auto* appId = d.findChild<QLineEdit*>(QStringLiteral("editAppId"));
        appId->setText(id);
        d.findChild<QLineEdit*>(QStringLiteral("editAppName"))->setText(QStringLiteral("Tide Pool"));
        d.findChild<QPushButton*>(QStringLiteral("buttonExport"))->click();
        if (!QTest::qWaitFor([&] { return d.isIdle(); }, 30000))
            return QString();
        return d.findChild<QLabel*>(QStringLiteral("labelOutcome"))->text();
    };
    QVERIFY(exportAs(QStringLiteral("com.example.tidepool"), true).contains(named));
    writeFile(named + QStringLiteral("/notes.txt"), "mine");
    window->loadProject(project);
    {
        PackagesDialog reopened(window->currentDesign(), window->projectFilePath, window);
        QCOMPARE(reopened.findChild<QLineEdit*>(QStringLiteral("editAppName"))->text(),
                 QStringLiteral("Tide Pool"));
        QCOMPARE(reopened.findChild<QLineEdit*>(QStringLiteral("editAppId"))->text(),
                 QStringLiteral("com.example.tidepool"));
        QCOMPARE(reopened.findChild<QLineEdit*>(QStringLiteral("editFolder"))->text(),
                 QDir::toNativeSeparators(named));
        PackagesDialog otherProject(window->currentDesign(), QString(), window);
        QVERIFY(otherProject.findChild<QLineEdit*>(QStringLiteral("editAppId"))->text().isEmpty());
        // A build variant is the project's too: chosen, what the Device Preview and an apply take for
        // the project is badged; another project has none.
        auto* variant = reopened.findChild<QLineEdit*>(QStringLiteral("editVariant"));
        variant->setText(QStringLiteral("beta"));
        emit variant->editingFinished();
        QCOMPARE(PackageChoices::load().rememberedFor(window->projectFilePath).variant.name,
                 QStringLiteral("beta"));
        QVERIFY(otherProject.findChild<QLineEdit*>(QStringLiteral("editVariant"))->text().isEmpty());
        PackagesDialog again(window->currentDesign(), window->projectFilePath, window);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("editVariant"))->text(), QStringLiteral("beta"));
        // A ribbon for beta, then debug typed: both remembered, beta chosen again with its ribbon.
        again.findChild<QComboBox*>(QStringLiteral("comboBadgeStyle"))
            ->setCurrentText(QStringLiteral("ribbon"));
        auto* typed = again.findChild<QLineEdit*>(QStringLiteral("editVariant"));
        typed->setText(QStringLiteral("debug"));
        again.findChild<QComboBox*>(QStringLiteral("comboBadgeStyle"))
            ->setCurrentText(QStringLiteral("banner"));
        emit typed->editingFinished();
        PackagesDialog later(window->currentDesign(), window->projectFilePath, window);
        auto* known = later.findChild<QComboBox*>(QStringLiteral("comboVariant"));
        QCOMPARE(known->count(), 2);
        const int beta = known->findText(QStringLiteral("beta"));
        known->setCurrentIndex(beta);
        emit known->activated(beta);
        QCOMPARE(later.findChild<QComboBox*>(QStringLiteral("comboBadgeStyle"))->currentText(),
                 QStringLiteral("ribbon"));
        QCOMPARE(PackageChoices::load().rememberedFor(window->projectFilePath).variant.badge.style,
                 Packages::Badge::Style::Ribbon);
        variant->clear();
        emit variant->editingFinished();
        QVERIFY(!PackageChoices::load().rememberedFor(window->projectFilePath).variant.isSet());
    }
    const QString second = exportAs(QStringLiteral("com.example.reef"), false);
    QVERIFY2(second.contains(QStringLiteral("Removed ")), qPrintable(second));
    const QStringList files = filesUnder(named).keys();
    QVERIFY(files.filter(QStringLiteral("com.example.reef")).size() > 5);
    QCOMPARE(files.filter(QStringLiteral("com.example.tidepool")), QStringList());
    QCOMPARE(readAll(named + QStringLiteral("/notes.txt")), QByteArray("mine"));
    // The command line keeps the same record, and tells what it removed.
    const Run kelp =
        cli({QStringLiteral("package"), project, named, QStringLiteral("--target"), QStringLiteral("all"),
             QStringLiteral("--app-id"), QStringLiteral("com.example.kelp")});
    QCOMPARE(kelp.status, 0);
    QVERIFY(kelp.out.contains(QStringLiteral("Removed ") + named + QStringLiteral("/linux/")));
    QCOMPARE(filesUnder(named).keys().filter(QStringLiteral("com.example.reef")), QStringList());
}

void TestEditing::devicePreviewFollowsEdits()
{
    triggerAction(window, "actionDevicePreview");
    DevicePreview* preview = window->devicePreviewWindow();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Device Preview"));
    QTRY_VERIFY_WITH_TIMEOUT(!preview->sheet().isNull() && !preview->isBusy(), 5000);
    const QImage first = preview->sheet();
    // As many panels a line as the screen has room for: no scrolling sideways.
    const int columns = preview->columns();
    QVERIFY(columns < 8);
    QVERIFY(preview->width() <= preview->screen()->availableGeometry().width());
    QVERIFY(first.width() <= preview->width());
    QCOMPARE(first, Packages::previewSheet(window->currentDesign(),
                                           PackageChoices::load().optionsFor(QString()), 1.0, columns));

    // A burst of edits: one drawing of the last design, soon after.
    QSignalSpy updates(preview, &DevicePreview::updated);
    auto* corner = control<QSlider>(window, "sliderBackgroundCornerCurvature");
    for (int value = 300; value < 310; ++value)
        corner->setValue(value);
    QTRY_VERIFY_WITH_TIMEOUT(!preview->isBusy(), 5000);
    QCOMPARE(updates.size(), 1);
    QVERIFY(preview->sheet() != first);
    QCOMPARE(preview->sheet(),
             Packages::previewSheet(window->currentDesign(), PackageChoices::load().optionsFor(QString()),
                                    1.0, columns));

    // A finding of the design check marks the panels that show it (a small picture: the adaptive
    // icon's four) in amber, with the logo's box.
    const auto amber = [](const QImage& sheet) {
        int n = 0;
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                n += sheet.pixel(x, y) == qRgb(0xe0, 0x8a, 0x00);
        return n;
    };
    QCOMPARE(amber(preview->sheet()), 0);
    control<QSpinBox>(window, "spinImageScale")->setValue(40);
    QTRY_VERIFY_WITH_TIMEOUT(updates.size() == 2 && !preview->isBusy(), 5000);
    QVERIFY2(amber(preview->sheet()) > 4 * 400, qPrintable(QString::number(amber(preview->sheet()))));

    // Closed, it does nothing.
    preview->close();
    corner->setValue(10);
    QTest::qWait(200);
    QVERIFY(!preview->isBusy());
    QCOMPARE(updates.size(), 2);
}

void TestEditing::filesDroppedOnTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("outcome"); // "picture", "project" or the start of a warning
    QTest::newRow("an SVG logo")
        << "logo.svg"
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
                      "<rect width=\"24\" height=\"24\" fill=\"#00ff00\"/></svg>")
        << "picture";
    // Some thousand shapes: loaded and drawn on the pool, the window answering meanwhile.
    QTest::newRow("a large SVG logo")
        << "large.svg"
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
                      "<rect width=\"24\" height=\"24\" fill=\"#00ff00\"/>" +
                      QByteArray("<circle cx=\"12\" cy=\"12\" r=\"1\" fill=\"#00ff00\"/>").repeated(2000) +
                      "</svg>")
        << "picture";
    QImage green(40, 40, QImage::Format_RGB32);
    green.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    green.save(&buffer, "PNG");
    QTest::newRow("a PNG named otherwise") << "photo.jpeg" << png << "picture";
    QTest::newRow("a project") << "dropped.ipr" << QByteArray() << "project";
    QTest::newRow("a text") << "notes.txt" << QByteArray("not a picture")
                            << "The picture %1 could not be loaded: it is not a picture";
}

// A file dropped on the window: a picture (raster or SVG, judged by content) becomes the custom
// picture, in use; a project opens after the unsaved-changes question; anything else is refused
// with its reason and changes nothing.
void TestEditing::filesDroppedOnTheWindow()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, outcome);
    const QString path = dir->filePath(name);
    if (outcome == QLatin1String("project")) {
        Dialogs::queueAnswer(int(QMessageBox::Yes)); // the slider change below is dropped
        bytes = Project::format(Project::State());
    }
    writeFile(path, bytes);
    control<QSlider>(window, "sliderBackgroundCornerCurvature")->setValue(5);
    const QStringList before = window->projectState().lines();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    if (outcome == QLatin1String("picture")) {
        QVERIFY(calls.isEmpty());
        if (name == QLatin1String("large.svg")) {
            // It loads on the pool and its icon follows from there; Save Icon(s) meanwhile waits
            // for both and writes the icon of the design with it, and a step of Scale then waits
            // for nothing.
            QVERIFY(window->pictureWorkRunning());
            Dialogs::queueAnswer(dir->path());
            click(window, "buttonSaveIcons");
            QCOMPARE(Dialogs::takeCalls().size(), 2);
            QVERIFY(!window->pictureWorkRunning() && !window->iconWorkRunning());
            QCOMPARE(window->iconPixmap.toImage(), renderIcon(window->currentDesign()).toImage());
            control<QSpinBox>(window, "spinImageScale")->setValue(300);
            QVERIFY(window->iconWorkRunning());
            QTRY_VERIFY(!window->iconWorkRunning());
        }
        QVERIFY(control<QRadioButton>(window, "radioImageCustom")->isChecked());
        QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), path);
        QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(0, 255, 0));
        QVERIFY(window->windowTitle().endsWith(QLatin1Char('*')));
    } else if (outcome == QLatin1String("project")) {
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].kind, QStringLiteral("question"));
        QCOMPARE(window->projectFilePath, path);
        QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - dropped"));
    } else {
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].kind, QStringLiteral("warning"));
        QVERIFY2(calls[0].text.startsWith(outcome.arg(path)), qPrintable(calls[0].text));
        QCOMPARE(window->projectState().lines(), before);
    }
}

namespace {

// `path` dropped on the window.
void drop(QWidget* window, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent event(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
}

} // namespace

// A picture that takes long to load and finishes last never replaces what was chosen after it: a
// quick picture dropped meanwhile, or a project opened.
void TestEditing::aSlowPictureNeverTakesANewerPlace()
{
    // (No folder while the cases are listed.)
    const QString folder = caseNames ? QString() : dir->path();
    const QString slow = folder + QStringLiteral("/slow.svg"), quick = folder + QStringLiteral("/quick.svg");
    if (!caseNames)
        writeFile(slow,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
                  "<rect width=\"24\" height=\"24\" fill=\"#ff0000\"/>" +
                      QByteArray("<circle cx=\"12\" cy=\"12\" r=\"1\" fill=\"#ff0000\"/>").repeated(20000) +
                      "</svg>");
    if (!caseNames)
        writeFile(quick, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
                         "<rect width=\"24\" height=\"24\" fill=\"#0000ff\"/></svg>");
    const struct
    {
        const char* name;
        std::function<void()> check;
    } cases[] = {
        {"the newest choice wins",
         [&] {
             drop(window, slow);
             QVERIFY(window->pictureWorkRunning());
             drop(window, quick);
             QTRY_VERIFY(!window->pictureWorkRunning() && !window->iconWorkRunning());
             // The slow load ends, and its signal comes.
             QThreadPool::globalInstance()->waitForDone();
             QTest::qWait(50);
             QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), quick);
             QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(0, 0, 255));
         }},
        {"the newest of two slow choices wins",
         [&] {
             QByteArray blue = readAll(slow);
             blue.replace("#ff0000", "#0000ff");
             const QString slower = folder + QStringLiteral("/slow-blue.svg");
             writeFile(slower, blue);
             drop(window, slow);
             drop(window, slower);
             QVERIFY(window->pictureWorkRunning());
             QTRY_VERIFY_WITH_TIMEOUT(!window->pictureWorkRunning() && !window->iconWorkRunning(), 30000);
             QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), slower);
             QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(0, 0, 255));
         }},
        {"an opened project wins",
         [&] {
             const QString project = projectFile(folder, QStringLiteral("Opened.ipr"), {});
             drop(window, slow);
             QVERIFY(window->pictureWorkRunning());
             window->loadProject(project);
             QThreadPool::globalInstance()->waitForDone();
             QTest::qWait(50);
             QTRY_VERIFY(!window->pictureWorkRunning() && !window->iconWorkRunning());
             QCOMPARE(window->projectState().lines(), Project::State().lines());
             QCOMPARE(window->iconPixmap.toImage(), renderIcon(IconDesign()).toImage());
         }},
        {"a project's own slow picture loads on the pool, unchanged",
         [&] {
             const QString project =
                 projectFile(folder, QStringLiteral("Slow.ipr"), {{18, "0"}, {22, "1"}, {23, slow}});
             window->loadProject(project);
             // The window answers at once, without the picture; saving the icons waits for it.
             QVERIFY(window->pictureWorkRunning());
             QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - Slow"));
             Dialogs::queueAnswer(folder);
             click(window, "buttonSaveIcons");
             QVERIFY(!window->pictureWorkRunning() && !window->iconWorkRunning());
             QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(255, 0, 0));
             QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - Slow"));
         }},
    };
    listOrRunCase(cases, caseNames);
}

void TestEditing::aSlowPictureNeverTakesANewerPlace_data()
{
    addCaseRows([this](QStringList* names) {
        caseNames = names;
        aSlowPictureNeverTakesANewerPlace();
        caseNames = nullptr;
    });
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
