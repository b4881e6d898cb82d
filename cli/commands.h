#pragma once

#include "base/fileio.h"
#include "design/icondesign.h"
#include "packages/package.h"
#include "project/projectformat.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextStream>

class QIODevice;

// The command line's commands and what they are given.
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
    bool dryRun = false;
    bool undo = false; // apply --undo
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
    // A command that reports in its own way runs here instead, and its result is the exit status.
    int (*runAndReport)(const Invocation&, const LoadedProject&, QTextStream& out,
                        QTextStream& err) = nullptr;
};
// In the order --help lists them.
const QList<Command>& commands();
const Command* commandNamed(const QString& name);

// apply --undo APPDIR: puts back what the last apply in the folder `i.output` changed; the exit
// status.
int undoApply(const Invocation& i, QTextStream& out, QTextStream& err);

// The pixel size of the image `device` holds, the largest entry of a container; invalid for
// anything else.
QSize pixelSize(QIODevice* device);

} // namespace Cli
