// Fit reports as data: what may be filed, which reports concern what the window shows,
// the strip's line, each reason's resolution rule on small tables of a new catalogue, and
// the export read back field by field.
#include "shop/fit_report.h"
#include "shop/fit_report_export.h"
#include "shop/fit_report_resolution.h"
#include "shop/shop_error.h"
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace shop;

namespace {

QString emoji(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QString::fromUtf8("\xF0\x9F\x94\x8B"); // a battery, two UTF-16 units
    return s;
}

// The battery row of KS060 as the catalogue keeps it, SnapshotColumns() in order.
QStringList ks060Row()
{
    return {"Korva Start",        "60", "540", "DX", "242", "175", "190", "B13", "L2", "korva_start",
            "<B>Più venduta</B>", "20"};
}

FitReport filed(ReportReason reason)
{
    FitReport r;
    r.id = 7;
    r.filedAt = QDateTime(QDate(2026, 12, 3), QTime(10, 15, 30, 250), Qt::UTC);
    r.branch = "Centro";
    r.operatorName = "Marco";
    r.reason = reason;
    r.comment = "il cofano non chiude";
    r.vehicle =
        ReportedVehicle{"1001", "Aurelia Motori", "Vesta", "1.2 8V", "Benzina", "1995", "2001", {"20001", "20017"}};
    r.priceList = "KORVA";
    r.code = "KS060";
    r.batteryRow = ks060Row();
    r.photoHash = "aa11";
    r.catalogue = {QDateTime(QDate(2024, 1, 15), QTime(0, 0)), "b501a30c"};
    return r;
}

// A new catalogue as a few tables: the vehicles, the fitments by type number, the battery
// rows by price list and code, the photo files' hashes by FOTO.
struct TableFacts : CatalogueFacts {
    QSet<QString> vehicles{"1001", "1002"};
    QMultiHash<QString, QString> fitments{{"20001", "KS060"}, {"20017", "KS044"}, {"20002", "KP074"}};
    QHash<QString, QStringList> batteries{{"KORVA/KS060", ks060Row()}};
    std::optional<QHash<QString, QString>> photos = QHash<QString, QString>{{"korva_start", "aa11"}};

