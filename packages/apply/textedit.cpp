#include "packages/apply/textedit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace Packages::Apply {

QString withApplicationAttribute(QString text, const QString& name, const QString& value)
{
    static const QRegularExpression start(QStringLiteral("<application(?=[\\s>/])"));
    const QRegularExpressionMatch m = start.match(text);
    if (!m.hasMatch())
        return text;
    int end = m.capturedEnd();
    for (QChar quote; end < text.size() && (!quote.isNull() || text[end] != QLatin1Char('>')); ++end)
        if (text[end] == QLatin1Char('"') || text[end] == QLatin1Char('\''))
            quote = quote.isNull() ? text[end] : quote == text[end] ? QChar() : quote;
    const QString tag = text.mid(m.capturedEnd(), end - m.capturedEnd());
    const QRegularExpression attribute(
        QStringLiteral("(\\s%1\\s*=\\s*)(\"[^\"]*\"|'[^']*')").arg(QRegularExpression::escape(name)));
    const QRegularExpressionMatch a = attribute.match(tag);
    if (a.hasMatch())
        return text.replace(m.capturedEnd() + a.capturedStart(2), a.capturedLength(2),
                            QLatin1Char('"') + value + QLatin1Char('"'));
    // A new attribute goes first, laid out as the tag's first one is: on a line of its own or not.
    static const QRegularExpression firstLine(QStringLiteral("^([ \\t]*\\r?\\n[ \\t]*)"));
    const QRegularExpressionMatch layout = firstLine.match(tag);
    const QString gap = layout.hasMatch() ? layout.captured(1) : QStringLiteral(" ");
    return text.insert(m.capturedEnd(), gap + name + QStringLiteral("=\"") + value + QLatin1Char('"'));
}

namespace {

// At an opening quote: the closing one.
int stringEnd(const QString& text, int i)
{
    for (++i; i < text.size() && text[i] != QLatin1Char('"'); ++i)
        if (text[i] == QLatin1Char('\\'))
            ++i;
    return i;
}

// At a value's first character: one past its last.
int valueEnd(const QString& text, int i)
{
    if (i < text.size() && text[i] == QLatin1Char('"'))
        return stringEnd(text, i) + 1;
    if (i < text.size() && (text[i] == QLatin1Char('{') || text[i] == QLatin1Char('['))) {
        for (int depth = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == QLatin1Char('"'))
                i = stringEnd(text, i);
            else if (c == QLatin1Char('{') || c == QLatin1Char('['))
                ++depth;
            else if ((c == QLatin1Char('}') || c == QLatin1Char(']')) && --depth == 0)
                return i + 1;
        }
        return i;
    }
    while (i < text.size() && !text[i].isSpace() && !QStringLiteral(",}]").contains(text[i]))
        ++i;
    return i;
}

int skipSpace(const QString& text, int i)
{
    while (i < text.size() && text[i].isSpace())
        ++i;
    return i;
}

// The spans of an array's elements, the array spanning [first, second).
QList<std::pair<int, int>> elementSpans(const QString& text, std::pair<int, int> array)
{
    QList<std::pair<int, int>> spans;
    for (int i = skipSpace(text, array.first + 1); i < array.second - 1;) {
        const int end = valueEnd(text, i);
        spans.append({i, end});
        i = skipSpace(text, end);
        if (i < text.size() && text[i] == QLatin1Char(','))
            i = skipSpace(text, i + 1);
        else
            break;
    }
    return spans;
}

// The text a new entry of a container spanning [first, second) starts with, laid out as its first
// one is: the line break and indent before it, or a space.
QString entryLead(const QString& text, std::pair<int, int> span)
{
    const int first = skipSpace(text, span.first + 1);
    const QString lead = text.mid(span.first + 1, first - span.first - 1);
    return lead.contains(QLatin1Char('\n')) ? lead.mid(lead.lastIndexOf(QLatin1Char('\n')))
                                            : QStringLiteral(" ");
}

// `text` with `entry` added at the end of the container spanning [first, second).
QString withEntry(QString text, std::pair<int, int> span, const QString& entry)
{
    int last = span.second - 2;
    while (last > span.first && text[last].isSpace())
        --last;
    const QString lead = entryLead(text, span);
    if (last == span.first) {
        // Empty: on a line of its own when the container's close is on one.
        const QString close = text.mid(span.first + 1, span.second - 1 - span.first - 1);
        return text.replace(span.first + 1, span.second - span.first - 2,
                            close.contains(QLatin1Char('\n')) ? QStringLiteral("\n  ") + entry + close
                                                              : entry);
    }
    return text.insert(last + 1, QStringLiteral(",") + lead + entry);
}

} // namespace

