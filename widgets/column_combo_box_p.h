// The open list of the column combo box: a popup list whose rows the box draws itself.
#pragma once

#include "widgets/column_combo_box.h"

#include <QListWidget>
#include <QStyledItemDelegate>

class ComboDropList : public QListWidget {
    Q_OBJECT
public:
    explicit ComboDropList(ColumnComboBox *owner);

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    ColumnComboBox *m_owner;
};

class ComboItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ComboItemDelegate(ColumnComboBox *owner, QObject *parent) : QStyledItemDelegate(parent), m_owner(owner) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    ColumnComboBox *m_owner;
};
