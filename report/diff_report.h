// The three forms of the catalogue diff: CSV for programs, text for people (and for the
// catalogue window's "what's new"), a self-contained HTML page for printing.
#pragma once

#include "report/catalogue_diff.h"

#include <QString>

namespace catalog::report {

// Header change,subject,key,field,old,new; rows in the diff's order.
QString DiffCsv(const CatalogueDiff &diff);
// A one-line summary ("12 veicoli aggiunti, ..."), then one section per kind of change.
QString DiffText(const CatalogueDiff &diff);
QString DiffHtml(const CatalogueDiff &diff);

// The summary line alone.
QString DiffSummary(const CatalogueDiff &diff);

} // namespace catalog::report
