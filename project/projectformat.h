#pragma once

#include "base/reason.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include <array>

// The project file: 93 lines, one value a line, meaning given by the line number alone. Each saved
// control or colour member has a key; a colour takes three lines (red, green, blue).
namespace Project {

// The saved values in file order. Append-only: stored project files depend on this order.
enum class Key {
    // Background
    CornerCurvature,
    UseBackgroundColor,
    BackgroundColor,
    UseBackgroundGradient,
    GradientStartColor,
    GradientEndColor,
    GradientStartX,
    GradientStartY,
    GradientEndX,
    GradientEndY,
    UseBackgroundTransparent,
    // Image
    UseImageFlat,
    FlatImageRow,
    UseImageColored,
    ColoredImageRow,
    UseImageCustom,
    CustomImagePath,
    UseImageNone,
    ImageScale,
    ImageColor,
    ImageOffsetX,
    ImageOffsetY,
    // Text
    Text,
    FontIndex,
    FontSize,
    TextBold,
    TextColor,
    TextItalic,
    TextOffsetX,
    TextOffsetY,
    TextStroke,
    StrokeWidth,
    StrokeColor,
    TextShadow,
    ShadowOffset,
    ShadowAngle,
    ShadowColor,
    // Export
    ExportAndroid,
    ExportAndroid48,
    ExportAndroid72,
    ExportAndroid96,
    ExportAndroid144,
    ExportAndroid192,
    ExportAndroid512,
    ExportIos,
    ExportIos29,
    ExportIos40,
    ExportIos58,
    ExportIos60,
    ExportIos76,
    ExportIos80,
    ExportIos87,
    ExportIos120,
    ExportIos152,
    ExportIos167,
    ExportIos180,
    ExportIos1024,
    ExportCustom,
    ExportCustomSize,
    IconFormat,
    IconQuality,
    // Graphics
    GraphicsCategory,
    GraphicsColor,
    GraphicsRow,
    GraphicsSize20,
    GraphicsSize30,
    GraphicsSize40,
    GraphicsSize50,
    GraphicsSize60,
    GraphicsSize90,
    GraphicsSize100,
    GraphicsSize120,
    GraphicsSize150,
    GraphicsCustom,
    GraphicsCustomSize,
    GraphicsFormat,
    GraphicsQuality,
};
constexpr int keyCount = int(Key::GraphicsQuality) + 1;
constexpr int lineCount = 93;

enum class Kind {
    Integer,    // slider or spin box value
    Flag,       // "1" checked, "0" not
    Colour,     // colour member: red, green and blue lines; alpha is not stored
    ListRow,    // row of the first selected item, -1 when none
    ComboIndex, // current index
    Text,       // line edit text, as is
};

// What putting a value into the window sets off once the value is in place.
enum class After {
    Nothing,
    LoadCustomPicture,   // the picture the custom path names is loaded
    IconQualityRule,     // the icon quality slider follows the icon format
    FillGraphicsList,    // the pictogram list is filled for the category, for the row to select
    GraphicsQualityRule, // the graphics quality slider follows the graphics format
};

struct Entry
{
    Key key;
    const char* objectName; // the window's control, or the colour member for a colour
    Kind kind;
    int minimum;      // integers: the control's range; rows and indexes: 0 ... entries - 1,
    int maximum;      // with -1 where the entries depend on the machine or the category
    int group;        // flags: the exclusive radio group (1 ... 4), 0 for a check box
    int defaultValue; // right after start-up or New; a colour as 0xRRGGBB, texts are empty
    After after;
};
// One entry a key, in key order: the one list of the saved values. The writer, the reader, the
// window's reset and the tests all walk it.
extern const Entry entries[keyCount];
inline const Entry& entry(Key key)
{
    return entries[int(key)];
}
// The file line (1 ... 93) of a key's value, the red line of a colour.
int lineOf(Key key);

// A project file is a few hundred bytes; anything past this is not one.
constexpr qint64 maximumFileSize = 1 << 20;
// The longest text a value holds, as the window's line edits take at most this many characters.
constexpr int maximumTextLength = 32767;

// The window's saved state: a value of the right kind for every key. Reading a file into a state
// does what setting the controls does (see apply()).
class State
{
  public:
    // The state right after start-up or New, with the font at index 0.
    State();

    // Integers, flags (0 or 1), list rows and combo indexes.
    int number(Key key) const;
    bool flag(Key key) const { return number(key) != 0; }
    QColor color(Key key) const; // opaque
    QString text(Key key) const;

    void setNumber(Key key, int value);
    void setFlag(Key key, bool on) { setNumber(key, on ? 1 : 0); }
    void setColor(Key key, const QColor& color);
    void setText(Key key, const QString& text);

    // The 93 values a project file holds, each in the form the writer writes it.
    QStringList lines() const;

    bool operator==(const State& other) const;
    bool operator!=(const State& other) const { return !(*this == other); }

  private:
    struct Value
    {
        int number = 0; // a colour as 0xRRGGBB
        QString text;
    };
    std::array<Value, keyCount> values;
};

// The text of a project file's bytes: in the encoding a byte-order mark names, else UTF-8 where the
// bytes are valid UTF-8, else Windows-1252 (older files written in a one-byte encoding, such as
// Latin-1, read with every character they hold).
QString decode(const QByteArray& data);
// Whether `data` is text: its decoded characters hold no NUL.
bool isText(const QByteArray& data);

struct FileContents
{
    bool ok = false;
    QStringList values; // the 93 values, when ok
    Problem why;        // why the file is not a project file, when not ok
};
// Reads the project file at `path`: a regular text file of at most maximumFileSize bytes, read
// without blocking (a pipe or a device is refused unread), split into its 93 values.
FileContents readFile(const QString& path);

// Splits a file's bytes into exactly 93 values, decoded by decode(). "\n" and "\r\n" breaks read
// alike; missing lines are empty, lines past 93 are ignored.
QStringList parseLines(const QByteArray& data);

// A value line as a number: decimal base 10, anything else 0.
int toNumber(const QString& value);

// A text value as a project line can hold it: each carriage return or line feed becomes a space.
// (A line break inside a text would shift every later line of the file; a trailing carriage
// return would be taken for part of the line break when read back.)
QString singleLine(const QString& text);

// Joins 93 values with line feeds, none after the last, encoded as a text stream does by default.
QByteArray formatLines(const QStringList& values);
// The project file of a state.
inline QByteArray format(const State& state)
{
    return formatLines(state.lines());
}

// Applies the 93 parsed values to `state` in file order, as setting the controls does: integers
// clamp to the control's range, a row or index past the entries selects nothing (-1), a radio flag
// of 0 leaves its group alone while a non-zero flag checks that radio and unchecks the rest,
// colour components clamp to 0 ... 255, texts are cut to maximumTextLength characters.
// `fontCount` is the number of font families the font box lists.
void apply(State& state, const QStringList& values, int fontCount);

} // namespace Project
