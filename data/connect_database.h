// Opening (or reusing) the catalogue connection for one of three kinds of database.
#pragma once

#include <QString>

// The database password enclosed in single quotes (a quote inside doubled), for the Jet
// connection string.
QString DatabasePasswordLiteral();

// The 20-character database password of the installed catalogue (codes 1 to 20).
QString DatabasePassword();

// Builds the connection string for `DbType` ("SQL" is redirected to the Jet database
// AppDir + db/<DatabaseName>.mdb), keeps an open connection on the same database and
// provider, otherwise (re)opens it. True when the connection is open on return. Never
// shows a message: a failure is seen by the queries that follow.
bool ConnectDatabase(QString DbType, QString InstanceName, QString DatabaseName, QString UserName, QString Password);
