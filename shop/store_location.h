// Where a store is, as the [shop] database= text names it: a SQLite file, or a
// PostgreSQL server by a libpq-style URL. A password is never part of it: libpq reads
// one from ~/.pgpass or PGPASSWORD itself.
#pragma once

#include <QString>

namespace shop {

struct StoreLocation {
    enum class Kind { File, Server };
    Kind kind = Kind::File;
    QString path;     // File: the SQLite file
    QString host;     // Server: a host name, or a Unix-socket folder (starts with '/'); empty: libpq's default
    int port = -1;    // Server: -1 for libpq's default
    QString user;     // Server: empty for libpq's default (the login name)
    QString database; // Server: the database name
    QString options;  // Server: further libpq keywords, "key=value;..." as Qt's driver takes them

    bool isServer() const { return kind == Kind::Server; }
    // For messages: the path, or the URL without anything secret in it.
    QString describe() const;

    // Reads a database= text: "postgresql://" or "postgres://" URLs are servers, anything
    // else a file path. Raises ShopError (ShopErrc::Location) for a URL that cannot be
    // used or that carries a password.
    static StoreLocation parse(const QString &text);
};

} // namespace shop
