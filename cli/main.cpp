#include "cli/commandline.h"
#include "resources/initresources.h"

#include <QGuiApplication>

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
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = runCommandLine(arguments, out, err);
    out.flush();
    err.flush();
    return status;
}
