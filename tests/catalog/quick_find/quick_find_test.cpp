// Finding by typing on the small catalogue: what the search box lists for words, codes,
// old codes, measures and ratings, what choosing a row leaves on screen compared with the
// same vehicle reached by clicks, hostile text, and type-ahead in the three vehicle grids.
#include "tests/catalog/window/main_form_fixture.h"

#include "catalog/quick_find/quick_find.h"
#include "catalog/quick_find/type_ahead.h"
#include "widgets/bitmap_button.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

// The texts of the rows that can be chosen, without the group captions.
QStringList choosableRows(const QListWidget *list)
{
    QStringList rows;
    for (int r = 0; r < list->count(); ++r) {
        if (list->item(r)->flags() & Qt::ItemIsSelectable)
            rows << list->item(r)->text();
    }
    return rows;
}

QStringList firstWords(const QStringList &rows)
{
    QStringList words;
    for (const QString &row : rows)
        words << row.section(QStringLiteral(" \u00b7 "), 0, 0);
    return words;
}

} // namespace

class QuickFindTest : public CatalogueWindowTest {
protected:
    void SetUp() override
    {
        CatalogueWindowTest::SetUp();
        // Choosing leaves or enters applications mode, which swaps the bar's picture.
        folder.writePicture("img/bottoneMini.bmp", {125, 40}, Qt::blue);
        folder.writePicture("img/bottoneRossoMini.bmp", {125, 40}, Qt::red);
    }

    // The window shown and made the active one, so focus and shortcuts work as on a desk.
    void openActive()
    {
        openWindow("KORVA");
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
    }

    // Types `text` into the search box as the keyboard does, the box emptied first.
    QStringList typeInBox(const QString &text)
    {
        form->EditTrova->clear();
        form->EditTrova->setFocus();
        QTest::keyClicks(form->EditTrova, text);
        return choosableRows(form->ListaTrova);
    }

    // Everything a user reads off the vehicle lists, the batteries and the battery shown.
    QStringList screen() const
    {
        QStringList all;
        for (const DataGrid *grid : {form->gridMarca, form->gridModello, form->gridVersione, form->GridOutput}) {
            all << QString::number(grid->CurrentRow());
            for (int c = 0; c < grid->ColCount(); ++c)
                all << column(grid, c);
        }
        for (const QLineEdit *e : {form->EditGamma, form->EditCodice, form->EditCapacita, form->EditLunghezza})
            all << e->text();
        all << form->ShownPhotoPath() << QString::number(form->ApplicationsMode());
        return all;
    }
};

