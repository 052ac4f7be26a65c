// Loading query results into the catalogue grids and the price-list combo.
//
// A grid is never filled record by record: the grid query's result is bound to the hidden
// data-bound grid, which writes the exchange file, and the target grid reads the file
// back. The sequence holds an exclusive lock for its whole length, never dispatches user
// input while it waits for the file, and gives up after ten seconds instead of hanging.
#include "data/grid_loading.h"

#include "data/data_error.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "data/exchange_folder.h"
#include "data/query_channel.h"
#include "data/text_util.h"
#include "platform/messages.h"
#include "platform/os_files.h"
#include "platform/os_process.h"
#include "platform/settings.h"
#include "widgets/column_combo_box.h"
#include "widgets/data_bound_grid.h"
#include "widgets/data_grid.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <exception>
#include <stdexcept>

namespace {

constexpr int kWaitLimitMs = 10000;

// Hourglass for the length of a load; restored on every way out.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// Keeps the grid's update lock taken for the load and releases it when an exchange error
// ends the load early.
class GridUpdateLock {
public:
    explicit GridUpdateLock(DataGrid *grid) : m_grid(grid) { m_grid->LockUpdates(); }
    ~GridUpdateLock()
    {
        if (m_grid)
            m_grid->UnlockUpdates();
    }
    void release()
    {
        m_grid->UnlockUpdates();
        m_grid = nullptr;
    }
    GridUpdateLock(const GridUpdateLock &) = delete;
    GridUpdateLock &operator=(const GridUpdateLock &) = delete;

private:
    DataGrid *m_grid;
};

// Tries at once; while the file is not ready, lets queued non-input events run (a click
// must not start another handler in the middle of a load) and tries again, for at most
// ten seconds.
void waitForExchangeFile(const QString &path)
{
    if (WaitForFile(path, 0))
        return;
    QElapsedTimer timer;
    timer.start();
    while (!WaitForFile(path, 0)) {
        if (timer.elapsed() > kWaitLimitMs)
            raiseDataError(DataErrc::Busy, "Cannot open file " + path + " (it did not become ready within 10 seconds)");
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    }
}

} // namespace

namespace {

QString exchangeFileIn(const QString &folder) { return folder + QDir::separator() + MachineTag + "~mdbgrid.tmp"; }

} // namespace

QString ExchangeFilePath() { return exchangeFileIn(ExchangeFolder()); }

