// The database layer's data source seen as the record source the data-bound grid reads:
// the one place where a query result meets the widgets.
#pragma once

#include "widgets/record_source.h"

namespace db {
class DataSource;
}

class QueryRecordSource : public RecordSource {
public:
    // `source` is not owned and must outlive this object.
    explicit QueryRecordSource(const db::DataSource &source) : m_source(source) {}

    bool Active() const override;
    int FieldCount() const override;
    QString FieldName(int field) const override;
    RecordFieldKind FieldKind(int field) const override;
    int RecordCount() const override;
    int CurrentRecord() const override;
    void MoveTo(int record) override;
    QVariant FieldValue(int field) const override;

private:
    const db::DataSource &m_source;
};
