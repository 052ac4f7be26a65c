// Applications mode on the demo catalogue: the toggle's two branches, the look of the
// window in the mode, and what the battery, version and price-list handlers do in it.
#include "tests/catalog/window/demo_window_fixture.h"

#include "catalog/window/statements.h"
#include "data/grid_loading.h"
#include "tests/common/test_support.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"
#include "widgets/picture_loader.h"

#include <QCheckBox>
#include <QPalette>

namespace {

class ApplicationsTest : public DemoWindowTest {
protected:
    void toggle() { emit form->VrBitmapButtonApplicazioni->clicked(); }
    static QImage buttonPicture(const char *name)
    {
        return LoadBitmapFile(testsupport::appDir() + QStringLiteral("/img/") + QLatin1String(name));
    }
    QStringList makesFitting(const QString &code) const
    {
        DataGrid grid;
        LoadGridFromMdb(&grid, catalog::makeListForBatteryStatement(code), false);
        return column(&grid, 2);
    }
    // What the drill-down shows: makes, models, versions and batteries.
    QList<QStringList> drillDown() const
    {
        return {column(form->gridMarca, 2), column(form->gridModello, 1), column(form->gridVersione, 1),
                column(form->GridOutput, 3)};
    }
};

TEST_F(ApplicationsTest, TwoTogglesReturnToTheFullMakeListAndItsCascade)
{
    openWindow();
    const QList<QStringList> start = drillDown();
    ASSERT_EQ(start[0].value(0), "Alvena");
    ASSERT_EQ(start[1].value(0), "Arno");
    ASSERT_FALSE(start[3].value(0).isEmpty());
    const QString battery = form->GridOutput->Cells(3, 1);

    toggle();
    EXPECT_TRUE(form->ApplicationsMode());
    EXPECT_EQ(column(form->gridMarca, 2), makesFitting(battery));
    // The battery list is the one the mode was entered for; the versions are the
    // battery's vehicles.
    EXPECT_EQ(column(form->GridOutput, 3), start[3]);
    EXPECT_TRUE(column(form->gridVersione, 1).contains("1.0 12V"));

    toggle();
    EXPECT_FALSE(form->ApplicationsMode());
    EXPECT_EQ(drillDown(), start);
    EXPECT_EQ(form->gridMarca->CurrentRow(), 1);
    EXPECT_EQ(form->gridModello->CurrentRow(), 1);
    EXPECT_EQ(form->gridVersione->CurrentRow(), 1);
    EXPECT_EQ(form->GridOutput->CurrentRow(), 1);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join('\n').toStdString();
}

TEST_F(ApplicationsTest, TheModeHasItsOwnLook)
{
    openWindow();
    const QImage off = buttonPicture("bottoneMini.bmp");
    const QImage on = buttonPicture("bottoneRossoMini.bmp");
    ASSERT_NE(off, on);
    EXPECT_EQ(form->gridMarca->Color(), kWhite);
    EXPECT_EQ(form->gridVersione->FontColor(), QColor(Qt::black));
    // Entering leaves the fields' colours as they are.
    QPalette marked = form->EditMonoblocco->palette();
    marked.setColor(QPalette::Base, Qt::yellow);
    form->EditMonoblocco->setPalette(marked);
    const QColor design = fieldColour(form->EditCodice);

    toggle();
    EXPECT_EQ(form->VrBitmapButtonApplicazioni->Glyph(), on);
    EXPECT_EQ(form->gridMarca->Color(), kHighlight);
    EXPECT_EQ(form->gridModello->Color(), kHighlight);
    EXPECT_EQ(form->gridVersione->FontColor(), QColor(Qt::red));
    EXPECT_EQ(fieldColour(form->EditMonoblocco), QColor(Qt::yellow));
    EXPECT_EQ(fieldColour(form->EditCodice), design);

    // Leaving paints every field white, also those a search painted.
    form->EditCodice->setText(QStringLiteral("KS060"));
    form->EditGamma->clear();
    form->VrBitmapButton1Click(form->VrBitmapButton1);
    ASSERT_EQ(fieldColour(form->EditCodice), kHighlight);
    toggle();
    EXPECT_FALSE(form->ApplicationsMode());
    EXPECT_EQ(form->VrBitmapButtonApplicazioni->Glyph(), off);
    EXPECT_EQ(form->gridMarca->Color(), kWhite);
    EXPECT_EQ(form->gridModello->Color(), kWhite);
    EXPECT_EQ(form->gridVersione->FontColor(), QColor(Qt::black));
    for (QLineEdit *field : fields())
        EXPECT_EQ(fieldColour(field), kWhite) << field->objectName().toStdString();
}

TEST_F(ApplicationsTest, BatteryClickInTheModeRebuildsTheMakeList)
{
    openWindow();
    clearFields();
    form->VrBitmapButton4Click(form->VrBitmapButton4); // every KORVA battery, the mode on
    ASSERT_TRUE(form->ApplicationsMode());
    const struct {
        const char *code;
        bool fitsAlvena;
    } cases[] = {{"KS095", false}, {"KS060", true}, {"KV035", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const int row = rowOf(form->GridOutput, 3, QLatin1String(c.code));
        ASSERT_GT(row, 0);
        form->GridOutput->setCurrentRow(row);
        form->GridOutputClickCell(form->GridOutput, row, 0);
        EXPECT_TRUE(form->ApplicationsMode());
        EXPECT_EQ(form->gridMarca->Color(), kHighlight);
        const QStringList makes = column(form->gridMarca, 2);
        EXPECT_EQ(makes, makesFitting(QLatin1String(c.code)));
        EXPECT_EQ(makes.contains("Alvena"), c.fitsAlvena);
        if (!c.fitsAlvena) {
            EXPECT_EQ(makes, QStringList(""));
            EXPECT_EQ(column(form->gridModello, 1), QStringList(""));
            EXPECT_EQ(column(form->gridVersione, 1), QStringList(""));
        }
        EXPECT_EQ(form->EditCodice->text(), c.code);
    }
}

TEST_F(ApplicationsTest, VersionClicksAndPriceListChangesLeaveTheBatteryListInTheMode)
{
    for (const bool mode : {true, false}) {
        SCOPED_TRACE(mode ? "mode on" : "mode off");
        openWindow();
        // Arno "1.0 12V" has batteries in every price list.
        ASSERT_EQ(form->gridVersione->Cells(1, 1), "1.0 12V");
        if (mode)
            toggle();
        ASSERT_EQ(form->ApplicationsMode(), mode);
        const QStringList batteries = column(form->GridOutput, 3);
        for (int row = 1; row < form->gridVersione->RowCount(); ++row) {
            form->gridVersione->setCurrentRow(row);
            form->gridVersioneClickCell(form->gridVersione, row, 0);
        }
        form->gridVersione->setCurrentRow(1);
        form->gridVersioneClickCell(form->gridVersione, 1, 0);
        EXPECT_EQ(column(form->GridOutput, 3), batteries);
        form->ComboListino->setItemIndex(form->ComboListino->IndexOfInColumn(0, QStringLiteral("QUIB")));
        emit form->ComboListino->changed();
        if (mode) {
            EXPECT_EQ(column(form->GridOutput, 3), batteries);
        } else {
            EXPECT_NE(column(form->GridOutput, 3), batteries);
            EXPECT_EQ(form->GridOutput->Cells(0, 1), "QUIB");
        }
    }
}

TEST_F(ApplicationsTest, UnreadableButtonPictureLeavesTheModeChangedAndTheGridsAsTheyWere)
{
    const DemoProgramFolder folder({}, {QStringLiteral("bottoneRossoMini.bmp")});
    ASSERT_FALSE(folder.path().isEmpty());
    openWindow(QStringLiteral("KORVA"), folder.path());
    const QList<QStringList> start = drillDown();
    toggle();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, "error");
    EXPECT_TRUE(rec.shown[0].text.contains("bottoneRossoMini.bmp")) << rec.shown[0].text.toStdString();
    EXPECT_TRUE(form->ApplicationsMode());
    EXPECT_EQ(form->gridMarca->Color(), kWhite);
    EXPECT_EQ(drillDown(), start);

    // The next click leaves the mode: the picture it needs is there.
    rec.clear();
    toggle();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join('\n').toStdString();
    EXPECT_FALSE(form->ApplicationsMode());
    EXPECT_EQ(drillDown(), start);
}

} // namespace
