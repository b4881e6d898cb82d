#include "project/projectformat.h"

#include "base/fileio.h"
#include "export/imageformats.h"
#include "render/artwork.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

namespace Project {

namespace {

// The kinds of row, each filled by name: a number in a range, a check box, a radio button of an
// exclusive group (1 ... 4), a colour (0xRRGGBB, three lines in the file), a list's row or a combo
// box's index (0 ... last, -1 where the entries depend on the machine or the category), a text.
// Defaults are the values right after start-up or New.
constexpr Entry integer(Key key, const char* name, int minimum, int maximum, int byDefault,
                        After after = After::Nothing)
{
    return {key, name, Kind::Integer, minimum, maximum, 0, byDefault, after};
}
constexpr Entry checkBox(Key key, const char* name, bool byDefault)
{
    return {key, name, Kind::Flag, 0, 0, 0, byDefault ? 1 : 0, After::Nothing};
}
constexpr Entry radio(Key key, const char* name, int group, bool byDefault)
{
    return {key, name, Kind::Flag, 0, 0, group, byDefault ? 1 : 0, After::Nothing};
}
constexpr Entry colour(Key key, const char* name, int byDefault)
{
    return {key, name, Kind::Colour, 0, 0, 0, byDefault, After::Nothing};
}
constexpr Entry listRow(Key key, const char* name, int last, After after = After::Nothing)
{
    return {key, name, Kind::ListRow, 0, last, 0, 0, after};
}
constexpr Entry comboIndex(Key key, const char* name, int last, After after = After::Nothing)
{
    return {key, name, Kind::ComboIndex, 0, last, 0, 0, after};
}
constexpr Entry text(Key key, const char* name, After after = After::Nothing)
{
    return {key, name, Kind::Text, 0, 0, 0, 0, after};
}

} // namespace

// Append-only: stored project files depend on this order (a key's file line follows from the rows
// before it; lineOf() gives it).
constexpr Entry entries[keyCount] = {
    integer(Key::CornerCurvature, "sliderBackgroundCornerCurvature", 0, 512, 128),
    radio(Key::UseBackgroundColor, "radioBackgroundColor", 1, true),
    colour(Key::BackgroundColor, "backgroundColor", 0xaa0000),
    radio(Key::UseBackgroundGradient, "radioBackgroundGradient", 1, false),
    colour(Key::GradientStartColor, "gradientStartColor", 0x00aaff),
    colour(Key::GradientEndColor, "gradientEndColor", 0x00007f),
    integer(Key::GradientStartX, "sliderBackgroundGradientStartPointX", 0, 1024, 0),
    integer(Key::GradientStartY, "sliderBackgroundGradientStartPointY", 0, 1024, 0),
    integer(Key::GradientEndX, "sliderBackgroundGradientEndPointX", 0, 1024, 0),
    integer(Key::GradientEndY, "sliderBackgroundGradientEndPointY", 0, 1024, 1024),
    radio(Key::UseBackgroundTransparent, "radioBackgroundTransparent", 1, false),
    radio(Key::UseImageFlat, "radioImageFlat", 2, true),
    listRow(Key::FlatImageRow, "listImageFlat", Artwork::flatCount - 1),
    radio(Key::UseImageColored, "radioImageColored", 2, false),
    listRow(Key::ColoredImageRow, "listImageColored", Artwork::coloredCount - 1),
    radio(Key::UseImageCustom, "radioImageCustom", 2, false),
    text(Key::CustomImagePath, "editImageCustom", After::LoadCustomPicture),
    radio(Key::UseImageNone, "radioImageNone", 2, false),
    integer(Key::ImageScale, "spinImageScale", 1, 999, 100),
    colour(Key::ImageColor, "imageColor", 0xffffff),
    integer(Key::ImageOffsetX, "spinImageOffsetX", -10000, 10000, 0),
    integer(Key::ImageOffsetY, "spinImageOffsetY", -10000, 10000, 0),
    text(Key::Text, "editText"),
    comboIndex(Key::FontIndex, "comboTextFontType", -1),
    integer(Key::FontSize, "spinTextFontSize", 1, 999, 600),
    checkBox(Key::TextBold, "checkTextBold", false),
    colour(Key::TextColor, "textColor", 0xffffff),
    checkBox(Key::TextItalic, "checkTextItalic", false),
    integer(Key::TextOffsetX, "spinTextOffsetX", -10000, 10000, 0),
    integer(Key::TextOffsetY, "spinTextOffsetY", -10000, 10000, 0),
    checkBox(Key::TextStroke, "checkTextStroke", false),
    integer(Key::StrokeWidth, "sliderTextStrokeWidth", 0, 50, 10),
    colour(Key::StrokeColor, "strokeColor", 0x000000),
    checkBox(Key::TextShadow, "checkTextShadow", false),
    integer(Key::ShadowOffset, "sliderTextShadowOffset", 0, 512, 50),
    integer(Key::ShadowAngle, "sliderTextShadowAngle", 0, 360, 45),
    colour(Key::ShadowColor, "shadowColor", 0x000000),
    radio(Key::ExportAndroid, "radioExportAndroid", 3, true),
    checkBox(Key::ExportAndroid48, "checkExportAndroid48", true),
    checkBox(Key::ExportAndroid72, "checkExportAndroid72", true),
    checkBox(Key::ExportAndroid96, "checkExportAndroid96", true),
    checkBox(Key::ExportAndroid144, "checkExportAndroid144", true),
    checkBox(Key::ExportAndroid192, "checkExportAndroid192", true),
    checkBox(Key::ExportAndroid512, "checkExportAndroid512", true),
    radio(Key::ExportIos, "radioExportiOS", 3, false),
    checkBox(Key::ExportIos29, "checkExportiOS29", true),
    checkBox(Key::ExportIos40, "checkExportiOS40", true),
    checkBox(Key::ExportIos58, "checkExportiOS58", true),
    checkBox(Key::ExportIos60, "checkExportiOS60", true),
    checkBox(Key::ExportIos76, "checkExportiOS76", true),
    checkBox(Key::ExportIos80, "checkExportiOS80", true),
    checkBox(Key::ExportIos87, "checkExportiOS87", true),
    checkBox(Key::ExportIos120, "checkExportiOS120", true),
    checkBox(Key::ExportIos152, "checkExportiOS152", true),
    checkBox(Key::ExportIos167, "checkExportiOS167", true),
    checkBox(Key::ExportIos180, "checkExportiOS180", true),
    checkBox(Key::ExportIos1024, "checkExportiOS1024", true),
    radio(Key::ExportCustom, "radioExportCustomSize", 3, false),
    integer(Key::ExportCustomSize, "spinExportCustomSize", 1, 1024, 1024),
    comboIndex(Key::IconFormat, "comboIconFormat", Export::iconFormatCount - 1),
    integer(Key::IconQuality, "sliderIconQuality", 0, 99, 80, After::IconQualityRule),
    comboIndex(Key::GraphicsCategory, "comboGraphicsCategory", Artwork::categoryCount - 1,
               After::FillGraphicsList),
    colour(Key::GraphicsColor, "graphicsColor", 0x000000),
    listRow(Key::GraphicsRow, "listGraphics", -1),
    radio(Key::GraphicsSize20, "radioGraphicsSize20", 4, false),
    radio(Key::GraphicsSize30, "radioGraphicsSize30", 4, false),
    radio(Key::GraphicsSize40, "radioGraphicsSize40", 4, false),
    radio(Key::GraphicsSize50, "radioGraphicsSize50", 4, false),
    radio(Key::GraphicsSize60, "radioGraphicsSize60", 4, false),
    radio(Key::GraphicsSize90, "radioGraphicsSize90", 4, false),
    radio(Key::GraphicsSize100, "radioGraphicsSize100", 4, false),
    radio(Key::GraphicsSize120, "radioGraphicsSize120", 4, false),
    radio(Key::GraphicsSize150, "radioGraphicsSize150", 4, false),
    radio(Key::GraphicsCustom, "radioGraphicsSizeCustom", 4, true),
    integer(Key::GraphicsCustomSize, "spinGraphicsCustomSize", 1, 420, 200),
    comboIndex(Key::GraphicsFormat, "comboGraphicsFormat", Export::graphicFormatCount - 1),
    integer(Key::GraphicsQuality, "sliderGraphicsQuality", 0, 99, 80, After::GraphicsQualityRule),
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