    bool hasVehicle(const QString &id) const override { return vehicles.contains(id); }
    QSet<QString> codesFitting(const QStringList &ktypnrs) const override
    {
        QSet<QString> codes;
        for (const QString &k : ktypnrs)
            for (const QString &c : fitments.values(k))
                codes.insert(c);
        return codes;
    }
    std::optional<QStringList> batteryRow(const QString &list, const QString &code) const override
    {
        const auto it = batteries.find(list + "/" + code.toUpper());
        return it == batteries.end() ? std::nullopt : std::optional<QStringList>(*it);
    }
    std::optional<QString> photoHash(const QString &photo) const override
    {
        if (!photos)
            return std::nullopt;
        return photos->value(photo);
    }
    void setValue(const QString &column, const QString &value)
    {
        batteries["KORVA/KS060"][SnapshotColumns().indexOf(column)] = value;
    }
};

TEST(FitReportFiling, TheCommentIsRequiredAndCountedInCodePoints)
{
    FitReport r = filed(ReportReason::DoesNotFit);
    EXPECT_EQ(FilingProblem(r), std::nullopt);
    r.comment = " \n ";
    EXPECT_TRUE(FilingProblem(r).has_value());
    r.comment = emoji(300); // 600 UTF-16 units, 300 characters
    EXPECT_EQ(CodePointCount(r.comment), 300);
    EXPECT_EQ(FilingProblem(r), std::nullopt);
    r.comment = emoji(300) + "x";
    EXPECT_EQ(FilingProblem(r), QString("Il commento è lungo 301 caratteri: al più 300."));
}

TEST(FitReportFiling, EachReasonNeedsWhatItTalksAbout)
{
    FitReport missing = filed(ReportReason::MissingBattery);
    missing.code.clear(); // a vehicle that lists no battery at all
    missing.batteryRow.clear();
    EXPECT_TRUE(FilingProblem(missing).has_value()) << "the code that fits is needed";
    missing.fittingCode = "KP070";
    EXPECT_EQ(FilingProblem(missing), std::nullopt);
    missing.vehicle.reset();
    EXPECT_TRUE(FilingProblem(missing).has_value());

    FitReport doesNotFit = filed(ReportReason::DoesNotFit);
    doesNotFit.vehicle.reset();
    EXPECT_TRUE(FilingProblem(doesNotFit).has_value());
    FitReport photo = filed(ReportReason::Photo);
    photo.vehicle.reset(); // a battery found by a search
    EXPECT_EQ(FilingProblem(photo), std::nullopt);
    photo.code.clear();
    EXPECT_TRUE(FilingProblem(photo).has_value());
}

TEST(FitReportShown, WhichReportsConcernTheVehicleAndBatteryShown)
{
    struct Case {
        const char *name;
        ReportReason reason;
        bool withVehicle;
        const char *vehicle, *list, *code;
        bool concerns;
    };
    const Case cases[] = {
        {"same vehicle and battery", ReportReason::DoesNotFit, true, "1001", "KORVA", "KS060", true},
        {"code in another case and blanks", ReportReason::DoesNotFit, true, "1001", "KORVA", " ks060 ", true},
        {"same battery, other vehicle", ReportReason::DoesNotFit, true, "1002", "KORVA", "KS060", false},
        {"same battery, no vehicle chosen", ReportReason::DoesNotFit, true, "", "KORVA", "KS060", false},
        {"same battery, other price list", ReportReason::DoesNotFit, true, "1001", "QUIB", "KS060", false},
        {"data: the battery anywhere", ReportReason::TechnicalData, true, "1002", "KORVA", "KS060", true},
        {"photo: without a vehicle", ReportReason::Photo, true, "", "KORVA", "KS060", true},
        {"note: other battery", ReportReason::Note, true, "1001", "KORVA", "KS062", false},
        {"missing: the vehicle with any battery", ReportReason::MissingBattery, true, "1001", "KORVA", "KS062", true},
        {"missing: the vehicle with none", ReportReason::MissingBattery, true, "1001", "", "", true},
        {"missing: another vehicle", ReportReason::MissingBattery, true, "1002", "KORVA", "KS060", false},
        {"other, filed without a vehicle", ReportReason::Other, false, "1002", "KORVA", "KS060", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FitReport r = filed(c.reason);
        if (!c.withVehicle)
            r.vehicle.reset();
        EXPECT_EQ(Concerns(r, c.vehicle, c.list, c.code), c.concerns);
        r.status = ReportStatus::Closed;
        EXPECT_FALSE(Concerns(r, c.vehicle, c.list, c.code)) << "a closed report is never shown";
    }
}

TEST(FitReportShown, TheLineNamesTheNewestAndCountsTheOthers)
{
    EXPECT_EQ(ReportLine({}), QString());
    FitReport newest = filed(ReportReason::DoesNotFit);
    newest.filedAt = QDateTime(QDate(2026, 12, 3), QTime(12, 0), Qt::LocalTime);
    newest.comment = "il cofano\nnon chiude";
    FitReport older = filed(ReportReason::Photo);
    older.operatorName.clear();
    EXPECT_EQ(ReportLine({newest}), QString("Segnalato il 03/12/2026 (Marco): non monta – il cofano non chiude"));
    EXPECT_EQ(ReportLine({newest, older, older}),
              QString("Segnalato il 03/12/2026 (Marco): non monta – il cofano non chiude +2"));
    EXPECT_EQ(ReportLine({older}), QString("Segnalato il 03/12/2026: foto errata – il cofano non chiude"));
}

TEST(FitReportResolution, EachReasonAgainstAChangedCatalogue)
{
    struct Case {
        const char *name;
        ReportReason reason;
        std::function<void(TableFacts &, FitReport &)> change;
        const char *resolution; // nullptr: stays open
    };
    const Case cases[] = {
        {"does not fit, unchanged", ReportReason::DoesNotFit, [](TableFacts &, FitReport &) {}, nullptr},
        {"does not fit, fitment gone", ReportReason::DoesNotFit,
         [](TableFacts &t, FitReport &) { t.fitments.remove("20001"); },
         "Il codice KS060 non è più indicato per il veicolo"},
        {"does not fit, still fits by its second type number", ReportReason::DoesNotFit,
         [](TableFacts &t, FitReport &) {
             t.fitments.remove("20001");
             t.fitments.insert("20017", "KS060");
         },
         nullptr},
        {"missing, still missing", ReportReason::MissingBattery,
         [](TableFacts &, FitReport &r) { r.fittingCode = "kp070"; }, nullptr},
        {"missing, now fits", ReportReason::MissingBattery,
         [](TableFacts &t, FitReport &r) {
             r.fittingCode = "kp070";
             t.fitments.insert("20017", "KP070");
         },
         "Il codice kp070 ora è indicato per il veicolo"},
        {"data, a shown column changed", ReportReason::TechnicalData,
         [](TableFacts &t, FitReport &) { t.setValue("CAPACITA", "62"); }, "Dati tecnici cambiati: CAPACITA 60 → 62"},
        {"data, only the note changed", ReportReason::TechnicalData,
         [](TableFacts &t, FitReport &) { t.setValue("NOTE", "altro"); }, nullptr},
        {"data, battery gone", ReportReason::TechnicalData, [](TableFacts &t, FitReport &) { t.batteries.clear(); },
         "Batteria KS060 tolta dal listino KORVA"},
        {"photo, unchanged", ReportReason::Photo, [](TableFacts &, FitReport &) {}, nullptr},
        {"photo, FOTO changed", ReportReason::Photo,
         [](TableFacts &t, FitReport &) { t.setValue("FOTO", "korva_start2"); }, "Foto cambiata: korva_start2"},
        {"photo, file changed", ReportReason::Photo,
         [](TableFacts &t, FitReport &) { (*t.photos)["korva_start"] = "bb22"; }, "File della foto cambiato"},
        {"photo, files unknown (the maker's check without photos)", ReportReason::Photo,
         [](TableFacts &t, FitReport &) { t.photos.reset(); }, nullptr},
        {"note, changed", ReportReason::Note, [](TableFacts &t, FitReport &) { t.setValue("NOTE", "<B>Nuova</B>"); },
         "Nota cambiata"},
        {"note, only blanks around it", ReportReason::Note,
         [](TableFacts &t, FitReport &) { t.setValue("NOTE", " <B>Più venduta</B> "); }, nullptr},
        {"vehicle gone", ReportReason::Note, [](TableFacts &t, FitReport &) { t.vehicles.remove("1001"); },
         "Veicolo tolto dal catalogo"},
        {"other, vehicle gone: never by itself", ReportReason::Other,
         [](TableFacts &t, FitReport &) { t.vehicles.clear(); }, nullptr},
        {"a closed report is never checked", ReportReason::DoesNotFit,
         [](TableFacts &t, FitReport &r) {
             t.fitments.clear();
             r.status = ReportStatus::Closed;
         },
         nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TableFacts facts;
        FitReport report = filed(c.reason);
        c.change(facts, report);
        const std::optional<QString> why = Resolution(report, facts);
        if (c.resolution)
            EXPECT_EQ(why, QString(c.resolution));
        else
            EXPECT_EQ(why, std::nullopt) << why.value_or("").toStdString();
    }
}

TEST(FitReportResolution, AResolvedReportKeepsBothCatalogues)
{
    const CatalogueIdentity next{QDateTime(QDate(2026, 12, 20), QTime(0, 0)), "c0ffee"};
    const FitReport r = MarkedResolved(filed(ReportReason::Note), next, "Nota cambiata",
                                       QDateTime(QDate(2026, 12, 21), QTime(9, 0), Qt::UTC));
    EXPECT_EQ(r.status, ReportStatus::Resolved);
    EXPECT_EQ(r.closedNote, QString("Risolta nell'aggiornamento del 20/12/2026"));
    EXPECT_EQ(r.resolvedIn, next);
    EXPECT_EQ(r.catalogue.contentHash, QString("b501a30c"));
}

// Everything a counter can type that a careless writer would break.
std::vector<FitReport> oddReports()
{
    FitReport quotes = filed(ReportReason::DoesNotFit);
    quotes.comment = "il \"cofano\", 'non' chiude;\r\nseconda riga <b>grassetto</b> &amp; \\ fine";
    FitReport wide = filed(ReportReason::Photo);
    wide.comment = emoji(300);
    wide.vehicle.reset();
    FitReport rtl = MarkedResolved(filed(ReportReason::MissingBattery), {QDateTime(), "ff"}, "ora monta",
                                   QDateTime(QDate(2026, 12, 22), QTime(8, 0), Qt::UTC));
    rtl.comment = QString::fromUtf8("البطارية لا تناسب \u202Eabc");
    rtl.fittingCode = "KP070";
    rtl.code.clear();
    rtl.priceList.clear();
    rtl.batteryRow.clear();
    rtl.photoHash.clear();
    rtl.catalogue.created = QDateTime();
    return {quotes, wide, rtl};
}

// The fields of one CSV text (RFC 4180), record by record.
std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> records(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back() << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back() << field;
            field.clear();
            records.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    records.pop_back(); // after the last line's end
    return records;
}

TEST(FitReportExport, JsonGivesBackEveryField)
{
    const std::vector<FitReport> reports = oddReports();
    const QByteArray json = ExportText(reports, ExportFormat::Json);
    const std::vector<FitReport> back = ReadExportJson(json, "x.json");
    ASSERT_EQ(back.size(), reports.size());
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].comment, reports[i].comment);
        EXPECT_EQ(back[i].vehicle, reports[i].vehicle);
        EXPECT_EQ(back[i].batteryRow, reports[i].batteryRow);
        EXPECT_EQ(back[i], reports[i]);
    }
}

