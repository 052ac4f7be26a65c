// The hidden export form: it holds the data-bound grid that writes a grid query's result
// to the exchange file. Created by the brand selection screen, never shown.
#pragma once

#include <QWidget>
#include <memory>

class DataBoundGrid;
class QueryRecordSource;
namespace db {
class DataSource;
}

class Tfrm_desk : public QWidget {
    Q_OBJECT
public:
    explicit Tfrm_desk(QWidget *owner = nullptr);
    ~Tfrm_desk() override;

    // Binds dbGrid to `source` (the data module's DataSource_Grid), as its DataSource.
    void BindDataSource(const db::DataSource &source);

    DataBoundGrid *dbGrid;

private:
    std::unique_ptr<QueryRecordSource> m_records;
};

extern Tfrm_desk *frm_desk;
