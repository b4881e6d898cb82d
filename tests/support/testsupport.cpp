#include "tests/support/testsupport.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "resources/initresources.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace TestSupport {

namespace {
QTemporaryDir* home = nullptr;
QStringList caught;
QtMessageHandler chained = nullptr;

void catchMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type >= QtWarningMsg)
        caught.append(message);
    if (chained)
        chained(type, context, message);
}
} // namespace

void isolateEnvironment()
{
    home = new QTemporaryDir();
    const QByteArray root = home->path().toLocal8Bit();
    for (const char* sub : {"config", "data", "cache", "runtime", "Documents", "Pictures"})
        QDir(home->path()).mkpath(QLatin1String(sub));
    QFile::setPermissions(home->path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("XDG_DOCUMENTS_DIR", root + "/Documents");
    qputenv("XDG_PICTURES_DIR", root + "/Pictures");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(false);
}

QString homeFolder()
{
    return home ? home->path() : QString();
}

WarningCatcher::WarningCatcher()
{
    caught.clear();
    chained = qInstallMessageHandler(catchMessage);
    previous = reinterpret_cast<void*>(chained);
}

WarningCatcher::~WarningCatcher()
{
    qInstallMessageHandler(reinterpret_cast<QtMessageHandler>(previous));
    chained = nullptr;
}

QStringList WarningCatcher::messages() const
{
    return caught;
}

MainWindow* makeWindow()
{
    initResources();
    Dialogs::setTestMode(true);
    return new MainWindow();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

void triggerAction(QWidget* window, const char* name)
{
    QAction* action = window->findChild<QAction*>(QLatin1String(name));
    if (!action)
        qFatal("no action %s", name);
    action->trigger();
}

void click(QWidget* window, const char* name)
{
    // click() emits clicked() exactly as a mouse click does, also on pages not on show.
    control<QAbstractButton>(window, name)->click();
}

} // namespace TestSupport
