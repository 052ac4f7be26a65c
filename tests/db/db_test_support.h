// Helpers of the database layer's tests: connection strings as the program builds them,
// an open fixture, and results flattened to text rows for table-driven comparisons.
#pragma once

#include "tests/common/test_support.h"

#include "db/connection.h"
#include "db/query.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace dbtest {

// The program's fixed database password: the characters with the codes 1 to 20.
QString programPassword();

// A Jet connection string in the program's own form: the password in single quotes,
// the workgroup path in double quotes. An empty `workgroup` leaves the keyword out.
QString jetConnectionString(const QString &mdb, const QString &password, const QString &workgroup);

// The small fixture catalogue and its workgroup file.
QString smallCatalogue();
QString smallWorkgroup();

// A connection opened on `mdb` with the program's password and `workgroup`.
std::unique_ptr<db::Connection> openCatalogue(const QString &mdb, const QString &workgroup);
std::unique_ptr<db::Connection> openSmall();

// Runs `sql` and returns one text per record: the fields' AsString joined by '|', with a
// Null written as <NULL> so that Null and the empty text stay apart in comparisons.
QStringList rowsOf(db::Connection &connection, const QString &sql);

// Environment variables set for the length of a scope, as in the other layers' tests.
using testsupport::ScopedEnv;

} // namespace dbtest
