// The export form and its data-bound grid.
#include "data/desk_form.h"

#include "data/query_record_source.h"
#include "widgets/data_bound_grid.h"

Tfrm_desk *frm_desk = nullptr;

Tfrm_desk::Tfrm_desk(QWidget *owner) : QWidget(owner, Qt::Window), dbGrid(new DataBoundGrid(this))
{
    setObjectName(QStringLiteral("frm_desk"));
    dbGrid->setObjectName(QStringLiteral("dbGrid"));
    setAttribute(Qt::WA_DontShowOnScreen);
    hide();
    if (!frm_desk)
        frm_desk = this;
}

Tfrm_desk::~Tfrm_desk()
{
    if (frm_desk == this)
        frm_desk = nullptr;
}

void Tfrm_desk::BindDataSource(const db::DataSource &source)
{
    m_records = std::make_unique<QueryRecordSource>(source);
    dbGrid->setDataSource(m_records.get());
}
