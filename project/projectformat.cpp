#include "project/projectformat.h"

#include "export/fileio.h"
#include "render/artwork.h"

#include <QFile>
#include <QFontDatabase>
#include <QTextCodec>
#include <QTextStream>

namespace Project {

const Line lines[lineCount] = {
    {"sliderBackgroundCornerCurvature", Kind::Integer, 0, 512, 0},      // 1
    {"radioBackgroundColor", Kind::Flag, 0, 0, 1},                      // 2
    {"backgroundColor", Kind::Red, 0, 0, 0},                            // 3
    {"backgroundColor", Kind::Green, 0, 0, 0},                          // 4
    {"backgroundColor", Kind::Blue, 0, 0, 0},                           // 5
    {"radioBackgroundGradient", Kind::Flag, 0, 0, 1},                   // 6
    {"gradientStartColor", Kind::Red, 0, 0, 0},                         // 7
    {"gradientStartColor", Kind::Green, 0, 0, 0},                       // 8
    {"gradientStartColor", Kind::Blue, 0, 0, 0},                        // 9
    {"gradientEndColor", Kind::Red, 0, 0, 0},                           // 10
    {"gradientEndColor", Kind::Green, 0, 0, 0},                         // 11
    {"gradientEndColor", Kind::Blue, 0, 0, 0},                          // 12
    {"sliderBackgroundGradientStartPointX", Kind::Integer, 0, 1024, 0}, // 13
    {"sliderBackgroundGradientStartPointY", Kind::Integer, 0, 1024, 0}, // 14
    {"sliderBackgroundGradientEndPointX", Kind::Integer, 0, 1024, 0},   // 15
    {"sliderBackgroundGradientEndPointY", Kind::Integer, 0, 1024, 0},   // 16
    {"radioBackgroundTransparent", Kind::Flag, 0, 0, 1},                // 17
    {"radioImageFlat", Kind::Flag, 0, 0, 2},                            // 18
    {"listImageFlat", Kind::ListRow, 0, 42, 0},                         // 19
    {"radioImageColored", Kind::Flag, 0, 0, 2},                         // 20
    {"listImageColored", Kind::ListRow, 0, 34, 0},                      // 21
    {"radioImageCustom", Kind::Flag, 0, 0, 2},                          // 22
    {"editImageCustom", Kind::Text, 0, 0, 0},                           // 23
    {"radioImageNone", Kind::Flag, 0, 0, 2},                            // 24
    {"spinImageScale", Kind::Integer, 1, 999, 0},                       // 25
    {"imageColor", Kind::Red, 0, 0, 0},                                 // 26
    {"imageColor", Kind::Green, 0, 0, 0},                               // 27
    {"imageColor", Kind::Blue, 0, 0, 0},                                // 28
    {"spinImageOffsetX", Kind::Integer, -10000, 10000, 0},              // 29
    {"spinImageOffsetY", Kind::Integer, -10000, 10000, 0},              // 30
    {"editText", Kind::Text, 0, 0, 0},                                  // 31
    {"comboTextFontType", Kind::ComboIndex, 0, -1, 0},                  // 32
    {"spinTextFontSize", Kind::Integer, 1, 999, 0},                     // 33
    {"checkTextBold", Kind::Flag, 0, 0, 0},                             // 34
    {"textColor", Kind::Red, 0, 0, 0},                                  // 35
    {"textColor", Kind::Green, 0, 0, 0},                                // 36
    {"textColor", Kind::Blue, 0, 0, 0},                                 // 37
    {"checkTextItalic", Kind::Flag, 0, 0, 0},                           // 38
    {"spinTextOffsetX", Kind::Integer, -10000, 10000, 0},               // 39
    {"spinTextOffsetY", Kind::Integer, -10000, 10000, 0},               // 40
    {"checkTextStroke", Kind::Flag, 0, 0, 0},                           // 41
    {"sliderTextStrokeWidth", Kind::Integer, 0, 50, 0},                 // 42
    {"strokeColor", Kind::Red, 0, 0, 0},                                // 43
    {"strokeColor", Kind::Green, 0, 0, 0},                              // 44
    {"strokeColor", Kind::Blue, 0, 0, 0},                               // 45
    {"checkTextShadow", Kind::Flag, 0, 0, 0},                           // 46
    {"sliderTextShadowOffset", Kind::Integer, 0, 512, 0},               // 47
    {"sliderTextShadowAngle", Kind::Integer, 0, 360, 0},                // 48
    {"shadowColor", Kind::Red, 0, 0, 0},                                // 49
    {"shadowColor", Kind::Green, 0, 0, 0},                              // 50
    {"shadowColor", Kind::Blue, 0, 0, 0},                               // 51
    {"radioExportAndroid", Kind::Flag, 0, 0, 3},                        // 52
    {"checkExportAndroid48", Kind::Flag, 0, 0, 0},                      // 53
    {"checkExportAndroid72", Kind::Flag, 0, 0, 0},                      // 54
    {"checkExportAndroid96", Kind::Flag, 0, 0, 0},                      // 55
    {"checkExportAndroid144", Kind::Flag, 0, 0, 0},                     // 56
    {"checkExportAndroid192", Kind::Flag, 0, 0, 0},                     // 57
    {"checkExportAndroid512", Kind::Flag, 0, 0, 0},                     // 58
    {"radioExportiOS", Kind::Flag, 0, 0, 3},                            // 59
    {"checkExportiOS29", Kind::Flag, 0, 0, 0},                          // 60
    {"checkExportiOS40", Kind::Flag, 0, 0, 0},                          // 61
    {"checkExportiOS58", Kind::Flag, 0, 0, 0},                          // 62
    {"checkExportiOS60", Kind::Flag, 0, 0, 0},                          // 63
    {"checkExportiOS76", Kind::Flag, 0, 0, 0},                          // 64
    {"checkExportiOS80", Kind::Flag, 0, 0, 0},                          // 65
    {"checkExportiOS87", Kind::Flag, 0, 0, 0},                          // 66
    {"checkExportiOS120", Kind::Flag, 0, 0, 0},                         // 67
    {"checkExportiOS152", Kind::Flag, 0, 0, 0},                         // 68
    {"checkExportiOS167", Kind::Flag, 0, 0, 0},                         // 69
    {"checkExportiOS180", Kind::Flag, 0, 0, 0},                         // 70
    {"checkExportiOS1024", Kind::Flag, 0, 0, 0},                        // 71
    {"radioExportCustomSize", Kind::Flag, 0, 0, 3},                     // 72
    {"spinExportCustomSize", Kind::Integer, 1, 1024, 0},                // 73
    {"comboIconFormat", Kind::ComboIndex, 0, 5, 0},                     // 74
    {"sliderIconQuality", Kind::Integer, 0, 99, 0},                     // 75
    {"comboGraphicsCategory", Kind::ComboIndex, 0, 6, 0},               // 76
    {"graphicsColor", Kind::Red, 0, 0, 0},                              // 77
    {"graphicsColor", Kind::Green, 0, 0, 0},                            // 78
    {"graphicsColor", Kind::Blue, 0, 0, 0},                             // 79
    {"listGraphics", Kind::ListRow, 0, -1, 0},                          // 80
    {"radioGraphicsSize20", Kind::Flag, 0, 0, 4},                       // 81
    {"radioGraphicsSize30", Kind::Flag, 0, 0, 4},                       // 82
    {"radioGraphicsSize40", Kind::Flag, 0, 0, 4},                       // 83
    {"radioGraphicsSize50", Kind::Flag, 0, 0, 4},                       // 84
    {"radioGraphicsSize60", Kind::Flag, 0, 0, 4},                       // 85
    {"radioGraphicsSize90", Kind::Flag, 0, 0, 4},                       // 86
    {"radioGraphicsSize100", Kind::Flag, 0, 0, 4},                      // 87
    {"radioGraphicsSize120", Kind::Flag, 0, 0, 4},                      // 88
    {"radioGraphicsSize150", Kind::Flag, 0, 0, 4},                      // 89
    {"radioGraphicsSizeCustom", Kind::Flag, 0, 0, 4},                   // 90
    {"spinGraphicsCustomSize", Kind::Integer, 1, 420, 0},               // 91
    {"comboGraphicsFormat", Kind::ComboIndex, 0, 3, 0},                 // 92
    {"sliderGraphicsQuality", Kind::Integer, 0, 99, 0},                 // 93
};

bool isText(const QByteArray& data)
{
    // The codec a text stream would pick: a byte-order mark's, else the locale's.
    QTextCodec* codec = QTextCodec::codecForUtfText(data, QTextCodec::codecForLocale());
    QTextCodec::ConverterState state;
    const QString text = codec->toUnicode(data.constData(), data.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 && !text.contains(QChar(0));
}

FileContents readFile(const QString& path)
{
    FileContents contents;
    QFile file;
    const Files::Result opened = Files::openRegular(file, path, maximumFileSize);
    if (!opened) {
        contents.error = opened.error;
        return contents;
    }
    // The size was checked when opening; reading one byte past the limit notices a file that
    // grows meanwhile.
    const QByteArray data = file.read(maximumFileSize + 1);
    if (data.size() > maximumFileSize)
        contents.error = QStringLiteral("it is larger than %1 bytes").arg(maximumFileSize);
    else if (file.error() != QFileDevice::NoError)
        contents.error = file.errorString();
    else if (!isText(data))
        contents.error = QStringLiteral("it is not a text file");
    else {
        contents.ok = true;
        contents.values = parseLines(data);
    }
    return contents;
}

QStringList parseLines(const QByteArray& data)
{
    QTextStream in(data);
    QStringList values;
    values.reserve(lineCount);
    for (int i = 0; i < lineCount; ++i)
        values.append(in.atEnd() ? QString() : in.readLine());
    return values;
}

int toNumber(const QString& value)
{
    bool ok = false;
    const int n = value.toInt(&ok, 10);
    return ok ? n : 0;
}

QString singleLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return line;
}

QByteArray formatLines(const QStringList& values)
{
    QByteArray data;
    {
        QTextStream out(&data);
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0)
                out << '\n';
            out << values[i];
        }
    }
    return data;
}

