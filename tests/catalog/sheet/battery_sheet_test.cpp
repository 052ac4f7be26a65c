// The battery sheet: its content from the shown state (drilled-down vehicle, applications
// list with more vehicles than the page holds, missing values), what the window hands it
// (vehicle, fitted vehicles, placeholder photo), the preview the button and Ctrl+P open,
// and PDF writing that leaves nothing behind when it fails.
#include "tests/catalog/window/main_form_fixture.h"

#include "catalog/catalog_error.h"
#include "catalog/sheet/battery_sheet_page.h"
#include "tests/common/pdf_text.h"
#include "tests/common/test_support.h"
#include "widgets/accessible_widgets.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QShortcut>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

using catalog::BatterySheet;
using catalog::SheetState;
using catalog::SheetVehicle;

namespace {

SheetState batteryState()
{
    SheetState s;
    s.program = "Dazozizizavuv Korva";
    s.batteryRow = {"KORVA",
                    " ",
                    "Korva Start",
                    "KS060",
                    "60",
                    "540",
                    "DX",
                    "242",
                    "175",
                    "190",
                    "B13",
                    "L2",
                    "korva_start.jpg",
                    "<B>Più venduta</B>",
                    "20"};
    s.catalogueDate = QDateTime(QDate(2004, 6, 5), QTime(13, 6));
    s.printedAt = QDateTime(QDate(2026, 12, 10), QTime(9, 5));
    return s;
}

std::vector<SheetVehicle> numberedVehicles(int n)
{
    std::vector<SheetVehicle> v;
    for (int i = 1; i <= n; ++i)
        v.push_back({"Marca", "Modello", QString("Versione %1").arg(i), {}, "2001", "2005", {}, {}, {}});
    return v;
}

QString valueOf(const std::vector<catalog::SheetLine> &lines, const QString &caption)
{
    for (const auto &l : lines)
        if (l.caption == caption)
            return l.value;
    return "<no line " + caption + ">";
}

TEST(BatterySheetContent, DrilledDownVehicleAndTheBatteryData)
{
    SheetState s = batteryState();
    s.chosenVehicle = SheetVehicle{"Aurelia Motori", "Vesta", "1.2 8V", "Benzina", "1995", "2001", "1242", "60", "44"};
    const BatterySheet sheet = catalog::MakeBatterySheet(s, 16);
    EXPECT_EQ(sheet.brand, "KORVA");
    EXPECT_EQ(sheet.catalogueDate, "Catalogo del 05/06/2004");
    EXPECT_EQ(sheet.printedAt, "Stampato il 10/12/2026 alle 09:05");
    EXPECT_EQ(sheet.title, "Korva Start KS060");
    const std::pair<const char *, const char *> data[] = {
        {"Gamma", "Korva Start"},        {"Codice", "KS060"},  {"Capacità", "60 Ah"},
        {"Scarica (EN)", "540 A"},       {"Polarità", "DX"},   {"Dimensioni (L × l × h)", "242 × 175 × 190 mm"},
        {"Fissaggio (attacchi)", "B13"}, {"Monoblocco", "L2"},
    };
    for (const auto &[caption, value] : data)
        EXPECT_EQ(valueOf(sheet.data, QString::fromUtf8(caption)), QString::fromUtf8(value)) << caption;
    EXPECT_EQ(sheet.noteMarkup, "<B>Più venduta</B>");
    EXPECT_EQ(sheet.vehicleTitle, "Veicolo");
    const std::pair<const char *, const char *> vehicle[] = {
        {"Marca", "Aurelia Motori"},  {"Modello", "Vesta"},    {"Versione", "1.2 8V"},
        {"Alimentazione", "Benzina"}, {"Anni", "1995 – 2001"}, {"Cilindrata", "1242 cm³"},
        {"Potenza", "60 CV / 44 kW"},
    };
    for (const auto &[caption, value] : vehicle)
        EXPECT_EQ(valueOf(sheet.vehicle, caption), QString::fromUtf8(value)) << caption;
    EXPECT_TRUE(sheet.vehicles.empty());
    EXPECT_TRUE(sheet.moreVehicles.isEmpty());
}

TEST(BatterySheetContent, FittedVehiclesUpToThePageThenHowManyMore)
{
    const struct {
        const char *name;
        int vehicles;
        int rows;
        int shown;
        const char *more;
    } cases[] = {
        {"fewer than the rows", 3, 16, 3, ""},
        {"exactly the rows", 16, 16, 16, ""},
        {"one more than the rows", 17, 16, 15, "… e altri 2 veicoli"},
        {"many more", 40, 13, 12, "… e altri 28 veicoli"},
        {"none", 0, 16, 0, "Nessun veicolo del catalogo monta questa batteria."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SheetState s = batteryState();
        s.fittedVehicles = numberedVehicles(c.vehicles);
        const BatterySheet sheet = catalog::MakeBatterySheet(s, c.rows);
        EXPECT_EQ(sheet.vehicleTitle, "Veicoli compatibili");
        ASSERT_EQ(int(sheet.vehicles.size()), c.shown);
        if (c.shown > 0) {
            EXPECT_EQ(sheet.vehicles.back().version, QString("Versione %1").arg(c.shown)) << "in the catalogue's order";
        }
        EXPECT_EQ(sheet.moreVehicles, QString::fromUtf8(c.more));
    }
}

TEST(BatterySheetContent, MissingValuesYearsAndFileNames)
{
    SheetState s = batteryState();
    for (int col : {4, 5, 7, 8, 9, 11})
        s.batteryRow[col] = "";
    s.catalogueDate = {};
    const BatterySheet sheet = catalog::MakeBatterySheet(s, 16);
    EXPECT_EQ(valueOf(sheet.data, "Capacità"), "—");
    EXPECT_EQ(valueOf(sheet.data, "Dimensioni (L × l × h)"), "—");
    EXPECT_EQ(valueOf(sheet.data, "Monoblocco"), "—");
    EXPECT_EQ(sheet.catalogueDate, "Catalogo senza data");

    const struct {
        const char *from, *to, *years;
    } years[] = {
        {"1999", "2005", "1999 – 2005"}, {"2006", "", "dal 2006"}, {"", "2005", "fino al 2005"}, {"", "", "—"}};
    for (const auto &y : years)
        EXPECT_EQ(catalog::SheetYears({{}, {}, {}, {}, y.from, y.to, {}, {}, {}}), QString::fromUtf8(y.years));

    const std::pair<const char *, const char *> names[] = {{"KS060", "KS060.pdf"},
                                                           {"ZP-100", "ZP-100.pdf"},
                                                           {"A/B:\"C\"", "A_B__C_.pdf"},
                                                           {" ", "scheda.pdf"},
                                                           {"..", "scheda.pdf"}};
    for (const auto &[code, name] : names)
        EXPECT_EQ(catalog::SheetFileName(code), name) << code;
}

TEST(BatterySheetContent, LetterPaperHoldsFewerVehiclesThanA4)
{
    const int a4 = catalog::SheetVehicleRows(QPageSize(QPageSize::A4).size(QPageSize::Point));
    const int letter = catalog::SheetVehicleRows(QPageSize(QPageSize::Letter).size(QPageSize::Point));
    EXPECT_GE(letter, 10);
    EXPECT_LT(letter, a4);
    qputenv("PAPERSIZE", "Letter");
    EXPECT_EQ(catalog::SheetPaper().id(), QPageSize::Letter);
    qputenv("PAPERSIZE", "a4");
    EXPECT_EQ(catalog::SheetPaper().id(), QPageSize::A4);
    qunsetenv("PAPERSIZE");
}

// On paper: the note's markup laid out with its line break and the "altri" line after the
// vehicles the page holds, as real text, on one page of the system's paper.
TEST(BatterySheetPaper, NoteMarkupAndTheLeftOutLineAreTextOnOnePage)
{
    const struct {
        const char *paper;
        QSizeF points;
        int rows;
    } papers[] = {
        {"a4", QSizeF(595, 842), catalog::SheetVehicleRows(QPageSize(QPageSize::A4).size(QPageSize::Point))},
        {"letter", QSizeF(612, 792), catalog::SheetVehicleRows(QPageSize(QPageSize::Letter).size(QPageSize::Point))},
    };
    for (const auto &paper : papers) {
        SCOPED_TRACE(paper.paper);
        qputenv("PAPERSIZE", paper.paper);
        SheetState s = batteryState();
        s.batteryRow[13] =
            "<B>Attenzione:</B> verificare <I>l'altezza</I><BR>prima del <FONT COLOR=\"clBlue\">montaggio</FONT>";
        s.fittedVehicles = numberedVehicles(40);
        QTemporaryDir out;
        const QString pdf = out.filePath("sheet.pdf");
        catalog::WriteBatterySheetPdf(s, pdf);
        const testsupport::PdfFacts facts = testsupport::readPdf(pdf);
        EXPECT_EQ(facts.pages, 1);
        EXPECT_NEAR(facts.pageSize.width(), paper.points.width(), 1);
        EXPECT_NEAR(facts.pageSize.height(), paper.points.height(), 1);
        const QStringList lines = facts.text.split('\n');
        const auto lineWith = [&](const QString &text) {
            return lines.indexOf(QRegularExpression(".*" + QRegularExpression::escape(text) + ".*"));
        };
        const int first = lineWith("Attenzione: verificare l'altezza");
        EXPECT_GE(first, 0) << facts.text.toStdString();
        EXPECT_EQ(lineWith("prima del montaggio"), first + 1) << "the BR breaks the line";
        EXPECT_GE(lineWith(QString("Versione %1").arg(paper.rows - 1)), 0);
        EXPECT_LT(lineWith(QString("Versione %1 ").arg(paper.rows)), 0) << "no vehicle past the page's rows";
        EXPECT_GE(lineWith(QString("… e altri %1 veicoli").arg(40 - paper.rows + 1)), 0) << facts.text.toStdString();
    }
    qunsetenv("PAPERSIZE");
}

// The window's part: which battery, which vehicle or vehicles, which photo.
class BatterySheetWindowTest : public CatalogueWindowTest {
protected:
    void chooseVehicle(const char *priceList, const char *model, int versionRow)
    {
        openWindow(priceList);
        const int modelRow = rowOf(form->gridModello, 1, model);
        form->gridModello->setCurrentRow(modelRow); // a click selects the row it lands on
        form->gridModelloClickCell(form->gridModello, modelRow, 0);
        form->gridVersione->setCurrentRow(versionRow);
        form->gridVersioneClickCell(form->gridVersione, versionRow, 0);
    }
    static QStringList versions(const std::vector<SheetVehicle> &vehicles)
    {
        QStringList out;
        for (const SheetVehicle &v : vehicles)
            out << v.make + "/" + v.model + "/" + v.version + "/" + catalog::SheetYears(v);
        return out;
    }
};

TEST_F(BatterySheetWindowTest, DrilledDownBatteryWithoutPhotoPrintsTheChosenVehicleAndThePlaceholder)
{
    chooseVehicle("BRASK", "Vesta", 1); // 1.2 8V: BS063, which has no photo
    ASSERT_EQ(form->GridOutput->Cells(3, 1), "BS063");
    const auto state = form->ShownSheetState();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->batteryRow.value(3), "BS063");
    ASSERT_TRUE(state->chosenVehicle);
    EXPECT_EQ(versions({*state->chosenVehicle}), QStringList{"Aurelia Motori/Vesta/1.2 8V/1995 – 2001"});
    EXPECT_EQ(state->chosenVehicle->cm3, "1242");
    EXPECT_TRUE(state->fittedVehicles.empty());
    EXPECT_EQ(state->photo.size(), kPlaceholderSize);
    EXPECT_EQ(state->catalogueDate, QDateTime(QDate(2004, 6, 5), QTime(13, 6, 59, 655)));
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(BatterySheetWindowTest, ApplicationsModeListsEveryFittedVehicleOnce)
{
    folder.writePicture("img/bottoneRossoMini.bmp", QSize(125, 40), Qt::red); // the toggle's picture
    chooseVehicle("KORVA", "Vesta", 2);                                       // 1.4 16V "Sport": KS044
    ASSERT_EQ(form->GridOutput->Cells(3, 1), "KS044");
    form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni);
    const auto state = form->ShownSheetState();
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->chosenVehicle);
    // Vehicle 1006 reaches KS044 through two type numbers; type 29999 has no vehicle.
    EXPECT_EQ(versions(state->fittedVehicles),
              QStringList({"Aurelia Motori/Vesta/1.2 8V/1995 – 2001", "Aurelia Motori/Vesta/1.4 16V \"Sport\"/dal 2002",
                           "Brenta/Lido/1.0 | 3 porte/1997 – 2003"}));
    EXPECT_EQ(state->photo.size(), kKorvaStartSize);
}

