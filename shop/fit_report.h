// A fit report: a counter's "this listing is wrong", with what the window showed when it
// was filed (the vehicle and its type numbers, the battery row, the catalogue's identity),
// so that it can be shown again where it matters, sent to the maker and checked against
// every later catalogue. Plain data and the rules that need nothing but it.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace shop {

enum class ReportReason { DoesNotFit, MissingBattery, TechnicalData, Photo, Note, Other };

// Every reason, in the order the report window lists them.
const QList<ReportReason> &AllReasons();
// What the counter chooses: "Non monta su questo veicolo", ...
QString ReasonText(ReportReason reason);
// The same in the words of the report line: "non monta", ...
QString ReasonShortText(ReportReason reason);
// The key the store and the exports keep ("non-monta", "manca", "dati-tecnici", "foto",
// "nota", "altro"); nothing for a text that is none of them.
QString ReasonKey(ReportReason reason);
std::optional<ReportReason> ReasonFromKey(const QString &key);
// Whether a report of this reason is about the battery whatever the vehicle: data, photo
// and note are the battery's own.
bool ConcernsBatteryAlone(ReportReason reason);

enum class ReportStatus {
    Open,
    Closed,   // closed by hand, with a note
    Resolved, // found fixed by a later catalogue
};
QString StatusKey(ReportStatus status); // "aperta", "chiusa", "risolta"
std::optional<ReportStatus> StatusFromKey(const QString &key);

// Which catalogue a report was made on (or found resolved in).
struct CatalogueIdentity {
    QDateTime created;   // the creation date in its Jet header; invalid when it keeps none
    QString contentHash; // the hash of its whole content, as the database layer keys it
    bool operator==(const CatalogueIdentity &) const = default;
};

// The vehicle shown when the report was filed.
struct ReportedVehicle {
    QString idVeicolo;
    QString make;
    QString model;
    QString version;
    QString fuel;
    QString yearFrom;
    QString yearTo;
    QStringList ktypnrs; // its type numbers, the keys of its fitments
    bool operator==(const ReportedVehicle &) const = default;
};

// The battery row's columns kept in a report, in this order (the price list and code are
// kept apart): what the window showed of the battery.
const QStringList &SnapshotColumns();
// Of those, the technical data shown in the search fields.
const QStringList &TechnicalColumns();

struct FitReport {
    qint64 id = 0; // given by the store; 0 until stored
    QDateTime filedAt;
    QString branch;
    QString operatorName;
    ReportReason reason = ReportReason::Other;
    QString comment;     // plain text, never markup
    QString fittingCode; // "Manca una batteria adatta": the code that does fit
    std::optional<ReportedVehicle> vehicle;
    QString priceList;      // the battery's LISTINO; empty when no battery was shown
    QString code;           // its CODICE
    QStringList batteryRow; // SnapshotColumns() in order; empty when no battery was shown
    QString photoHash;      // of the photo file shown; empty when the battery had none
    CatalogueIdentity catalogue;

    ReportStatus status = ReportStatus::Open;
    QDateTime closedAt; // closed by hand, or resolved
    QString closedNote; // the counter's note, or "Risolta nell'aggiornamento del …"
    CatalogueIdentity resolvedIn;
    QString resolution; // what the later catalogue changed

    bool operator==(const FitReport &) const = default;

    // A value of the battery row by its column name; empty when not kept.
    QString batteryValue(const QString &column) const;
};

// The longest comment, in code points (what a reader counts as characters).
inline constexpr int kMaxCommentLength = 300;
// How many characters `text` holds as a reader counts them: code points, so that an
// emoji is one however many UTF-16 units it takes.
int CodePointCount(const QString &text);

// What keeps `report` from being filed, in the report window's words; nothing when it can be.
std::optional<QString> FilingProblem(const FitReport &report);

// Battery codes as the catalogue's CODICE is compared: trimmed, without regard to case.
bool SameCode(const QString &a, const QString &b);

// Whether the open report concerns the vehicle and battery the window shows (an empty
// vehicle key: none is chosen; an empty code: no battery is shown). A report made with a
// vehicle concerns that vehicle with its battery, or with any battery when it says the
// vehicle lacks one; data, photo and note reports concern their battery anywhere.
bool Concerns(const FitReport &report, const QString &idVeicolo, const QString &priceList, const QString &code);

// The information strip's line for the open reports that concern what is shown, newest
// first: "Segnalato il 03/12/2026 (Marco): non monta – il cofano non chiude", then " +2"
// for two more. Empty for none.
QString ReportLine(const std::vector<FitReport> &newestFirst);

// The note a report resolved by the catalogue made on `created` carries:
// "Risolta nell'aggiornamento del 03/12/2026".
QString ResolvedNote(const QDateTime &created);

} // namespace shop
