// The technical searches on the demo catalogue: what each group finds, the old-code
// notices, refused numbers, the Enter key of the fields, and the mode every search ends in.
#include "tests/catalog/window/demo_window_fixture.h"

#include "catalog/window/statements.h"
#include "data/grid_loading.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QSet>
#include <vector>

namespace {

using Field = QLineEdit *Tfrm_main::*;
using Button = BitmapButton *Tfrm_main::*;

const QString kBlanks28(28, QLatin1Char(' '));

class SearchTest : public DemoWindowTest {
protected:
    // Rows 1.. of the battery grid, fifteen cells each.
    std::vector<QStringList> batteryRows() const
    {
        std::vector<QStringList> rows;
        for (int row = 1; row < form->GridOutput->RowCount(); ++row) {
            QStringList cells;
            for (int col = 0; col < 15; ++col)
                cells << form->GridOutput->Cells(col, row);
            rows.push_back(cells);
        }
        return rows;
    }
    void selectPriceList(const QString &list)
    {
        form->ComboListino->setItemIndex(form->ComboListino->IndexOfInColumn(0, list));
        ASSERT_EQ(form->SelectedPriceList(), list);
    }
    // Clicks the button as the mouse's click reaches the window.
    void click(Button button) { emit(form.get()->*button)->clicked(); }
    // The makes that `code` fits, as the applications-mode make list lists them.
    QStringList makesFitting(const QString &code) const
    {
        DataGrid grid;
        LoadGridFromMdb(&grid, catalog::makeListForBatteryStatement(code), false);
        return column(&grid, 2);
    }
    // Where every search ends: the mode on, for the battery in row 1.
    void expectModeForFirstBattery()
    {
        const QString first = form->GridOutput->Cells(3, 1);
        EXPECT_TRUE(form->ApplicationsMode());
        EXPECT_EQ(form->EditCodice->text(), first);
        EXPECT_EQ(form->LabelCodice->text(), first);
        EXPECT_EQ(column(form->gridMarca, 2), makesFitting(first)) << first.toStdString();
        EXPECT_EQ(form->gridMarca->Color(), kHighlight);
    }
    void pressKey(Field field, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        const QString text = key == Qt::Key_Return ? QStringLiteral("\r") : QString();
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(form.get()->*field, &press);
        QApplication::sendEvent(form.get()->*field, &release);
    }
};

bool sameNumber(const QString &cell, const QString &typed)
{
    return cell.toDouble() == QString(typed).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

struct Typed {
    Field field;
    int column; // of the battery row
    const char *text;
    bool number = false;
};

struct GroupCase {
    const char *name;
    const char *priceList;
    Button button;
    std::vector<Field> group;
    std::vector<Typed> typed;
    QStringList mustFind; // codes among the rows found; empty: nothing is found
};

TEST_F(SearchTest, EachGroupFindsTheBatteriesEqualToItsFilledFields)
{
    const std::vector<Field> rangeAndCode = {&Tfrm_main::EditGamma, &Tfrm_main::EditCodice};
    const std::vector<Field> ratings = {&Tfrm_main::EditCapacita, &Tfrm_main::EditScarica, &Tfrm_main::EditPolarita};
    const std::vector<Field> dimensions = {&Tfrm_main::EditLunghezza, &Tfrm_main::EditLarghezza,
                                           &Tfrm_main::EditAltezza, &Tfrm_main::EditAttacchi};
    const std::vector<Field> container = {&Tfrm_main::EditMonoblocco};
    const GroupCase cases[] = {
        {"range and code",
         "KORVA",
         &Tfrm_main::VrBitmapButton1,
         rangeAndCode,
         {{&Tfrm_main::EditGamma, 2, "Korva Start"}, {&Tfrm_main::EditCodice, 3, "KS060"}},
         {"KS060"}},
        {"code alone",
         "KORVA",
         &Tfrm_main::VrBitmapButton1,
         rangeAndCode,
         {{&Tfrm_main::EditCodice, 3, "KV035"}},
         {"KV035"}},
        {"a double quote in the code is searched for",
         "QUIB",
         &Tfrm_main::VrBitmapButton1,
         rangeAndCode,
         {{&Tfrm_main::EditCodice, 3, "QM12\""}},
         {"QM12\""}},
        {"capacity with a decimal comma",
         "KORVA",
         &Tfrm_main::VrBitmapButton2,
         ratings,
         {{&Tfrm_main::EditCapacita, 4, "62,5", true},
          {&Tfrm_main::EditScarica, 5, "560", true},
          {&Tfrm_main::EditPolarita, 6, "SX"}},
         {"KS062"}},
        {"capacity alone",
         "KORVA",
         &Tfrm_main::VrBitmapButton2,
         ratings,
         {{&Tfrm_main::EditCapacita, 4, "60", true}},
         {"KS060"}},
        {"polarity alone",
         "QUIB",
         &Tfrm_main::VrBitmapButton2,
         ratings,
         {{&Tfrm_main::EditPolarita, 6, "SX"}},
         {"QM12\""}},
        {"dimensions and fittings",
         "KORVA",
         &Tfrm_main::VrBitmapButton3,
         dimensions,
         {{&Tfrm_main::EditLunghezza, 7, "150"},
          {&Tfrm_main::EditLarghezza, 8, "87"},
          {&Tfrm_main::EditAltezza, 9, "90"},
          {&Tfrm_main::EditAttacchi, 10, "B0"}},
         {"KV012"}},
        {"a double quote in a dimension finds nothing",
         "KORVA",
         &Tfrm_main::VrBitmapButton3,
         dimensions,
         {{&Tfrm_main::EditLunghezza, 7, "24\"2"}},
         {}},
        {"container",
         "KORVA",
         &Tfrm_main::VrBitmapButton4,
         container,
         {{&Tfrm_main::EditMonoblocco, 11, "B19"}},
         {"KV012", "KV035"}},
    };
    openWindow();
    for (const GroupCase &c : cases) {
        SCOPED_TRACE(c.name);
        selectPriceList(QLatin1String(c.priceList));
        clearFields();
        click(&Tfrm_main::VrBitmapButton4); // empty container: every battery of the list
        const std::vector<QStringList> all = batteryRows();

        clearFields();
        // Fields of the other groups are never read.
        form->EditMonoblocco->setText(QStringLiteral("XX"));
        form->EditCapacita->setText(QStringLiteral("1"));
        form->EditGamma->setText(QStringLiteral("Nessuna"));
        for (Field field : c.group)
            (form.get()->*field)->clear();
        for (const Typed &t : c.typed)
            (form.get()->*t.field)->setText(QString::fromUtf8(t.text));
        rec.clear();
        click(c.button);

        std::vector<QStringList> expected;
        for (const QStringList &row : all) {
            bool equal = true;
            for (const Typed &t : c.typed) {
                const QString typed = QString::fromUtf8(t.text);
                equal = equal
                        && (t.number ? sameNumber(row[t.column], typed)
                                     : row[t.column].compare(typed, Qt::CaseInsensitive) == 0);
            }
            if (equal)
                expected.push_back(row);
        }
        if (expected.empty())
            expected.push_back(QStringList(QVector<QString>(15))); // the one empty row
        EXPECT_EQ(batteryRows(), expected);
        QStringList found;
        for (const QStringList &row : batteryRows())
            found << row[3];
        for (const QString &code : c.mustFind)
            EXPECT_TRUE(found.contains(code)) << code.toStdString() << " not in " << found.join(' ').toStdString();
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join('\n').toStdString();
        for (QLineEdit *field : fields()) {
            const bool searched =
                std::find_if(c.group.begin(), c.group.end(), [&](Field f) { return form.get()->*f == field; })
                != c.group.end();
            EXPECT_EQ(fieldColour(field), searched ? kHighlight : kWhite) << field->objectName().toStdString();
        }
        expectModeForFirstBattery();
    }
}

TEST_F(SearchTest, EmptyGroupListsEveryBatteryOfThePriceListOnceInDisplayOrder)
{
    openWindow();
    std::vector<std::vector<QStringList>> lists;
    for (Button button : {&Tfrm_main::VrBitmapButton1, &Tfrm_main::VrBitmapButton2, &Tfrm_main::VrBitmapButton3,
                          &Tfrm_main::VrBitmapButton4}) {
        clearFields();
        click(button);
        lists.push_back(batteryRows());
    }
    const std::vector<QStringList> &rows = lists[0];
    for (const auto &list : lists)
        EXPECT_EQ(list, rows);
    ASSERT_GT(rows.size(), 100u);
    QSet<QString> seen;
    QStringList codes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], "KORVA");
        const QString whole = rows[i].join(QLatin1Char('\x1f'));
        EXPECT_FALSE(seen.contains(whole)) << "listed twice: " << whole.toStdString();
        seen.insert(whole);
        codes << rows[i][3];
        if (i == 0)
            continue;
        const int order = rows[i][14].toInt();
        const int previous = rows[i - 1][14].toInt();
        EXPECT_TRUE(previous < order
                    || (previous == order && rows[i - 1][3].compare(rows[i][3], Qt::CaseInsensitive) <= 0))
            << rows[i - 1][3].toStdString() << " before " << rows[i][3].toStdString();
    }
    for (const char *code : {"KS044", "KS060", "KS062", "KS095", "KP074", "KA080", "KV012", "KV035"})
        EXPECT_TRUE(codes.contains(QLatin1String(code))) << code;
    for (const char *code : {"QC060", "BS060", "KS000", "KS001"})
        EXPECT_FALSE(codes.contains(QLatin1String(code))) << code;
}