TEST_F(BatterySheetWindowTest, BatteriesLeftFromAnEarlierVehicleListTheVehiclesTheyFit)
{
    chooseVehicle("KORVA", "Vesta", 1); // KS060 first, for the 1.2 8V only
    ASSERT_EQ(form->GridOutput->Cells(3, 1), "KS060");
    // Without a price list a version choice leaves the battery list as it was.
    form->ComboListino->setItemIndex(-1);
    const int jtd = rowOf(form->gridVersione, 1, "1.9 JTD");
    form->gridVersione->setCurrentRow(jtd);
    form->gridVersioneClickCell(form->gridVersione, jtd, 0);
    ASSERT_EQ(form->GridOutput->Cells(3, 1), "KS060");
    const auto state = form->ShownSheetState();
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->chosenVehicle) << "KS060 does not fit the 1.9 JTD on screen";
    EXPECT_EQ(versions(state->fittedVehicles), QStringList{"Aurelia Motori/Vesta/1.2 8V/1995 – 2001"});
}

TEST_F(BatterySheetWindowTest, NoBatteryShownSaysSoAndWritesNothing)
{
    openWindow("NESSUNO"); // no price list: the battery grid stays empty
    const QString pdf = temp.filePath("vuota.pdf");
    form->SaveBatterySheetPdf(pdf);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(rec.texts(), QStringList{"Nessuna batteria da stampare: scegli prima una batteria dall'elenco."});
}

