#include "project/projectformat.h"

#include "base/fileio.h"
#include "export/imageformats.h"
#include "render/artwork.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

namespace Project {

constexpr Entry entries[keyCount] = {
    {Key::CornerCurvature, "sliderBackgroundCornerCurvature", Kind::Integer, 0, 512, 0, 128,
     After::Nothing},                                                                                 // 1
    {Key::UseBackgroundColor, "radioBackgroundColor", Kind::Flag, 0, 0, 1, 1, After::Nothing},        // 2
    {Key::BackgroundColor, "backgroundColor", Kind::Colour, 0, 0, 0, 0xaa0000, After::Nothing},       // 3
    {Key::UseBackgroundGradient, "radioBackgroundGradient", Kind::Flag, 0, 0, 1, 0, After::Nothing},  // 6
    {Key::GradientStartColor, "gradientStartColor", Kind::Colour, 0, 0, 0, 0x00aaff, After::Nothing}, // 7
    {Key::GradientEndColor, "gradientEndColor", Kind::Colour, 0, 0, 0, 0x00007f, After::Nothing},     // 10
    {Key::GradientStartX, "sliderBackgroundGradientStartPointX", Kind::Integer, 0, 1024, 0, 0,
     After::Nothing}, // 13
    {Key::GradientStartY, "sliderBackgroundGradientStartPointY", Kind::Integer, 0, 1024, 0, 0,
     After::Nothing}, // 14
    {Key::GradientEndX, "sliderBackgroundGradientEndPointX", Kind::Integer, 0, 1024, 0, 0,
     After::Nothing}, // 15
    {Key::GradientEndY, "sliderBackgroundGradientEndPointY", Kind::Integer, 0, 1024, 0, 1024,
     After::Nothing}, // 16
    {Key::UseBackgroundTransparent, "radioBackgroundTransparent", Kind::Flag, 0, 0, 1, 0,
     After::Nothing},                                                              // 17
    {Key::UseImageFlat, "radioImageFlat", Kind::Flag, 0, 0, 2, 1, After::Nothing}, // 18
    {Key::FlatImageRow, "listImageFlat", Kind::ListRow, 0, Artwork::flatCount - 1, 0, 0,
     After::Nothing},                                                                    // 19
    {Key::UseImageColored, "radioImageColored", Kind::Flag, 0, 0, 2, 0, After::Nothing}, // 20
    {Key::ColoredImageRow, "listImageColored", Kind::ListRow, 0, Artwork::coloredCount - 1, 0, 0,
     After::Nothing},                                                                                 // 21
    {Key::UseImageCustom, "radioImageCustom", Kind::Flag, 0, 0, 2, 0, After::Nothing},                // 22
    {Key::CustomImagePath, "editImageCustom", Kind::Text, 0, 0, 0, 0, After::LoadCustomPicture},      // 23
    {Key::UseImageNone, "radioImageNone", Kind::Flag, 0, 0, 2, 0, After::Nothing},                    // 24
    {Key::ImageScale, "spinImageScale", Kind::Integer, 1, 999, 0, 100, After::Nothing},               // 25
    {Key::ImageColor, "imageColor", Kind::Colour, 0, 0, 0, 0xffffff, After::Nothing},                 // 26
    {Key::ImageOffsetX, "spinImageOffsetX", Kind::Integer, -10000, 10000, 0, 0, After::Nothing},      // 29
    {Key::ImageOffsetY, "spinImageOffsetY", Kind::Integer, -10000, 10000, 0, 0, After::Nothing},      // 30
    {Key::Text, "editText", Kind::Text, 0, 0, 0, 0, After::Nothing},                                  // 31
    {Key::FontIndex, "comboTextFontType", Kind::ComboIndex, 0, -1, 0, 0, After::Nothing},             // 32
    {Key::FontSize, "spinTextFontSize", Kind::Integer, 1, 999, 0, 600, After::Nothing},               // 33
    {Key::TextBold, "checkTextBold", Kind::Flag, 0, 0, 0, 0, After::Nothing},                         // 34
    {Key::TextColor, "textColor", Kind::Colour, 0, 0, 0, 0xffffff, After::Nothing},                   // 35
    {Key::TextItalic, "checkTextItalic", Kind::Flag, 0, 0, 0, 0, After::Nothing},                     // 38
    {Key::TextOffsetX, "spinTextOffsetX", Kind::Integer, -10000, 10000, 0, 0, After::Nothing},        // 39
    {Key::TextOffsetY, "spinTextOffsetY", Kind::Integer, -10000, 10000, 0, 0, After::Nothing},        // 40
    {Key::TextStroke, "checkTextStroke", Kind::Flag, 0, 0, 0, 0, After::Nothing},                     // 41
    {Key::StrokeWidth, "sliderTextStrokeWidth", Kind::Integer, 0, 50, 0, 10, After::Nothing},         // 42
    {Key::StrokeColor, "strokeColor", Kind::Colour, 0, 0, 0, 0x000000, After::Nothing},               // 43
    {Key::TextShadow, "checkTextShadow", Kind::Flag, 0, 0, 0, 0, After::Nothing},                     // 46
    {Key::ShadowOffset, "sliderTextShadowOffset", Kind::Integer, 0, 512, 0, 50, After::Nothing},      // 47
    {Key::ShadowAngle, "sliderTextShadowAngle", Kind::Integer, 0, 360, 0, 45, After::Nothing},        // 48
    {Key::ShadowColor, "shadowColor", Kind::Colour, 0, 0, 0, 0x000000, After::Nothing},               // 49
    {Key::ExportAndroid, "radioExportAndroid", Kind::Flag, 0, 0, 3, 1, After::Nothing},               // 52
    {Key::ExportAndroid48, "checkExportAndroid48", Kind::Flag, 0, 0, 0, 1, After::Nothing},           // 53
    {Key::ExportAndroid72, "checkExportAndroid72", Kind::Flag, 0, 0, 0, 1, After::Nothing},           // 54
    {Key::ExportAndroid96, "checkExportAndroid96", Kind::Flag, 0, 0, 0, 1, After::Nothing},           // 55
    {Key::ExportAndroid144, "checkExportAndroid144", Kind::Flag, 0, 0, 0, 1, After::Nothing},         // 56
    {Key::ExportAndroid192, "checkExportAndroid192", Kind::Flag, 0, 0, 0, 1, After::Nothing},         // 57
    {Key::ExportAndroid512, "checkExportAndroid512", Kind::Flag, 0, 0, 0, 1, After::Nothing},         // 58
    {Key::ExportIos, "radioExportiOS", Kind::Flag, 0, 0, 3, 0, After::Nothing},                       // 59
    {Key::ExportIos29, "checkExportiOS29", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 60
    {Key::ExportIos40, "checkExportiOS40", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 61
    {Key::ExportIos58, "checkExportiOS58", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 62
    {Key::ExportIos60, "checkExportiOS60", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 63
    {Key::ExportIos76, "checkExportiOS76", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 64
    {Key::ExportIos80, "checkExportiOS80", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 65
    {Key::ExportIos87, "checkExportiOS87", Kind::Flag, 0, 0, 0, 1, After::Nothing},                   // 66
    {Key::ExportIos120, "checkExportiOS120", Kind::Flag, 0, 0, 0, 1, After::Nothing},                 // 67
    {Key::ExportIos152, "checkExportiOS152", Kind::Flag, 0, 0, 0, 1, After::Nothing},                 // 68
    {Key::ExportIos167, "checkExportiOS167", Kind::Flag, 0, 0, 0, 1, After::Nothing},                 // 69
    {Key::ExportIos180, "checkExportiOS180", Kind::Flag, 0, 0, 0, 1, After::Nothing},                 // 70
    {Key::ExportIos1024, "checkExportiOS1024", Kind::Flag, 0, 0, 0, 1, After::Nothing},               // 71
    {Key::ExportCustom, "radioExportCustomSize", Kind::Flag, 0, 0, 3, 0, After::Nothing},             // 72
    {Key::ExportCustomSize, "spinExportCustomSize", Kind::Integer, 1, 1024, 0, 1024, After::Nothing}, // 73
    {Key::IconFormat, "comboIconFormat", Kind::ComboIndex, 0, Export::iconFormatCount - 1, 0, 0,
     After::Nothing},                                                                             // 74
    {Key::IconQuality, "sliderIconQuality", Kind::Integer, 0, 99, 0, 80, After::IconQualityRule}, // 75
    {Key::GraphicsCategory, "comboGraphicsCategory", Kind::ComboIndex, 0, Artwork::categoryCount - 1, 0, 0,
     After::FillGraphicsList},                                                                          // 76
    {Key::GraphicsColor, "graphicsColor", Kind::Colour, 0, 0, 0, 0x000000, After::Nothing},             // 77
    {Key::GraphicsRow, "listGraphics", Kind::ListRow, 0, -1, 0, 0, After::Nothing},                     // 80
    {Key::GraphicsSize20, "radioGraphicsSize20", Kind::Flag, 0, 0, 4, 0, After::Nothing},               // 81
    {Key::GraphicsSize30, "radioGraphicsSize30", Kind::Flag, 0, 0, 4, 0, After::Nothing},               // 82
    {Key::GraphicsSize40, "radioGraphicsSize40", Kind::Flag, 0, 0, 4, 0, After::Nothing},               // 83
    {Key::GraphicsSize50, "radioGraphicsSize50", Kind::Flag, 0, 0, 4, 0, After::Nothing},               // 84
    {Key::GraphicsSize60, "radioGraphicsSize60", Kind::Flag, 0, 0, 4, 0, After::Nothing},               // 85
    {Key::GraphicsSize90, "radioGraphicsSize90", Kind::Flag, 0, 0, 4, 0, After::Nothing},               // 86
    {Key::GraphicsSize100, "radioGraphicsSize100", Kind::Flag, 0, 0, 4, 0, After::Nothing},             // 87
    {Key::GraphicsSize120, "radioGraphicsSize120", Kind::Flag, 0, 0, 4, 0, After::Nothing},             // 88
    {Key::GraphicsSize150, "radioGraphicsSize150", Kind::Flag, 0, 0, 4, 0, After::Nothing},             // 89
    {Key::GraphicsCustom, "radioGraphicsSizeCustom", Kind::Flag, 0, 0, 4, 1, After::Nothing},           // 90
    {Key::GraphicsCustomSize, "spinGraphicsCustomSize", Kind::Integer, 1, 420, 0, 200, After::Nothing}, // 91
    {Key::GraphicsFormat, "comboGraphicsFormat", Kind::ComboIndex, 0, Export::graphicFormatCount - 1, 0, 0,
     After::Nothing}, // 92
    {Key::GraphicsQuality, "sliderGraphicsQuality", Kind::Integer, 0, 99, 0, 80,
     After::GraphicsQualityRule}, // 93
};

namespace {

constexpr bool inKeyOrder()
{
    for (int i = 0; i < keyCount; ++i)
        if (int(entries[i].key) != i)
            return false;
    return true;
}
static_assert(inKeyOrder(), "the entries must follow the keys");

constexpr int linesOf(Kind kind)
{
    return kind == Kind::Colour ? 3 : 1;
}

constexpr bool fillsTheFile()
{
    int lines = 0;
    for (const Entry& e : entries)
        lines += linesOf(e.kind);
    return lines == lineCount;
}
static_assert(fillsTheFile(), "the entries must take the 93 lines of the file");

QRgb clampedRgb(int red, int green, int blue)
{
    return qRgb(qBound(0, red, 255), qBound(0, green, 255), qBound(0, blue, 255)) & 0xffffff;
}

} // namespace

int lineOf(Key key)
{
    int line = 1;
    for (int i = 0; i < int(key); ++i)
        line += linesOf(entries[i].kind);
    return line;
}

State::State()
{
    for (const Entry& e : entries)
        values[int(e.key)].number = e.defaultValue;
}

int State::number(Key key) const
{
    Q_ASSERT(entry(key).kind != Kind::Colour && entry(key).kind != Kind::Text);
    return values[int(key)].number;
}

QColor State::color(Key key) const
{
    Q_ASSERT(entry(key).kind == Kind::Colour);
    return QColor(QRgb(values[int(key)].number) | 0xff000000u);
}

QString State::text(Key key) const
{
    Q_ASSERT(entry(key).kind == Kind::Text);
    return values[int(key)].text;
}

void State::setNumber(Key key, int value)
{
    Q_ASSERT(entry(key).kind != Kind::Colour && entry(key).kind != Kind::Text);
    values[int(key)].number = value;
}

void State::setColor(Key key, const QColor& color)
{
    Q_ASSERT(entry(key).kind == Kind::Colour);
    values[int(key)].number = int(color.rgb() & 0xffffff);
}

void State::setText(Key key, const QString& text)
{
    Q_ASSERT(entry(key).kind == Kind::Text);
    values[int(key)].text = text;
}

QStringList State::lines() const
{
    QStringList lines;
    lines.reserve(lineCount);
    for (const Entry& e : entries) {
        const Value& v = values[int(e.key)];
        switch (e.kind) {
        case Kind::Colour:
            lines << QString::number(qRed(QRgb(v.number))) << QString::number(qGreen(QRgb(v.number)))
                  << QString::number(qBlue(QRgb(v.number)));
            break;
        case Kind::Text:
            lines << singleLine(v.text);
            break;
        default:
            lines << QString::number(v.number);
            break;
        }
    }
    return lines;
}

bool State::operator==(const State& other) const
{
    for (int i = 0; i < keyCount; ++i)
        if (values[i].number != other.values[i].number || values[i].text != other.values[i].text)
            return false;
    return true;
}

QString decode(const QByteArray& data)
{
    // A byte-order mark names its encoding; the codec drops the mark.
    if (QTextCodec* marked = QTextCodec::codecForUtfText(data, nullptr))
        return marked->toUnicode(data);
    QTextCodec::ConverterState state;
    const QString utf8 = QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return utf8;
    // Older files hold their texts in a one-byte encoding: Windows-1252 maps the five bytes it
    // leaves undefined as Latin-1 does.
    return QTextCodec::codecForName("Windows-1252")->toUnicode(data);
}

bool isText(const QByteArray& data)
{
    return !decode(data).contains(QChar(0));
}

FileContents readFile(const QString& path)
{
    FileContents contents;
    QFile file;
    const Files::Result opened = Files::openRegular(file, path, maximumFileSize);
    if (!opened) {
        contents.why = opened.problem;
        return contents;
    }
    // The size was checked when opening; reading one byte past the limit notices a file that
    // grows meanwhile.
    const QByteArray data = file.read(maximumFileSize + 1);
    if (data.size() > maximumFileSize)
        contents.why = {Reason::FileLarger, {QString::number(maximumFileSize)}, QString()};
    else if (file.error() != QFileDevice::NoError)
        contents.why = {Reason::System, {file.errorString()}, QString()};
    else if (!isText(data))
        contents.why = {Reason::NotTextFile, {}, QString()};
    else {
        contents.ok = true;
        contents.values = parseLines(data);
    }
    return contents;
}

QStringList parseLines(const QByteArray& data)
{
    QString text = decode(data);
    QTextStream in(&text, QIODevice::ReadOnly);
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

void apply(State& state, const QStringList& values, int fontCount)
{
    int line = 0;
    for (const Entry& e : entries) {
        if (line >= values.size())
            return;
        const int number = toNumber(values[line]);
        switch (e.kind) {
        case Kind::Integer:
            state.setNumber(e.key, qBound(e.minimum, number, e.maximum));
            break;
        case Kind::Colour:
            state.setColor(e.key, QColor(clampedRgb(number, toNumber(values.value(line + 1)),
                                                    toNumber(values.value(line + 2)))));
            break;
        case Kind::Flag:
            if (e.group == 0) {
                state.setFlag(e.key, number != 0);
            } else if (number != 0) {
                // Checking a radio unchecks the rest of its group; unchecking one does nothing.
                for (const Entry& other : entries)
                    if (other.kind == Kind::Flag && other.group == e.group)
                        state.setFlag(other.key, false);
                state.setFlag(e.key, true);
            }
            break;
        case Kind::ListRow:
        case Kind::ComboIndex: {
            int count = e.maximum + 1;
            if (e.key == Key::FontIndex)
                count = fontCount;
            else if (e.key == Key::GraphicsRow)
                count = Artwork::listedRows(state.number(Key::GraphicsCategory));
            state.setNumber(e.key, number >= 0 && number < count ? number : -1);
            break;
        }
        case Kind::Text:
            state.setText(e.key, singleLine(values[line]).left(maximumTextLength));
            break;
        }
        line += linesOf(e.kind);
    }
}

} // namespace Project
