// ApriQRY and NormalizeSql.
#include "data/query_channel.h"

#include "data/data_module.h"
#include "platform/ansi_codepage.h"
#include "platform/messages.h"

#include <exception>

namespace {

bool startsWithIgnoringCase(const QByteArray &text, qsizetype at, const char *what)
{
    for (qsizetype i = 0; what[i] != '\0'; ++i) {
        if (at + i >= text.size())
            return false;
        char a = text.at(at + i);
        char b = what[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

QString NormalizeSql(const QString &SqlText)
{
    const QByteArray in = ToAnsi(SqlText);
    QByteArray out;
    out.reserve(in.size());
    char quote = 0; // the quote character of the literal we are in, 0 outside
    for (qsizetype i = 0; i < in.size();) {
        const char c = in.at(i);
        if (quote) {
            out.append(c);
            ++i;
            if (c == quote) {
                // A doubled quote stays inside the literal.
                if (i < in.size() && in.at(i) == quote) {
                    out.append(quote);
                    ++i;
                } else {
                    quote = 0;
                }
            }
            continue;
        }
        if (startsWithIgnoringCase(in, i, "dbo.")) {
            i += 4;
            continue;
        }
        if (startsWithIgnoringCase(in, i, "n''")) {
            out.append("''");
            i += 3;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        out.append(c);
        ++i;
    }
    return FromAnsi(out);
}

int ApriQRY(const QString &SqlText)
{
    db::Query &channel = DM->ADOQuery1;
    if (channel.Active()) {
        messages().ShowMessage(QStringLiteral("Canale QUERY occupato!"));
        channel.Close();
    }
    const QString sql = NormalizeSql(SqlText);
    channel.ClearSQL();
    channel.AddSQL(sql);
    channel.setFilter(QString());
    channel.setFiltered(false);
    channel.setCursorType(db::CursorType::ForwardOnly);
    try {
        channel.Open();
        return channel.RecordCount();
    } catch (const std::exception &e) {
        channel.Close();
        messages().ShowMessage(QString::fromUtf8("ApriQRY: Non è stato possibile eseguire il comando: \r") + sql
                               + "\r\r" + QString::fromUtf8(e.what()));
        return -1;
    }
}