int LoadGridFromMdb(DataGrid *Grid, const QString &SqlText, bool AutoSize)
{
    int result = -1;
    BusyCursor busy;
    db::Query &query = DM->ADOQuery_Grid;
    query.Close();
    query.ClearSQL();
    query.AddSQL(SqlText);
    try {
        query.Open();
        result = query.RecordCount();
    } catch (const std::exception &e) {
        query.Close();
        messages().MessageBox(QStringLiteral("LoadGridFromMdb: La query ha generato un errore!\r\r")
                                  + QString::fromUtf8(e.what()),
                              QStringLiteral("Attenzione"), kMbIconExclamation);
        return -1;
    }

    GridUpdateLock updates(Grid);
    Grid->setDefaultRowHeight(21);
    Grid->setRowCount(2);
    Grid->setColCount(2);
    Grid->ClearRowCells(1, Grid->RowCount() - 1);
    Grid->ShowAllColumns();
    Grid->ShowAllRows();

    frm_desk->BindDataSource(DM->DataSource_Grid);
    frm_desk->dbGrid->setFieldSeparator(QChar('|'));

    const QString folder = ExchangeFolder();
    const QString path = exchangeFileIn(folder);
    PrepareExchangeFolder(folder, path);
    ExchangeLock lock(path, kWaitLimitMs);
    try {
        frm_desk->dbGrid->ExportToTextFile(path);
        waitForExchangeFile(path);
        Grid->setFieldSeparator(QChar('|'));
        Grid->ShowAllColumns();
        Grid->ShowAllRows();
        waitForExchangeFile(path);
        Grid->ImportFromTextFile(path, -1);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    QFile::remove(path);

    if (AutoSize)
        Grid->setAutoSize(true);
    updates.release();
    return result;
}

void LoadComboFromQuery(ColumnComboBox *Combo, const QString &SqlText, const QString &DefaultItem)
{
    Combo->BeginItemUpdate();
    Combo->ClearItems();
    const int n = ApriQRY(SqlText);
    db::Query &channel = DM->ADOQuery1;
    for (int i = 0; i < n; ++i) {
        QStringList texts;
        for (int f = 0; f < channel.FieldCount(); ++f)
            texts << channel.AsString(f);
        Combo->AddItem().setStrings(texts);
        channel.Next();
    }
    channel.Close();
    Combo->EndItemUpdate();

    if (!TrimSpaces(DefaultItem).isEmpty()) {
        const qsizetype bar = DefaultItem.indexOf(QChar('|'));
        const QString first = bar < 0 ? QString() : DefaultItem.left(bar);
        const QString second = (bar < 0 ? DefaultItem : DefaultItem.mid(bar + 1)).left(255);
        Combo->InsertItem(0).setStrings({first, second});
    }
    Combo->setItemIndex(Combo->ItemCount() > 0 ? 0 : -1);
}

void FitColumnToGrid(DataGrid *Grid, int Col)
{
    const unsigned options = Grid->Options();
    const int vline = (options & (DataGrid::goVertLine | DataGrid::goFixedVertLine)) ? Grid->GridLineWidth() : 0;
    const int hline = (options & (DataGrid::goHorzLine | DataGrid::goFixedHorzLine)) ? Grid->GridLineWidth() : 0;

    int w = 0;
    for (int c = Grid->LeftCol(); c < Grid->ColCount(); ++c) {
        w += Grid->ColWidths(c) + vline;
        if (w > Grid->ClientWidth() + vline) {
            w = Grid->ClientWidth();
            break;
        }
    }
    int h = 0;
    for (int r = Grid->TopRow(); r < Grid->RowCount(); ++r) {
        h += Grid->RowHeights(r) + hline;
        if (h > Grid->ClientHeight() + hline) {
            h = Grid->ClientHeight();
            break;
        }
    }

    int width = Grid->ColWidths(Col) + (Grid->width() - w);
    const bool verticalBar = Grid->ScrollBars() == DataGrid::ssVertical || Grid->ScrollBars() == DataGrid::ssBoth;
    const int firstHeight = Grid->RowCount() > 1 ? Grid->RowHeights(1) : 0;
    if (Grid->RowCount() > Grid->VisibleRowCount() + 1 && firstHeight * Grid->RowCount() > h && verticalBar)
        width -= Grid->ScrollWidth() + 5;
    else
        width -= 5;
    if (Grid->BorderStyle() == DataGrid::bsNone)
        width += 2;
    Grid->setColWidths(Col, width);
}

int FindColumnByHeader(DataGrid *Grid, const QString &Name)
{
    const QString wanted = LowerAsciiLetters(Name);
    for (int c = 0; c < Grid->ColCount(); ++c) {
        if (LowerAsciiLetters(Grid->Cells(c, 0)) == wanted)
            return c;
    }
    return -1;
}

bool WaitForFile(const QString &Path, int Retries)
{
    namespace os = platform::os;
    if (!os::status(Path))
        return false;
    if (Retries < 0)
        return false;
    for (int attempt = 0; attempt <= Retries; ++attempt) {
        // Linux has no sharing modes: a file counts as held while another handle has a
        // lock on it, which is how our own loads and the other copies hold theirs.
        os::File file(Path, os::Access::Write, os::NoFollow);
        if (file.isOpen() && file.tryLock())
            return true;
        if (attempt < Retries)
            os::sleepMs(1000);
    }
    return false;
}
