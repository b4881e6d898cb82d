#include "base/fileio.h"
#include "base/memory.h"
#include "cli/commandline.h"
#include "resources/initresources.h"

#include <cstdio>

namespace {
// Only real errors reach the terminal: the toolkit's start-up notes would clutter scripts' logs.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char* argv[])
{
    // Nothing is shown: the offscreen platform needs no display server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("GLYPHWRIGHT_DEBUG"))
        qInstallMessageHandler(quietMessages);
    initResources();
    // A run makes and drops hundreds of images, and ends.
    Memory::keepFreedBuffers(size_t(1) << 30);
    // Ctrl-C or a kill leaves no temporary file of a write in flight behind.
    Files::removeInFlightOnSignals();
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments;
    const int status = decodeArguments(argc, argv, arguments, err) ? runCommandLine(arguments, out, err) : 2;
    out.flush();
    err.flush();
    // A report or help that could not be written (a full device, a closed pipe) is a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return status == 0 ? 1 : status;
    return status;
}
