#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// Edits of the developer's own text files (manifests) that change one entry and keep everything
// else, the layout included, as it was.
namespace Packages::Apply {

// `text` with the attribute `name` of its first `<application` start tag set to `value`; the
// rest of the text, the tag's layout included, as it was.
QString withApplicationAttribute(QString text, const QString& name, const QString& value);

// The span [first, second) of the value of the top-level key `key` of the JSON object in `text`,
// or none.
std::optional<std::pair<int, int>> topLevelValue(const QString& text, const QString& key);

// The span of the value at `path` (the keys of nested objects, from the top) in the JSON text, or
// none.
std::optional<std::pair<int, int>> valueAt(const QString& text, const QStringList& path);
// The span of element `index` of the array at `path`, or none.
std::optional<std::pair<int, int>> arrayElement(const QString& text, const QStringList& path, int index);
// `text` with the value at `path` set to `json` (a JSON value's text); a last key the object lacks
// is added at its end, laid out as its first key is. `text` as it was when the object is not there.
QString withValue(QString text, const QStringList& path, const QString& json);
// `text` with `json` added at the end of the array at `path`, made (holding it alone) when missing.
QString withArrayEntry(QString text, const QStringList& path, const QString& json);

// `text` with a maskable entry for `src` added at the end of its top-level icon list, laid out as
// the list's first entry is (on a line of its own or not); `text` as it was when the list is not
// found.
QString withMaskableEntry(QString text, const QString& src);

// `html` with `lines` added at the end of its head, each indented as the head's last line is; `html`
// as it was when it has no head.
QString withHeadLines(QString html, const QString& lines);

} // namespace Packages::Apply