State defaultState()
{
    // After start-up: dark red rounded square, flat picture 1 in white, no text, Android set in
    // PNG, the Add pictograms at a custom 200 px in PNG.
    static const char* const values[lineCount] = {
        "128", "1", "170", "0",   "0",   "0", "0", "170", "255",  "0",   "0",   "127", "0", "0", "0",  "1024",
        "0",   "1", "0",   "0",   "0",   "0", "",  "0",   "100",  "255", "255", "255", "0", "0", "",   "0",
        "600", "0", "255", "255", "255", "0", "0", "0",   "0",    "10",  "0",   "0",   "0", "0", "50", "45",
        "0",   "0", "0",   "1",   "1",   "1", "1", "1",   "1",    "1",   "0",   "1",   "1", "1", "1",  "1",
        "1",   "1", "1",   "1",   "1",   "1", "1", "0",   "1024", "0",   "80",  "0",   "0", "0", "0",  "0",
        "0",   "0", "0",   "0",   "0",   "0", "0", "0",   "0",    "1",   "200", "0",   "80"};
    State state;
    for (const char* v : values)
        state << QString::fromLatin1(v);
    return state;
}

int lineOf(const char* target)
{
    for (int i = 0; i < lineCount; ++i)
        if (qstrcmp(lines[i].target, target) == 0)
            return i + 1;
    return 0;
}

