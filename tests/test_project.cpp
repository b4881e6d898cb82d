// Project files: the pure format, the window's writer and reader, the File menu, the About box.
#include "tests/support/testsupport.h"

#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "project/custompicture.h"
#include "project/projectformat.h"
#include "project/statemapping.h"
#include "render/artwork.h"
#include "ui/aboutdialog.h"
#include "ui/mainwindowform.h"

#include <QtTest>
#include <QtWidgets>

using namespace TestSupport;

namespace {

QByteArray defaultFile()
{
    return Project::format(Project::State());
}

// A design that differs from the defaults in every line that can differ.
QByteArray unusualFile()
{
    QStringList v = Project::State().lines();
    const QStringList changes = {"1:77",   "6:1",    "3:1",    "4:2",    "5:3",    "7:4",   "8:5",   "9:6",
                                 "10:7",   "11:8",   "12:9",   "13:11",  "14:12",  "15:13", "16:14", "20:1",
                                 "19:7",   "21:9",   "25:250", "26:10",  "27:20",  "28:30", "29:-5", "30:6",
                                 "31:Hé!", "32:1",   "33:321", "34:1",   "35:40",  "36:50", "37:60", "38:1",
                                 "39:7",   "40:-8",  "41:1",   "42:17",  "43:70",  "44:80", "45:90", "46:1",
                                 "47:33",  "48:270", "49:100", "50:110", "51:120", "59:1",  "53:0",  "55:0",
                                 "58:0",   "60:0",   "63:0",   "71:0",   "73:333", "74:1",  "75:42", "76:3",
                                 "77:130", "78:140", "79:150", "80:12",  "85:1",   "91:99", "92:1",  "93:7"};
    for (const QString& c : changes) {
        const int colon = c.indexOf(QLatin1Char(':'));
        v[c.left(colon).toInt() - 1] = c.mid(colon + 1);
    }
    // The radio groups: gradient, coloured picture, iOS set, 60 px graphic.
    v[1] = v[16] = QStringLiteral("0");
    v[17] = QStringLiteral("0");
    v[51] = QStringLiteral("0");
    v[89] = QStringLiteral("0");
    return Project::formatLines(v);
}

} // namespace

class TestProject : public WindowTest
{
    Q_OBJECT

  private slots:
    void parserReadsLinesAsATextStream();
    void tableMatchesTheWindow();
    void fontListMatchesTheFontBox();
    void typedFontFamilyIsTheSavedOne();
    void textEncodings_data();
    void textEncodings();
    void startUpFileIsExact();
    void roundTripRestoresEveryValue();
    void windowReaderAgreesWithThePureReader_data();
    void windowReaderAgreesWithThePureReader();
    void emptyFile();
    void lineBreaksInTextsKeepTheFileIntact();
    void radioGroupsTakeTheLastNonZeroFlag();
    void rowsAndIndexesOutsideSelectNothing();
    void customPicturePathLoadsThePicture();
    void saveAsAndTitles();
    void saveWithoutPathAsksForOne();
    void failedSaveKeepsOldFileAndMarker();
    void loadAsksThenReplacesTheDesign();
    void loadOfAnUnreadablePathChangesNothing();
    void starInTheNameCountsAsChanged();
    void aboutDialog();
    void handWrittenFileLoadsAndSavesExactly();
    void handWrittenFileMeansTheDesign_data();
    void handWrittenFileMeansTheDesign();
};

void TestProject::parserReadsLinesAsATextStream()
{
    const QByteArray lf = defaultFile();
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    const QStringList expected = Project::State().lines();
    QCOMPARE(Project::parseLines(lf), expected);
    QCOMPARE(Project::parseLines(crlf), expected);
    QCOMPARE(Project::parseLines(lf + "\n"), expected);
    QCOMPARE(Project::parseLines(crlf + "\r\n" + "extra\nlines\n"), expected);
    QCOMPARE(Project::parseLines("\xEF\xBB\xBF" + lf), expected); // byte-order mark
    const QStringList shortFile = Project::parseLines("5\n6");
    QCOMPARE(shortFile.size(), 93);
    QCOMPARE(shortFile[1], QStringLiteral("6"));
    QVERIFY(shortFile[2].isEmpty() && shortFile[92].isEmpty());
    QCOMPARE(Project::parseLines(QByteArray()).size(), 93);
    QCOMPARE(Project::parseLines(QByteArray("a\n\xC3\xA9")).value(1), QStringLiteral("é"));
    QCOMPARE(Project::toNumber(QStringLiteral("-17")), -17);
    for (const char* junk : {"", "abc", "1.5", "0x10", "12abc"})
        QCOMPARE(Project::toNumber(QLatin1String(junk)), 0);
    QCOMPARE(Project::formatLines({"a", "", "b"}), QByteArray("a\n\nb"));
}

