#pragma once

#include <QByteArray>
#include <QStringList>

// The project file: 93 lines, one value a line, meaning given by the line number alone.
namespace Project {

enum class Kind {
    Integer,    // slider or spin box value
    Flag,       // "1" checked, "0" not
    Red,        // colour member, one line per component; alpha is not stored
    Green,
    Blue,
    ListRow,    // row of the first selected item, -1 when none
    ComboIndex, // current index
    Text,       // line edit text, as is
};

struct Line {
    const char* target; // control object name, or colour member name for the colour kinds
    Kind kind;
};

constexpr int lineCount = 93;
// Line n of a file is lines[n - 1]. Append-only: stored project files depend on this order.
extern const Line lines[lineCount];

// Splits a file's bytes into exactly 93 values, decoded as a text stream does by default (the
// locale's encoding, a byte-order mark honoured). "\n" and "\r\n" breaks read alike; missing lines
// are empty, lines past 93 are ignored.
QStringList parseLines(const QByteArray& data);

// A value line as a number: decimal base 10, anything else 0.
int toNumber(const QString& value);

// Joins 93 values with line feeds, none after the last, encoded as a text stream does by default.
QByteArray formatLines(const QStringList& values);

} // namespace Project
