// The column combo box as a screen reader reads it: name, value and text, its items.
#include "widgets/column_combo_box_accessible_p.h"

ColumnComboBoxAccessible::ColumnComboBoxAccessible(ColumnComboBox *combo)
    : PressableAccessible(combo, QAccessible::ComboBox, [combo] {
          if (combo->DroppedDown())
              combo->HideDropDown();
          else
              combo->ShowDropDown();
      })
{}

ColumnComboBoxAccessible::~ColumnComboBoxAccessible()
{
    for (const auto &[index, id] : m_items)
        QAccessible::deleteAccessibleInterface(id);
}

void *ColumnComboBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return PressableAccessible::interface_cast(type);
}

QString ColumnComboBoxAccessible::caption() const { return combo()->ItemCaption(combo()->ItemIndex()); }

QString ColumnComboBoxAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return caption();
    return QAccessibleWidget::text(t);
}

QAccessible::State ColumnComboBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = combo()->DroppedDown();
    return s;
}

int ColumnComboBoxAccessible::childCount() const { return combo()->ItemCount(); }

QAccessibleInterface *ColumnComboBoxAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto found = m_items.find(index); found != m_items.end())
        return QAccessible::accessibleInterface(found->second);
    auto *item = new ColumnComboItemAccessible(const_cast<ColumnComboBoxAccessible *>(this), index);
    m_items[index] = QAccessible::registerAccessibleInterface(item);
    return item;
}

int ColumnComboBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->parent() != this || child->role() != QAccessible::ListItem)
        return -1;
    const int index = static_cast<const ColumnComboItemAccessible *>(child)->index();
    return index < childCount() ? index : -1;
}

void ColumnComboBoxAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString ColumnComboBoxAccessible::text(int startOffset, int endOffset) const
{
    return caption().mid(startOffset, endOffset - startOffset);
}

QString ColumnComboBoxAccessible::attributes(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

QString ColumnComboItemAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return QString();
    return m_box->combo()->ItemCaption(m_index);
}

QAccessible::State ColumnComboItemAccessible::state() const
{
    QAccessible::State s;
    s.selectable = true;
    s.selected = m_index == m_box->combo()->ItemIndex();
    return s;
}