TEST_F(SearchTest, BlanksOnlyFieldIsSearchedForAsTyped)
{
    const std::pair<Field, Button> cases[] = {
        {&Tfrm_main::EditCodice, &Tfrm_main::VrBitmapButton1},
        {&Tfrm_main::EditPolarita, &Tfrm_main::VrBitmapButton2},
        {&Tfrm_main::EditMonoblocco, &Tfrm_main::VrBitmapButton4},
    };
    openWindow();
    for (const auto &[field, button] : cases) {
        SCOPED_TRACE((form.get()->*field)->objectName().toStdString());
        clearFields();
        (form.get()->*field)->setText(QStringLiteral("   "));
        click(button);
        EXPECT_EQ(form->GridOutput->RowCount(), 2);
        EXPECT_EQ(form->GridOutput->Cells(3, 1), "");
    }
}

TEST_F(SearchTest, OldCodeWithASuccessorSearchesTheSuccessor)
{
    struct Case {
        const char *priceList, *oldCode, *successor, *range;
    };
    const Case cases[] = {
        {"KORVA", "KP072", "KP074", "Korva Power"},
        {"QUIB", "QC044", "QC045", "Quib Classic"},
        {"ZELKAR", "ZP-58", "ZP-60", "Zelkar Pro"},
    };
    openWindow();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.oldCode);
        selectPriceList(QLatin1String(c.priceList));
        clearFields();
        form->EditGamma->setText(QStringLiteral("Gamma sbagliata"));
        form->EditCodice->setText(QLatin1String(c.oldCode));
        rec.clear();
        click(&Tfrm_main::VrBitmapButton1);
        EXPECT_EQ(shownTexts("message"), QStringList(QStringLiteral("Il vecchio codice: ") + c.oldCode + kBlanks28
                                                     + "\r\r è stato sostituito dal \r\rnuovo codice: " + c.successor));
        EXPECT_EQ(rec.shown.size(), 1u);
        // Had the typed range stayed, nothing would be found.
        const auto rows = batteryRows();
        ASSERT_FALSE(rows.empty());
        for (const QStringList &row : rows) {
            EXPECT_EQ(row[3], c.successor);
            EXPECT_EQ(row[2], c.range);
        }
        EXPECT_EQ(form->EditGamma->text(), c.range);
        expectModeForFirstBattery();
    }
}

