// Reading each kind of control through its public interface into JSON.
#include "tools/catalogue-script/state_dump.h"

#include "catalog/window/main_form.h"
#include "platform/messages.h"
#include "tools/catalogue-script/heap_usage.h"
#include "tools/catalogue-script/widget_lookup.h"
#include "widgets/column_combo_box.h"
#include "widgets/data_grid.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

QString Hex(const QColor &c) { return c.isValid() ? c.name(QColor::HexRgb).toUpper() : QString(); }

QJsonObject GridState(const DataGrid &grid)
{
    QJsonArray columns;
    for (int c = 0; c < grid.ColCount(); ++c) {
        if (grid.ColWidths(c) > 0)
            columns.append(c);
    }
    QJsonArray rows;
    for (int r = 0; r < grid.RowCount(); ++r) {
        if (grid.RowHeights(r) <= 0)
            continue;
        QJsonArray cells;
        for (const QJsonValue c : columns)
            cells.append(grid.Cells(c.toInt(), r));
        rows.append(QJsonObject{{"row", r}, {"cells", cells}});
    }
    // The current row in full, hidden columns included: keys and photo names live there.
    QJsonArray current;
    for (int c = 0; c < grid.ColCount(); ++c)
        current.append(grid.Cells(c, grid.CurrentRow()));
    const GridRect selection = grid.SelectionRect();
    return QJsonObject{
        {"RowCount", grid.RowCount()},
        {"ColCount", grid.ColCount()},
        {"CurrentRow", grid.CurrentRow()},
        {"TopRow", grid.TopRow()},
        {"SelectionTop", selection.Top},
        {"Color", Hex(grid.Color())},
        {"FontColor", Hex(grid.FontColor())},
        {"columns", columns},
        {"rows", rows},
        {"current", current},
    };
}

QJsonObject ComboState(const ColumnComboBox &combo)
{
    QJsonArray items;
    for (int i = 0; i < combo.ItemCount(); ++i)
        items.append(combo.ItemText(i, 0));
    return QJsonObject{
        {"items", items},
        {"ItemIndex", combo.ItemIndex()},
        {"selected", combo.ItemText(combo.ItemIndex(), 0)},
        {"DroppedDown", combo.DroppedDown()},
    };
}

// A Qt list box reads as the program's own: its items, the selected one and whether its
// list is open.
QJsonObject ComboState(const QComboBox &combo)
{
    QJsonArray items;
    for (int i = 0; i < combo.count(); ++i)
        items.append(combo.itemText(i));
    return QJsonObject{
        {"items", items},
        {"ItemIndex", combo.currentIndex()},
        {"selected", combo.currentText()},
        {"DroppedDown", combo.view()->isVisible()},
        {"enabled", combo.isEnabled()},
    };
}

QJsonObject ImageState(const ImageView &image)
{
    QJsonObject state{{"width", image.Bitmap().width()}, {"height", image.Bitmap().height()}};
    // The catalogue window keeps the path of the photo it last loaded.
    if (auto *window = qobject_cast<Tfrm_main *>(image.window()); window && window->ImageZoom == &image)
        state["path"] = window->ShownPhotoPath();
    return state;
}

// A list of choices: whether it is on screen, its rows' texts in order and the current
// row (-1 for none).
QJsonObject ListState(const QListWidget &list)
{
    QJsonArray rows;
    for (int r = 0; r < list.count(); ++r)
        rows.append(list.item(r)->text());
    return QJsonObject{{"visible", list.isVisible()}, {"rows", rows}, {"currentRow", list.currentRow()}};
}

// A plain box of choices: its items, the one chosen, whether it can be used.
// A table's header and rows in order, and the current row (-1 for none).
QJsonObject TableState(const QTableWidget &table)
{
    QJsonArray header;
    for (int c = 0; c < table.columnCount(); ++c)
        header.append(table.horizontalHeaderItem(c) ? table.horizontalHeaderItem(c)->text() : QString());
    QJsonArray rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        QJsonArray cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells.append(table.item(r, c) ? table.item(r, c)->text() : QString());
        rows.append(cells);
    }
    return QJsonObject{{"header", header}, {"rows", rows}, {"currentRow", table.currentRow()}};
}

