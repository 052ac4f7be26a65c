// The column combo box: item list with nested update brackets, column drawing shared by
// the closed box and the open list, typing lookup, and the drop-down list itself.
#include "widgets/column_combo_box.h"

#include "widgets/column_combo_box_p.h"
#include "widgets/keyboard_focus.h"
#include "widgets/widget_error.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

const char kOutOfRange[] = "Item index out of range";

constexpr int kButtonWidth = 16; // the drop-down arrow at the right of the closed box

} // namespace

// ---- items ----------------------------------------------------------------------------

void ComboItem::setStrings(const QStringList &texts)
{
    m_strings = texts;
    m_owner->itemsChanged();
}

void ComboItem::addString(const QString &text)
{
    m_strings.append(text);
    m_owner->itemsChanged();
}

// ---- the open list --------------------------------------------------------------------

ComboDropList::ComboDropList(ColumnComboBox *owner) : QListWidget(nullptr), m_owner(owner)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setItemDelegate(new ComboItemDelegate(owner, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setMouseTracking(true);
    connect(this, &QListWidget::itemEntered, this, [this](QListWidgetItem *it) { setCurrentItem(it); });
}

void ComboDropList::mouseReleaseEvent(QMouseEvent *e)
{
    const QModelIndex at = indexAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && at.isValid()) {
        hide();
        m_owner->userSelect(at.row());
        return;
    }
    QListWidget::mouseReleaseEvent(e);
}

void ComboDropList::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        const int row = currentRow();
        hide();
        if (row >= 0)
            m_owner->userSelect(row);
        return;
    }
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_F4) {
        hide();
        return;
    }
    QListWidget::keyPressEvent(e);
}

void ComboItemDelegate::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    m_owner->DrawItem(*p, option.rect, index.row(), option.state & QStyle::State_Selected);
}

QSize ComboItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(m_owner->width(), m_owner->EditHeight());
}

// ---- the box --------------------------------------------------------------------------

ColumnComboBox::ColumnComboBox(QWidget *parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

ColumnComboBox::~ColumnComboBox()
{
    delete m_drop; // a top-level popup, not a child
}

void ColumnComboBox::setColumns(const std::vector<ComboColumn> &columns)
{
    m_columns = columns;
    itemsChanged();
}

void ColumnComboBox::BeginItemUpdate() { ++m_updateCount; }

void ColumnComboBox::EndItemUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        itemsChanged();
}

void ColumnComboBox::ClearItems()
{
    m_items.clear();
    m_itemIndex = -1;
    itemsChanged();
}

ComboItem &ColumnComboBox::AddItem()
{
    m_items.push_back(std::unique_ptr<ComboItem>(new ComboItem(this)));
    itemsChanged();
    return *m_items.back();
}

ComboItem &ColumnComboBox::InsertItem(int index)
{
    if (index < 0 || index > ItemCount())
        raiseWidgetError(WidgetErrc::Index, QLatin1String(kOutOfRange));
    m_items.insert(m_items.begin() + index, std::unique_ptr<ComboItem>(new ComboItem(this)));
    if (m_itemIndex >= index)
        ++m_itemIndex; // the selection stays on the same item
    itemsChanged();
    return *m_items[size_t(index)];
}

ComboItem &ColumnComboBox::Items(int index)
{
    if (index < 0 || index >= ItemCount())
        raiseWidgetError(WidgetErrc::Index, QLatin1String(kOutOfRange));
    return *m_items[size_t(index)];
}

int ColumnComboBox::IndexOfInColumn(int col, const QString &value) const
{
    for (int i = 0; i < ItemCount(); ++i) {
        const QStringList &s = m_items[size_t(i)]->Strings();
        if (col >= 0 && s.size() > col && s[col] == value)
            return i;
    }
    return -1;
}

QString ColumnComboBox::ItemText(int index, int col) const
{
    if (index == -1)
        return {};
    if (index < -1 || index >= ItemCount())
        raiseWidgetError(WidgetErrc::Index, QLatin1String(kOutOfRange));
    const QStringList &s = m_items[size_t(index)]->Strings();
    return col >= 0 && col < s.size() ? s[col] : QString();
}

QString ColumnComboBox::ItemCaption(int index) const
{
    if (index == -1)
        return {};
    if (m_editColumn >= 0 || index < -1 || index >= ItemCount())
        return ItemText(index, m_editColumn); // throws for an index out of range
    QStringList shown;
    for (const QString &text : m_items[size_t(index)]->Strings()) {
        if (!text.trimmed().isEmpty())
            shown << text;
    }
    return shown.join(QLatin1Char(' '));
}

void ColumnComboBox::setItemIndex(int index)
{
    if (index < -1 || index >= ItemCount())
        raiseWidgetError(WidgetErrc::Index, QLatin1String(kOutOfRange));
    m_itemIndex = index;
    if (m_drop)
        m_drop->setCurrentRow(index);
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, ItemCaption(index));
        QAccessible::updateAccessibility(&event);
    }
}

void ColumnComboBox::setEditHeight(int px)
{
    m_editHeight = qMax(1, px);
    itemsChanged();
}

void ColumnComboBox::setEditColumn(int col)
{
    m_editColumn = col;
    update();
}

void ColumnComboBox::setGridLines(bool on)
{
    m_gridLines = on;
    itemsChanged();
}

void ColumnComboBox::setColor(const QColor &c)
{
    m_color = c;
    update();
}

void ColumnComboBox::setFlatLineColor(const QColor &c)
{
    m_flatLineColor = c;
    update();
}

