// The Jet SQL dialect rewritten for SQLite.
#pragma once

#include <QString>

namespace db::detail {

// Rewrites one Jet statement as SQLite text:
//  - "..." and '...' are string literals (a doubled quote inside is one quote); a
//    double-quoted text is never an identifier;
//  - [name] is an identifier; [SELECT ...]. AS x is a derived table;
//  - & concatenates; True and False are -1 and 0; DistinctRow is Distinct; Mod is %;
//  - calls of Jet's functions (Left, Mid, Trim, IIf, Nz, ...) go to the jet_ functions
//    the engine registers, so they never meet SQLite's own functions of the same name;
//  - a trailing ';' and blanks are dropped; anything after a ';' is an error.
// Raises DbError(Sql) for an empty statement, an unterminated quote or bracket, and a
// second statement.
QString translateJetSql(const QString &jet);

} // namespace db::detail
