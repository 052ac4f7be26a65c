// The column combo box: item list, lookup, item errors, typing and drawing.
#include "widgets/column_combo_box.h"
#include "widgets/fonts.h"
#include "widgets/widget_error.h"

#include "tests/common/test_support.h"
#include "tests/widgets/widget_events.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

void fill(ColumnComboBox &c, const QStringList &first)
{
    c.BeginItemUpdate();
    c.ClearItems();
    for (const QString &s : first)
        c.AddItem().setStrings({s});
    c.EndItemUpdate();
}

TEST(ColumnComboBox, LookupAndItemText)
{
    ColumnComboBox c;
    fill(c, {QStringLiteral("BRASK"), QStringLiteral("KORVA"), QStringLiteral("korva")});
    c.InsertItem(0).addString(QStringLiteral("A"));
    c.Items(0).addString(QStringLiteral("second column"));
    ComboItem &empty = c.AddItem(); // no texts at all
    Q_UNUSED(empty);
    EXPECT_EQ(c.ItemCount(), 5);
    struct {
        const char *name;
        int col;
        const char *value;
        int index;
    } lookups[] = {
        {"exact", 0, "KORVA", 2},
        {"other case is another item", 0, "korva", 3},
        {"case differs only", 0, "Korva", -1},
        {"second column", 1, "second column", 0},
        {"item with too few texts", 1, "", -1},
        {"missing", 0, "QUIB", -1},
    };
    for (const auto &l : lookups)
        EXPECT_EQ(c.IndexOfInColumn(l.col, QString::fromLatin1(l.value)), l.index) << l.name;
    EXPECT_EQ(c.ItemText(0, 1), QStringLiteral("second column"));
    EXPECT_EQ(c.ItemText(4, 0), QString());
    EXPECT_EQ(c.ItemText(-1, 0), QString());
    expectThrowCode<WidgetError>([&] { c.ItemText(5, 0); }, WidgetErrc::Index, "Item index out of range");
    expectThrowCode<WidgetError>([&] { c.Items(5); }, WidgetErrc::Index, "Item index out of range");
    expectThrowCode<WidgetError>([&] { c.setItemIndex(7); }, WidgetErrc::Index, "Item index out of range");
}

TEST(ColumnComboBox, ItemIndexWriteRaisesNoChange)
{
    ColumnComboBox c;
    int changes = 0;
    QObject::connect(&c, &ColumnComboBox::changed, [&] { ++changes; });
    fill(c, {QStringLiteral("BRASK"), QStringLiteral("KORVA")});
    EXPECT_EQ(c.ItemIndex(), -1);
    c.setItemIndex(1);
    c.setItemIndex(-1);
    EXPECT_EQ(changes, 0);
    c.setItemIndex(1);
    c.InsertItem(0).setStrings({QStringLiteral("AAA")});
    EXPECT_EQ(c.ItemIndex(), 2); // still KORVA
    c.ClearItems();
    EXPECT_EQ(c.ItemIndex(), -1);
}

TEST(ColumnComboBox, TypingMovesToTheNextItemWithThatLetter)
{
    ColumnComboBox c;
    fill(c, {QStringLiteral("BRASK"), QStringLiteral("fenu"), QStringLiteral("FENU2"), QStringLiteral("KORVA")});
    std::vector<int> seen;
    int clicks = 0;
    QObject::connect(&c, &ColumnComboBox::changed, [&] { seen.push_back(c.ItemIndex()); });
    QObject::connect(&c, &ColumnComboBox::clicked, [&] { ++clicks; });
    typeKey(c, Qt::Key_F, QStringLiteral("f"));
    typeKey(c, Qt::Key_F, QStringLiteral("F"));
    typeKey(c, Qt::Key_F, QStringLiteral("f")); // wraps to the first from the top
    typeKey(c, Qt::Key_Z, QStringLiteral("z")); // none: nothing changes
    typeKey(c, Qt::Key_Return, QStringLiteral("\r"));
    typeKey(c, Qt::Key_Down);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(clicks, 4);
}

TEST(ColumnComboBox, NestedUpdatesRebuildTheListOnlyAtTheEnd)
{
    ColumnComboBox c;
    c.resize(81, 22);
    c.ShowDropDown();
    auto *list = c.findChild<QWidget *>(); // the open list is a separate window
    Q_UNUSED(list);
    c.BeginItemUpdate();
    c.BeginItemUpdate();
    c.AddItem().setStrings({QStringLiteral("KORVA")});
    c.EndItemUpdate();
    EXPECT_EQ(c.ItemUpdateCount(), 1);
    c.EndItemUpdate();
    EXPECT_EQ(c.ItemUpdateCount(), 0);
    EXPECT_TRUE(c.DroppedDown());
    c.HideDropDown();
    EXPECT_FALSE(c.DroppedDown());
}

TEST(ColumnComboBox, DrawsColumnsSideBySide)
{
    ColumnComboBox c;
    c.resize(200, 22);
    QFont f = ProgramFont(11);
    f.setStyleStrategy(QFont::NoAntialias);
    c.setColumns({{QColor(239, 253, 189), ColumnType::ctText, 100, Qt::AlignLeft, {f, Qt::black}},
                  {QColor(200, 220, 255), ColumnType::ctText, 100, Qt::AlignLeft, {f, Qt::black}}});
    fill(c, {QStringLiteral("KORVA")});
    c.Items(0).addString(QStringLiteral("second"));
    QImage img(200, 20, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    c.DrawItem(p, img.rect(), 0, false);
    p.end();
    EXPECT_EQ(img.pixel(99, 19), qRgb(239, 253, 189));
    EXPECT_EQ(img.pixel(100, 19), qRgb(200, 220, 255));
    EXPECT_EQ(img.pixel(199, 0), qRgb(200, 220, 255)); // the last takes the rest
    int ink = 0;
    for (int x = 0; x < 2; ++x) // 2 pixels in from the left stay background
        for (int y = 0; y < 20; ++y)
            ink += img.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_EQ(ink, 0);
    for (int x = 2; x < 60; ++x)
        for (int y = 0; y < 20; ++y)
            ink += img.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GT(ink, 20);
}

} // namespace
