// Connection-string parsing: a hand-written scanner, because values may hold ';' and '='
// inside quotes and the password is made of control characters that must arrive intact.
#include "db/connection_string_p.h"
#include "db/db_error.h"

namespace db::detail {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Reads a quoted value starting at text[pos] (the opening quote); returns the value and
// moves pos past the closing quote.
QString readQuoted(const QString &text, qsizetype &pos)
{
    const QChar quote = text[pos];
    QString value;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == quote) {
            if (pos + 1 < text.size() && text[pos + 1] == quote) {
                value += quote;
                pos += 2;
                continue;
            }
            ++pos;
            return value;
        }
        value += text[pos++];
    }
    raiseDbError(DbErrc::Open, QStringLiteral("The connection string has a value whose closing quote is missing."));
}

} // namespace

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString result;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        while (pos < n && (isBlank(text[pos]) || text[pos] == u';'))
            ++pos;
        if (pos >= n)
            break;
        const qsizetype keyStart = pos;
        while (pos < n && text[pos] != u'=' && text[pos] != u';')
            ++pos;
        ConnectionPair pair;
        pair.keyword = text.mid(keyStart, pos - keyStart).trimmed();
        if (pos < n && text[pos] == u'=') {
            ++pos;
            while (pos < n && isBlank(text[pos]))
                ++pos;
            if (pos < n && (text[pos] == u'\'' || text[pos] == u'"')) {
                pair.value = readQuoted(text, pos);
                while (pos < n && text[pos] != u';')
                    ++pos; // blanks after the closing quote
            } else if (pos < n && text[pos] == u'{') {
                const qsizetype close = text.indexOf(u'}', pos);
                const qsizetype end = close < 0 ? n : close + 1;
                pair.value = text.mid(pos, end - pos);
                pos = end;
                while (pos < n && text[pos] != u';')
                    ++pos;
            } else {
                const qsizetype valueStart = pos;
                while (pos < n && text[pos] != u';')
                    ++pos;
                // Unquoted values lose trailing blanks only: a control-character password
                // written bare must keep every character.
                QString v = text.mid(valueStart, pos - valueStart);
                while (!v.isEmpty() && isBlank(v.back()))
                    v.chop(1);
                pair.value = v;
            }
        }
        if (!pair.keyword.isEmpty())
            result.m_pairs.append(pair);
    }
    return result;
}

std::optional<QString> ConnectionString::value(const QString &keyword) const
{
    std::optional<QString> found;
    for (const ConnectionPair &p : m_pairs)
        if (p.keyword.compare(keyword, Qt::CaseInsensitive) == 0)
            found = p.value;
    return found;
}

QString ConnectionString::withoutPassword() const
{
    QString out;
    for (const ConnectionPair &p : m_pairs) {
        if (p.keyword.compare(QLatin1String(kPasswordKey), Qt::CaseInsensitive) == 0
            || p.keyword.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0
            || p.keyword.compare(QLatin1String("Pwd"), Qt::CaseInsensitive) == 0)
            continue;
        QString v = p.value;
        // A value that opens with a brace reads back as a braced value, up to its first
        // closing brace: one that does not end there must be quoted to keep its text.
        const bool braceOpen = v.startsWith(u'{') && v.indexOf(u'}') != v.size() - 1;
        if (v.contains(u';') || v.contains(u'"') || v.contains(u'\'') || braceOpen
            || (!v.isEmpty() && (isBlank(v.front()) || isBlank(v.back()))))
            v = u'"' + QString(v).replace(u'"', QStringLiteral("\"\"")) + u'"';
        out += p.keyword + u'=' + v + u';';
    }
    return out;
}

} // namespace db::detail