void TestProject::tableMatchesTheWindow()
{
    // Every line names a control of the right kind or a colour member, and the ranges in the table
    // are the controls' own, so the headless reader clamps as the window does.
    QSet<QString> colours;
    for (const Project::Entry& line : Project::entries) {
        const QString name = QLatin1String(line.objectName);
        QObject* o = window->findChild<QObject*>(name);
        switch (line.kind) {
        case Project::Kind::Integer:
            if (auto* slider = qobject_cast<QAbstractSlider*>(o)) {
                QCOMPARE(slider->minimum(), line.minimum);
                QCOMPARE(slider->maximum(), line.maximum);
            } else {
                auto* spin = qobject_cast<QSpinBox*>(o);
                QVERIFY2(spin, qPrintable(name));
                QCOMPARE(spin->minimum(), line.minimum);
                QCOMPARE(spin->maximum(), line.maximum);
            }
            break;
        case Project::Kind::Flag:
            QVERIFY2(qobject_cast<QAbstractButton*>(o), qPrintable(name));
            QCOMPARE(line.group != 0, qobject_cast<QRadioButton*>(o) != nullptr);
            break;
        case Project::Kind::ListRow:
            QVERIFY2(qobject_cast<QListWidget*>(o), qPrintable(name));
            if (line.maximum >= 0)
                QCOMPARE(qobject_cast<QListWidget*>(o)->count(), line.maximum + 1);
            break;
        case Project::Kind::ComboIndex:
            QVERIFY2(qobject_cast<QComboBox*>(o), qPrintable(name));
            if (line.maximum >= 0)
                QCOMPARE(qobject_cast<QComboBox*>(o)->count(), line.maximum + 1);
            break;
        case Project::Kind::Text:
            QVERIFY2(qobject_cast<QLineEdit*>(o), qPrintable(name));
            break;
        case Project::Kind::Colour:
            colours.insert(name);
            break;
        }
    }
    QCOMPARE(colours.size(), 8);
    QCOMPARE(Project::lineOf(Project::Key::GraphicsQuality), 93);
    QCOMPARE(Project::lineOf(Project::Key::CustomImagePath), 23);
    QCOMPARE(Project::lineOf(Project::Key::GraphicsColor), 77);
}

void TestProject::fontListMatchesTheFontBox()
{
    auto* box = control<QFontComboBox>(window, "comboTextFontType");
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    QCOMPARE(Project::fontFamilies(), items);
    QCOMPARE(window->currentDesign().fontFamily, items.value(0));
}

// A family typed into the font box is drawn only when it is one of the box's rows, the row the
// project keeps; any other name is put back.
void TestProject::typedFontFamilyIsTheSavedOne()
{
    auto* box = control<QFontComboBox>(window, "comboTextFontType");
    QVERIFY(box->count() > 1);
    const int row = box->count() - 1;
    const QString family = box->itemText(row);
    for (const QString& typed : {family.toLower(), QStringLiteral("No Such Family")}) {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), typed);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(box->count(), Project::fontFamilies().size());
        QCOMPARE(box->currentText(), family);
        QCOMPARE(window->currentDesign().fontFamily, family);
        const QString path = dir->filePath(QStringLiteral("typed.ipr"));
        QVERIFY(window->writeProjectFile(path));
        QCOMPARE(QString::fromLatin1(readAll(path)).split(QLatin1Char('\n')).value(31), QString::number(row));
    }
}

void TestProject::startUpFileIsExact()
{
    const QString path = dir->filePath(QStringLiteral("start.ipr"));
    QVERIFY(window->writeProjectFile(path));
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes, defaultFile());
    QCOMPARE(bytes.count('\n'), 92);
    QVERIFY(!bytes.endsWith('\n'));
    // The published start-up values, line by line.
    QCOMPARE(QString::fromLatin1(bytes).split(QLatin1Char('\n')).mid(0, 17).join(QLatin1Char(',')),
             QStringLiteral("128,1,170,0,0,0,0,170,255,0,0,127,0,0,0,1024,0"));
    QCOMPARE(QString::fromLatin1(bytes).split(QLatin1Char('\n')).mid(17, 34).join(QLatin1Char(',')),
             QStringLiteral(
                 "1,0,0,0,0,,0,100,255,255,255,0,0,,0,600,0,255,255,255,0,0,0,0,10,0,0,0,0,50,45,0,0,0"));
    QCOMPARE(
        QString::fromLatin1(bytes).split(QLatin1Char('\n')).mid(51).join(QLatin1Char(',')),
        QStringLiteral("1,1,1,1,1,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,0,1024,0,80,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,"
                       "200,0,80"));
}

void TestProject::roundTripRestoresEveryValue()
{
    const QString source = dir->filePath(QStringLiteral("unusual.ipr"));
    writeFile(source, unusualFile());
    QVERIFY(window->readProjectFile(source));
    const QString copy = dir->filePath(QStringLiteral("copy.ipr"));
    window->writeProjectFile(copy);
    QCOMPARE(readAll(copy), unusualFile());
    // Colours come back opaque.
    QCOMPARE(window->backgroundColor, QColor(1, 2, 3));
    QCOMPARE(window->backgroundColor.alpha(), 255);
    QCOMPARE(control<QPushButton>(window, "buttonTextShadowColor")->styleSheet(),
             QStringLiteral("background-color: #646e78"));
    QCOMPARE(window->graphicsColor, QColor(130, 140, 150));
    QCOMPARE(control<QListWidget>(window, "listGraphics")->count(), 13); // Multimedia
    QVERIFY(control<QSlider>(window, "sliderIconQuality")->isEnabled());
    QVERIFY(control<QSlider>(window, "sliderGraphicsQuality")->isEnabled());
    // New, then read again: the same file.
    triggerAction(window, "actionNew");
    QVERIFY(window->readProjectFile(copy));
    window->writeProjectFile(copy);
    QCOMPARE(readAll(copy), unusualFile());
}

