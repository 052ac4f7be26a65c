// The keyword=value pairs of an OLE DB connection string, as the Jet provider reads them.
#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace db::detail {

struct ConnectionPair {
    QString keyword; // as written, surrounding blanks removed
    QString value;   // quotes removed, doubled quotes made single
};

// Splits `text` at the semicolons outside quotes. A value may stand in single or double
// quotes (a doubled quote inside is one quote) or in braces, as ODBC driver names do;
// keywords compare without regard to case. Raises DbError(Open) on an unterminated quote.
class ConnectionString {
public:
    static ConnectionString parse(const QString &text);

    // The value of the last pair whose keyword equals `keyword` ignoring case.
    std::optional<QString> value(const QString &keyword) const;
    const QList<ConnectionPair> &pairs() const { return m_pairs; }

    // The string as it reads back from an open connection: every pair except the
    // password, each as keyword=value; (quoted again when the value needs it).
    QString withoutPassword() const;

private:
    QList<ConnectionPair> m_pairs;
};

inline constexpr const char *kJetProvider = "Microsoft.Jet.OLEDB.4.0";
inline constexpr const char *kPasswordKey = "Jet OLEDB:Database Password";
inline constexpr const char *kSystemDbKey = "Jet OLEDB:System database";

} // namespace db::detail
