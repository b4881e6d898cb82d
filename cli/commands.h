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
    bool undo = false;   // apply --undo
    bool strict = false; // check: warnings fail too
    // Build variants: their names (each written once) and the badge they share (its text, when not
    // given, each variant's name).
    QStringList variants;
};

// A project file read for a command.
struct LoadedProject
{
    Project::State state;
    IconDesign design;
};

// A row of the command table, filled field by field by name:
//   Command::named("icons").takes("PROJECT.ipr OUTDIR").intoFolder().runs(icons).options({...})
struct Command
{
    const char* name = nullptr;
    const char* arguments = nullptr; // after the name, in the usage: "PROJECT.ipr OUTDIR"
    bool writesFolder = false;       // the output is a folder (else a file)
    bool drawsWithToolkit = false;   // on screen pixmaps or with fonts (labels): the toolkit is started first
    const char* description = nullptr; // for --help
    Files::Outcome (*run)(const Invocation&, const LoadedProject&, QTextStream& err) = nullptr;
    // The options of its own it takes (long names; the common ones, such as --quiet, every command
    // takes), and those it cannot run without. The parser refuses any other.
    QStringList options;
    QStringList required;
    // A command that reports in its own way runs here instead, and its result is the exit status.
    int (*runAndReport)(const Invocation&, const LoadedProject&, QTextStream& out,
                        QTextStream& err) = nullptr;
    // A command of one argument (the project, or an app's folder) has no output; given a folder,
    // it runs here, without a project.
    bool single = false;
    int (*runOnFolder)(const Invocation&, QTextStream& out, QTextStream& err) = nullptr;

    static Command named(const char* name)
    {
        Command c;
        c.name = name;
        return c;
    }
    Command takes(const char* usage) const { return with(&Command::arguments, usage); }
    Command intoFolder() const { return with(&Command::writesFolder, true); }
    Command drawing() const { return with(&Command::drawsWithToolkit, true); }
    Command describedAs(const char* text) const { return with(&Command::description, text); }
    Command runs(Files::Outcome (*f)(const Invocation&, const LoadedProject&, QTextStream&)) const
    {
        return with(&Command::run, f);
    }
    Command reportsItself(int (*f)(const Invocation&, const LoadedProject&, QTextStream&, QTextStream&)) const
    {
        return with(&Command::runAndReport, f);
    }
    Command withOptions(const QStringList& names) const { return with(&Command::options, names); }
    Command needing(const QStringList& names) const { return with(&Command::required, names); }
    Command alone() const { return with(&Command::single, true); }
    Command onFolder(int (*f)(const Invocation&, QTextStream&, QTextStream&)) const
    {
        return with(&Command::runOnFolder, f);
    }

  private:
    template <class T, class V> Command with(T Command::*field, const V& value) const
    {
        Command c = *this;
        c.*field = value;
        return c;
    }
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
