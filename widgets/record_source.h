// What the data-bound grid needs of a result set, so that widgets never see the database:
// the fields (name, visibility, kind), the records, moving among them and back, and the
// values of the current record. The data layer adapts its query and data source to it.
#pragma once

#include <QString>
#include <QVariant>

// What a field holds; it decides the field's text in the exchange file.
enum class RecordFieldKind {
    Text,     // the stored text
    Number,   // whole numbers as digits, decimals in the user's locale form
    LongText, // memo: written as its text
    Picture,  // any binary large object: written as "(GRAPHIC)"
};

class RecordSource {
public:
    virtual ~RecordSource() = default;

    // Whether a result is open; a closed source shows no fields and no records.
    virtual bool Active() const = 0;

    virtual int FieldCount() const = 0;
    // The label of the field as the database reports it (an AS alias included).
    virtual QString FieldName(int field) const = 0;
    virtual bool FieldVisible(int field) const
    {
        (void)field;
        return true;
    }
    virtual RecordFieldKind FieldKind(int field) const = 0;

    virtual int RecordCount() const = 0;
    // 0-based index of the current record; RecordCount() when past the last one.
    virtual int CurrentRecord() const = 0;
    // Makes `record` current; 0..RecordCount(), RecordCount() meaning past the last one
    // (the grid returns there when it found the source past the end).
    virtual void MoveTo(int record) = 0;
    // The value of a field of the current record: a null QVariant for Null, otherwise
    // text, an integer, a double or bytes.
    virtual QVariant FieldValue(int field) const = 0;

    // Suspend and resume the source's notifications to other controls while the grid
    // walks the records.
    virtual void DisableControls() {}
    virtual void EnableControls() {}
};
