#include "tests/support/testsupport.h"

#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "cli/commandline.h"
#include "design/icondesign.h"
#include "project/projectformat.h"
#include "render/vectorpicture.h"
#include "resources/initresources.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

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

QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return files;
}

QString projectFile(const QString& folder, const QString& name, const QMap<int, QString>& changes)
{
    QStringList v = Project::State().lines();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        v[it.key() - 1] = it.value();
    const QString path = folder + QLatin1Char('/') + name;
    writeFile(path, Project::formatLines(v));
    return path;
}

Run cli(const QStringList& arguments)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runCommandLine(arguments, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
}

void Process::setupChildProcess()
{
    // In the child, before the program runs: a group of its own, gone with the test.
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}

Process::~Process()
{
    const qint64 pid = processId();
    if (pid > 0) {
        // The whole group: a shell's children would outlive the shell.
        ::kill(-pid_t(pid), SIGKILL);
        waitForFinished(5000);
    }
}

QString shell(const QString& command, int timeout)
{
    Process p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    const bool ended = p.waitForFinished(timeout);
    return ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
               ? QString()
               : QString::fromUtf8(p.readAllStandardError()) + QStringLiteral(" ");
}

namespace {
quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xffffffffu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
} // namespace

QByteArray pngClaiming(quint32 width, quint32 height)
{
    auto be = [](quint32 v) {
        QByteArray b(4, 0);
        b[0] = char(v >> 24);
        b[1] = char(v >> 16);
        b[2] = char(v >> 8);
        b[3] = char(v);
        return b;
    };
    auto chunk = [&](const QByteArray& type, const QByteArray& body) {
        return be(body.size()) + type + body + be(crc32(type + body));
    };
    QByteArray ihdr = be(width) + be(height);
    ihdr += QByteArray::fromHex("0806000000"); // 8-bit RGBA, no interlace
    return QByteArray::fromHex("89504e470d0a1a0a") + chunk("IHDR", ihdr) +
           chunk("IDAT", QByteArray::fromHex("789c030000000001")) + chunk("IEND", QByteArray());
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void WindowTest::init()
{
    window = makeWindow();
    dir = new QTemporaryDir();
}

void WindowTest::cleanup()
{
    delete window;
    window = nullptr;
    delete dir;
    dir = nullptr;
    Dialogs::setTestMode(true); // forget what a failed test left queued
}

void triggerAction(QWidget* window, const char* name)
{
    QAction* action = window->findChild<QAction*>(QLatin1String(name));
    if (!action) {
        // Fails the running test only; the others still run.
        QTest::qFail(qPrintable(QStringLiteral("no action %1").arg(QLatin1String(name))), __FILE__, __LINE__);
        return;
    }
    action->trigger();
}

void click(QWidget* window, const char* name)
{
    // click() emits clicked() exactly as a mouse click does, also on pages not on show.
    control<QAbstractButton>(window, name)->click();
}

IconDesign svgLogoDesign()
{
    const QByteArray logo = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
                            "<rect x=\"4\" y=\"4\" width=\"16\" height=\"16\" fill=\"#1565c0\"/>"
                            "<circle cx=\"12\" cy=\"12\" r=\"5\" fill=\"#ffca28\"/></svg>";
    IconDesign d;
    d.useImageFlat = false;
    d.useImageCustom = true;
    d.customVector = logo;
    d.customImageSize = QSize(24, 24);
    d.customImage = VectorPicture::draw(logo, QSize(24, 24));
    return d;
}

} // namespace TestSupport
