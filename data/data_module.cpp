// Design settings of the data module's components.
#include "data/data_module.h"

TDM *DM = nullptr;

TDM::TDM() : ADOQuery1(ADOConnection1), ADOQuery_Grid(ADOConnection1), DataSource_Grid(&ADOQuery_Grid)
{
    ADOConnection1.setCommandTimeout(60);
    ADOConnection1.setMode(db::ConnectMode::ReadWrite);
    ADOConnection1.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));

    ADOQuery1.setCursorType(db::CursorType::ForwardOnly);
    ADOQuery1.setCommandTimeout(600);

    ADOQuery_Grid.setCursorType(db::CursorType::ForwardOnly);
    ADOQuery_Grid.setCacheSize(50);
    ADOQuery_Grid.setCommandTimeout(600);

    DM = this;
}

TDM::~TDM()
{
    ADOQuery_Grid.Close();
    ADOQuery1.Close();
    ADOConnection1.Close();
    if (DM == this)
        DM = nullptr;
}
