#include "packages/apply/appproject.h"

#include "packages/apply/frameworks.h"

#include <QFile>
#include <QFileInfo>

namespace Packages {

using Apply::joined;
using Apply::largestFile;
using Apply::readText;

QString backupFolder(const QString& folder, const QDateTime& when)
{
    const QString base =
        QStringLiteral(".glyphwright-backup/") + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(joined(folder, name)); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

Files::Outcome applyAppPlan(const AppPlan& plan, const QString& backup)
{
    Files::Outcome outcome;
    Files::WriteOptions confined;
    confined.confinedTo = plan.folder;
    for (const AppChange& change : plan.changes) {
        if (change.action == AppChange::Same)
            continue;
        const QString path = joined(plan.folder, change.path);
        if (change.action != AppChange::Add) {
            // The file as it is now goes to the backup first; without that copy it is not touched.
            const QString kept = joined(joined(plan.folder, backup), change.path);
            const std::optional<QByteArray> old = readText(path, largestFile);
            Files::Result saved = old ? Files::makeFolder(QFileInfo(kept).path(), plan.folder)
                                      : Files::Result::failure(QStringLiteral("it could not be read"));
            if (saved)
                saved = Files::write(kept, *old, confined);
            if (!saved) {
                outcome.add(path,
                            Files::Result::failure(
                                QStringLiteral("it could not be kept in %1: %2").arg(backup, saved.error)));
                continue;
            }
        }
        if (change.action == AppChange::Remove) {
            QFile file(path);
            outcome.add(path, file.remove() ? Files::Result::success()
                                            : Files::Result::failure(file.errorString()));
            continue;
        }
        Files::Result made = Files::makeFolder(QFileInfo(path).path(), plan.folder);
        if (made)
            made = change.bytes.isEmpty()
                       ? Files::Result::failure(QStringLiteral("the image could not be encoded"))
                       : Files::write(path, change.bytes, confined);
        outcome.add(path, made);
    }
    return outcome;
}

} // namespace Packages
