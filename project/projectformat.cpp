#include "project/projectformat.h"

#include "export/fileio.h"
#include "render/artwork.h"

#include <QFile>
#include <QFontDatabase>
#include <QTextCodec>
#include <QTextStream>

namespace Project {

const Line lines[lineCount] = {
    {"sliderBackgroundCornerCurvature", Kind::Integer, 0, 512, 0, "128", After::Nothing},     // 1
    {"radioBackgroundColor", Kind::Flag, 0, 0, 1, "1", After::Nothing},                       // 2
    {"backgroundColor", Kind::Red, 0, 0, 0, "170", After::Nothing},                           // 3
    {"backgroundColor", Kind::Green, 0, 0, 0, "0", After::Nothing},                           // 4
    {"backgroundColor", Kind::Blue, 0, 0, 0, "0", After::Nothing},                            // 5
    {"radioBackgroundGradient", Kind::Flag, 0, 0, 1, "0", After::Nothing},                    // 6
    {"gradientStartColor", Kind::Red, 0, 0, 0, "0", After::Nothing},                          // 7
    {"gradientStartColor", Kind::Green, 0, 0, 0, "170", After::Nothing},                      // 8
    {"gradientStartColor", Kind::Blue, 0, 0, 0, "255", After::Nothing},                       // 9
    {"gradientEndColor", Kind::Red, 0, 0, 0, "0", After::Nothing},                            // 10
    {"gradientEndColor", Kind::Green, 0, 0, 0, "0", After::Nothing},                          // 11
    {"gradientEndColor", Kind::Blue, 0, 0, 0, "127", After::Nothing},                         // 12
    {"sliderBackgroundGradientStartPointX", Kind::Integer, 0, 1024, 0, "0", After::Nothing},  // 13
    {"sliderBackgroundGradientStartPointY", Kind::Integer, 0, 1024, 0, "0", After::Nothing},  // 14
    {"sliderBackgroundGradientEndPointX", Kind::Integer, 0, 1024, 0, "0", After::Nothing},    // 15
    {"sliderBackgroundGradientEndPointY", Kind::Integer, 0, 1024, 0, "1024", After::Nothing}, // 16
    {"radioBackgroundTransparent", Kind::Flag, 0, 0, 1, "0", After::Nothing},                 // 17
    {"radioImageFlat", Kind::Flag, 0, 0, 2, "1", After::Nothing},                             // 18
    {"listImageFlat", Kind::ListRow, 0, 42, 0, "0", After::Nothing},                          // 19
    {"radioImageColored", Kind::Flag, 0, 0, 2, "0", After::Nothing},                          // 20
    {"listImageColored", Kind::ListRow, 0, 34, 0, "0", After::Nothing},                       // 21
    {"radioImageCustom", Kind::Flag, 0, 0, 2, "0", After::Nothing},                           // 22
    {"editImageCustom", Kind::Text, 0, 0, 0, "", After::LoadCustomPicture},                   // 23
    {"radioImageNone", Kind::Flag, 0, 0, 2, "0", After::Nothing},                             // 24
    {"spinImageScale", Kind::Integer, 1, 999, 0, "100", After::Nothing},                      // 25
    {"imageColor", Kind::Red, 0, 0, 0, "255", After::Nothing},                                // 26
    {"imageColor", Kind::Green, 0, 0, 0, "255", After::Nothing},                              // 27
    {"imageColor", Kind::Blue, 0, 0, 0, "255", After::Nothing},                               // 28
    {"spinImageOffsetX", Kind::Integer, -10000, 10000, 0, "0", After::Nothing},               // 29
    {"spinImageOffsetY", Kind::Integer, -10000, 10000, 0, "0", After::Nothing},               // 30
    {"editText", Kind::Text, 0, 0, 0, "", After::Nothing},                                    // 31
    {"comboTextFontType", Kind::ComboIndex, 0, -1, 0, "0", After::Nothing},                   // 32
    {"spinTextFontSize", Kind::Integer, 1, 999, 0, "600", After::Nothing},                    // 33
    {"checkTextBold", Kind::Flag, 0, 0, 0, "0", After::Nothing},                              // 34
    {"textColor", Kind::Red, 0, 0, 0, "255", After::Nothing},                                 // 35
    {"textColor", Kind::Green, 0, 0, 0, "255", After::Nothing},                               // 36
    {"textColor", Kind::Blue, 0, 0, 0, "255", After::Nothing},                                // 37
    {"checkTextItalic", Kind::Flag, 0, 0, 0, "0", After::Nothing},                            // 38
    {"spinTextOffsetX", Kind::Integer, -10000, 10000, 0, "0", After::Nothing},                // 39
    {"spinTextOffsetY", Kind::Integer, -10000, 10000, 0, "0", After::Nothing},                // 40
    {"checkTextStroke", Kind::Flag, 0, 0, 0, "0", After::Nothing},                            // 41
    {"sliderTextStrokeWidth", Kind::Integer, 0, 50, 0, "10", After::Nothing},                 // 42
    {"strokeColor", Kind::Red, 0, 0, 0, "0", After::Nothing},                                 // 43
    {"strokeColor", Kind::Green, 0, 0, 0, "0", After::Nothing},                               // 44
    {"strokeColor", Kind::Blue, 0, 0, 0, "0", After::Nothing},                                // 45
    {"checkTextShadow", Kind::Flag, 0, 0, 0, "0", After::Nothing},                            // 46
    {"sliderTextShadowOffset", Kind::Integer, 0, 512, 0, "50", After::Nothing},               // 47
    {"sliderTextShadowAngle", Kind::Integer, 0, 360, 0, "45", After::Nothing},                // 48
    {"shadowColor", Kind::Red, 0, 0, 0, "0", After::Nothing},                                 // 49
    {"shadowColor", Kind::Green, 0, 0, 0, "0", After::Nothing},                               // 50
    {"shadowColor", Kind::Blue, 0, 0, 0, "0", After::Nothing},                                // 51
    {"radioExportAndroid", Kind::Flag, 0, 0, 3, "1", After::Nothing},                         // 52
    {"checkExportAndroid48", Kind::Flag, 0, 0, 0, "1", After::Nothing},                       // 53
    {"checkExportAndroid72", Kind::Flag, 0, 0, 0, "1", After::Nothing},                       // 54
    {"checkExportAndroid96", Kind::Flag, 0, 0, 0, "1", After::Nothing},                       // 55
    {"checkExportAndroid144", Kind::Flag, 0, 0, 0, "1", After::Nothing},                      // 56
    {"checkExportAndroid192", Kind::Flag, 0, 0, 0, "1", After::Nothing},                      // 57
    {"checkExportAndroid512", Kind::Flag, 0, 0, 0, "1", After::Nothing},                      // 58
    {"radioExportiOS", Kind::Flag, 0, 0, 3, "0", After::Nothing},                             // 59
    {"checkExportiOS29", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 60
    {"checkExportiOS40", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 61
    {"checkExportiOS58", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 62
    {"checkExportiOS60", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 63
    {"checkExportiOS76", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 64
    {"checkExportiOS80", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 65
    {"checkExportiOS87", Kind::Flag, 0, 0, 0, "1", After::Nothing},                           // 66
    {"checkExportiOS120", Kind::Flag, 0, 0, 0, "1", After::Nothing},                          // 67
    {"checkExportiOS152", Kind::Flag, 0, 0, 0, "1", After::Nothing},                          // 68
    {"checkExportiOS167", Kind::Flag, 0, 0, 0, "1", After::Nothing},                          // 69
    {"checkExportiOS180", Kind::Flag, 0, 0, 0, "1", After::Nothing},                          // 70
    {"checkExportiOS1024", Kind::Flag, 0, 0, 0, "1", After::Nothing},                         // 71
    {"radioExportCustomSize", Kind::Flag, 0, 0, 3, "0", After::Nothing},                      // 72
    {"spinExportCustomSize", Kind::Integer, 1, 1024, 0, "1024", After::Nothing},              // 73
    {"comboIconFormat", Kind::ComboIndex, 0, 5, 0, "0", After::Nothing},                      // 74
    {"sliderIconQuality", Kind::Integer, 0, 99, 0, "80", After::IconQualityRule},             // 75
    {"comboGraphicsCategory", Kind::ComboIndex, 0, 6, 0, "0", After::FillGraphicsList},       // 76
    {"graphicsColor", Kind::Red, 0, 0, 0, "0", After::Nothing},                               // 77
    {"graphicsColor", Kind::Green, 0, 0, 0, "0", After::Nothing},                             // 78
    {"graphicsColor", Kind::Blue, 0, 0, 0, "0", After::Nothing},                              // 79
    {"listGraphics", Kind::ListRow, 0, -1, 0, "0", After::Nothing},                           // 80
    {"radioGraphicsSize20", Kind::Flag, 0, 0, 4, "0", After::Nothing},                        // 81
    {"radioGraphicsSize30", Kind::Flag, 0, 0, 4, "0", After::Nothing},                        // 82
    {"radioGraphicsSize40", Kind::Flag, 0, 0, 4, "0", After::Nothing},                        // 83
    {"radioGraphicsSize50", Kind::Flag, 0, 0, 4, "0", After::Nothing},                        // 84
    {"radioGraphicsSize60", Kind::Flag, 0, 0, 4, "0", After::Nothing},                        // 85
    {"radioGraphicsSize90", Kind::Flag, 0, 0, 4, "0", After::Nothing},                        // 86
    {"radioGraphicsSize100", Kind::Flag, 0, 0, 4, "0", After::Nothing},                       // 87
    {"radioGraphicsSize120", Kind::Flag, 0, 0, 4, "0", After::Nothing},                       // 88
    {"radioGraphicsSize150", Kind::Flag, 0, 0, 4, "0", After::Nothing},                       // 89
    {"radioGraphicsSizeCustom", Kind::Flag, 0, 0, 4, "1", After::Nothing},                    // 90
    {"spinGraphicsCustomSize", Kind::Integer, 1, 420, 0, "200", After::Nothing},              // 91
    {"comboGraphicsFormat", Kind::ComboIndex, 0, 3, 0, "0", After::Nothing},                  // 92
    {"sliderGraphicsQuality", Kind::Integer, 0, 99, 0, "80", After::GraphicsQualityRule},     // 93
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
    State state;
    for (const Line& line : lines)
        state << QString::fromUtf8(line.defaultValue);
    return state;
}

int State::number(const char* target, int offset) const
{
    const int line = lineOf(target);
    return line ? toNumber(value(line - 1 + offset)) : 0;
}

QColor State::color(const char* target) const
{
    return QColor(number(target), number(target, 1), number(target, 2));
}

QString State::text(const char* target) const
{
    const int line = lineOf(target);
    return line ? value(line - 1) : QString();
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
                entries = Artwork::listedRows(state.number("comboGraphicsCategory"));
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
    IconDesign d{IconDesign::Blank()};
    d.useBackgroundColor = state.flag("radioBackgroundColor");
    d.useBackgroundGradient = state.flag("radioBackgroundGradient");
    d.useBackgroundTransparent = state.flag("radioBackgroundTransparent");
    d.cornerCurvature = state.number("sliderBackgroundCornerCurvature");
    d.backgroundColor = state.color("backgroundColor");
    d.gradientStartColor = state.color("gradientStartColor");
    d.gradientEndColor = state.color("gradientEndColor");
    d.gradientStartX = state.number("sliderBackgroundGradientStartPointX");
    d.gradientStartY = state.number("sliderBackgroundGradientStartPointY");
    d.gradientEndX = state.number("sliderBackgroundGradientEndPointX");
    d.gradientEndY = state.number("sliderBackgroundGradientEndPointY");
    d.useImageFlat = state.flag("radioImageFlat");
    d.useImageColored = state.flag("radioImageColored");
    d.useImageCustom = state.flag("radioImageCustom");
    d.flatImageRow = state.number("listImageFlat");
    d.imageColor = state.color("imageColor");
    d.coloredImageRow = state.number("listImageColored");
    d.customImage = customImage;
    d.imageScale = state.number("spinImageScale");
    d.imageOffsetX = state.number("spinImageOffsetX");
    d.imageOffsetY = state.number("spinImageOffsetY");
    d.text = state.text("editText");
    d.textBold = state.flag("checkTextBold");
    d.textItalic = state.flag("checkTextItalic");
    d.fontFamily = families.value(state.number("comboTextFontType"));
    d.fontSize = state.number("spinTextFontSize");
    d.textColor = state.color("textColor");
    d.textOffsetX = state.number("spinTextOffsetX");
    d.textOffsetY = state.number("spinTextOffsetY");
    d.textStroke = state.flag("checkTextStroke");
    d.strokeWidth = state.number("sliderTextStrokeWidth");
    d.strokeColor = state.color("strokeColor");
    d.textShadow = state.flag("checkTextShadow");
    d.shadowOffset = state.number("sliderTextShadowOffset");
    d.shadowAngle = state.number("sliderTextShadowAngle");
    d.shadowColor = state.color("shadowColor");
    return d;
}

} // namespace Project
