// The drop-down list whose items have several columns (the price-list box): items hold
// one text per column, are drawn side by side in column rectangles, and can be picked by
// typing the first letter of the lookup column.
#pragma once

#include "widgets/colored_font.h"

#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class ColumnComboBox;
class ComboDropList;

enum class ColumnType { ctText, ctImage };

struct ComboColumn {
    QColor Color = Qt::white;
    ::ColumnType ColumnType = ColumnType::ctText;
    int Width = 100;
    Qt::Alignment Alignment = Qt::AlignLeft;
    ColoredFont Font;
};

// One item: its texts, one per column (fewer than the columns is fine). Changing them
// rebuilds the open list unless an item update is in progress.
class ComboItem {
public:
    const QStringList &Strings() const { return m_strings; }
    void setStrings(const QStringList &texts);
    void addString(const QString &text);

private:
    friend class ColumnComboBox;
    explicit ComboItem(ColumnComboBox *owner) : m_owner(owner) {}
    ColumnComboBox *m_owner;
    QStringList m_strings;
};

class ColumnComboBox : public QWidget {
    Q_OBJECT
public:
    explicit ColumnComboBox(QWidget *parent = nullptr);
    ~ColumnComboBox() override;

    const std::vector<ComboColumn> &Columns() const { return m_columns; }
    void setColumns(const std::vector<ComboColumn> &columns);

    // Nesting brackets: while open, item changes do not rebuild the list; the outermost
    // EndItemUpdate rebuilds it.
    void BeginItemUpdate();
    void EndItemUpdate();
    int ItemUpdateCount() const { return m_updateCount; }

    // Item references stay valid until the item is removed by ClearItems.
    void ClearItems();
    ComboItem &AddItem();
    ComboItem &InsertItem(int index); // 0 is the top; raises WidgetError (Index) outside 0..count
    ComboItem &Items(int index);      // raises WidgetError (Index) "Item index out of range"
    int ItemCount() const { return int(m_items.size()); }

    // First item with more than `col` texts whose text in `col` equals `value` exactly
    // (case included); -1 when none.
    int IndexOfInColumn(int col, const QString &value) const;
    // Text of item `index` in `col`; empty for index -1 or a missing column; throws
    // WidgetError (Index) "Item index out of range" for an index at or past the count.
    QString ItemText(int index, int col) const;

    // What the box shows of an item, as one line: the edit column's text, or with
    // EditColumn -1 every non-blank text, blank-separated. Empty for index -1; raises
    // WidgetError (Index) past the count.
    QString ItemCaption(int index) const;

    // The selected item, -1 for none. Writing it never raises changed().
    int ItemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);

    int EditHeight() const { return m_editHeight; }
    void setEditHeight(int px);
    int DropHeight() const { return m_dropHeight; }
    void setDropHeight(int px) { m_dropHeight = px; }
    int DropWidth() const { return m_dropWidth; } // 0: as wide as the box
    void setDropWidth(int px) { m_dropWidth = px; }
    int EditColumn() const { return m_editColumn; } // -1: all columns
    void setEditColumn(int col);
    int LookupColumn() const { return m_lookupColumn; }
    void setLookupColumn(int col) { m_lookupColumn = col; }
    int SortColumn() const { return m_sortColumn; }
    void setSortColumn(int col) { m_sortColumn = col; }
    bool GridLines() const { return m_gridLines; }
    void setGridLines(bool on);
    QColor Color() const { return m_color; }
    void setColor(const QColor &c);
    QColor FlatLineColor() const { return m_flatLineColor; }
    void setFlatLineColor(const QColor &c);

    // Opens and closes the drop-down list; it is DropHeight high.
    void ShowDropDown();
    void HideDropDown();
    bool DroppedDown() const;

    // Draws one item into `rect` as the list and the closed box do.
    void DrawItem(QPainter &p, const QRect &rect, int index, bool selected) const;

signals:
    void clicked(); // a user's pick, before changed()
    void changed(); // OnChange: the user selected an item with the mouse or keyboard

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void changeEvent(QEvent *) override;

private:
    friend class ComboItem;
    friend class ComboDropList;
    void itemsChanged();
    void rebuildList();
    void userSelect(int index);
    int lookupNext(QChar c) const;

    std::vector<ComboColumn> m_columns;
    std::vector<std::unique_ptr<ComboItem>> m_items;
    int m_updateCount = 0;
    int m_itemIndex = -1;
    int m_editHeight = 18;
    int m_dropHeight = 200;
    int m_dropWidth = 0;
    int m_editColumn = -1;
    int m_lookupColumn = 0;
    int m_sortColumn = 0;
    bool m_gridLines = false;
    QColor m_color = Qt::white;
    QColor m_flatLineColor = Qt::gray;
    ComboDropList *m_drop = nullptr;
};