void TestProject::windowReaderAgreesWithThePureReader_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("unusual") << unusualFile();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("out of range") << QByteArray(
        "9999\n5\n-40\n300\n12\n0\n\n\n\n\n\n\n-3\n5000\n\n\n\n\n99\n\n-7\n"
        "\n\n\n0\n\n\n\n-20000\n20000\n\n77\n5000\n");
    QTest::newRow("garbage") << QByteArray("x\ny\n\xc3\xbf\xc3\xbe\n1.5\n\r\n--\n7");
    QByteArray categories = defaultFile();
    QStringList v = Project::parseLines(categories);
    v[75] = QStringLiteral("6");
    v[79] = QStringLiteral("38"); // the last listed Misc row
    QTest::newRow("misc 39") << Project::formatLines(v);
    v[75] = QStringLiteral("3");
    QTest::newRow("media row past the list") << Project::formatLines(v);
}

void TestProject::windowReaderAgreesWithThePureReader()
{
    QFETCH(QByteArray, file);
    const QString path = dir->filePath(QStringLiteral("p.ipr"));
    writeFile(path, file);
    Project::State expected = window->projectState();
    Project::apply(expected, Project::parseLines(file),
                   control<QComboBox>(window, "comboTextFontType")->count());
    QVERIFY(window->readProjectFile(path));
    QCOMPARE(window->projectState().lines(), expected.lines());
}

void TestProject::emptyFile()
{
    const QString path = dir->filePath(QStringLiteral("empty.ipr"));
    writeFile(path, QByteArray());
    QVERIFY(window->readProjectFile(path));
    for (const char* spin :
         {"spinImageScale", "spinTextFontSize", "spinExportCustomSize", "spinGraphicsCustomSize"})
        QCOMPARE(control<QSpinBox>(window, spin)->value(), 1);
    QCOMPARE(control<QSlider>(window, "sliderBackgroundGradientEndPointY")->value(), 0);
    QCOMPARE(control<QSpinBox>(window, "spinTextOffsetX")->value(), 0);
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        QVERIFY(!box->isChecked());
    for (QColor* colour : {&window->backgroundColor, &window->imageColor, &window->graphicsColor})
        QCOMPARE(*colour, QColor(0, 0, 0));
    QVERIFY(control<QLineEdit>(window, "editText")->text().isEmpty());
    for (const char* list : {"listImageFlat", "listImageColored", "listGraphics"})
        QCOMPARE(control<QListWidget>(window, list)->currentRow(), 0);
    for (const char* combo :
         {"comboTextFontType", "comboIconFormat", "comboGraphicsCategory", "comboGraphicsFormat"})
        QCOMPARE(control<QComboBox>(window, combo)->currentIndex(), 0);
    // All radio flags 0: what was checked before stays checked.
    QVERIFY(control<QRadioButton>(window, "radioBackgroundColor")->isChecked());
    QVERIFY(control<QRadioButton>(window, "radioGraphicsSizeCustom")->isChecked());
}

void TestProject::lineBreaksInTextsKeepTheFileIntact()
{
    // A pasted line break would shift every later line; a trailing carriage return would be lost.
    control<QLineEdit>(window, "editText")->setText(QStringLiteral("two\nlines\r"));
    const QString path = dir->filePath(QStringLiteral("breaks.ipr"));
    window->writeProjectFile(path);
    const QStringList lines = Project::parseLines(readAll(path));
    QCOMPARE(readAll(path).count('\n'), 92);
    QCOMPARE(lines[30], QStringLiteral("two lines "));
    QCOMPARE(lines[92], QStringLiteral("80"));
    // The window draws the text as it is saved: on one line.
    QCOMPARE(window->currentDesign().text, QStringLiteral("two lines "));
    // A file whose text line carries stray carriage returns reads them as spaces, so that it
    // saves back unchanged (found by fuzzing).
    QStringList v = Project::State().lines();
    v[30] = QStringLiteral("170\r\r");
    writeFile(path, Project::formatLines(v));
    QVERIFY(window->readProjectFile(path));
    QCOMPARE(control<QLineEdit>(window, "editText")->text(),
             QStringLiteral("170 ")); // one \r went with the \n
}

void TestProject::radioGroupsTakeTheLastNonZeroFlag()
{
    QStringList v = Project::State().lines();
    v[1] = v[5] = v[16] = QStringLiteral("1"); // colour, gradient, transparent: transparent wins
    v[17] = QStringLiteral("0");
    v[19] = QStringLiteral("2"); // coloured
    v[21] = QStringLiteral("0");
    v[23] = QStringLiteral("0");
    v[80] = v[84] = QStringLiteral("1"); // 20 and 60 px; the custom radio last, but 0
    v[89] = QStringLiteral("0");
    const QString path = dir->filePath(QStringLiteral("radios.ipr"));
    writeFile(path, Project::formatLines(v));
    QVERIFY(window->readProjectFile(path));
    QVERIFY(control<QRadioButton>(window, "radioBackgroundTransparent")->isChecked());
    QVERIFY(!control<QRadioButton>(window, "radioBackgroundColor")->isChecked());
    QVERIFY(control<QRadioButton>(window, "radioImageColored")->isChecked());
    QVERIFY(control<QRadioButton>(window, "radioGraphicsSize60")->isChecked());
    QVERIFY(!control<QRadioButton>(window, "radioGraphicsSize20")->isChecked());
    QVERIFY(!control<QRadioButton>(window, "radioGraphicsSizeCustom")->isChecked());
}

