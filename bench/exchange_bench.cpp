// The grid exchange file at the size of a long battery list: 10,000 records of the
// fifteen-column battery row, written by the data-bound grid and read by a data grid.
#include "widgets/data_bound_grid.h"
#include "widgets/data_grid.h"
#include "widgets/record_source.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kRecords = 10000;
constexpr int kFields = 15;

// Battery-row-like values: codes, ranges, whole numbers, decimals, and now and then a
// note with a separator, quotes or a line break.
class BatteryRows : public RecordSource {
public:
    BatteryRows()
    {
        for (int r = 0; r < kRecords; ++r) {
            std::vector<QVariant> record;
            for (int f = 0; f < kFields; ++f) {
                switch (f % 5) {
                case 0: record.push_back(QString("KORVA")); break;
                case 1: record.push_back(QString("B%1-%2").arg(r).arg(f)); break;
                case 2: record.push_back(r * 7 + f); break;
                case 3: record.push_back(12.5 + r % 100); break;
                default:
                    record.push_back(r % 10 == 0 ? QVariant(QString("nota \"%1\" | riga\r\ndue").arg(r))
                                                 : QVariant(QString("Polo %1").arg(r % 3)));
                }
            }
            m_records.push_back(std::move(record));
        }
    }
    bool Active() const override { return true; }
    int FieldCount() const override { return kFields; }
    QString FieldName(int field) const override { return QString("FIELD%1").arg(field); }
    RecordFieldKind FieldKind(int field) const override
    {
        return field % 5 == 2 || field % 5 == 3 ? RecordFieldKind::Number : RecordFieldKind::Text;
    }
    int RecordCount() const override { return kRecords; }
    int CurrentRecord() const override { return m_current; }
    void MoveTo(int record) override { m_current = record; }
    QVariant FieldValue(int field) const override { return m_records[m_current][field]; }

private:
    std::vector<std::vector<QVariant>> m_records;
    int m_current = 0;
};

struct Setup {
    QTemporaryDir dir;
    QString path = dir.filePath("~mdbgrid.tmp");
    BatteryRows rows;
    DataBoundGrid bound;
    Setup()
    {
        bound.setDataSource(&rows);
        bound.setFieldSeparator('|');
    }
};

// One import into a fresh grid, as each load of a catalogue grid does.
void importOnce(const QString &path)
{
    DataGrid grid;
    grid.setFieldSeparator('|');
    grid.ImportFromTextFile(path, -1);
    benchmark::DoNotOptimize(grid.RowCount());
}

void ExchangeExport(benchmark::State &state)
{
    Setup s;
    for (auto _ : state)
        s.bound.ExportToTextFile(s.path);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(ExchangeExport)->Unit(benchmark::kMillisecond);

void ExchangeImport(benchmark::State &state)
{
    Setup s;
    s.bound.ExportToTextFile(s.path);
    for (auto _ : state)
        importOnce(s.path);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(ExchangeImport)->Unit(benchmark::kMillisecond);

void ExchangeExportThenImport(benchmark::State &state)
{
    Setup s;
    for (auto _ : state) {
        s.bound.ExportToTextFile(s.path);
        importOnce(s.path);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(ExchangeExportThenImport)->Unit(benchmark::kMillisecond);

} // namespace
