// The database= text read as libpq reads its URLs: postgresql://[user@][host][:port][/dbname]
// [?keyword=value&...], with the host or a socket folder also given as ?host=.
#include "shop/store_location.h"

#include "shop/shop_error.h"

#include <QUrl>
#include <QUrlQuery>

namespace shop {

namespace {

// The URL as a message may show it: whatever password it carries left out, since
// messages end up on screens and in logs.
QString shown(const QString &text)
{
    QUrl url(text);
    if (!url.isValid())
        return QStringLiteral("postgresql://...");
    url.setPassword(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("password"));
    url.setQuery(query);
    return url.toString();
}

[[noreturn]] void refuse(const QString &text, const QString &why)
{
    raiseShopError(ShopErrc::Location,
                   QStringLiteral("The shop store \"%1\" cannot be used: %2.").arg(shown(text), why));
}

// libpq keywords a URL may carry besides host, port, user and dbname; anything else is
// more likely a mistyped one, which libpq would refuse later with a vaguer message.
bool passedOn(const QString &keyword)
{
    static const QStringList known = {QStringLiteral("sslmode"),
                                      QStringLiteral("connect_timeout"),
                                      QStringLiteral("application_name"),
                                      QStringLiteral("sslrootcert"),
                                      QStringLiteral("sslcert"),
                                      QStringLiteral("sslkey"),
                                      QStringLiteral("target_session_attrs")};
    return known.contains(keyword);
}

} // namespace

QString StoreLocation::describe() const
{
    if (!isServer())
        return path;
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + u'@';
    if (!host.startsWith(u'/'))
        text += host;
    if (port >= 0)
        text += u':' + QString::number(port);
    text += u'/' + database;
    if (host.startsWith(u'/'))
        text += QStringLiteral("?host=") + host;
    return text;
}

StoreLocation StoreLocation::parse(const QString &text)
{
    StoreLocation location;
    if (!text.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive)
        && !text.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive)) {
        if (text.isEmpty())
            refuse(text, QStringLiteral("no file or server is named"));
        location.path = text;
        return location;
    }
    location.kind = Kind::Server;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        refuse(text, QStringLiteral("it is not a valid URL (%1)").arg(url.errorString()));
    if (!url.password().isEmpty())
        refuse(text, QStringLiteral("a password never goes in the settings; put it in ~/.pgpass or PGPASSWORD"));
    location.user = url.userName(QUrl::FullyDecoded);
    location.host = url.host(QUrl::FullyDecoded);
    location.port = url.port(-1);
    location.database = url.path(QUrl::FullyDecoded).mid(1);
    QStringList options;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("password"))
            refuse(text, QStringLiteral("a password never goes in the settings; put it in ~/.pgpass or PGPASSWORD"));
        if (key == QLatin1String("host"))
            location.host = value;
        else if (key == QLatin1String("port")) {
            bool ok = false;
            location.port = value.toInt(&ok);
            if (!ok || location.port <= 0 || location.port > 65535)
                refuse(text, QStringLiteral("the port \"%1\" is not a port number").arg(value));
        } else if (key == QLatin1String("user"))
            location.user = value;
        else if (key == QLatin1String("dbname"))
            location.database = value;
        else if (passedOn(key)) {
            if (value.contains(u';') || value.contains(u' ') || value.contains(u'\''))
                refuse(text, QStringLiteral("the value of %1 holds a blank, a quote or a semicolon").arg(key));
            options << key + u'=' + value;
        } else
            refuse(text, QStringLiteral("\"%1\" is not a connection setting it knows").arg(key));
    }
    if (location.database.isEmpty() || location.database.contains(u'/'))
        refuse(text, QStringLiteral("it names no database (postgresql://user@host/dbname)"));
    location.options = options.join(u';');
    return location;
}

} // namespace shop
