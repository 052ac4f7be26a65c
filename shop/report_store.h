// The fit reports in the shop's store, beside the stock, on either engine. A report is
// never deleted: closing, reopening and being resolved change its state, and every change
// is also written to its history, each in one transaction under the store's lock. A
// ReportStore is one connection and belongs to the thread that made it.
#pragma once

#include "shop/fit_report.h"
#include "shop/store_location.h"

#include <QDateTime>
#include <memory>
#include <optional>
#include <vector>

namespace shop {

namespace detail {
class SqlSession;
}

// One change of a report's state, as its history keeps it.
struct ReportEvent {
    QDateTime at;
    ReportStatus status = ReportStatus::Open; // the state it went into
    QString note;
};

class ReportStore {
public:
    // Opens the store as Store does (created or brought up to date on first use). Raises
    // ShopError: Location, Open, Schema, Store.
    explicit ReportStore(const QString &database);
    explicit ReportStore(const StoreLocation &location);
    ~ReportStore();
    ReportStore(const ReportStore &) = delete;
    ReportStore &operator=(const ReportStore &) = delete;

    // Stores a new open report and returns it with its id. Raises ShopError (ShopErrc::Store)
    // when it cannot be written; nothing is then stored.
    FitReport file(FitReport report);
    // Every report, newest first; only the open ones with `openOnly`.
    std::vector<FitReport> reports(bool openOnly = false);
    std::optional<FitReport> report(qint64 id);
    std::vector<ReportEvent> history(qint64 id);

    // Closes an open report by hand with the counter's note; false when it is not open.
    bool close(qint64 id, const QString &note, const QDateTime &at);
    // Opens a closed or resolved report again; false when it is open already.
    bool reopen(qint64 id, const QDateTime &at);
    // Records `resolved` (made by MarkedResolved) unless the report is no longer open, as
    // when another counter opening the same catalogue recorded it first; true when this
    // call did.
    bool markResolved(const FitReport &resolved);
    // The same for many reports in one transaction; how many this call recorded.
    int markResolved(const std::vector<FitReport> &resolved);

private:
    bool changeState(qint64 id, bool fromOpen, ReportStatus to, const QDateTime &at, const QString &note,
                     const FitReport *resolved);
    // changeState's statements, inside a transaction the caller holds.
    bool changeStateIn(qint64 id, bool fromOpen, ReportStatus to, const QDateTime &at, const QString &note,
                       const FitReport *resolved);
    std::unique_ptr<detail::SqlSession> m_session;
};

} // namespace shop
