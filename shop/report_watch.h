// The open fit reports as the window needs them at every click, read off the GUI thread on
// a store connection of its own, so that a slow or missing server never holds up a click.
// Each refresh reads them again, so a report another counter filed shows at the next click.
#pragma once

#include "shop/fit_report.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace shop {

// Whether `database` names a store there is: a server (asked when used), or a file that
// exists. Raises ShopError (ShopErrc::Location) for a text that names none.
bool StoreExists(const QString &database);

class ReportWatch : public QObject {
    Q_OBJECT
public:
    // `database`: the [shop] database= text (a file path or a postgresql:// URL).
    explicit ReportWatch(const QString &database, QObject *parent = nullptr);
    ~ReportWatch() override;

    // Asks for the open reports again; `refreshed` comes on the caller's thread. Requests
    // made while one is being read are answered by one more read after it, so a server
    // that is slow to answer never gathers a queue of them.
    void refresh();
    // Takes a report this counter just filed among the open ones at once, before the next
    // answer brings it from the store.
    void add(const FitReport &report);
    // The open reports as of the last good answer, newest first: a store out of reach
    // leaves them as they were.
    const std::vector<FitReport> &openReports() const;
    // Why the last read failed, in the store's words; empty after a good one.
    QString problem() const;
    // Waits (processing events) until every refresh asked so far is answered, at most
    // `ms`; false on timeout. The UI script driver settles each step with it.
    bool settle(int ms);

signals:
    void refreshed();

private:
    void startRead();
    struct Worker;
    std::unique_ptr<Worker> m_worker;
    std::vector<FitReport> m_open;
    QString m_problem;
    bool m_reading = false; // a read is on its way
    bool m_again = false;   // another was asked for meanwhile
};

} // namespace shop