void TestProject::rowsAndIndexesOutsideSelectNothing()
{
    QStringList v = Project::State().lines();
    v[18] = QStringLiteral("-1");
    v[20] = QStringLiteral("35");
    v[79] = QStringLiteral("-1");
    v[73] = QStringLiteral("6");
    v[0] = QStringLiteral("600"); // clamps to 512
    const QString path = dir->filePath(QStringLiteral("rows.ipr"));
    writeFile(path, Project::formatLines(v));
    QVERIFY(window->readProjectFile(path));
    QVERIFY(control<QListWidget>(window, "listImageFlat")->selectedItems().isEmpty());
    QVERIFY(control<QListWidget>(window, "listImageColored")->selectedItems().isEmpty());
    QVERIFY(control<QListWidget>(window, "listGraphics")->selectedItems().isEmpty());
    QCOMPARE(control<QComboBox>(window, "comboIconFormat")->currentIndex(), -1);
    QCOMPARE(control<QSlider>(window, "sliderBackgroundCornerCurvature")->value(), 512);
    QCOMPARE(window->currentDesign().flatImageRow, -1);
    // The row after the list's last would name the library's hidden pictogram: it selects nothing,
    // and the canvas stays empty.
    v = Project::State().lines();
    const int category = v[Project::lineOf(Project::Key::GraphicsCategory) - 1].toInt();
    v[Project::lineOf(Project::Key::GraphicsRow) - 1] = QString::number(Artwork::listedRows(category));
    writeFile(path, Project::formatLines(v));
    QVERIFY(window->readProjectFile(path));
    QVERIFY(control<QListWidget>(window, "listGraphics")->selectedItems().isEmpty());
    const QImage graphic = window->graphicPixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < graphic.height(); y += 7)
        for (int x = 0; x < graphic.width(); x += 7)
            QCOMPARE(qAlpha(graphic.pixel(x, y)), 0);
}

void TestProject::customPicturePathLoadsThePicture()
{
    const QString picture = dir->filePath(QStringLiteral("logo.png"));
    QImage img(40, 30, QImage::Format_ARGB32);
    img.fill(Qt::blue);
    QVERIFY(img.save(picture));
    QStringList v = Project::State().lines();
    v[17] = QStringLiteral("0");
    v[21] = QStringLiteral("1");
    v[22] = picture;
    const QString path = dir->filePath(QStringLiteral("custom.ipr"));
    writeFile(path, Project::formatLines(v));
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionLoadProject");
    QCOMPARE(window->customImage.size(), QSize(40, 30));
    QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(0, 0, 255));
    // Moved away: loads without a picture and without a message; the path still shows.
    QFile::remove(picture);
    Dialogs::takeCalls();
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionLoadProject");
    QCOMPARE(Dialogs::takeCalls().size(), 1);
    QVERIFY(window->customImage.isNull());
    QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), picture);

    // A relative path, saved as another project in another folder, is re-based to that folder.
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("art/sub")) &&
            QDir(dir->path()).mkpath(QStringLiteral("other")));
    QVERIFY(img.save(dir->filePath(QStringLiteral("art/sub/photo.png"))));
    window->projectFilePath = dir->filePath(QStringLiteral("art/first.ipr"));
    control<QLineEdit>(window, "editImageCustom")->setText(QStringLiteral("sub\\photo.png"));
    const QString moved = dir->filePath(QStringLiteral("other/moved.ipr"));
    Dialogs::queueAnswer(moved);
    triggerAction(window, "actionSaveProjectAs");
    const QString stored = Project::parseLines(readAll(moved)).value(22);
    QCOMPARE(stored, QStringLiteral("../art/sub/photo.png"));
    QCOMPARE(loadCustomPicture(customPicturePath(stored, moved)).size(), QSize(40, 30));
}

