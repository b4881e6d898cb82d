// Web app manifests (manifest.json or *.webmanifest with an icon list: Flutter's web/, public/ of
// Vite and Create React App, Angular's src/): every PNG or ICO icon listed, at its size, a maskable
// one added where none is listed, and the favicons beside it; with the launch screens, iOS's
// start-up images named in the page's head, and the background colour the app starts on.
#include "packages/apply/frameworks.h"
#include "packages/apply/textedit.h"
#include "packages/containers.h"
#include "packages/launch.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    // The copies build steps make inside native projects are left to those steps.
    const QString& dir = folder.dir;
    if (dir.contains(QLatin1String("src/main/assets/")) ||
        (dir.endsWith(QLatin1String("/public")) && dir.contains(QLatin1String("/App/"))))
        return {};
    QList<Found> manifests;
    for (const QString& f : folder.files)
        if ((f == QLatin1String("manifest.json") || f.endsWith(QLatin1String(".webmanifest"))) &&
            QJsonDocument::fromJson(folder.text(f)).object().value(QStringLiteral("icons")).isArray())
            manifests << Found{joined(dir, f), QStringLiteral("Web app manifest %1").arg(joined(dir, f))};
    return manifests;
}

Job iconPicture(const Sources& s, const QString& purpose, int size)
{
    if (purpose.contains(QLatin1String("maskable")))
        return pngJob(QString(), [&s, size] { return s.maskableIcon(size); });
    if (purpose.contains(QLatin1String("monochrome")))
        return pngJob(QString(), [&s, size] { return s.monochromeSizes().scaled(size); });
    return pngJob(QString(), [&s, size] { return s.iconAt(size); });
}