void apply(State& state, const QStringList& values, int fontCount)
{
    for (int i = 0; i < lineCount && i < values.size(); ++i) {
        const Line& line = lines[i];
        const int number = toNumber(values[i]);
        switch (line.kind) {
        case Kind::Integer:
            state[i] = QString::number(qBound(line.minimum, number, line.maximum));
            break;
        case Kind::Red:
        case Kind::Green:
        case Kind::Blue:
            state[i] = QString::number(qBound(0, number, 255));
            break;
        case Kind::Flag:
            if (line.group == 0) {
                state[i] = number != 0 ? QStringLiteral("1") : QStringLiteral("0");
            } else if (number != 0) {
                // Checking a radio unchecks the rest of its group; unchecking one does nothing.
                for (int j = 0; j < lineCount; ++j)
                    if (lines[j].kind == Kind::Flag && lines[j].group == line.group)
                        state[j] = QStringLiteral("0");
                state[i] = QStringLiteral("1");
            }
            break;
        case Kind::ListRow:
        case Kind::ComboIndex: {
            int entries = line.maximum + 1;
            if (qstrcmp(line.target, "comboTextFontType") == 0)
                entries = fontCount;
            else if (qstrcmp(line.target, "listGraphics") == 0)
                entries = Artwork::listedRows(toNumber(state[lineOf("comboGraphicsCategory") - 1]));
            state[i] = QString::number(number >= 0 && number < entries ? number : -1);
            break;
        }
        case Kind::Text:
            state[i] = singleLine(values[i]).left(maximumTextLength);
            break;
        }
    }
}

