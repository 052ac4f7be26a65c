// An in-memory record source for the grid tests: a result set held as rows of variants,
// with a current record that the tests can check after the grid walked it.
#pragma once

#include "widgets/record_source.h"

#include <QStringList>
#include <QVariant>
#include <stdexcept>
#include <vector>

class TableSource : public RecordSource {
public:
    struct Field {
        QString name;
        RecordFieldKind kind = RecordFieldKind::Text;
        bool visible = true;
    };

    std::vector<Field> fields;
    std::vector<std::vector<QVariant>> records;
    bool active = true;
    int current = 0;
    int disabled = 0; // DisableControls minus EnableControls

    static TableSource textColumns(const QStringList &names)
    {
        TableSource source;
        for (const QString &name : names)
            source.fields.push_back({name});
        return source;
    }

    bool Active() const override { return active; }
    int FieldCount() const override { return static_cast<int>(fields.size()); }
    QString FieldName(int field) const override { return fields.at(field).name; }
    bool FieldVisible(int field) const override { return fields.at(field).visible; }
    RecordFieldKind FieldKind(int field) const override { return fields.at(field).kind; }
    int RecordCount() const override { return static_cast<int>(records.size()); }
    int CurrentRecord() const override { return current; }
    void MoveTo(int record) override
    {
        if (record < 0 || record > RecordCount())
            throw std::out_of_range("record out of range");
        current = record;
    }
    QVariant FieldValue(int field) const override { return records.at(current).at(field); }
    void DisableControls() override { ++disabled; }
    void EnableControls() override { --disabled; }
};