TEST_F(BatterySheetWindowTest, ButtonAndCtrlPOpenAOnePagePreview)
{
    InstallAccessibleWidgets();
    chooseVehicle("KORVA", "Vesta", 1);
    BitmapButton *button = form->VrBitmapButtonStampa;
    EXPECT_EQ(button->parentWidget()->objectName(), "ImageSfondo");
    EXPECT_EQ(button->geometry(), QRect(452, 645, 35, 35));
    EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus);
    QAccessibleInterface *access = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->text(QAccessible::Name), "Stampa scheda batteria");
    EXPECT_EQ(access->role(), QAccessible::Button);

    auto *shortcut = form->findChild<QShortcut *>("ShortcutStampa");
    ASSERT_NE(shortcut, nullptr);
    EXPECT_EQ(shortcut->key(), QKeySequence("Ctrl+P"));

    for (const char *how : {"button", "Ctrl+P"}) {
        SCOPED_TRACE(how);
        int pages = -1;
        QString title;
        bool savesPdf = false;
        QTimer::singleShot(0, [&] {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!preview)
                return;
            title = preview->windowTitle();
            if (auto *pagesView = preview->findChild<QPrintPreviewWidget *>())
                pages = pagesView->pageCount();
            if (auto *save = preview->findChild<QAction *>("ActionSalvaPdf"))
                savesPdf = save->text() == "Salva PDF…" && !save->associatedObjects().isEmpty();
            preview->reject();
        });
        if (QString(how) == "button")
            emit button->clicked();
        else
            emit shortcut->activated();
        EXPECT_EQ(title, "Scheda batteria KS060");
        EXPECT_EQ(pages, 1);
        EXPECT_TRUE(savesPdf);
    }
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(BatterySheetWindowTest, MissingPrinterIsReportedAsAFailedPrint)
{
    chooseVehicle("KORVA", "Vesta", 1);
    const auto state = form->ShownSheetState();
    ASSERT_TRUE(state);
    // Without a print server the name is refused and the printer prints to no file at all.
    QPrinter printer;
    printer.setPrinterName("stampante-che-non-esiste");
    testsupport::expectThrowCode<catalog::CatalogError>([&] { catalog::PrintBatterySheet(printer, *state); },
                                                        catalog::CatalogErrc::Print, "Stampa non riuscita: ");
}

