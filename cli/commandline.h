#pragma once

#include <QStringList>
#include <QTextStream>

// The command-line exporter: renders and writes a project's icons without a window, through the
// same project reader, renderer and writers the window uses. `arguments` excludes the program
// name. Returns the exit status: 0 everything written, 1 some files could not be written,
// 2 a usage error or a project file that cannot be opened (nothing written).
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The program's arguments after its name, as text, into `arguments`; false (with the reason on
// `err`) when one is not valid in the file system's encoding, as it would name another file.
bool decodeArguments(int argc, char** argv, QStringList& arguments, QTextStream& err);
