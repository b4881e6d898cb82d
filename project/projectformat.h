#pragma once

#include <QByteArray>
#include <QColor>
#include <QStringList>

// The project file: 93 lines, one value a line, meaning given by the line number alone.
namespace Project {

enum class Kind {
    Integer, // slider or spin box value
    Flag,    // "1" checked, "0" not
    Red,     // colour member, one line per component; alpha is not stored
    Green,
    Blue,
    ListRow,    // row of the first selected item, -1 when none
    ComboIndex, // current index
    Text,       // line edit text, as is
};

// What putting a line's value into the window sets off once the value is in place.
enum class After {
    Nothing,
    LoadCustomPicture,   // the picture the custom path names is loaded
    IconQualityRule,     // the icon quality slider follows the icon format
    FillGraphicsList,    // the pictogram list is filled for the category, for the row to select
    GraphicsQualityRule, // the graphics quality slider follows the graphics format
};

struct Line
{
    const char* target; // control object name, or colour member name for the colour kinds
    Kind kind;
    int minimum;              // integers: the control's range; rows and indexes: 0 ... entries - 1,
    int maximum;              // with -1 where the entries depend on the machine or the category
    int group;                // flags: the exclusive radio group (1 ... 4), 0 for a check box
    const char* defaultValue; // the value right after start-up or New
    After after;
};

constexpr int lineCount = 93;
// Line n of a file is lines[n - 1]. Append-only: stored project files depend on this order. It is
// the one list of the saved controls: the writer, the reader, the reset to defaults and the
// tests all walk it.
extern const Line lines[lineCount];

// A project file is a few hundred bytes; anything past this is not one.
constexpr qint64 maximumFileSize = 1 << 20;
// The longest text a value holds, as the window's line edits take at most this many characters.
constexpr int maximumTextLength = 32767;

// Whether `data` is text as a text stream decodes it by default (the locale's encoding, or the
// one a byte-order mark names): no invalid sequence and no NUL character.
bool isText(const QByteArray& data);

struct FileContents
{
    bool ok = false;
    QStringList values; // the 93 values, when ok
    QString error;      // why the file is not a project file, when not ok
};
// Reads the project file at `path`: a regular text file of at most maximumFileSize bytes, read
// without blocking (a pipe or a device is refused unread), split into its 93 values.
FileContents readFile(const QString& path);

// Splits a file's bytes into exactly 93 values, decoded as a text stream does by default (the
// locale's encoding, a byte-order mark honoured). "\n" and "\r\n" breaks read alike; missing lines
// are empty, lines past 93 are ignored.
QStringList parseLines(const QByteArray& data);

// A value line as a number: decimal base 10, anything else 0.
int toNumber(const QString& value);

// A text value as a project line can hold it: each carriage return or line feed becomes a space.
// (A line break inside a text would shift every later line of the file; a trailing carriage
// return would be taken for part of the line break when read back.)
QString singleLine(const QString& text);

// Joins 93 values with line feeds, none after the last, encoded as a text stream does by default.
QByteArray formatLines(const QStringList& values);

// Line number (1 ... 93) of a control or colour member's first line, 0 when unknown.
int lineOf(const char* target);

// The window's saved state as the 93 values a project file holds, each in the form the writer
// writes it, read by the name of its control or colour member. Reading a file into a state does
// what setting the controls does: integers clamp to the control's range, a row or index past the
// entries selects nothing (-1), a radio flag of 0 leaves its group alone while a non-zero flag
// checks that radio and unchecks the rest, colour components clamp to 0 ... 255, texts are cut
// to maximumTextLength characters.
class State : public QStringList
{
  public:
    State() = default;
    State(const QStringList& values) : QStringList(values) {}
    // A control's value as a number (0 for an unknown name or a line that is not a number), the
    // n-th line after it with `offset`.
    int number(const char* target, int offset = 0) const;
    bool flag(const char* target) const { return number(target) != 0; }
    // A colour member's three lines, opaque.
    QColor color(const char* target) const;
    QString text(const char* target) const;
};

// The state right after start-up or New, with the font at index 0.
State defaultState();
// Applies the 93 parsed values to `state` in file order. `fontCount` is the number of font
// families the font box lists.
void apply(State& state, const QStringList& values, int fontCount);
} // namespace Project

#include "design/icondesign.h"

namespace Project {

// The font families the font box lists, in its order.
QStringList fontFamilies();
// The icon design a state describes, `customImage` being the picture its line 23 names.
IconDesign designOf(const State& state, const QStringList& families, const QImage& customImage);

} // namespace Project
