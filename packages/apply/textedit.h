#pragma once

#include <QString>

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

// `text` with a maskable entry for `src` added at the end of its top-level icon list, laid out as
// the list's first entry is (on a line of its own or not); `text` as it was when the list is not
// found.
QString withMaskableEntry(QString text, const QString& src);

// `html` with `lines` added at the end of its head, each indented as the head's last line is; `html`
// as it was when it has no head.
QString withHeadLines(QString html, const QString& lines);

} // namespace Packages::Apply