QJsonObject MessageState(const RecordedMessage &m)
{
    return QJsonObject{{"kind", m.kind}, {"caption", m.caption}, {"text", m.text}, {"style", m.style}};
}

// Collects the named controls of every visible window into one object per kind. A name
// already taken by a window further back is prefixed with the window's name.
struct Collector {
    QJsonObject grids, edits, labels, notes, images, combos, checks, lists, buttons, texts, tables;

    static void Put(QJsonObject &into, QWidget *window, QWidget *control, const QJsonValue &value)
    {
        QString key = control->objectName();
        if (into.contains(key))
            key = window->objectName() + QLatin1Char('.') + key;
        into[key] = value;
    }

    void Visit(QWidget *window)
    {
        for (QWidget *w : window->findChildren<QWidget *>()) {
            // A window owned by this one (the zoom window) is dumped as a window of its own.
            if (w->objectName().isEmpty() || w->window() != window)
                continue;
            if (auto *grid = qobject_cast<DataGrid *>(w))
                Put(grids, window, w, GridState(*grid));
            else if (auto *edit = qobject_cast<QLineEdit *>(w))
                Put(edits, window, w,
                    QJsonObject{{"text", edit->text()}, {"color", Hex(edit->palette().color(QPalette::Base))}});
            else if (auto *label = qobject_cast<QLabel *>(w))
                Put(labels, window, w, label->text());
            else if (auto *note = qobject_cast<NoteLabel *>(w))
                Put(notes, window, w, note->Markup());
            else if (auto *image = qobject_cast<ImageView *>(w))
                Put(images, window, w, ImageState(*image));
            else if (auto *combo = qobject_cast<ColumnComboBox *>(w))
                Put(combos, window, w, ComboState(*combo));
            else if (auto *box = qobject_cast<QComboBox *>(w))
                Put(combos, window, w, ComboState(*box));
            else if (auto *table = qobject_cast<QTableWidget *>(w))
                Put(tables, window, w, TableState(*table));
            else if (auto *check = qobject_cast<QCheckBox *>(w))
                Put(checks, window, w, check->isChecked());
            else if (auto *list = qobject_cast<QListWidget *>(w))
                Put(lists, window, w, ListState(*list));
            else if (auto *button = qobject_cast<QPushButton *>(w))
                Put(buttons, window, w,
                    QJsonObject{
                        {"text", button->text()}, {"visible", button->isVisible()}, {"enabled", button->isEnabled()}});
            else if (auto *text = qobject_cast<QPlainTextEdit *>(w))
                Put(texts, window, w, text->toPlainText());
        }
    }
};

} // namespace

QJsonObject DumpState(int line, const std::vector<RecordedMessage> &messages)
{
    QJsonArray windows;
    Collector collector;
    for (QWidget *window : VisibleWindows()) {
        windows.append(QJsonObject{
            {"name", window->objectName()}, {"caption", window->windowTitle()}, {"modal", window->isModal()}});
        collector.Visit(window);
    }
    QJsonArray shown;
    for (const RecordedMessage &m : messages)
        shown.append(MessageState(m));
    QJsonObject state{
        {"line", line},
        {"windows", windows},
        {"grids", collector.grids},
        {"edits", collector.edits},
        {"labels", collector.labels},
        {"notes", collector.notes},
        {"images", collector.images},
        {"combos", collector.combos},
        {"checks", collector.checks},
        {"lists", collector.lists},
        {"buttons", collector.buttons},
        {"texts", collector.texts},
        {"tables", collector.tables},
        {"messages", shown},
        // The control a key would go to.
        {"focus", QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString()},
        // Not on screen: what a long run checks for growth.
        {"heapBytes", double(LiveHeapBytes())},
    };
    // Short cuts for what every catalogue check reads.
    if (collector.checks.contains("CheckBoxApplicazioni"))
        state["mode"] = collector.checks["CheckBoxApplicazioni"];
    if (collector.notes.contains("HTMLabelNote"))
        state["note"] = collector.notes["HTMLabelNote"];
    if (collector.images.contains("ImageZoom"))
        state["photo"] = collector.images["ImageZoom"];
    return state;
}