TEST(FitReportExport, CsvHasTheFixedHeaderAndTheTextsAsTyped)
{
    const std::vector<FitReport> reports = oddReports();
    const std::vector<QStringList> records = parseCsv(QString::fromUtf8(ExportText(reports, ExportFormat::Csv)));
    ASSERT_EQ(records.size(), reports.size() + 1);
    EXPECT_EQ(records[0], ExportCsvHeader());
    const auto at = [&](const QStringList &record, const char *column) {
        return record.value(ExportCsvHeader().indexOf(column));
    };
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE(i);
        const QStringList &record = records[i + 1];
        ASSERT_EQ(record.size(), ExportCsvHeader().size());
        EXPECT_EQ(at(record, "comment"), reports[i].comment);
        EXPECT_EQ(at(record, "reason"), ReasonKey(reports[i].reason));
        EXPECT_EQ(at(record, "catalogue_hash"), reports[i].catalogue.contentHash);
        EXPECT_EQ(at(record, "ktypnr"), reports[i].vehicle ? reports[i].vehicle->ktypnrs.join(' ') : QString());
        EXPECT_EQ(at(record, "CAPACITA"), reports[i].batteryValue("CAPACITA"));
        EXPECT_EQ(at(record, "filed_at"), QString("2026-12-03T10:15:30.250Z"));
    }
    EXPECT_EQ(at(records[3], "status"), QString("risolta"));
    EXPECT_EQ(at(records[3], "resolution"), QString("ora monta"));
}