QStringList fontFamilies()
{
    // The font box lists every family of the database but the private ones, in database order.
    QFontDatabase database;
    QStringList families;
    for (const QString& family : database.families())
        if (!database.isPrivateFamily(family))
            families << family;
    return families;
}

IconDesign designOf(const State& state, const QStringList& families, const QImage& customImage)
{
    auto number = [&state](const char* target, int offset = 0) {
        return toNumber(state[lineOf(target) - 1 + offset]);
    };
    auto flag = [&](const char* target) { return number(target) != 0; };
    auto color = [&](const char* target) {
        return QColor(number(target), number(target, 1), number(target, 2));
    };
    IconDesign d;
    d.useBackgroundColor = flag("radioBackgroundColor");
    d.useBackgroundGradient = flag("radioBackgroundGradient");
    d.useBackgroundTransparent = flag("radioBackgroundTransparent");
    d.cornerCurvature = number("sliderBackgroundCornerCurvature");
    d.backgroundColor = color("backgroundColor");
    d.gradientStartColor = color("gradientStartColor");
    d.gradientEndColor = color("gradientEndColor");
    d.gradientStartX = number("sliderBackgroundGradientStartPointX");
    d.gradientStartY = number("sliderBackgroundGradientStartPointY");
    d.gradientEndX = number("sliderBackgroundGradientEndPointX");
    d.gradientEndY = number("sliderBackgroundGradientEndPointY");
    d.useImageFlat = flag("radioImageFlat");
    d.useImageColored = flag("radioImageColored");
    d.useImageCustom = flag("radioImageCustom");
    d.flatImageRow = number("listImageFlat");
    d.imageColor = color("imageColor");
    d.coloredImageRow = number("listImageColored");
    d.customImage = customImage;
    d.imageScale = number("spinImageScale");
    d.imageOffsetX = number("spinImageOffsetX");
    d.imageOffsetY = number("spinImageOffsetY");
    d.text = state[lineOf("editText") - 1];
    d.textBold = flag("checkTextBold");
    d.textItalic = flag("checkTextItalic");
    d.fontFamily = families.value(number("comboTextFontType"));
    d.fontSize = number("spinTextFontSize");
    d.textColor = color("textColor");
    d.textOffsetX = number("spinTextOffsetX");
    d.textOffsetY = number("spinTextOffsetY");
    d.textStroke = flag("checkTextStroke");
    d.strokeWidth = number("sliderTextStrokeWidth");
    d.strokeColor = color("strokeColor");
    d.textShadow = flag("checkTextShadow");
    d.shadowOffset = number("sliderTextShadowOffset");
    d.shadowAngle = number("sliderTextShadowAngle");
    d.shadowColor = color("shadowColor");
    return d;
}

} // namespace Project
