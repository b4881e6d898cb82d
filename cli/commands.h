#pragma once

#include "base/fileio.h"
#include "design/icondesign.h"
#include "packages/package.h"
#include "project/projectformat.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

// The command line's five commands and what they are given.
namespace Cli {

// What the command line asks for.
struct Invocation
{
    QString command, project, output;
    bool quiet = false, json = false, noStamp = false;
    int size = 1024;
    QStringList targets;
    Packages::Options package;
    bool nameGiven = false, appIdGiven = false;
    bool allowMissingPicture = false;
};

// A project file read for a command.
struct LoadedProject
{
    Project::State state;
    IconDesign design;
};

struct Command
{
    const char* name;
    const char* arguments;   // after the name, in the usage: "PROJECT.ipr OUTDIR"
    bool writesFolder;       // the output is a folder (else a file)
    bool drawsWithToolkit;   // on screen pixmaps or with fonts (labels): the toolkit is started first
    const char* description; // for --help
    Files::Outcome (*run)(const Invocation&, const LoadedProject&, QTextStream& err);
    // The options of its own it takes (long names; the common ones, such as --quiet, every command
    // takes), and those it cannot run without. The parser refuses any other.
    QStringList options;
    QStringList required;
};
// In the order --help lists them.
const QList<Command>& commands();
const Command* commandNamed(const QString& name);

} // namespace Cli