void TestProject::saveAsAndTitles()
{
    control<QSlider>(window, "sliderTextShadowAngle")->setValue(10);
    const QString path = dir->filePath(QStringLiteral("report.final.ipr"));
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionSaveProjectAs");
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].kind, QStringLiteral("save"));
    QCOMPARE(calls[0].caption, QStringLiteral("Save Project"));
    QCOMPARE(calls[0].filter, QStringLiteral("Glyphwright Project (*.ipr)"));
    QCOMPARE(calls[0].text, homeFolder() + QStringLiteral("/Documents/Glyphwright"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - report"));
    QCOMPARE(window->projectFilePath, path);
    QVERIFY(QFile::exists(path));
    // Saving again asks nothing and rewrites the file.
    control<QSlider>(window, "sliderTextShadowAngle")->setValue(11);
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - report*"));
    triggerAction(window, "actionSaveProject");
    QVERIFY(Dialogs::takeCalls().isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - report"));
    QCOMPARE(Project::parseLines(readAll(path))[47], QStringLiteral("11"));
}

void TestProject::saveWithoutPathAsksForOne()
{
    control<QSlider>(window, "sliderTextShadowAngle")->setValue(10);
    triggerAction(window, "actionSaveProject"); // the dialog is cancelled
    QCOMPARE(Dialogs::takeCalls().value(0).kind, QStringLiteral("save"));
    QVERIFY(window->projectFilePath.isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    QVERIFY(QDir(homeFolder() + QStringLiteral("/Documents/Glyphwright")).entryList(QDir::Files).isEmpty());
}

void TestProject::failedSaveKeepsOldFileAndMarker()
{
    // A project name whose folder is a regular file cannot be written, not even by root.
    writeFile(dir->filePath(QStringLiteral("plain")), "x");
    const QString impossible = dir->filePath(QStringLiteral("plain/p.ipr"));
    control<QSlider>(window, "sliderTextShadowAngle")->setValue(10);
    Dialogs::queueAnswer(impossible);
    triggerAction(window, "actionSaveProjectAs");
    QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls.last().kind, QStringLiteral("warning"));
    QCOMPARE(calls.last().text, QStringLiteral("The project file could not be created."));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    QCOMPARE(window->projectFilePath, impossible); // the next Save tries that name, without a dialog
    triggerAction(window, "actionSaveProject");
    calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].kind, QStringLiteral("warning"));

    // Saving over an existing project that cannot be replaced leaves it as it was: here the
    // name is taken by a folder holding the user's files.
    const QString taken = dir->filePath(QStringLiteral("taken.ipr"));
    QDir(dir->path()).mkpath(QStringLiteral("taken.ipr"));
    writeFile(taken + QStringLiteral("/inside"), "keep");
    window->projectFilePath = taken;
    triggerAction(window, "actionSaveProject");
    QCOMPARE(Dialogs::takeCalls().value(0).kind, QStringLiteral("warning"));
    QCOMPARE(readAll(taken + QStringLiteral("/inside")), QByteArray("keep"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    // No temporary file is left behind.
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({"plain"}));
}

void TestProject::loadAsksThenReplacesTheDesign()
{
    const QString path = dir->filePath(QStringLiteral("shop.spring.ipr"));
    writeFile(path, unusualFile());
    control<QSlider>(window, "sliderBackgroundCornerCurvature")->setValue(5);
    const qint64 icon = window->iconPixmap.cacheKey(), graphic = window->graphicPixmap.cacheKey();
    control<QTabWidget>(window, "tabView")->setCurrentIndex(1);
    // Unsaved work is not dropped without the question New asks: No keeps it, before any dialog.
    Dialogs::queueAnswer(int(QMessageBox::No));
    triggerAction(window, "actionLoadProject");
    QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].kind, QStringLiteral("question"));
    QCOMPARE(calls[0].text, QStringLiteral("You have unsaved changes that will be lost. Continue?"));
    QCOMPARE(control<QSlider>(window, "sliderBackgroundCornerCurvature")->value(), 5);
    Dialogs::queueAnswer(int(QMessageBox::Yes));
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionLoadProject");
    calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[1].kind, QStringLiteral("open"));
    QCOMPARE(calls[1].caption, QStringLiteral("Load Project"));
    QCOMPARE(calls[1].filter, QStringLiteral("Glyphwright Project (*.ipr)"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - shop"));
    QCOMPARE(window->projectFilePath, path);
    QCOMPARE(control<QSlider>(window, "sliderBackgroundCornerCurvature")->value(), 77);
    QVERIFY(window->iconPixmap.cacheKey() != icon && window->graphicPixmap.cacheKey() != graphic);
    QCOMPARE(control<QTabWidget>(window, "tabView")->currentIndex(), 1);
    QCOMPARE(window->currentDesign().text, QStringLiteral("Hé!"));
}

void TestProject::loadOfAnUnreadablePathChangesNothing()
{
    control<QSlider>(window, "sliderBackgroundCornerCurvature")->setValue(5);
    window->projectFilePath = QStringLiteral("/kept/current.ipr");
    const QByteArray before = Project::format(window->projectState());
    for (const QString& bad : {dir->filePath(QStringLiteral("missing.ipr")), dir->path()}) {
        Dialogs::queueAnswer(int(QMessageBox::Yes));
        Dialogs::queueAnswer(bad);
        triggerAction(window, "actionLoadProject");
        const QList<Dialogs::Call> calls = Dialogs::takeCalls();
        QCOMPARE(calls.last().kind, QStringLiteral("warning"));
        QCOMPARE(calls.last().text, QStringLiteral("The project file could not be opened."));
        QCOMPARE(Project::format(window->projectState()), before);
        QCOMPARE(window->projectFilePath, QStringLiteral("/kept/current.ipr"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    }
    // A cancelled dialog does nothing at all.
    Dialogs::queueAnswer(int(QMessageBox::Yes));
    triggerAction(window, "actionLoadProject");
    QCOMPARE(Dialogs::takeCalls().size(), 2);
}

void TestProject::starInTheNameCountsAsChanged()
{
    const QString path = dir->filePath(QStringLiteral("a*b.ipr"));
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionSaveProjectAs");
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - a*b"));
    control<QSlider>(window, "sliderTextShadowAngle")->setValue(10);
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright - a*b"));
    Dialogs::takeCalls();
    triggerAction(window, "actionNew"); // asks, answered No by the empty queue
    QCOMPARE(Dialogs::takeCalls().value(0).kind, QStringLiteral("question"));
    QCOMPARE(window->projectFilePath, path);
}

void TestProject::aboutDialog()
{
    AboutDialog about;
    QCOMPARE(about.size(), QSize(550, 271));
    QCOMPARE(about.minimumSize(), QSize(550, 271));
    QCOMPARE(about.maximumSize(), QSize(550, 271));
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QVERIFY(!(about.windowFlags() & Qt::WindowContextHelpButtonHint));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("label"))->pixmap(Qt::ReturnByValue).size(),
             QSize(240, 253));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("labelTitle"))->text(),
             QStringLiteral("Glyphwright Version 1.0.0"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("label_2"))->text(),
             QStringLiteral("Glyphwright uses the following library:"));
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("label_7"))
                ->text()
                .startsWith(QStringLiteral("Qt Open Source - ")));
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("label_9"))->openExternalLinks());
    const QString credits = about.findChild<QLabel*>(QStringLiteral("label_3"))->text();
    QVERIFY(credits.contains(QStringLiteral("Phosphor")) && credits.contains(QStringLiteral("Material")));
    QCOMPARE(about.findChild<QFrame*>(QStringLiteral("line"))->frameShape(), QFrame::VLine);
}

