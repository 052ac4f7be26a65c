// The data-bound grid: a grid that shows a record source and writes it to the grid
// exchange file. Row 0 holds the field labels, rows 1 onward the records; columns are the
// visible fields in field order, made afresh from whatever result the source holds.
#pragma once

#include <QChar>
#include <QString>
#include <QWidget>

class RecordSource;

class DataBoundGrid : public QWidget {
    Q_OBJECT

public:
    explicit DataBoundGrid(QWidget *parent = nullptr);

    // The source shown (not owned); nullptr or a closed source shows two empty rows.
    RecordSource *DataSource() const { return m_source; }
    void setDataSource(RecordSource *source) { m_source = source; }

    QChar FieldSeparator() const { return m_separator; }
    void setFieldSeparator(QChar separator) { m_separator = separator; }

    // Records + 1, never less than 2.
    int RowCount() const;
    // One per visible field; 1 while nothing is shown.
    int ColCount() const;
    // The header label in row 0, the field's value text in the rows below. Reading a
    // record row moves the source there and back.
    QString Cells(int col, int row) const;

    // Writes every row and column to `path` (created or emptied), leaving the source on
    // the record it was on. Raises "Cannot Create file <path>" when the file cannot be
    // created; nothing is written then.
    void ExportToTextFile(const QString &path);

private:
    RecordSource *m_source = nullptr;
    QChar m_separator = QLatin1Char('|');
};
