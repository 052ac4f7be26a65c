// The worker lives on a thread of its own with its own ReportStore, opened at the first
// read and opened again after a failure, so a server that went away is found again by
// itself. Answers go back as queued calls on the watch, which keeps the last one.
#include "shop/report_watch.h"

#include "shop/report_store.h"
#include "shop/store_location.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

namespace shop {

bool StoreExists(const QString &database)
{
    const StoreLocation where = StoreLocation::parse(database);
    return where.isServer() || QFileInfo::exists(where.path);
}

struct ReportWatch::Worker : QObject {
    QString database;
    std::unique_ptr<ReportStore> store; // used on `thread` only
    QThread thread;

    // Reads the open reports; the store is dropped after a failure and opened afresh next time.
    std::pair<std::vector<FitReport>, QString> read()
    {
        try {
            // An embedded store nobody made yet holds no report: reading never makes one.
            if (!store && !StoreExists(database))
                return {};
            if (!store)
                store = std::make_unique<ReportStore>(database);
            return {store->reports(true), QString()};
        } catch (const std::exception &e) {
            store.reset();
            return {{}, QString::fromUtf8(e.what())};
        }
    }
};

ReportWatch::ReportWatch(const QString &database, QObject *parent)
    : QObject(parent), m_worker(std::make_unique<Worker>())
{
    m_worker->database = database;
    m_worker->moveToThread(&m_worker->thread);
    m_worker->thread.setObjectName(QStringLiteral("fit reports"));
    m_worker->thread.start();
}

ReportWatch::~ReportWatch()
{
    // The store's connection is closed on the thread that opened it.
    QMetaObject::invokeMethod(
        m_worker.get(), [w = m_worker.get()] { w->store.reset(); }, Qt::BlockingQueuedConnection);
    m_worker->thread.quit();
    m_worker->thread.wait();
}

void ReportWatch::refresh()
{
    if (m_reading) {
        m_again = true;
        return;
    }
    startRead();
}

void ReportWatch::startRead()
{
    m_reading = true;
    QPointer<ReportWatch> self(this);
    QMetaObject::invokeMethod(m_worker.get(), [self, w = m_worker.get()] {
        auto answer = w->read();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, answer = std::move(answer)]() mutable {
                if (!self)
                    return;
                self->m_reading = false;
                // A store out of reach keeps the reports last read: they still hold.
                if (answer.second.isEmpty())
                    self->m_open = std::move(answer.first);
                self->m_problem = answer.second;
                if (self->m_again) {
                    self->m_again = false;
                    self->startRead();
                }
                emit self->refreshed();
            },
            Qt::QueuedConnection);
    });
}

void ReportWatch::add(const FitReport &report) { m_open.insert(m_open.begin(), report); }

const std::vector<FitReport> &ReportWatch::openReports() const { return m_open; }

QString ReportWatch::problem() const { return m_problem; }

bool ReportWatch::settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while ((m_reading || m_again) && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !m_reading && !m_again;
}

} // namespace shop
