#include "app/dialogs.h"

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
    if (testing)
        return record({QStringLiteral("open"), caption, dir, filter, parent, {}, {}}).toString();
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    if (testing)
        return record({QStringLiteral("save"), caption, dir, filter, parent, {}, {}}).toString();
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                             QFileDialog::Options options)
{
    if (testing)
        return record({QStringLiteral("folder"), caption, dir, QString(), parent, {}, options}).toString();
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

QColor getColor(const QColor& initial, QWidget* parent, const QString& title)
{
    if (testing) {
        const QVariant answer =
            record({QStringLiteral("color"), title, QString(), QString(), parent, initial, {}});
        return answer.canConvert<QColor>() ? answer.value<QColor>() : QColor();
    }
    return QColorDialog::getColor(initial, parent, title);
}

QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons)
{
    if (testing) {
        const QVariant answer = record({QStringLiteral("question"), title, text, QString(), parent, {}, {}});
        return answer.isValid() ? QMessageBox::StandardButton(answer.toInt()) : QMessageBox::No;
    }
    return QMessageBox::question(parent, title, text, buttons);
}

void information(QWidget* parent, const QString& title, const QString& text)
{
    if (testing) {
        record({QStringLiteral("information"), title, text, QString(), parent, {}, {}});
        return;
    }
    QMessageBox::information(parent, title, text);
}

void warning(QWidget* parent, const QString& title, const QString& text)
{
    if (testing) {
        record({QStringLiteral("warning"), title, text, QString(), parent, {}, {}});
        return;
    }
    QMessageBox::warning(parent, title, text);
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
                {}});
        return;
    }
    dialog.exec();
}

} // namespace Dialogs