TEST_F(QuickFindTest, ListsWhatEachFormOfTextAsksFor)
{
    openActive();
    const struct {
        const char *typed;
        QStringList firstWords; // of the rows, in order (codes: the code; vehicles: the make)
    } cases[] = {
        // Words in any order and case, accents ignored, make and version word together.
        {"vesta 1.9", {"Aurelia Motori Vesta 1.9 JTD"}},
        {"JTD VESTA", {"Aurelia Motori Vesta 1.9 JTD"}},
        {"pratola", {"Aurelia Motori Pràtola 1.6 Bi-Fuel GPL", "Aurelia Motori Pràtola 2.0 Turbo"}},
        {"aurelia turbo", {"Aurelia Motori Pràtola 2.0 Turbo"}},
        {"FALÒ", {"Brenta Falò 1.4 Metano"}},
        // 1011 "1.8 TDI 4x4 Van" has no relation row.
        {"torre 4x4", {"Casoni Torre 1.8 TDI 4x4"}},
        {"torre van", {}},
        // Codes of the price list by prefix, and old codes with their fate.
        {"kp07", {"KP070", "KP074", "KP072"}},
        {"KS04", {"KS044", "KS041"}},
        {"QC", {}},
        // Measures with each separator; capacity and discharge.
        {"278x175x190", {"KP074"}},
        {"278X175X175", {"KP070"}},
        {"242*175*190", {"KS060", "KS062"}},
        {"242 175 190", {"KS060", "KS062"}},
        {"60Ah", {"KS060"}},
        {"60,5", {"KS062"}},
        {"540A", {"KS060", "KS062"}},
        {"70Ah 640A", {"KP070"}},
        {"640a 70AH", {"KP070"}},
        {"74 680", {"KP074"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QStringList rows = firstWords(typeInBox(QString::fromUtf8(c.typed)));
        EXPECT_EQ(rows, c.firstWords);
        EXPECT_EQ(form->ListaTrova->isVisible(), true);
    }
    const QStringList oldCodes = typeInBox("KS04").filter("KS041");
    ASSERT_EQ(oldCodes.size(), 1);
    EXPECT_TRUE(oldCodes[0].endsWith("esaurimento"));
    EXPECT_TRUE(typeInBox("KP072")[0].endsWith("sostituito da KP074"));
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(QuickFindTest, HostileTextIsSearchedAsTextWithoutAnyMessage)
{
    openActive();
    QStringList manyWords;
    for (int i = 0; i < 3000; ++i)
        manyWords << QStringLiteral("vesta%1").arg(i);
    const QString hostile[] = {
        manyWords.join(' '),
        R"(" OR ""=")",
        R"(' OR 1=1 --)",
        "%",
        "*",
        "?",
        "[a-z]",
        "KS0%",
        "KS0*",
        ";DROP TABLE TabTechInfo;",
        QString(QChar(0)) + "KS",
        QString(10000, QLatin1Char('x')),
        QString(5000, QLatin1Char(' ')) + "vesta",
    };
    for (const QString &text : hostile) {
        SCOPED_TRACE(text.left(40).toStdString());
        form->EditTrova->setText(text);
        form->EditTrovaChange(form->EditTrova);
        const QStringList rows = choosableRows(form->ListaTrova);
        if (text.endsWith("vesta"))
            EXPECT_EQ(rows.size(), 3);
        else
            EXPECT_TRUE(rows.isEmpty()) << rows.join('|').toStdString();
    }
    // The catalogue is still whole and still answers.
    EXPECT_EQ(firstWords(typeInBox("KS06")), QStringList({"KS060", "KS062"}));
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(QuickFindTest, KeysMoveInTheListAndEscapeKeepsTheText)
{
    openActive();
    typeInBox("KS0");
    ASSERT_EQ(choosableRows(form->ListaTrova).size(), 4);
    const int first = form->ListaTrova->currentRow();
    EXPECT_EQ(first, 1) << "the caption is skipped";
    QTest::keyClick(form->EditTrova, Qt::Key_Up);
    EXPECT_EQ(form->ListaTrova->currentRow(), first);
    QTest::keyClick(form->EditTrova, Qt::Key_Down);
    QTest::keyClick(form->EditTrova, Qt::Key_Down);
    EXPECT_EQ(form->ListaTrova->currentRow(), first + 2);
    QTest::keyClick(form->EditTrova, Qt::Key_Escape);
    EXPECT_FALSE(form->ListaTrova->isVisible());
    EXPECT_EQ(form->EditTrova->text(), "KS0");
    EXPECT_TRUE(form->isVisible()) << "Escape closes the list, not the window";
    QTest::keyClick(form->EditTrova, Qt::Key_Down);
    EXPECT_TRUE(form->ListaTrova->isVisible()) << "Down opens the list again";
    form->gridMarca->setFocus();
    EXPECT_FALSE(form->ListaTrova->isVisible()) << "the list closes with the box's focus";
    QTest::keyClick(form->gridMarca, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), form->EditTrova);
}

TEST_F(QuickFindTest, AVehicleChosenShowsWhatItsClicksShow)
{
    openActive();
    // Reached by clicks: make, model, version, each row selected and then its handler.
    const auto click = [&](DataGrid *grid, int col, const QString &text, auto handler) {
        const int row = rowOf(grid, col, text);
        ASSERT_GT(row, 0) << text.toStdString();
        grid->setCurrentRow(row);
        (form.get()->*handler)(grid, row, 0);
    };
    click(form->gridMarca, 2, "Brenta", &Tfrm_main::gridMarcaClickCell);
    click(form->gridModello, 1, "Lido", &Tfrm_main::gridModelloClickCell);
    click(form->gridVersione, 1, "1.5 dCi", &Tfrm_main::gridVersioneClickCell);
    const QStringList byClicks = screen();

    // Away from it, into applications mode, then back by typing and Enter.
    click(form->gridMarca, 2, "Casoni", &Tfrm_main::gridMarcaClickCell);
    form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni);
    ASSERT_TRUE(form->ApplicationsMode());
    ASSERT_EQ(typeInBox("dci lido"), QStringList({"Brenta Lido 1.5 dCi \u00b7 Diesel \u00b7 2001 \u00b7 48 kW"}));
    QTest::keyClick(form->EditTrova, Qt::Key_Return);
    EXPECT_FALSE(form->ListaTrova->isVisible());
    EXPECT_EQ(screen(), byClicks);
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(QuickFindTest, ACodeChosenRunsTheCodeSearchWithItsNotices)
{
    openActive();
    typeInBox("KP072");
    QTest::keyClick(form->EditTrova, Qt::Key_Return);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_TRUE(rec.shown[0].text.contains("nuovo codice: KP074"));
    EXPECT_EQ(form->EditCodice->text(), "KP074");
    EXPECT_TRUE(form->ApplicationsMode());

    typeInBox("278x175x175");
    QTest::keyClick(form->EditTrova, Qt::Key_Return);
    EXPECT_EQ(form->GridOutput->Cells(3, form->GridOutput->CurrentRow()), "KP070");
    EXPECT_EQ(form->EditLunghezza->text(), "278");

    // The second of two batteries found is the one shown.
    typeInBox("540A");
    QTest::keyClick(form->EditTrova, Qt::Key_Down);
    QTest::keyClick(form->EditTrova, Qt::Key_Return);
    EXPECT_EQ(form->GridOutput->Cells(3, form->GridOutput->CurrentRow()), "KS062");
    EXPECT_EQ(form->EditCodice->text(), "KS062");
    EXPECT_EQ(rec.shown.size(), 1u);
}

TEST_F(QuickFindTest, LettersTypedInAGridMoveToTheNameAndTheListsBelowFollow)
{
    openActive();
    form->gridMarca->setFocus();
    QTest::keyClicks(form->gridMarca, "cas");
    EXPECT_EQ(form->gridMarca->Cells(2, form->gridMarca->CurrentRow()), "Casoni");
    EXPECT_EQ(column(form->gridModello, 1), QStringList({"Città", "Torre"}));
    QTest::keyClicks(form->gridModello, "TO");
    EXPECT_EQ(form->gridModello->Cells(1, form->gridModello->CurrentRow()), "Torre");
    EXPECT_EQ(column(form->gridVersione, 1), QStringList({"1.8 TDI 4x4"}));

    // Accents ignored, from wherever the current row is; after a pause a new name.
    form->gridMarca->setCurrentRow(1);
    form->gridMarcaClickCell(form->gridMarca, 1, 0);
    form->gridModello->setCurrentRow(2);
    QTest::qWait(int(TypeAheadPrefix::kPauseMs) + 100);
    QTest::keyClicks(form->gridModello, "pra");
    EXPECT_EQ(form->gridModello->Cells(1, form->gridModello->CurrentRow()), "Pràtola");
    EXPECT_EQ(column(form->gridVersione, 1), QStringList({"1.6 Bi-Fuel GPL", "2.0 Turbo"}));
    // A name no row starts with leaves the row where it is.
    QTest::keyClicks(form->gridVersione, "zz");
    EXPECT_EQ(form->gridVersione->CurrentRow(), 1);
    QTest::qWait(int(TypeAheadPrefix::kPauseMs) + 100);
    QTest::keyClicks(form->gridVersione, "2");
    EXPECT_EQ(form->gridVersione->Cells(1, form->gridVersione->CurrentRow()), "2.0 Turbo");
    EXPECT_TRUE(rec.shown.empty());
}

TEST(TypeAheadPrefix, APauseOfMoreThanASecondStartsAfresh)
{
    const struct {
        const char *typed;
        qint64 atMs;
        const char *prefix;
    } steps[] = {
        {"a", 10, "a"}, {"l", 500, "al"}, {"v", 1500, "alv"}, {"b", 2501, "b"}, {"r", 3501, "br"},
    };
    TypeAheadPrefix prefix;
    for (const auto &s : steps)
        EXPECT_EQ(prefix.add(s.typed, s.atMs), s.prefix) << s.typed;
}

// The finder on its own, with more vehicles than the list shows: a word found several
// times in one vehicle lists it once, the rows keep the catalogue's order, the other
// words are asked of the same vehicle only, and the list stops at its length.
TEST(QuickFinderSearch, EachVehicleOnceInOrderUpToTheListsLength)
{
    std::vector<catalog::FindVehicle> vehicles;
    for (int i = 0; i < 120; ++i)
        vehicles.push_back({QString::number(1000 + i), "M1", "Lanara", i % 2 ? "Nanà" : "Sole",
                            QStringLiteral("%1 Ana").arg(i), "D", "2001", "2005", "60"});
    vehicles.push_back({"2000", "M2", "Orsa", "Anatra", "1.0 Bianca", "B", "1999", "", "40"});
    const catalog::QuickFinder finder(std::move(vehicles), {});
    auto listed = [&](const QString &typed) {
        QStringList ids;
        for (const catalog::FindRow &row : finder.find(typed, "KORVA"))
            ids << finder.vehicles()[size_t(row.index)].idVeicolo;
        return ids;
    };
    const QStringList all = listed("ana");
    ASSERT_EQ(all.size(), catalog::QuickFinder::kMaxRows);
    EXPECT_EQ(all.front(), "1000");
    EXPECT_EQ(all[1], "1001");
    EXPECT_EQ(all.back(), "1049");
    EXPECT_EQ(listed("NANA 3"), (QStringList{"1003", "1013", "1023", "1031", "1033", "1035", "1037", "1039", "1043",
                                             "1053", "1063", "1073", "1083", "1093", "1103", "1113"}));
    EXPECT_EQ(listed("bianca anatra"), QStringList{"2000"});
    EXPECT_EQ(listed("sole bianca"), QStringList{});
}
