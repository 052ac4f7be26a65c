// A small tokenizer over the Jet text: one pass, character by character, so that quotes,
// brackets and words are each recognised where they start and never inside one another.
// Derived tables are translated by a recursive call on the bracket's content.
#include "db/db_error.h"
#include "db/jet_sql_p.h"

#include <QSet>

namespace db::detail {

namespace {

const QSet<QString> &jetFunctions()
{
    static const QSet<QString> names = {
        QStringLiteral("left"),   QStringLiteral("right"), QStringLiteral("mid"),   QStringLiteral("len"),
        QStringLiteral("val"),    QStringLiteral("trim"),  QStringLiteral("ltrim"), QStringLiteral("rtrim"),
        QStringLiteral("ucase"),  QStringLiteral("lcase"), QStringLiteral("iif"),   QStringLiteral("nz"),
        QStringLiteral("isnull"), QStringLiteral("instr"),
    };
    return names;
}

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

[[noreturn]] void syntaxError(const QString &what)
{
    raiseDbError(DbErrc::Sql, QStringLiteral("Syntax error in the SQL statement: %1.").arg(what));
}

QString sqlLiteral(const QString &value)
{
    QString literal = u'\'' + QString(value).replace(u'\'', QStringLiteral("''")) + u'\'';
    // SQLite ends a statement's text at a NUL character, even inside a literal: such a
    // value is written as pieces joined around char(0), so it is searched for as typed.
    if (literal.contains(QChar(0)))
        literal = u'(' + literal.replace(QChar(0), QStringLiteral("' || char(0) || '")) + u')';
    return literal;
}

class Translator {
public:
    explicit Translator(const QString &text) : m_text(text) {}

    QString run(bool nested)
    {
        const qsizetype n = m_text.size();
        while (m_pos < n) {
            const QChar c = m_text[m_pos];
            if (c == u'\'' || c == u'"') {
                put(sqlLiteral(readQuoted(c)), false);
            } else if (c == u'[') {
                readBracket();
            } else if (c.isDigit() || (c == u'.' && m_pos + 1 < n && m_text[m_pos + 1].isDigit() && !m_lastWasName)) {
                put(readNumber(), true);
            } else if (isWordChar(c)) {
                readWord();
            } else if (c == u'&') {
                ++m_pos;
                put(QStringLiteral(" || "), false);
            } else if (c == u';') {
                ++m_pos;
                for (; m_pos < n; ++m_pos)
                    if (!m_text[m_pos].isSpace() && m_text[m_pos] != u';')
                        raiseDbError(DbErrc::Sql, QStringLiteral("Characters found after end of SQL statement: only "
                                                                 "one statement can be run at a time."));
                break;
            } else if (c.isSpace()) {
                m_out += u' ';
                ++m_pos;
            } else {
                ++m_pos;
                // "--" and "/*" open comments in SQLite but not in Jet.
                if ((c == u'-' || c == u'/') && m_pos < n && (m_text[m_pos] == u'-' || m_text[m_pos] == u'*'))
                    put(QString(c) + u' ', false);
                else
                    put(QString(c), false);
                m_lastWasDot = c == u'.';
            }
        }
        if (!nested && m_out.trimmed().isEmpty())
            raiseDbError(DbErrc::Sql, QStringLiteral("The SQL statement is empty."));
        return m_out;
    }

private:
    void put(const QString &s, bool name)
    {
        m_out += s;
        m_lastWasName = name;
        m_lastWasDot = false;
    }

    QString readQuoted(QChar quote)
    {
        QString value;
        ++m_pos;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c != quote) {
                value += c;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == quote) {
                value += quote;
                ++m_pos;
                continue;
            }
            return value;
        }
        syntaxError(QStringLiteral("a text in quotes is not closed"));
    }

    QString readNumber()
    {
        const qsizetype start = m_pos;
        const qsizetype n = m_text.size();
        while (m_pos < n && m_text[m_pos].isDigit())
            ++m_pos;
        if (m_pos < n && m_text[m_pos] == u'.') {
            ++m_pos;
            while (m_pos < n && m_text[m_pos].isDigit())
                ++m_pos;
        }
        if (m_pos < n && (m_text[m_pos] == u'e' || m_text[m_pos] == u'E')) {
            qsizetype p = m_pos + 1;
            if (p < n && (m_text[p] == u'+' || m_text[p] == u'-'))
                ++p;
            if (p < n && m_text[p].isDigit()) {
                m_pos = p;
                while (m_pos < n && m_text[m_pos].isDigit())
                    ++m_pos;
            }
        }
        return m_text.mid(start, m_pos - start);
    }

    void readWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isWordChar(m_text[m_pos]))
            ++m_pos;
        const QString word = m_text.mid(start, m_pos - start);
        if (m_lastWasDot) { // a qualified name's second part is only a name
            put(word, true);
            return;
        }
        qsizetype next = m_pos;
        while (next < m_text.size() && m_text[next].isSpace())
            ++next;
        const bool call = next < m_text.size() && m_text[next] == u'(';
        const QString lower = word.toLower();
        if (call && jetFunctions().contains(lower))
            put(QStringLiteral("jet_") + lower, true);
        else if (!call && lower == u"true")
            put(QStringLiteral("(-1)"), false);
        else if (!call && lower == u"false")
            put(QStringLiteral("0"), false);
        else if (lower == u"distinctrow")
            put(QStringLiteral("DISTINCT"), false);
        else if (lower == u"mod")
            put(QStringLiteral("%"), false);
        else
            put(word, true);
    }

    // [name] or [SELECT ...]. : the closing bracket is looked for outside quotes, so a
    // derived table may compare with texts that hold a ']'.
    void readBracket()
    {
        const qsizetype open = m_pos;
        qsizetype p = open + 1;
        QChar quote;
        for (; p < m_text.size(); ++p) {
            const QChar c = m_text[p];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'\'' || c == u'"') {
                quote = c;
            } else if (c == u']') {
                break;
            }
        }
        if (p >= m_text.size())
            syntaxError(QStringLiteral("a '[' has no closing ']'"));
        const QString inner = m_text.mid(open + 1, p - open - 1);
        m_pos = p + 1;
        const QString head = inner.trimmed().left(7).toLower();
        const bool derived = head.startsWith(u"select") && (head.size() == 6 || !isWordChar(head[6]))
                             && m_pos < m_text.size() && m_text[m_pos] == u'.';
        if (derived) {
            ++m_pos; // the period after the bracket
            Translator sub(inner);
            put(u'(' + sub.run(true) + u')', true);
            return;
        }
        if (inner.isEmpty() || inner.contains(u'['))
            syntaxError(QStringLiteral("invalid bracketed name \"[%1]\"").arg(inner));
        put(u'"' + QString(inner).replace(u'"', QStringLiteral("\"\"")) + u'"', true);
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    QString m_out;
    bool m_lastWasName = false;
    bool m_lastWasDot = false;
};

} // namespace

QString translateJetSql(const QString &jet)
{
    Translator t(jet);
    return t.run(false);
}

} // namespace db::detail