void TestProject::handWrittenFileLoadsAndSavesExactly()
{
    // Written by hand, not from the line table, with values as distinct as the controls allow
    // (flags alternate), so that two lines of the table swapped or shifted fail here.
    const QByteArray file =
        // lines 1-17: background
        "301\n0\n11\n12\n13\n1\n21\n22\n23\n31\n32\n33\n401\n402\n403\n404\n0\n"
        // lines 18-30: picture
        "0\n5\n0\n6\n1\n/nowhere/logo-23.png\n0\n125\n41\n42\n43\n-29\n30\n"
        // lines 31-51: text
        "Text 31\n1\n333\n1\n51\n52\n53\n0\n-39\n40\n1\n42\n61\n62\n63\n0\n47\n48\n171\n172\n173\n"
        // lines 52-75: export
        "0\n1\n0\n1\n0\n1\n0\n1\n0\n1\n0\n1\n0\n1\n0\n1\n0\n1\n0\n1\n0\n73\n1\n75\n"
        // lines 76-93: graphics
        "4\n81\n82\n83\n8\n0\n0\n0\n0\n0\n1\n0\n0\n0\n0\n91\n2\n93";
    const QString path = dir->filePath(QStringLiteral("hand.ipr"));
    writeFile(path, file);
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionLoadProject");
    QCOMPARE(Dialogs::takeCalls().size(), 1);

    const struct
    {
        const char* control;
        int value;
    } numbers[] = {{"sliderBackgroundCornerCurvature", 301},
                   {"sliderBackgroundGradientStartPointX", 401},
                   {"sliderBackgroundGradientStartPointY", 402},
                   {"sliderBackgroundGradientEndPointX", 403},
                   {"sliderBackgroundGradientEndPointY", 404},
                   {"spinImageScale", 125},
                   {"spinImageOffsetX", -29},
                   {"spinImageOffsetY", 30},
                   {"spinTextFontSize", 333},
                   {"spinTextOffsetX", -39},
                   {"spinTextOffsetY", 40},
                   {"sliderTextStrokeWidth", 42},
                   {"sliderTextShadowOffset", 47},
                   {"sliderTextShadowAngle", 48},
                   {"spinExportCustomSize", 73},
                   {"sliderIconQuality", 75},
                   {"spinGraphicsCustomSize", 91},
                   {"sliderGraphicsQuality", 93}};
    for (const auto& n : numbers) {
        QObject* c = window->findChild<QObject*>(QLatin1String(n.control));
        const auto* slider = qobject_cast<QAbstractSlider*>(c);
        QCOMPARE(slider ? slider->value() : qobject_cast<QSpinBox*>(c)->value(), n.value);
    }
    const QStringList checked = {"radioBackgroundGradient", "radioImageCustom",     "checkTextBold",
                                 "checkTextStroke",         "checkExportAndroid48", "checkExportAndroid96",
                                 "checkExportAndroid192",   "radioExportiOS",       "checkExportiOS40",
                                 "checkExportiOS60",        "checkExportiOS80",     "checkExportiOS120",
                                 "checkExportiOS167",       "checkExportiOS1024",   "radioGraphicsSize90"};
    for (QAbstractButton* b :
         window->findChildren<QAbstractButton*>(QRegularExpression(QStringLiteral("^(radio|check)"))))
        QVERIFY2(b->isChecked() == checked.contains(b->objectName()), qPrintable(b->objectName()));
    const struct
    {
        const QColor& member;
        const char* button;
        QColor value;
    } colours[] = {{window->backgroundColor, "buttonBackgroundColor", QColor(11, 12, 13)},
                   {window->gradientStartColor, "buttonBackgroundGradientStartColor", QColor(21, 22, 23)},
                   {window->gradientEndColor, "buttonBackgroundGradientEndColor", QColor(31, 32, 33)},
                   {window->imageColor, "buttonImageColor", QColor(41, 42, 43)},
                   {window->textColor, "buttonTextColor", QColor(51, 52, 53)},
                   {window->strokeColor, "buttonTextStrokeColor", QColor(61, 62, 63)},
                   {window->shadowColor, "buttonTextShadowColor", QColor(171, 172, 173)},
                   {window->graphicsColor, "buttonGraphicsColor", QColor(81, 82, 83)}};
    for (const auto& c : colours) {
        QCOMPARE(c.member, c.value);
        QCOMPARE(control<QPushButton>(window, c.button)->styleSheet(),
                 QStringLiteral("background-color: ") + c.value.name());
    }
    QCOMPARE(selectedRow(control<QListWidget>(window, "listImageFlat")), 5);
    QCOMPARE(selectedRow(control<QListWidget>(window, "listImageColored")), 6);
    QCOMPARE(control<QListWidget>(window, "listGraphics")->count(), 21); // the Navigation pictograms
    QCOMPARE(selectedRow(control<QListWidget>(window, "listGraphics")), 8);
    QCOMPARE(control<QComboBox>(window, "comboTextFontType")->currentIndex(), 1);
    QCOMPARE(control<QComboBox>(window, "comboIconFormat")->currentIndex(), 1);
    QCOMPARE(control<QComboBox>(window, "comboGraphicsCategory")->currentIndex(), 4);
    QCOMPARE(control<QComboBox>(window, "comboGraphicsFormat")->currentIndex(), 2);
    QVERIFY(control<QSlider>(window, "sliderIconQuality")->isEnabled()); // JPG
    QVERIFY(!control<QSlider>(window, "sliderGraphicsQuality")->isEnabled());
    QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), QStringLiteral("/nowhere/logo-23.png"));
    QCOMPARE(control<QLineEdit>(window, "editText")->text(), QStringLiteral("Text 31"));

    // Saved again, byte for byte the same.
    const QString copy = dir->filePath(QStringLiteral("copy.ipr"));
    Dialogs::queueAnswer(copy);
    triggerAction(window, "actionSaveProjectAs");
    QCOMPARE(readAll(copy), file);
}