TEST_F(SearchTest, RunOutOldCodeOnlyTellsTheUser)
{
    openWindow();
    form->EditGamma->setText(QStringLiteral("Korva Start"));
    form->EditCodice->setText(QStringLiteral("KS041"));
    const QStringList cells = batteryCells();
    const QStringList texts = fieldTexts();
    const QStringList makes = column(form->gridMarca, 2);
    const QColor before = fieldColour(form->EditCodice);
    click(&Tfrm_main::VrBitmapButton1);
    EXPECT_EQ(rec.texts(),
              QStringList(QStringLiteral("Il vecchio codice: KS041") + kBlanks28 + "\r\rè stato posto ad esaurimento"));
    EXPECT_EQ(batteryCells(), cells);
    EXPECT_EQ(fieldTexts(), texts);
    EXPECT_EQ(column(form->gridMarca, 2), makes);
    EXPECT_EQ(fieldColour(form->EditCodice), before);
    EXPECT_EQ(fieldColour(form->EditGamma), before);
    EXPECT_FALSE(form->ApplicationsMode());
    EXPECT_FALSE(DM->ADOQuery1.Active());
}

TEST_F(SearchTest, LowerCaseRunOutMarkIsASuccessorCode)
{
    const DemoProgramFolder folder({QStringLiteral("KORVA,Korva Start,esaurimento,KS777,,,,,,,,,,,99990")});
    ASSERT_FALSE(folder.path().isEmpty());
    openWindow(QStringLiteral("KORVA"), folder.path());
    form->EditCodice->setText(QStringLiteral("KS777"));
    click(&Tfrm_main::VrBitmapButton1);
    EXPECT_EQ(rec.texts(), QStringList(QStringLiteral("Il vecchio codice: KS777") + kBlanks28
                                       + "\r\r è stato sostituito dal \r\rnuovo codice: esaurimento"));
    const auto rows = batteryRows();
    ASSERT_FALSE(rows.empty());
    for (const QStringList &row : rows)
        EXPECT_EQ(row[3].compare(QLatin1String("esaurimento"), Qt::CaseInsensitive), 0) << row[3].toStdString();
    EXPECT_TRUE(form->ApplicationsMode());
}

