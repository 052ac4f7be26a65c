// The accessibility interfaces of the column combo box and of its items, created by the
// factory that InstallAccessibleWidgets installs. Read by the widget layer and its tests
// only.
#pragma once

#include "widgets/accessible_widgets.h"
#include "widgets/column_combo_box.h"

#include <map>

// A combo box whose value, and text, is the item it shows (what a reader says after the
// box's name), and whose children are its items, the shown one selected; "Press" opens or
// closes the list.
class ColumnComboBoxAccessible : public PressableAccessible, public QAccessibleTextInterface {
public:
    explicit ColumnComboBoxAccessible(ColumnComboBox *combo);
    ~ColumnComboBoxAccessible() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    // The text interface, read only, over the shown item's caption.
    void selection(int, int *startOffset, int *endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override { return int(caption().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    ColumnComboBox *combo() const { return static_cast<ColumnComboBox *>(widget()); }

private:
    QString caption() const;

    mutable std::map<int, QAccessible::Id> m_items; // item index -> its interface
};

// One item of the box, named by the text the box shows of it. The box's interface owns
// it and deletes it before it goes, so `box` outlives it.
class ColumnComboItemAccessible : public QAccessibleInterface {
public:
    ColumnComboItemAccessible(ColumnComboBoxAccessible *box, int index) : m_box(box), m_index(index) {}

    bool isValid() const override { return m_index < m_box->combo()->ItemCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_box->window(); }
    QAccessibleInterface *parent() const override { return m_box; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return QRect(); } // drawn by the list while it is open
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    int index() const { return m_index; }

private:
    ColumnComboBoxAccessible *m_box;
    int m_index;
};