// The square sides an icon entry's "sizes" names ("192x192", "64x64 32x32"), or else the side of
// the picture the entry names, whose size is `own`, when it is square.
QList<int> entrySides(const QJsonObject& icon, QSize own)
{
    QList<int> sides;
    for (const QString& size :
         icon.value(QStringLiteral("sizes")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList wh = size.toLower().split(QLatin1Char('x'));
        if (wh.size() == 2 && wh[0] == wh[1] && wh[0].toInt() > 0 && wh[0].toInt() <= 1024)
            sides << wh[0].toInt();
    }
    if (sides.isEmpty() && own.isValid() && own.width() == own.height() && own.width() <= 1024)
        sides << own.width();
    return sides;
}

// What a web manifest's icon list holds, for the manifest's own edit.
struct IconList
{
    bool maskable = false; // an entry is maskable
    QString firstFolder;   // where its first icon is, in the form its entry names it ("/icons", "icons")
};

// Each PNG or ICO icon a manifest lists, made at the sizes its entry gives, under its own name.
IconList listedIcons(Draft& d, const Sources& s, const QString& manifest, const QJsonArray& icons)
{
    const QString dir = folderOf(manifest);
    IconList list;
    for (const QJsonValue& v : icons) {
        const QJsonObject icon = v.toObject();
        const QString src = icon.value(QStringLiteral("src"))
                                .toString()
                                .section(QLatin1Char('?'), 0, 0)
                                .section(QLatin1Char('#'), 0, 0);
        const QString purpose = icon.value(QStringLiteral("purpose")).toString();
        if (src.contains(QLatin1String("://")) || src.startsWith(QLatin1String("data:")) || src.isEmpty())
            continue;
        // A path from the site's root is taken from the manifest's folder, where such sites keep it.
        const QString path =
            QDir::cleanPath(joined(dir, src.startsWith(QLatin1Char('/')) ? src.mid(1) : src));
        if (path.startsWith(QLatin1String("../")) || path == QLatin1String("..")) {
            d.notes << QStringLiteral("%1 names %2, outside the app's folder; it was left as it is.")
                           .arg(manifest, src);
            continue;
        }
        const QList<int> sides = entrySides(icon, sizeOf(d.root, path));
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (sides.isEmpty() || (suffix != QLatin1String("png") && suffix != QLatin1String("ico"))) {
            d.notes << QStringLiteral(
                           "%1 names %2, which is not a square PNG or ICO icon; it was left as it is.")
                           .arg(manifest, src);
            continue;
        }
        // An entry added takes the form the list's own do: from the site's root or beside it.
        if (list.firstFolder.isNull())
            list.firstFolder =
                src.startsWith(QLatin1Char('/')) ? QLatin1Char('/') + folderOf(src.mid(1)) : folderOf(src);
        list.maskable = list.maskable || purpose.contains(QLatin1String("maskable"));
        if (suffix == QLatin1String("ico")) {
            const QImage image = s.icon();
            d.add({QString(),
                   [image, sides] {
                       QList<QImage> images;
                       for (int side : sides)
                           images << scaled(image, side);
                       return icoFile(images);
                   }},
                  path);
        } else {
            d.add(iconPicture(s, purpose, sides.first()), path);
        }
    }
    return list;
}

// The favicons beside a manifest, at the sizes they have.
void favicons(Draft& d, const Sources& s, const QString& dir)
{
    for (const char* name : {"favicon.png", "favicon-16x16.png", "favicon-32x32.png", "favicon-16.png",
                             "favicon-32.png", "apple-touch-icon.png"}) {
        const QString path = joined(dir, QLatin1String(name));
        const QSize size = sizeOf(d.root, path);
        if (!size.isValid() || size.width() != size.height() || size.width() > 1024)
            continue;
        const int side = size.width();
        d.add(qstrcmp(name, "apple-touch-icon.png") == 0
                  ? pngJob(QString(), [&s, side] { return s.opaqueIcon(side); })
                  : pngJob(QString(), [&s, side] { return s.iconAt(side); }),
              path);
    }
    // The SVG favicon beside the ICO one, where the design is paths.
    const QByteArray svg = vectorFavicon(s);
    if (!svg.isEmpty())
        d.add(textJob(QString(), svg), joined(dir, QStringLiteral("favicon.svg")));
    if (d.exists(joined(dir, QStringLiteral("favicon.ico")))) {
        d.add({QString(),
               [&s] {
                   return icoFile(s.iconsAt({16, 32, 48}));
               }},
              joined(dir, QStringLiteral("favicon.ico")));
    }
}

// The page the manifest's site starts from: index.html beside it, or above a public/ folder the
// site is served from (Vite).
QString pageOf(const Draft& d, const QString& manifest)
{
    const QString dir = folderOf(manifest);
    if (d.exists(joined(dir, QStringLiteral("index.html"))))
        return joined(dir, QStringLiteral("index.html"));
    if (QFileInfo(dir).fileName() == QLatin1String("public") &&
        d.exists(joined(folderOf(dir), QStringLiteral("index.html"))))
        return joined(folderOf(dir), QStringLiteral("index.html"));
    return QString();
}

// The icon the page's head links (a template's own, Vite's /vite.svg) when it is a file beside the
// manifest: a PNG or ICO one is made again at its size, under its name; any other kind (an SVG) is
// replaced in the link by the favicon.ico written beside the manifest, named as the page named it.
void pageIcon(Draft& d, const QString& manifest)
{
    const QString page = pageOf(d, manifest);
    if (page.isEmpty())
        return;
    const QString dir = folderOf(manifest);
    const QString html = QString::fromUtf8(d.textSoFar(page));
    static const QRegularExpression link(QStringLiteral("<link\\b[^>]*\\brel=\"(?:shortcut )?icon\"[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression href(QStringLiteral("\\bhref=\"([^\"]*)\""));
    QString after = html;
    for (auto i = link.globalMatch(html); i.hasNext();) {
        const QRegularExpressionMatch tag = i.next();
        const QRegularExpressionMatch h = href.match(tag.captured(0));
        const QString named = h.captured(1).section(QLatin1Char('?'), 0, 0);
        if (named.isEmpty() || named.contains(QLatin1String("://")) ||
            named.startsWith(QLatin1String("data:")))
            continue;
        // "/vite.svg" from the site's root, "%PUBLIC_URL%/favicon.ico", or beside the page.
        const int slash = named.lastIndexOf(QLatin1Char('/'));
        const QString base = named.left(slash + 1), file = named.mid(slash + 1);
        const QString path = joined(dir, file);
        if (file.isEmpty() || !d.exists(path) || named.contains(QLatin1String("..")))
            continue;
        const QString suffix = QFileInfo(file).suffix().toLower();
        if (suffix == QLatin1String("png") || suffix == QLatin1String("ico"))
            continue; // made again at its size by favicons() where it is one of the usual names
        if (file == QLatin1String("favicon.svg") && d.planned(joined(dir, file)))
            continue; // the design's SVG favicon now
        if (!d.planned(joined(dir, QStringLiteral("favicon.ico"))))
            d.add({QString(),
                   [&s = d.sources] {
                       return icoFile(s.iconsAt({16, 32, 48}));
                   }},
                  joined(dir, QStringLiteral("favicon.ico")));
        after.replace(tag.capturedStart(0) + (after.size() - html.size()), tag.capturedLength(0),
                      QStringLiteral("<link rel=\"icon\" href=\"%1favicon.ico\" sizes=\"any\">").arg(base));
    }
    if (after != html) {
        d.replace(textJob(QString(), after.toUtf8()), page);
        d.edited << page;
        d.notes << QStringLiteral(
                       "%1 linked the template's icon; it now links favicon.ico, which holds the design's.")
                       .arg(page);
    }
}

// The page links the SVG favicon written beside the manifest before its other icons, named as it
// names them (browsers that draw SVG take the first icon they can).
void svgFaviconLink(Draft& d, const QString& manifest)
{
    const QString page = pageOf(d, manifest);
    const QString dir = folderOf(manifest);
    if (page.isEmpty() || !d.planned(joined(dir, QStringLiteral("favicon.svg"))))
        return;
    const QString html = QString::fromUtf8(d.textSoFar(page));
    QString after = html;
    // A link to one of our icons, with the indentation of its line and the way it names the folder.
    const auto linkTo = [](const QString& text, const QString& file) {
        return QRegularExpression(QStringLiteral("([ \\t]*)<link\\b[^>]*\\bhref=\"([^\"]*/)?%1\"[^>]*>")
                                      .arg(QRegularExpression::escape(file)),
                                  QRegularExpression::CaseInsensitiveOption)
            .match(text);
    };
    static const QRegularExpression icon(
        QStringLiteral(
            "([ \\t]*)<link\\b[^>]*\\brel=\"(?:shortcut )?icon\"[^>]*\\bhref=\"([^\"]*/)?[^\"/]*\"[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression manifestLink(
        QStringLiteral("<link[^>]*rel=\"manifest\"[^>]*href=\"([^\"]*/)?[^\"/]*\""));
    if (!linkTo(after, QStringLiteral("favicon.svg")).hasMatch()) {
        const QRegularExpressionMatch first = icon.match(after);
        const QString base = first.hasMatch() ? first.captured(2) : manifestLink.match(after).captured(1);
        const QString line =
            QStringLiteral("<link rel=\"icon\" href=\"%1favicon.svg\" type=\"image/svg+xml\">").arg(base);
        after = first.hasMatch() ? after.insert(first.capturedStart(0) + first.capturedLength(1),
                                                line + QLatin1Char('\n') + first.captured(1))
                                 : withHeadLines(after, line + QLatin1Char('\n'));
    }
    // The fallback for browsers that do not draw SVG icons (Safari), linked after it.
    if (!d.planned(joined(dir, QStringLiteral("favicon.ico"))))
        d.add({QString(),
               [&s = d.sources] {
                   return icoFile(s.iconsAt({16, 32, 48}));
               }},
              joined(dir, QStringLiteral("favicon.ico")));
    if (!linkTo(after, QStringLiteral("favicon.ico")).hasMatch()) {
        const QRegularExpressionMatch svg = linkTo(after, QStringLiteral("favicon.svg"));
        if (svg.hasMatch())
            after.insert(svg.capturedEnd(0),
                         QLatin1Char('\n') + svg.captured(1) +
                             QStringLiteral("<link rel=\"icon\" href=\"%1favicon.ico\" sizes=\"any\">")
                                 .arg(svg.captured(2)));
    }
    if (after != html) {
        d.replace(textJob(QString(), after.toUtf8()), page);
        d.edited << page;
    }
}

// iOS's start-up images beside the manifest (splash/), and the page's head lines that name them.
void startupImages(Draft& d, const QString& manifest)
{
    const QString page = pageOf(d, manifest);
    if (page.isEmpty()) {
        d.notes << QStringLiteral("%1 has no index.html beside it to name iOS's start-up images in; they "
                                  "were not written.")
                       .arg(manifest);
        return;
    }
    const QString html = QString::fromUtf8(d.textSoFar(page));
    // Named as the page names its manifest: from the site's root, from %PUBLIC_URL%, or beside it.
    static const QRegularExpression manifestLink(
        QStringLiteral("<link[^>]*rel=\"manifest\"[^>]*href=\"([^\"]*/)?[^\"/]*\""));
    const QString links = startupImageLinks(manifestLink.match(html).captured(1));
    QString after = html;
    if (html.contains(QLatin1String("apple-touch-startup-image"))) {
        // Ours from an earlier run are kept; start-up images of the page's own are left to it.
        const QStringList ours = links.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!std::all_of(ours.begin(), ours.end(), [&html](const QString& l) { return html.contains(l); })) {
            d.notes << QStringLiteral("%1 names start-up images of its own; it was left as it is.").arg(page);
            return;
        }
    } else {
        after = withHeadLines(html, links);
        if (after == html) {
            d.notes << QStringLiteral(
                           "%1 has no head to name iOS's start-up images in; they were not written.")
                           .arg(page);
            return;
        }
        // One edit of the page: the launch screens' own, unless it names the design's icon too.
        Job named = textJob(QString(), after.toUtf8());
        named.launch = !d.edited.contains(page);
        d.replace(named, page);
        d.edited << page;
    }
    for (const Job& job : webLaunchFiles(d.sources))
        d.add(job, joined(folderOf(manifest), job.path));
}

void write(Draft& d, const QString& manifest)
{
    const Sources& s = d.sources;
    const QStringList roots = d.scan.of("Flutter");
    const bool flutter = std::any_of(roots.begin(), roots.end(), [&manifest](const QString& root) {
        return manifest == joined(root, QStringLiteral("web/manifest.json"));
    });
    const QString before = QString::fromUtf8(d.text(manifest));
    const IconList list = listedIcons(
        d, s, manifest,
        QJsonDocument::fromJson(before.toUtf8()).object().value(QStringLiteral("icons")).toArray());
    QString after = before;
    // Browsers crop a maskable icon to their own shape; without one they shrink the icon onto white.
    if (!list.maskable) {
        const QString src = list.firstFolder == QLatin1String("/")
                                ? QStringLiteral("/icon-maskable-512.png")
                                : joined(list.firstFolder, QStringLiteral("icon-maskable-512.png"));
        after = withMaskableEntry(after, src);
        if (after != before)
            d.add(iconPicture(s, QStringLiteral("maskable"), 512),
                  QDir::cleanPath(
                      joined(folderOf(manifest), src.startsWith(QLatin1Char('/')) ? src.mid(1) : src)));
    }
    // Flutter's template names its own blue; the app's colours follow the icon. A launch screen
    // is painted in background_color while the app starts.
    const bool launch = s.options().launch;
    if (flutter || launch) {
        const QColor splash = s.options().splashColor.isValid() ? s.options().splashColor
                              : launch                          ? launchColour(s, false)
                                                                : s.themeColor();
        QList<std::pair<QString, QColor>> colours{{QStringLiteral("background_color"), splash}};
        if (flutter)
            colours.prepend({QStringLiteral("theme_color"), s.themeColor()});
        for (const auto& colour : colours) {
            const auto span = topLevelValue(after, colour.first);
            if (span && after[span->first] == QLatin1Char('"'))
                after.replace(span->first, span->second - span->first,
                              QLatin1Char('"') + colorName(colour.second) + QLatin1Char('"'));
        }
    }
    if (after != before) {
        if (QJsonDocument::fromJson(after.toUtf8()).isNull()) {
            d.notes << QStringLiteral(
                           "%1 could not be edited without breaking it; its icon list was left as it is.")
                           .arg(manifest);
        } else {
            d.add(textJob(QString(), after.toUtf8()), manifest);
            d.edited << manifest;
        }
    }
    favicons(d, s, folderOf(manifest));
    pageIcon(d, manifest);
    svgFaviconLink(d, manifest);
    if (launch)
        startupImages(d, manifest);
}

} // namespace

extern const Framework webManifest = {"web", "a web app manifest with icons (manifest.json or *.webmanifest)",
                                      recognise, write};

} // namespace Packages::Apply
