// The query channel: ADOQuery1 of the data module, for lookups whose records the caller
// reads in code. ApriQRY runs a statement and reports failures itself; the caller reads
// DM->ADOQuery1 by field name, moves forward, and closes it.
#pragma once

#include <QString>

// Runs `SqlText` (normalised) on the channel: the record count, or -1 after showing the
// failure message. A channel left open by an earlier caller is reported and closed first.
int ApriQRY(const QString &SqlText);

// Adapts SQL Server texts for the Jet engine: removes "dbo." and turns N'' into '' —
// outside quoted literals only, so a typed value such as Adbo.5 reaches the engine as
// typed. Works on the text's Windows-1252 form, as the engine's callers build it.
QString NormalizeSql(const QString &SqlText);
