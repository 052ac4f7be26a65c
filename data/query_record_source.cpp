// Adapting db::Query to RecordSource.
#include "data/query_record_source.h"

#include "db/query.h"

bool QueryRecordSource::Active() const { return m_source.DataSet() && m_source.DataSet()->Active(); }

int QueryRecordSource::FieldCount() const { return Active() ? m_source.DataSet()->FieldCount() : 0; }

QString QueryRecordSource::FieldName(int field) const { return m_source.DataSet()->FieldName(field); }

RecordFieldKind QueryRecordSource::FieldKind(int field) const
{
    switch (m_source.DataSet()->FieldKindOf(field)) {
    case db::FieldKind::Number: return RecordFieldKind::Number;
    case db::FieldKind::LongText: return RecordFieldKind::LongText;
    case db::FieldKind::Picture: return RecordFieldKind::Picture;
    case db::FieldKind::Text: break;
    }
    return RecordFieldKind::Text;
}

int QueryRecordSource::RecordCount() const { return Active() ? m_source.DataSet()->RecordCount() : 0; }

int QueryRecordSource::CurrentRecord() const { return Active() ? m_source.DataSet()->RecNo() : 0; }

void QueryRecordSource::MoveTo(int record)
{
    db::Query *query = m_source.DataSet();
    const int count = query->RecordCount();
    if (record < count) {
        query->MoveTo(record);
    } else if (count > 0) {
        // Past the last record, where a walk that started at the end returns.
        query->MoveTo(count - 1);
        query->Next();
    }
}

QVariant QueryRecordSource::FieldValue(int field) const { return m_source.DataSet()->Value(field); }
