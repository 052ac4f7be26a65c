// Catalogues for the diff and check tests: the small catalogue's CSV sources, edited line
// by line by a test, then built with catalogue-build.
#pragma once

#include <QString>
#include <map>

namespace reporttest {

// Table name → CSV text.
using Sources = std::map<QString, QString>;

Sources smallSources();

// Replaces the one line that starts with `start` by `line`, or removes it when `line` is
// empty; the test fails unless exactly one line starts so.
void setLine(Sources &sources, const QString &table, const QString &start, const QString &line);
void addLine(Sources &sources, const QString &table, const QString &line);

// Builds the catalogue in `dir` and returns the path of its vc_korva.mdb (system.mdw
// beside it); the test fails when the builder does.
QString build(const Sources &sources, const QString &dir);

} // namespace reporttest