std::optional<std::pair<int, int>> topLevelValue(const QString& text, const QString& key)
{
    int depth = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            const int close = stringEnd(text, i);
            int j = skipSpace(text, close + 1);
            if (depth == 1 && j < text.size() && text[j] == QLatin1Char(':')) {
                const QString name =
                    QJsonDocument::fromJson(QStringLiteral("[%1]").arg(text.mid(i, close - i + 1)).toUtf8())
                        .array()
                        .at(0)
                        .toString();
                j = skipSpace(text, j + 1);
                const int end = valueEnd(text, j);
                if (name == key)
                    return std::make_pair(j, end);
                i = end - 1;
                continue;
            }
            i = close;
        } else if (c == QLatin1Char('{') || c == QLatin1Char('[')) {
            ++depth;
        } else if (c == QLatin1Char('}') || c == QLatin1Char(']')) {
            --depth;
        }
    }
    return std::nullopt;
}

std::optional<std::pair<int, int>> valueAt(const QString& text, const QStringList& path)
{
    std::pair<int, int> span{0, int(text.size())};
    for (const QString& key : path) {
        const QString inside = text.mid(span.first, span.second - span.first);
        if (!inside.startsWith(QLatin1Char('{')) && span.first != 0)
            return std::nullopt;
        const auto found = topLevelValue(inside, key);
        if (!found)
            return std::nullopt;
        span = {span.first + found->first, span.first + found->second};
    }
    return span;
}

QString withValue(QString text, const QStringList& path, const QString& json)
{
    if (const auto span = valueAt(text, path))
        return text.replace(span->first, span->second - span->first, json);
    const auto parent = valueAt(text, path.mid(0, path.size() - 1));
    if (!parent || text[parent->first] != QLatin1Char('{'))
        return text;
    return withEntry(text, *parent, QStringLiteral("\"%1\": %2").arg(path.last(), json));
}

QString withArrayEntry(QString text, const QStringList& path, const QString& json)
{
    const auto span = valueAt(text, path);
    if (!span)
        return withValue(text, path, QStringLiteral("[") + json + QStringLiteral("]"));
    if (text[span->first] != QLatin1Char('['))
        return text;
    return withEntry(text, *span, json);
}

std::optional<std::pair<int, int>> arrayElement(const QString& text, const QStringList& path, int index)
{
    const auto span = valueAt(text, path);
    if (!span || text[span->first] != QLatin1Char('['))
        return std::nullopt;
    const QList<std::pair<int, int>> elements = elementSpans(text, *span);
    if (index < 0 || index >= elements.size())
        return std::nullopt;
    return elements[index];
}

QString withMaskableEntry(QString text, const QString& src)
{
    const auto span = topLevelValue(text, QStringLiteral("icons"));
    if (!span || text[span->first] != QLatin1Char('[') || text[span->second - 1] != QLatin1Char(']'))
        return text;
    int last = span->second - 2;
    while (last > span->first && text[last].isSpace())
        --last;
    const int first = text.indexOf(QRegularExpression(QStringLiteral("\\S")), span->first + 1);
    const QString lead = text.mid(span->first + 1, first - span->first - 1);
    const QString entry =
        QStringLiteral("{ \"src\": \"%1\", \"sizes\": \"512x512\", \"type\": \"image/png\", "
                       "\"purpose\": \"maskable\" }")
            .arg(src);
    return last == span->first ? text.insert(last + 1, lead + entry) : withEntry(text, *span, entry);
}

QString withHeadLines(QString html, const QString& lines)
{
    const int close = html.indexOf(QLatin1String("</head>"), 0, Qt::CaseInsensitive);
    if (close < 0)
        return html;
    const int lineStart = html.lastIndexOf(QLatin1Char('\n'), close) + 1;
    // Where `</head>` starts a line, the lines go above it at the indent of the line before.
    const bool own = html.mid(lineStart, close - lineStart).trimmed().isEmpty();
    QString indent;
    if (own && lineStart > 0) {
        const int before = lineStart >= 2 ? html.lastIndexOf(QLatin1Char('\n'), lineStart - 2) + 1 : 0;
        const QString previous = html.mid(before, lineStart - 1 - before);
        indent = previous.left(previous.indexOf(QRegularExpression(QStringLiteral("\\S"))));
    }
    QString block;
    for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        block += indent + line + QLatin1Char('\n');
    return own ? html.insert(lineStart, block) : html.insert(close, QLatin1Char('\n') + block);
}

} // namespace Packages::Apply