TEST(FitReportExport, OnlyOpenAndSinceChooseTheReports)
{
    std::vector<FitReport> reports = oddReports();
    reports[1].filedAt = QDateTime(QDate(2026, 11, 30), QTime(23, 0), Qt::LocalTime);
    EXPECT_EQ(ReportsToExport(reports, true, QDate()).size(), 2u);
    const std::vector<FitReport> recent = ReportsToExport(reports, false, QDate(2026, 12, 1));
    ASSERT_EQ(recent.size(), 2u);
    EXPECT_EQ(recent[1].reason, ReportReason::MissingBattery);
}

TEST(FitReportExport, AFileOfAnotherKindOrANewerVersionIsRefused)
{
    testsupport::expectThrowCode<ShopError>([] { ReadExportJson("{\"format\": \"x\"}", "r.json"); }, ShopErrc::File,
                                            "r.json: not a fit reports export");
    testsupport::expectThrowCode<ShopError>(
        [] {
            ReadExportJson("{\"format\": \"dazozizizavuv-fit-reports\", \"version\": 2, \"reports\": []}", "r.json");
        },
        ShopErrc::File, "format version 2, this program reads up to 1");
    testsupport::expectThrowCode<ShopError>([] { ReadExportJson("reports,1\n", "r.json"); }, ShopErrc::File,
                                            "r.json: not a JSON file");
    QByteArray json = ExportText({filed(ReportReason::Note)}, ExportFormat::Json);
    json.replace("\"nota\"", "\"unknown\"");
    testsupport::expectThrowCode<ShopError>([&] { ReadExportJson(json, "r.json"); }, ShopErrc::File,
                                            "r.json: report 1: the value of \"reason\" cannot be read");
}

TEST(FitReportExport, TheFileAppearsWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("segnalazioni.json");
    WriteExportFile(oddReports(), ExportFormat::Json, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(ReadExportJson(file.readAll(), path).size(), 3u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"segnalazioni.json"})) << "no temporary left";
    // A folder that is a file cannot take it: the error names the file, nothing is left.
    const QString blocked = dir.filePath("segnalazioni.json/x.csv");
    testsupport::expectThrowCode<ShopError>([&] { WriteExportFile(oddReports(), ExportFormat::Csv, blocked); },
                                            ShopErrc::File, blocked.toStdString());
}

} // namespace