// Every line of this file is away from its default, but for the radio flags, where one a group
// is set (gradient, coloured picture, iOS set, 60 px graphic) and the others stay 0. The values are
// all distinct, so a key wired to another field shows.
const QByteArray everyLineChanged =
    // lines 1-17: background
    "200\n0\n1\n2\n3\n1\n10\n20\n30\n40\n50\n60\n101\n102\n903\n904\n0\n"
    // lines 18-30: picture
    "0\n5\n1\n7\n0\n/nowhere/picture.png\n0\n150\n70\n80\n90\n-11\n12\n"
    // lines 31-51: text
    "Ab\n1\n300\n1\n100\n110\n120\n1\n13\n-14\n1\n7\n130\n140\n150\n1\n33\n271\n160\n170\n180\n"
    // lines 52-75: export
    "0\n0\n0\n0\n0\n0\n0\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n333\n1\n42\n"
    // lines 76-93: graphics
    "3\n190\n200\n210\n12\n0\n0\n0\n0\n1\n0\n0\n0\n0\n0\n99\n2\n7";

// The design that file describes, written out field by field.
IconDesign everyLineChangedDesign()
{
    IconDesign d;
    d.useBackgroundColor = false;
    d.useBackgroundGradient = true;
    d.useBackgroundTransparent = false;
    d.cornerCurvature = 200;
    d.backgroundColor = QColor(1, 2, 3);
    d.gradientStartColor = QColor(10, 20, 30);
    d.gradientEndColor = QColor(40, 50, 60);
    d.gradientStartX = 101;
    d.gradientStartY = 102;
    d.gradientEndX = 903;
    d.gradientEndY = 904;
    d.useImageFlat = false;
    d.useImageColored = true;
    d.useImageCustom = false;
    d.flatImageRow = 5;
    d.imageColor = QColor(70, 80, 90);
    d.coloredImageRow = 7;
    d.imageScale = 150;
    d.imageOffsetX = -11;
    d.imageOffsetY = 12;
    d.text = QStringLiteral("Ab");
    d.textBold = true;
    d.textItalic = true;
    d.fontFamily = QStringLiteral("Second Family");
    d.fontSize = 300;
    d.textColor = QColor(100, 110, 120);
    d.textOffsetX = 13;
    d.textOffsetY = -14;
    d.textStroke = true;
    d.strokeWidth = 7;
    d.strokeColor = QColor(130, 140, 150);
    d.textShadow = true;
    d.shadowOffset = 33;
    d.shadowAngle = 271;
    d.shadowColor = QColor(160, 170, 180);
    return d;
}

Q_DECLARE_METATYPE(IconDesign)

void TestProject::handWrittenFileMeansTheDesign_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<IconDesign>("expected");
    QTest::newRow("every line changed") << everyLineChanged << everyLineChangedDesign();
    // Lines 17 and 22 set too: the last radio of each group wins.
    QByteArray other = everyLineChanged;
    QStringList lines = QString::fromUtf8(other).split(QLatin1Char('\n'));
    lines[16] = lines[21] = QStringLiteral("1");
    IconDesign transparentCustom = everyLineChangedDesign();
    transparentCustom.useBackgroundGradient = transparentCustom.useImageColored = false;
    transparentCustom.useBackgroundTransparent = transparentCustom.useImageCustom = true;
    QTest::newRow("transparent, custom") << lines.join(QLatin1Char('\n')).toUtf8() << transparentCustom;
    QTest::newRow("start-up file") << Project::format(Project::State()) << IconDesign();
    // A value past a colour's range is clamped (red 300 is red 255); any non-zero radio flag checks
    // its radio (-1 too); a row equal to the list's length selects nothing.
    const auto changed = [](int line, const char* value) {
        QStringList v = Project::State().lines();
        v[line - 1] = QLatin1String(value);
        return Project::formatLines(v);
    };
    IconDesign red;
    red.backgroundColor.setRed(255);
    QTest::newRow("a colour of 300") << changed(Project::lineOf(Project::Key::BackgroundColor), "300") << red;
    IconDesign gradient;
    gradient.useBackgroundColor = false;
    gradient.useBackgroundGradient = true;
    QTest::newRow("a radio line of -1")
        << changed(Project::lineOf(Project::Key::UseBackgroundGradient), "-1") << gradient;
    IconDesign past;
    past.flatImageRow = -1;
    QTest::newRow("a row of the list's length") << changed(Project::lineOf(Project::Key::FlatImageRow),
                                                           QByteArray::number(Artwork::flatCount).constData())
                                                << past;
}