// A failed write leaves neither the PDF nor its temporary file, and an earlier PDF of the
// same name as it was.
TEST_F(BatterySheetWindowTest, FailedPdfLeavesNoFileBehind)
{
    chooseVehicle("KORVA", "Vesta", 1);
    const auto state = form->ShownSheetState();
    ASSERT_TRUE(state);
    QTemporaryDir out;
    const QString pdf = out.filePath("KS060.pdf");
    catalog::WriteBatterySheetPdf(*state, pdf);
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray first = written.readAll();
    EXPECT_TRUE(first.startsWith("%PDF-"));
    written.close();

    // A full disk: writes past a few kilobytes fail as they would on a full file system.
    {
        struct rlimit old {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = old;
        tight.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        testsupport::expectThrowCode<catalog::CatalogError>([&] { catalog::WriteBatterySheetPdf(*state, pdf); },
                                                            catalog::CatalogErrc::Print,
                                                            "Salvataggio PDF non riuscito");
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), first) << "the earlier PDF is untouched";
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"KS060.pdf"});

    const QString notAFolder = out.filePath("KS060.pdf/scheda.pdf");
    testsupport::expectThrowCode<catalog::CatalogError>(
        [&] { catalog::WriteBatterySheetPdf(*state, notAFolder); }, catalog::CatalogErrc::Print,
        ("Salvataggio PDF non riuscito: impossibile scrivere \"" + notAFolder + "\"").toStdString());
}

} // namespace
