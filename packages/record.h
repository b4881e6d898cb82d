#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The record an export folder keeps of the files the program wrote into it (a hidden file beside
// them), so that exporting a target into that folder again removes the files an earlier export
// wrote for that target and the new one no longer writes (those of an app name no longer used), and
// nothing else: another target's files stay, and a file is removed only while it is still, byte for
// byte, the one that was written.
namespace Packages::Record {

extern const QString fileName; // ".glyphwright-export.json"

struct Entry
{
    QString path; // inside the folder, "/"-separated
    QString target;
    qint64 size = 0;
    quint32 crc = 0;
};

// The entries the record in `folder` holds; none when there is no record or it cannot be read.
QList<Entry> read(const QString& folder);
// The entry of `bytes` written at `path` (inside the folder) for `target`.
Entry entry(const QString& path, const QString& target, const QByteArray& bytes);
// A record's bytes.
QByteArray bytes(const QList<Entry>& entries);
// Removes the files of `earlier` written for one of `targets` that are no longer in `now` and still
// hold what was written (a link, a changed file and anything reached through a link leading out are
// left alone), then the folders that emptied; the paths removed, inside `folder`.
QStringList removeStale(const QString& folder, const QList<Entry>& earlier, const QList<Entry>& now,
                        const QStringList& targets);

} // namespace Packages::Record