void ColumnComboBox::itemsChanged()
{
    if (m_updateCount > 0)
        return;
    if (m_itemIndex >= ItemCount())
        m_itemIndex = -1;
    rebuildList();
    update();
}

void ColumnComboBox::rebuildList()
{
    if (!m_drop)
        return;
    m_drop->clear();
    // The delegate draws the columns; the item's own text is what assistive tools read.
    for (int i = 0; i < ItemCount(); ++i)
        m_drop->addItem(ItemCaption(i));
    m_drop->setCurrentRow(m_itemIndex);
}

void ColumnComboBox::DrawItem(QPainter &p, const QRect &rect, int index, bool selected) const
{
    const QPalette &pal = palette();
    const int count = qMax<int>(1, int(m_columns.size()));
    const bool oneColumn = m_editColumn >= 0;
    int x = rect.left();
    for (int c = 0; c < count; ++c) {
        const ComboColumn column =
            m_columns.empty()
                ? ComboColumn{m_color, ColumnType::ctText, rect.width(), Qt::AlignLeft, {font(), Qt::black}}
                : m_columns[size_t(c)];
        const bool last = c == count - 1;
        const QRect cell(x, rect.top(), last ? rect.right() - x + 1 : column.Width, rect.height());
        x += cell.width();
        p.fillRect(cell, selected ? pal.color(QPalette::Highlight) : column.Color);
        if (m_gridLines && !last) {
            p.setPen(m_flatLineColor);
            p.drawLine(cell.topRight(), cell.bottomRight());
        }
        if (index < 0 || column.ColumnType != ColumnType::ctText)
            continue;
        const QString text = ItemText(index, oneColumn ? m_editColumn : c);
        const QRect textRect = cell.adjusted(2, 1, 0, 0);
        p.setFont(column.Font.font);
        p.setPen(!isEnabled() ? QColor(Qt::gray) : selected ? pal.color(QPalette::HighlightedText) : column.Font.color);
        const QString shown = QFontMetrics(column.Font.font).elidedText(text, Qt::ElideRight, textRect.width());
        p.drawText(textRect, int(column.Alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine,
                   shown);
        if (oneColumn)
            break;
    }
}

void ColumnComboBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
    const int textHeight = qMin(m_editHeight, height() - 2);
    const QRect textArea(1, (height() - textHeight) / 2, width() - kButtonWidth - 2, textHeight);
    p.save();
    p.setClipRect(textArea);
    DrawItem(p, textArea, m_itemIndex, false);
    p.restore();
    // Flat frame and the arrow button.
    p.setPen(m_flatLineColor.darker(130));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect button(width() - kButtonWidth - 1, 1, kButtonWidth, height() - 2);
    p.fillRect(button, m_flatLineColor);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(40, 40, 40) : QColor(Qt::gray));
    const QPointF c = QRectF(button).center();
    p.drawPolygon(QPolygonF({c + QPointF(-4, -2), c + QPointF(4, -2), c + QPointF(0, 2.5)}));
    if (hasFocus())
        DrawFocusFrame(p, QRectF(rect()));
}

void ColumnComboBox::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    if (DroppedDown())
        HideDropDown();
    else
        ShowDropDown();
}

void ColumnComboBox::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return;
    if (key == Qt::Key_F4 || (key == Qt::Key_Down && (e->modifiers() & Qt::AltModifier))) {
        ShowDropDown();
        return;
    }
    int target = -2;
    if (key == Qt::Key_Down || key == Qt::Key_Right)
        target = qMin(m_itemIndex + 1, ItemCount() - 1);
    else if (key == Qt::Key_Up || key == Qt::Key_Left)
        target = qMax(m_itemIndex - 1, ItemCount() > 0 ? 0 : -1);
    else if (key == Qt::Key_Home)
        target = ItemCount() > 0 ? 0 : -1;
    else if (key == Qt::Key_End)
        target = ItemCount() - 1;
    else if (!e->text().isEmpty() && e->text()[0].isPrint())
        target = lookupNext(e->text()[0]);
    if (target >= 0)
        userSelect(target);
    else if (target == -2)
        QWidget::keyPressEvent(e);
}

void ColumnComboBox::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(e);
}

int ColumnComboBox::lookupNext(QChar c) const
{
    const auto starts = [&](int i) { return ItemText(i, m_lookupColumn).startsWith(c, Qt::CaseInsensitive); };
    for (int i = m_itemIndex + 1; i < ItemCount(); ++i) {
        if (starts(i))
            return i;
    }
    for (int i = 0; i < ItemCount(); ++i) {
        if (starts(i))
            return i;
    }
    return -1;
}

void ColumnComboBox::userSelect(int index)
{
    const bool moved = index != m_itemIndex;
    setItemIndex(index);
    emit clicked();
    if (moved)
        emit changed();
}

void ColumnComboBox::ShowDropDown()
{
    if (!m_drop) {
        m_drop = new ComboDropList(this);
        rebuildList();
    }
    const int w = m_dropWidth > 0 ? m_dropWidth : width();
    m_drop->setGeometry(QRect(mapToGlobal(QPoint(0, height())), QSize(w, m_dropHeight)));
    m_drop->setCurrentRow(m_itemIndex);
    m_drop->show();
    m_drop->setFocus();
}

void ColumnComboBox::HideDropDown()
{
    if (m_drop)
        m_drop->hide();
}

bool ColumnComboBox::DroppedDown() const { return m_drop && m_drop->isVisible(); }