TEST_F(SearchTest, SearchThatFindsNothingStillEntersTheModeWithAnEmptyCode)
{
    openWindow();
    form->EditCodice->setText(QStringLiteral("NESSUNA"));
    click(&Tfrm_main::VrBitmapButton1);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join('\n').toStdString();
    EXPECT_EQ(form->GridOutput->RowCount(), 2);
    EXPECT_EQ(fieldTexts(), QStringList(QVector<QString>(10)));
    EXPECT_EQ(form->LabelCodice->text(), "");
    EXPECT_TRUE(form->ApplicationsMode());
    EXPECT_EQ(column(form->gridMarca, 2), QStringList(""));
    EXPECT_EQ(column(form->gridModello, 1), QStringList(""));
}

TEST_F(SearchTest, SearchFromEitherModeEndsInTheModeForTheFirstBatteryFound)
{
    struct Case {
        const char *name;
        const char *before; // searched first, so the mode is on; nullptr: mode off
        const char *searched;
        bool fitsAlvena;
    };
    const Case cases[] = {
        {"from mode off", nullptr, "KS060", true},
        {"from mode off, a battery no vehicle uses", nullptr, "KS095", false},
        {"from the mode for another battery", "KS095", "KS060", true},
        {"from the mode, to a battery no vehicle uses", "KS060", "KS095", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        openWindow();
        if (c.before) {
            form->EditCodice->setText(QLatin1String(c.before));
            form->EditGamma->clear();
            click(&Tfrm_main::VrBitmapButton1);
            ASSERT_TRUE(form->ApplicationsMode());
        }
        form->EditGamma->clear();
        form->EditCodice->setText(QLatin1String(c.searched));
        click(&Tfrm_main::VrBitmapButton1);
        ASSERT_EQ(form->GridOutput->Cells(3, 1), c.searched);
        expectModeForFirstBattery();
        EXPECT_EQ(column(form->gridMarca, 2).contains("Alvena"), c.fitsAlvena);
        EXPECT_TRUE(form->CheckBoxApplicazioni->isChecked());
    }
}

TEST_F(SearchTest, EnterEmptiesTheOtherFieldsOfTheGroupOnlyWhenAllAreFilled)
{
    struct Case {
        const char *name;
        Field pressed;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::vector<Field> emptyBefore;
        std::vector<Field> blankBefore;
        std::vector<Field> emptied;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Case cases[] = {
        {"capacity, polarity empty",
         &Tfrm_main::EditCapacita,
         Qt::Key_Return,
         none,
         {&Tfrm_main::EditPolarita},
         {},
         {}},
        {"capacity, both filled",
         &Tfrm_main::EditCapacita,
         Qt::Key_Return,
         none,
         {},
         {},
         {&Tfrm_main::EditScarica, &Tfrm_main::EditPolarita}},
        {"discharge, a field of blanks counts as filled",
         &Tfrm_main::EditScarica,
         Qt::Key_Enter,
         none,
         {},
         {&Tfrm_main::EditCapacita},
         {&Tfrm_main::EditCapacita, &Tfrm_main::EditPolarita}},
        {"polarity with Shift",
         &Tfrm_main::EditPolarita,
         Qt::Key_Return,
         Qt::ShiftModifier,
         {},
         {},
         {&Tfrm_main::EditCapacita, &Tfrm_main::EditScarica}},
        {"code, range filled", &Tfrm_main::EditCodice, Qt::Key_Return, none, {}, {}, {&Tfrm_main::EditGamma}},
        {"range, code filled", &Tfrm_main::EditGamma, Qt::Key_Return, none, {}, {}, {&Tfrm_main::EditCodice}},
        {"range, code empty", &Tfrm_main::EditGamma, Qt::Key_Return, none, {&Tfrm_main::EditCodice}, {}, {}},
        {"length",
         &Tfrm_main::EditLunghezza,
         Qt::Key_Return,
         none,
         {},
         {},
         {&Tfrm_main::EditLarghezza, &Tfrm_main::EditAltezza, &Tfrm_main::EditAttacchi}},
        {"width, height empty", &Tfrm_main::EditLarghezza, Qt::Key_Return, none, {&Tfrm_main::EditAltezza}, {}, {}},
        {"height",
         &Tfrm_main::EditAltezza,
         Qt::Key_Return,
         none,
         {},
         {},
         {&Tfrm_main::EditLunghezza, &Tfrm_main::EditLarghezza, &Tfrm_main::EditAttacchi}},
        {"fittings",
         &Tfrm_main::EditAttacchi,
         Qt::Key_Return,
         Qt::ControlModifier,
         {},
         {},
         {&Tfrm_main::EditLunghezza, &Tfrm_main::EditLarghezza, &Tfrm_main::EditAltezza}},
        {"container has no Enter rule", &Tfrm_main::EditMonoblocco, Qt::Key_Return, none, {}, {}, {}},
        {"another key", &Tfrm_main::EditCodice, Qt::Key_Down, none, {}, {}, {}},
    };
    openWindow();
    const QStringList cells = batteryCells();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList expected;
        int i = 0;
        for (QLineEdit *field : fields())
            field->setText(QStringLiteral("v%1").arg(i++));
        for (Field f : c.emptyBefore)
            (form.get()->*f)->clear();
        for (Field f : c.blankBefore)
            (form.get()->*f)->setText(QStringLiteral(" "));
        QSet<QLineEdit *> emptied;
        for (Field f : c.emptied)
            emptied.insert(form.get()->*f);
        for (QLineEdit *field : fields())
            expected << (emptied.contains(field) ? QString() : field->text());
        pressKey(c.pressed, c.key, c.modifiers);
        EXPECT_EQ(fieldTexts(), expected);
    }
    // No search ran.
    EXPECT_EQ(batteryCells(), cells);
    EXPECT_FALSE(form->ApplicationsMode());
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(SearchTest, NonNumericCapacityOrDischargeIsNotSent)
{
    struct Case {
        const char *capacity, *discharge;
        QStringList lines;
    };
    const Case cases[] = {
        {"abc", "540", {QString::fromUtf8("Capacità: «abc» non è un numero.")}},
        {"60", "5 40", {QStringLiteral("Scarica: «5 40» non è un numero.")}},
        {"60.5.1",
         "x",
         {QString::fromUtf8("Capacità: «60.5.1» non è un numero."), QStringLiteral("Scarica: «x» non è un numero.")}},
        {"60) OR (1=1", "", {QString::fromUtf8("Capacità: «60) OR (1=1» non è un numero.")}},
    };
    openWindow();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.capacity);
        const QStringList cells = batteryCells();
        form->EditCapacita->setText(QString::fromUtf8(c.capacity));
        form->EditScarica->setText(QString::fromUtf8(c.discharge));
        form->EditPolarita->clear();
        rec.clear();
        click(&Tfrm_main::VrBitmapButton2);
        ASSERT_EQ(rec.shown.size(), 1u) << rec.texts().join('\n').toStdString();
        EXPECT_EQ(rec.shown[0].kind, "box");
        EXPECT_EQ(rec.shown[0].caption, "Attenzione");
        EXPECT_TRUE(rec.shown[0].text.startsWith(c.lines.join('\r') + "\r\r")) << rec.shown[0].text.toStdString();
        // The list stays, and the search's last steps run on it.
        EXPECT_EQ(batteryCells(), cells);
        EXPECT_EQ(fieldColour(form->EditCapacita), kHighlight);
        expectModeForFirstBattery();
    }
}

} // namespace
