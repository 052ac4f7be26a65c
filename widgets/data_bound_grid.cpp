// The data-bound grid: its rows and columns are read from the record source on demand,
// so a reopened result always shows its own fields; the export walks the records once.
#include "widgets/data_bound_grid.h"

#include "widgets/exchange_file.h"
#include "widgets/record_source.h"

#include <vector>

namespace {

bool showing(const RecordSource *source) { return source && source->Active(); }

// The fields shown as columns, in field order.
std::vector<int> visibleFields(const RecordSource *source)
{
    std::vector<int> fields;
    if (!showing(source))
        return fields;
    for (int f = 0; f < source->FieldCount(); ++f) {
        if (source->FieldVisible(f))
            fields.push_back(f);
    }
    return fields;
}

// Keeps the source's record and silences its notifications while the grid walks it.
class RecordWalk {
public:
    explicit RecordWalk(RecordSource *source) : m_source(source), m_saved(source->CurrentRecord())
    {
        m_source->DisableControls();
    }
    // Returns the source to its record; errors of the source reach the caller.
    void finish()
    {
        m_done = true;
        m_source->MoveTo(m_saved);
        m_source->EnableControls();
    }
    ~RecordWalk()
    {
        if (m_done)
            return;
        // Another error is already on its way out; a second one could not be reported,
        // so the source is only put back as far as it lets itself be.
        try {
            m_source->MoveTo(m_saved);
            m_source->EnableControls();
        } catch (...) {
        }
    }
    RecordWalk(const RecordWalk &) = delete;
    RecordWalk &operator=(const RecordWalk &) = delete;

private:
    RecordSource *m_source;
    int m_saved;
    bool m_done = false;
};

} // namespace

DataBoundGrid::DataBoundGrid(QWidget *parent) : QWidget(parent) {}

int DataBoundGrid::RowCount() const { return showing(m_source) ? std::max(m_source->RecordCount() + 1, 2) : 2; }

int DataBoundGrid::ColCount() const
{
    const auto fields = visibleFields(m_source);
    return fields.empty() ? 1 : static_cast<int>(fields.size());
}

QString DataBoundGrid::Cells(int col, int row) const
{
    const auto fields = visibleFields(m_source);
    if (col < 0 || col >= static_cast<int>(fields.size()) || row < 0)
        return {};
    const int field = fields[col];
    if (row == 0)
        return m_source->FieldName(field);
    if (row > m_source->RecordCount())
        return {};
    RecordWalk walk(m_source);
    m_source->MoveTo(row - 1);
    const QString text = ExchangeValueText(m_source->FieldKind(field), m_source->FieldValue(field));
    walk.finish();
    return text;
}

void DataBoundGrid::ExportToTextFile(const QString &path)
{
    ExchangeWriter writer(path, m_separator);
    const auto fields = visibleFields(m_source);
    const int columns = ColCount();
    const int rows = RowCount();
    std::vector<RecordFieldKind> kinds;
    for (int field : fields)
        kinds.push_back(m_source->FieldKind(field));

    for (int c = 0; c < columns; ++c)
        writer.WriteValue(c < static_cast<int>(fields.size()) ? m_source->FieldName(fields[c]) : QString());
    writer.EndLine();
    if (fields.empty() || m_source->RecordCount() == 0) {
        for (int r = 1; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                writer.WriteValue(QString());
            writer.EndLine();
        }
    } else {
        RecordWalk walk(m_source);
        for (int r = 1; r < rows; ++r) {
            m_source->MoveTo(r - 1);
            for (int c = 0; c < columns; ++c)
                writer.WriteValue(ExchangeValueText(kinds[c], m_source->FieldValue(fields[c])));
            writer.EndLine();
        }
        walk.finish();
    }
    writer.Close();
}
