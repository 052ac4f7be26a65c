// A make click's cascade told again from the grids: the make's models, the first model's
// versions, the first version's batteries, and the first battery's photo.
#include "bench/click_statements.h"

#include "catalog/window/main_form.h"
#include "catalog/window/statements.h"
#include "data/grid_loading.h"
#include "db/jet_sql_p.h"
#include "report/schema.h"
#include "widgets/data_grid.h"

#include <QFile>
#include <QFileInfo>

namespace bench {

ClickStatements::ClickStatements() : m_path(qEnvironmentVariable("CATALOG_BENCH_CLICKS")) {}

ClickStatements::~ClickStatements()
{
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(m_lines.join(u'\n').toUtf8() + '\n');
}

void ClickStatements::add(const Tfrm_main &form, int row)
{
    if (m_path.isEmpty())
        return;
    auto sql = [&](const QString &jet) {
        m_lines << QStringLiteral("sql\t") + db::detail::translateJetSql(jet).replace(u'\n', u' ');
    };
    const int keyColumn = FindColumnByHeader(form.gridMarca, QLatin1String(catalog::schema::vehicles::idMarca));
    sql(catalog::modelListStatement(form.gridMarca->Cells(keyColumn, row)));
    sql(catalog::versionListStatement(form.gridMarca->Cells(catalog::kMakeKey, row),
                                      form.gridModello->Cells(catalog::kModelName, 1)));
    const QString vehicle = form.gridVersione->Cells(catalog::kVersionKey, 1);
    if (!vehicle.isEmpty())
        sql(catalog::batteryListStatement(form.SelectedPriceList(), vehicle));
    // The photo's own file: the window's program folder, which links to it, is gone when
    // the floor runs.
    m_lines << QStringLiteral("photo\t") + QFileInfo(form.ShownPhotoPath()).canonicalFilePath()
            << QStringLiteral("end");
}

} // namespace bench
