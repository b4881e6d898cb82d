#pragma once

#include <QMap>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <cstddef>
#include <functional>

class MainWindow;
struct IconDesign;
class QTemporaryDir;

namespace TestSupport {

// Points HOME, XDG_* and the settings store at a fresh temporary folder and selects the offscreen
// platform. Call from a test class's static initMain(), before the application object exists.
void isolateEnvironment();
// The temporary home folder made by isolateEnvironment().
QString homeFolder();

// Collects Qt warnings (and worse) from the moment of construction until destruction.
class WarningCatcher
{
  public:
    WarningCatcher();
    ~WarningCatcher();
    QStringList messages() const;

  private:
    void* previous;
};

// A test of many cases as a data table: its data function calls the test with `listing` set and
// the cases' names go into it (a row each); run for a row, the test runs the case the row names.
// A case is a struct with a `name` and a `check`.
template <class Case, std::size_t N> void listOrRunCase(const Case (&cases)[N], QStringList* listing)
{
    if (listing) {
        for (const Case& c : cases)
            *listing << QLatin1String(c.name);
        return;
    }
    const QString wanted = *static_cast<QString*>(QTest::qData("name", qMetaTypeId<QString>()));
    for (const Case& c : cases)
        if (wanted == QLatin1String(c.name))
            return c.check();
    QFAIL("no such case");
}

// The data function's side: a "name" column and a row a case, as `list` gives them.
inline void addCaseRows(const std::function<void(QStringList*)>& list)
{
    QTest::addColumn<QString>("name");
    QStringList names;
    list(&names);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << name;
}

// A design whose custom picture is an SVG logo of 24 x 24 units: a #1565c0 square of 16 from
// (4, 4) and a #ffca28 circle of radius 5 at its centre.
IconDesign svgLogoDesign();

// A new main window with the artwork registered and the dialogs seam in test mode.
MainWindow* makeWindow();

template <class T> T* control(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Whole contents of a file (empty when it cannot be read), and writing one.
QByteArray readAll(const QString& path);
void writeFile(const QString& path, const QByteArray& data);
// Every file under `folder` (hidden ones too) by its path relative to it, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder);

// A project file `name` in `folder`: the start-up state with `changes` (file line -> value).
QString projectFile(const QString& folder, const QString& name, const QMap<int, QString>& changes);

// The command-line program run in this process.
struct Run
{
    int status;
    QString out, err;
};
Run cli(const QStringList& arguments);

// A process a test starts, which ends with it: the program and every process it starts (a shell's
// children too) form a group of their own that is killed when the object goes, and killed with the
// test program should that die first.
class Process : public QProcess
{
  public:
    explicit Process(QObject* parent = nullptr) : QProcess(parent) {}
    ~Process() override;

  protected:
    void setupChildProcess() override;
};

// A shell command run to its end (at most `timeout` ms, then killed with all it started): empty
// when it succeeded, else its standard error.
QString shell(const QString& command, int timeout = 60000);

// A tiny PNG whose header declares width x height and whose data is a stub.
QByteArray pngClaiming(quint32 width, quint32 height);
// The process's peak resident memory so far.
long peakKilobytes();

// Triggers a menu action of the window by object name.
void triggerAction(QWidget* window, const char* name);
// Clicks a button by object name, as the user does.
void click(QWidget* window, const char* name);

// The base of the Qt Test classes that drive the window: every test function gets a new window
// (dialogs in test mode) and a new temporary folder, both gone when it ends.
class WindowTest : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  protected slots:
    void init();
    void cleanup();

  protected:
    MainWindow* window = nullptr;
    QTemporaryDir* dir = nullptr;
};

} // namespace TestSupport
