#pragma once

#include <QColor>
#include <QColorDialog>
#include <QFileDialog>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QVariant>

// The one seam through which the program opens modal dialogs and message boxes. In normal runs each
// call forwards its arguments to the toolkit's static function (or builds the same dialog where the
// static one cannot take an argument). In test mode nothing is shown: every call is recorded, and
// answered from a queue (an empty queue answers "cancelled").
namespace Dialogs {

// The file dialogs open in `dir`, or, when it does not exist, in its nearest existing parent folder
// (a missing folder would otherwise be taken for a file name to type in).
QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
// A name typed without an extension gets `defaultSuffix` when one is given (before the dialog's
// own question whether to replace an existing file).
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                        const QString& defaultSuffix = QString());
QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                             QFileDialog::Options options);
QColor getColor(const QColor& initial, QWidget* parent, const QString& title);
// With `details`, the box offers them behind its "Show Details..." button.
QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons,
                                     const QString& details = QString());
void information(QWidget* parent, const QString& title, const QString& text);
// With `details`, the box offers them behind its "Show Details..." button.
void warning(QWidget* parent, const QString& title, const QString& text, const QString& details = QString());
// One of `items` chosen (as QInputDialog::getItem offers them, `current` first, none typed): its
// index, or -1 when cancelled.
int getItem(QWidget* parent, const QString& title, const QString& label, const QStringList& items,
            int current);
// Runs a modal dialog with exec(); its result is not used.
void showModal(QDialog& dialog);

// Test support.
struct Call
{
    QString kind; // "open", "save", "folder", "color", "question", "information", "warning", "item",
                  // "dialog"
    QString caption;
    QString text; // message text, or the start folder of a file dialog
    QString filter;
    QWidget* parent = nullptr;
    QVariant initial; // initial colour of a colour dialog
    QFileDialog::Options options;
    QString suffix;  // a save dialog's default suffix
    QString details; // a warning's or a question's details; an item choice's items, a line each
};
void setTestMode(bool on);
bool testMode();
// Queued answers: a QString for file dialogs, a QColor for the colour dialog (an invalid colour is a
// cancel), a QMessageBox::StandardButton (as int) for questions, an index for an item choice.
void queueAnswer(const QVariant& answer);
int pendingAnswers();
QList<Call> takeCalls();

} // namespace Dialogs
