#include "ui/dialogs.h"

#include <QInputDialog>

#include <QDir>
#include <QFileInfo>
#include <QQueue>

namespace Dialogs {

namespace {
bool testing = false;
QQueue<QVariant> answers;
QList<Call> calls;

QVariant record(Call call)
{
    calls.append(call);
    return answers.isEmpty() ? QVariant() : answers.dequeue();
}

// `dir`, or its nearest existing parent folder when it does not exist.
QString startFolder(const QString& dir)
{
    if (dir.isEmpty())
        return dir;
    QString folder = QDir::cleanPath(dir);
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return dir;
        folder = parent;
    }
    return folder;
}
} // namespace

void setTestMode(bool on)
{
    testing = on;
    answers.clear();
    calls.clear();
}

bool testMode()
{
    return testing;
}

void queueAnswer(const QVariant& answer)
{
    answers.enqueue(answer);
}

int pendingAnswers()
{
    return answers.size();
}

QList<Call> takeCalls()
{
    QList<Call> taken = calls;
    calls.clear();
    return taken;
}

QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    const QString start = startFolder(dir);
    if (testing)
        return record({QStringLiteral("open"), caption, start, filter, parent, {}, {}, {}, {}}).toString();
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                        const QString& defaultSuffix)
{
    const QString start = startFolder(dir);
    if (testing)
        return record({QStringLiteral("save"), caption, start, filter, parent, {}, {}, defaultSuffix, {}})
            .toString();
    if (defaultSuffix.isEmpty())
        return QFileDialog::getSaveFileName(parent, caption, start, filter);
    // The static function takes no default suffix: the same dialog, built by hand.
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                             QFileDialog::Options options)
{
    const QString start = startFolder(dir);
    if (testing)
        return record({QStringLiteral("folder"), caption, start, QString(), parent, {}, options, {}, {}})
            .toString();
    return QFileDialog::getExistingDirectory(parent, caption, start, options);
}

QColor getColor(const QColor& initial, QWidget* parent, const QString& title)
{
    if (testing) {
        const QVariant answer =
            record({QStringLiteral("color"), title, QString(), QString(), parent, initial, {}, {}, {}});
        return answer.canConvert<QColor>() ? answer.value<QColor>() : QColor();
    }
    return QColorDialog::getColor(initial, parent, title);
}

QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons, const QString& details)
{
    if (testing) {
        const QVariant answer =
            record({QStringLiteral("question"), title, text, QString(), parent, {}, {}, {}, details});
        return answer.isValid() ? QMessageBox::StandardButton(answer.toInt()) : QMessageBox::No;
    }
    if (details.isEmpty())
        return QMessageBox::question(parent, title, text, buttons);
    QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    box.setDetailedText(details);
    return QMessageBox::StandardButton(box.exec());
}

int getItem(QWidget* parent, const QString& title, const QString& label, const QStringList& items,
            int current)
{
    if (testing) {
        const QVariant answer = record({QStringLiteral("item"),
                                        title,
                                        label,
                                        QString(),
                                        parent,
                                        current,
                                        {},
                                        {},
                                        items.join(QLatin1Char('\n'))});
        return answer.isValid() && answer.toInt() >= 0 && answer.toInt() < items.size() ? answer.toInt() : -1;
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, label, items, current, false, &ok);
    return ok ? int(items.indexOf(chosen)) : -1;
}

void information(QWidget* parent, const QString& title, const QString& text)
{
    if (testing) {
        record({QStringLiteral("information"), title, text, QString(), parent, {}, {}, {}, {}});
        return;
    }
    QMessageBox::information(parent, title, text);
}

void warning(QWidget* parent, const QString& title, const QString& text, const QString& details)
{
    if (testing) {
        record({QStringLiteral("warning"), title, text, QString(), parent, {}, {}, {}, details});
        return;
    }
    if (details.isEmpty()) {
        QMessageBox::warning(parent, title, text);
        return;
    }
    // The static function takes no details: the same box, built by hand.
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

void showModal(QDialog& dialog)
{
    if (testing) {
        record({QStringLiteral("dialog"),
                dialog.windowTitle(),
                QString(),
                QString(),
                dialog.parentWidget(),
                {},
                {},
                {},
                {}});
        return;
    }
    dialog.exec();
}

} // namespace Dialogs
