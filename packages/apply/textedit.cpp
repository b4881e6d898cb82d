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

std::optional<std::pair<int, int>> topLevelValue(const QString& text, const QString& key)
{
    const auto stringEnd = [&text](int i) { // i at the opening quote; returns the closing one
        for (++i; i < text.size() && text[i] != QLatin1Char('"'); ++i)
            if (text[i] == QLatin1Char('\\'))
                ++i;
        return i;
    };
    const auto valueEnd = [&](int i) { // i at the value's first character; returns one past its last
        if (i < text.size() && text[i] == QLatin1Char('"'))
            return stringEnd(i) + 1;
        if (i < text.size() && (text[i] == QLatin1Char('{') || text[i] == QLatin1Char('['))) {
            for (int depth = 0; i < text.size(); ++i) {
                const QChar c = text[i];
                if (c == QLatin1Char('"'))
                    i = stringEnd(i);
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
    };
    int depth = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            const int close = stringEnd(i);
            int j = close + 1;
            while (j < text.size() && text[j].isSpace())
                ++j;
            if (depth == 1 && j < text.size() && text[j] == QLatin1Char(':')) {
                const QString name =
                    QJsonDocument::fromJson(QStringLiteral("[%1]").arg(text.mid(i, close - i + 1)).toUtf8())
                        .array()
                        .at(0)
                        .toString();
                for (++j; j < text.size() && text[j].isSpace(); ++j) {
                }
                const int end = valueEnd(j);
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
    const QString indent = lead.contains(QLatin1Char('\n')) ? lead.mid(lead.lastIndexOf(QLatin1Char('\n')))
                                                            : QStringLiteral(" ");
    const QString entry =
        QStringLiteral("{ \"src\": \"%1\", \"sizes\": \"512x512\", \"type\": \"image/png\", "
                       "\"purpose\": \"maskable\" }")
            .arg(src);
    return text.insert(last + 1, (last == span->first ? lead : QStringLiteral(",") + indent) + entry);
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