void TestProject::handWrittenFileMeansTheDesign()
{
    QFETCH(QByteArray, file);
    QFETCH(IconDesign, expected);
    Project::State state;
    Project::apply(state, Project::parseLines(file), 2);
    const QStringList families = {QString(), QStringLiteral("Second Family")};
    const IconDesign d = Project::designOf(state, families, QImage());
    QCOMPARE(d.useBackgroundColor, expected.useBackgroundColor);
    QCOMPARE(d.useBackgroundGradient, expected.useBackgroundGradient);
    QCOMPARE(d.useBackgroundTransparent, expected.useBackgroundTransparent);
    QCOMPARE(d.cornerCurvature, expected.cornerCurvature);
    QCOMPARE(d.backgroundColor, expected.backgroundColor);
    QCOMPARE(d.gradientStartColor, expected.gradientStartColor);
    QCOMPARE(d.gradientEndColor, expected.gradientEndColor);
    QCOMPARE(d.gradientStartX, expected.gradientStartX);
    QCOMPARE(d.gradientStartY, expected.gradientStartY);
    QCOMPARE(d.gradientEndX, expected.gradientEndX);
    QCOMPARE(d.gradientEndY, expected.gradientEndY);
    QCOMPARE(d.useImageFlat, expected.useImageFlat);
    QCOMPARE(d.useImageColored, expected.useImageColored);
    QCOMPARE(d.useImageCustom, expected.useImageCustom);
    QCOMPARE(d.flatImageRow, expected.flatImageRow);
    QCOMPARE(d.imageColor, expected.imageColor);
    QCOMPARE(d.coloredImageRow, expected.coloredImageRow);
    QCOMPARE(d.imageScale, expected.imageScale);
    QCOMPARE(d.imageOffsetX, expected.imageOffsetX);
    QCOMPARE(d.imageOffsetY, expected.imageOffsetY);
    QCOMPARE(d.text, expected.text);
    QCOMPARE(d.textBold, expected.textBold);
    QCOMPARE(d.textItalic, expected.textItalic);
    QCOMPARE(d.fontFamily, expected.fontFamily);
    QCOMPARE(d.fontSize, expected.fontSize);
    QCOMPARE(d.textColor, expected.textColor);
    QCOMPARE(d.textOffsetX, expected.textOffsetX);
    QCOMPARE(d.textOffsetY, expected.textOffsetY);
    QCOMPARE(d.textStroke, expected.textStroke);
    QCOMPARE(d.strokeWidth, expected.strokeWidth);
    QCOMPARE(d.strokeColor, expected.strokeColor);
    QCOMPARE(d.textShadow, expected.textShadow);
    QCOMPARE(d.shadowOffset, expected.shadowOffset);
    QCOMPARE(d.shadowAngle, expected.shadowAngle);
    QCOMPARE(d.shadowColor, expected.shadowColor);
    if (QTest::currentDataTag() != QLatin1String("every line changed"))
        return;
    // The lines past the design, through their keys and the plans they make.
    QCOMPARE(state.text(Project::Key::CustomImagePath), QStringLiteral("/nowhere/picture.png"));
    QCOMPARE(state.number(Project::Key::ExportCustomSize), 333);
    QCOMPARE(state.number(Project::Key::GraphicsCategory), 3);
    QCOMPARE(state.color(Project::Key::GraphicsColor), QColor(190, 200, 210));
    QCOMPARE(state.number(Project::Key::GraphicsRow), 12);
    QCOMPARE(state.number(Project::Key::GraphicsCustomSize), 99);
    const Export::IconPlan icons = Project::iconPlan(state);
    QCOMPARE(icons.sizes, QList<int>()); // the iOS set with every box cleared
    QCOMPARE(QLatin1String(icons.format->name), QLatin1String("JPG"));
    QCOMPARE(icons.quality, 42);
    const Export::ImagePlan image = Project::imagePlan(state);
    QCOMPARE(image.size, 60);
    QCOMPARE(QLatin1String(image.format->name), QLatin1String("BMP"));
    QCOMPARE(image.quality, -1);
    QCOMPARE(Project::format(state), everyLineChanged);
}

void TestProject::textEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac") << QStringLiteral("Café €");
    QTest::newRow("UTF-8 with its mark") << QByteArray("\xef\xbb\xbf"
                                                       "Caf\xc3\xa9")
                                         << QStringLiteral("Café");
    QTest::newRow("UTF-16 with its mark") << QByteArray("\xff\xfe"
                                                        "A\0\xe9\0",
                                                        6)
                                          << QStringLiteral("Aé");
    // Windows-1252 where it differs from Latin-1: the euro sign and curly quotes.
    QTest::newRow("Windows-1252") << QByteArray("\x80 \x93"
                                                "Caf\xe9\x94")
                                  << QStringLiteral("€ “Café”");
    // Bytes Windows-1252 leaves undefined are read as Latin-1 reads them.
    QTest::newRow("undefined in Windows-1252") << QByteArray("A\x81\x8d") << QStringLiteral("A\u0081\u008d");
    // One-byte text that ends as a UTF-8 sequence begins is not UTF-8.
    QTest::newRow("ending in a cut UTF-8 sequence") << QByteArray("Caf\xc3") << QStringLiteral("CafÃ");
}

// A project file's texts in the encodings older files were saved in.
void TestProject::textEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Project::decode(bytes), text);
}

QTEST_MAIN(TestProject)
#include "test_project.moc"
