// The schema's versions. Version 1: the stock of each branch, one row per code, and per
// branch the last import (when, from what, its content's hash for the stock file). Times
// are milliseconds since 1970 UTC in a BIGINT, the one type both engines keep alike.
// A later version is one more function in kSteps and its tables in DataTables().
#include "shop/store_schema_p.h"

#include "shop/shop_error.h"
#include "shop/sql_session_p.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace shop::detail {

namespace {

void version1(SqlSession &s)
{
    s.run(QStringLiteral("CREATE TABLE stock_import ("
                         " branch TEXT NOT NULL PRIMARY KEY,"
                         " imported_at BIGINT NOT NULL,"
                         " as_of BIGINT NOT NULL,"
                         " source TEXT NOT NULL,"
                         " content_hash TEXT NOT NULL,"
                         " row_count INTEGER NOT NULL)"));
    // code: upper case, blanks around it removed, as lookups ask for it; shelves: one
    // per line, in the order the file gave them.
    s.run(QStringLiteral("CREATE TABLE stock ("
                         " branch TEXT NOT NULL,"
                         " code TEXT NOT NULL,"
                         " quantity INTEGER NOT NULL,"
                         " price_cents BIGINT,"
                         " shelves TEXT NOT NULL,"
                         " PRIMARY KEY (branch, code))"));
    // The other branches' stock of the battery shown is asked by code alone.
    s.run(QStringLiteral("CREATE INDEX stock_by_code ON stock (code)"));
}

// Version 2: the fit reports (shop/report_store.cpp), and each one's history of changes.
void version2(SqlSession &s)
{
    s.run(QStringLiteral("CREATE TABLE fit_report ("
                         " id BIGINT NOT NULL PRIMARY KEY, filed_at BIGINT NOT NULL, branch TEXT NOT NULL,"
                         " operator TEXT NOT NULL, reason TEXT NOT NULL, comment TEXT NOT NULL,"
                         " fitting_code TEXT NOT NULL, vehicle_id TEXT, make TEXT NOT NULL, model TEXT NOT NULL,"
                         " version TEXT NOT NULL, fuel TEXT NOT NULL, year_from TEXT NOT NULL, year_to TEXT NOT NULL,"
                         " ktypnrs TEXT NOT NULL, price_list TEXT NOT NULL, code TEXT NOT NULL,"
                         " battery_row TEXT NOT NULL, photo_hash TEXT NOT NULL, catalogue_created BIGINT,"
                         " catalogue_hash TEXT NOT NULL, status TEXT NOT NULL, closed_at BIGINT,"
                         " closed_note TEXT NOT NULL, resolved_created BIGINT, resolved_hash TEXT NOT NULL,"
                         " resolution TEXT NOT NULL)"));
    s.run(QStringLiteral("CREATE INDEX fit_report_by_status ON fit_report (status, filed_at)"));
    s.run(QStringLiteral("CREATE TABLE fit_report_event (report_id BIGINT NOT NULL, seq INTEGER NOT NULL,"
                         " at BIGINT, status TEXT NOT NULL, note TEXT NOT NULL, PRIMARY KEY (report_id, seq))"));
}

using Step = void (*)(SqlSession &);
const Step kSteps[] = {version1, version2};

int storedVersion(SqlSession &s)
{
    int version = -1;
    s.each(QStringLiteral("SELECT version FROM shop_schema"), {},
           [&](const QSqlQuery &q) { version = std::max(version, q.value(0).toInt()); });
    if (version < 0)
        raiseShopError(ShopErrc::Schema,
                       QStringLiteral("The shop store \"%1\" is damaged: its schema version is missing.")
                           .arg(s.location().describe()));
    return version;
}

bool hasSchemaTable(SqlSession &s)
{
    bool found = false;
    const QString sql = s.isServer() ? QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables "
                                                      "WHERE schemaname = current_schema() AND tablename = ?")
                                     : QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    s.each(sql, {QStringLiteral("shop_schema")}, [&](const QSqlQuery &) { found = true; });
    return found;
}

} // namespace

int CurrentSchemaVersion() { return int(std::size(kSteps)); }

void EnsureSchema(SqlSession &session)
{
    // Looked at first without the lock: a store that is up to date, as nearly every
    // open finds it, costs no write lock.
    if (hasSchemaTable(session)) {
        const int version = storedVersion(session);
        if (version == CurrentSchemaVersion())
            return;
    }
    SqlSession::Transaction transaction(session);
    int version = 0;
    if (hasSchemaTable(session))
        version = storedVersion(session);
    else {
        session.run(QStringLiteral("CREATE TABLE shop_schema (version INTEGER NOT NULL)"));
        session.run(QStringLiteral("INSERT INTO shop_schema (version) VALUES (?)"), {0});
    }
    if (version > CurrentSchemaVersion())
        raiseShopError(ShopErrc::Schema,
                       QStringLiteral("The shop store \"%1\" was written by a newer version of the program (schema %2; "
                                      "this one knows up to %3). Install the newer version here too; the store is "
                                      "left as it is.")
                           .arg(session.location().describe())
                           .arg(version)
                           .arg(CurrentSchemaVersion()));
    if (version == CurrentSchemaVersion())
        return;
    for (int v = version; v < CurrentSchemaVersion(); ++v)
        kSteps[v](session);
    session.run(QStringLiteral("UPDATE shop_schema SET version = ?"), {CurrentSchemaVersion()});
    transaction.commit();
}

const std::vector<DataTable> &DataTables()
{
    static const std::vector<DataTable> tables = {
        {QStringLiteral("stock_import"),
         {QStringLiteral("branch"), QStringLiteral("imported_at"), QStringLiteral("as_of"), QStringLiteral("source"),
          QStringLiteral("content_hash"), QStringLiteral("row_count")}},
        {QStringLiteral("stock"),
         {QStringLiteral("branch"), QStringLiteral("code"), QStringLiteral("quantity"), QStringLiteral("price_cents"),
          QStringLiteral("shelves")}},
        {QStringLiteral("fit_report"),
         QStringLiteral("id,filed_at,branch,operator,reason,comment,fitting_code,vehicle_id,make,model,version,fuel,"
                        "year_from,year_to,ktypnrs,price_list,code,battery_row,photo_hash,catalogue_created,"
                        "catalogue_hash,status,closed_at,closed_note,resolved_created,resolved_hash,resolution")
             .split(u',')},
        {QStringLiteral("fit_report_event"),
         {QStringLiteral("report_id"), QStringLiteral("seq"), QStringLiteral("at"), QStringLiteral("status"),
          QStringLiteral("note")}},
    };
    return tables;
}

} // namespace shop::detail
