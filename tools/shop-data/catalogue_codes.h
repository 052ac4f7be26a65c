// The catalogue's battery codes, for telling which of a till's codes the catalogue lacks.
#pragma once

#include <QSet>
#include <QString>

namespace shopdata {

// The program's own catalogue (db/vc_korva.mdb of its program folder), found as the
// program and its helper are: the folder of this executable, the installed program
// folder seen from bin/, and where the tests are built the build's program folder.
// Empty when none of them holds one; `looked` lists where it looked.
QString ProgramCatalogue(QString *looked);

// The CODICE of every price list's battery rows (old-code rows aside), trimmed and upper
// case. Raises db::DbError when the catalogue cannot be read.
QSet<QString> CatalogueCodes(const QString &mdb);

} // namespace shopdata
