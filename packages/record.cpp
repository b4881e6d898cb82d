#include "packages/record.h"

#include "base/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <libdeflate.h>

namespace Packages::Record {

const QString fileName = QStringLiteral(".glyphwright-export.json");

namespace {

// A record lists some hundred files; anything much larger is not one.
constexpr qint64 largestRecord = 4 << 20;

quint32 checksum(const QByteArray& bytes)
{
    return quint32(libdeflate_crc32(0, bytes.constData(), size_t(bytes.size())));
}

} // namespace

QList<Entry> read(const QString& folder)
{
    QFile file;
    if (!Files::openBeneath(file, folder, fileName, largestRecord))
        return {};
    QList<Entry> entries;
    const QJsonArray files =
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("files")).toArray();
    for (const QJsonValue& v : files) {
        const QJsonObject o = v.toObject();
        const QString path = o.value(QStringLiteral("path")).toString();
        bool ok = false;
        const quint32 crc = o.value(QStringLiteral("crc32")).toString().toUInt(&ok, 16);
        if (!path.isEmpty() && ok)
            entries.append({path, o.value(QStringLiteral("target")).toString(),
                            qint64(o.value(QStringLiteral("bytes")).toDouble(-1)), crc});
    }
    return entries;
}

Entry entry(const QString& path, const QString& target, const QByteArray& bytes)
{
    return {path, target, bytes.size(), checksum(bytes)};
}

QByteArray bytes(const QList<Entry>& entries)
{
    QJsonArray files;
    for (const Entry& e : entries)
        files.append(QJsonObject{{QStringLiteral("path"), e.path},
                                 {QStringLiteral("target"), e.target},
                                 {QStringLiteral("bytes"), double(e.size)},
                                 {QStringLiteral("crc32"), QString::number(e.crc, 16)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("files"), files}}).toJson(QJsonDocument::Indented);
}

QStringList removeStale(const QString& folder, const QList<Entry>& earlier, const QList<Entry>& now,
                        const QStringList& targets)
{
    QSet<QString> kept;
    for (const Entry& e : now)
        kept.insert(e.path);
    QStringList removed;
    QSet<QString> emptied;
    for (const Entry& e : earlier) {
        if (kept.contains(e.path) || !targets.contains(e.target) || e.path == fileName)
            continue;
        // Only the file as it was written: openBeneath() refuses a path that leads out of the
        // folder, and a link is not followed to anything but a regular file.
        QFile file;
        if (!Files::openBeneath(file, folder, e.path, e.size) || file.size() != e.size ||
            QFileInfo(QDir(folder).filePath(e.path)).isSymLink() || checksum(file.readAll()) != e.crc)
            continue;
        file.close();
        if (!Files::removeBeneath(folder, e.path))
            continue;
        removed << e.path;
        for (QString up = QFileInfo(e.path).path(); up != QLatin1String("."); up = QFileInfo(up).path())
            emptied.insert(up);
    }
    // The deepest first, so that a folder whose folders emptied empties too; one that holds
    // anything stays.
    QStringList folders = emptied.values();
    std::sort(folders.begin(), folders.end(), [](const QString& a, const QString& b) {
        return a.count(QLatin1Char('/')) > b.count(QLatin1Char('/'));
    });
    for (const QString& f : folders)
        Files::removeBeneath(folder, f, true);
    return removed;
}

} // namespace Packages::Record
