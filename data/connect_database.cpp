// ConnectDatabase: the three connection-string templates, the redirection of the "SQL"
// kind to the local Jet catalogue, and the reuse test that lets every catalogue window
// share the connection the first one opened.
#include "data/connect_database.h"

#include "data/data_module.h"
#include "data/text_util.h"
#include "platform/settings.h"

#include <QDir>
#include <exception>

namespace {

const char *const kSqlServerTemplate =
    "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=%UserName%;Password=%Password%;"
    "Initial Catalog=%DataBaseName%;Data Source=%InstanceName%";
const char *const kJetTemplate =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%DatabaseName%;Persist Security Info=False;"
    "Jet OLEDB:Database Password=";
const char *const kFoxTemplate =
    "Driver={Microsoft Visual FoxPro Driver};SourceType=DBF;SourceDB=%DatabaseName%;Exclusive=No";

// A kind is chosen when the type is a non-empty part of its key word (case-sensitive).
bool selects(const QString &type, const char *keyWord)
{
    return !type.isEmpty() && QString::fromLatin1(keyWord).contains(type);
}

} // namespace

QString DatabasePassword()
{
    QString password;
    for (int code = 1; code <= 20; ++code)
        password.append(QChar(code));
    return password;
}

QString DatabasePasswordLiteral()
{
    QString inner = DatabasePassword();
    inner.replace(QChar('\''), QStringLiteral("''"));
    return QChar('\'') + inner + QChar('\'');
}

bool ConnectDatabase(QString DbType, QString InstanceName, QString DatabaseName, QString UserName, QString Password)
{
    const QString sep = QDir::separator();
    if (DbType == QLatin1String("SQL")) {
        DbType = QStringLiteral("JET");
        DatabaseName = AppDir + "db" + sep + DatabaseName + ".mdb";
        UserName.clear();
    }

    QString providerName;
    QString connectionString;
    QString key;
    if (selects(DbType, "SQL")) {
        providerName = QStringLiteral("SQLOLEDB.1");
        connectionString = QString::fromLatin1(kSqlServerTemplate);
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%InstanceName%", InstanceName);
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%DatabaseName%", DatabaseName);
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%UserName%", UserName);
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%Password%", Password);
        key = QStringLiteral("Initial Catalog=");
    }
    if (selects(DbType, "JET")) {
        providerName = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
        connectionString = QString::fromLatin1(kJetTemplate) + DatabasePasswordLiteral();
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%DatabaseName%", DatabaseName);
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%UserName%", UserName);
        connectionString = ReplaceFirstIgnoringCase(connectionString, "%Password%", Password);
        connectionString += ";Jet OLEDB:System database=\"" + AppDir + "db" + sep + "system.mdw\"";
        key = QStringLiteral("Data Source=");
    }
    if (selects(DbType, "FOX")) {
        providerName = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
        connectionString = ReplaceFirstIgnoringCase(QString::fromLatin1(kFoxTemplate), "%DatabaseName%", DatabaseName);
        key = QStringLiteral("SourceDB=");
    }

    db::Connection &connection = DM->ADOConnection1;
    const QString current = LowerAsciiLetters(connection.ConnectionString());
    const QString wanted = LowerAsciiLetters(key + DatabaseName + ";");
    if (current.contains(wanted) && connection.Provider() == providerName && connection.Connected())
        return true;

    try {
        connection.Close();
        connection.setConnectionString(connectionString);
        connection.Open();
        return true;
    } catch (const std::exception &) {
        // The design reports nothing here: the queries that follow fail with their own
        // messages, which name the cause.
        return false;
    }
}
