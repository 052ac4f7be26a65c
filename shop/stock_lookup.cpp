// The stock lookup: a thread of its own holding the one store connection. Requests go to
// it as queued calls, each numbered; a call whose number is no longer the newest is
// passed over, so a run of clicks costs one lookup. Answers come back queued to the
// caller's thread. While the store is unreachable, the thread tries it again at most
// once a second (a dead socket fails at once; a silent host within libpq's connect
// timeout), and answers the newest code again when it is back; the caller's side also
// answers Unreachable itself when the thread is held up past kOverdueMs.
#include "shop/stock_lookup.h"

#include "shop/shop_error.h"
#include "shop/stock_answers_p.h"
#include "shop/store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutex>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace shop {

namespace {

constexpr int kRetryMs = 1000;
constexpr int kOverdueMs = 2000;

} // namespace

struct StockLookup::Worker {
    ShopSettings settings;
    QThread thread;
    QObject *context = nullptr; // lives in `thread`; the queued calls run there

    // The thread's own.
    std::unique_ptr<Store> store;
    QElapsedTimer sinceFailure;
    bool refusedUntried = false; // openStore() refused before the retry time, without trying
    QString lastFault;
    QDateTime quantitiesStamp;
    bool quantitiesKnown = false;
    detail::StockFileSeen stockFileSeen;
    QString newestCode;
    QTimer *retry = nullptr;

    // Shared between the two threads.
    std::atomic<quint64> newest{0};
    std::atomic<bool> closing{false};
    mutable QMutex mutex;
    QHash<QString, int> quantities;
    bool everImported = false;

    // The caller's thread's own.
    quint64 requested = 0, settled = 0;
    int checksPending = 0;
    QString newestCodeAsked;
    QTimer overdue;

    Store &openStore();
    void fault(const ShopError &e);
    void refreshQuantities(const std::optional<StockImport> &own);
    StockLine answer(const QString &code);
};

Store &StockLookup::Worker::openStore()
{
    if (store)
        return *store;
    if (sinceFailure.isValid() && sinceFailure.elapsed() < kRetryMs) {
        // Refused without trying: the time since the real failure keeps running.
        refusedUntried = true;
        raiseShopError(ShopErrc::Open, lastFault);
    }
    store = std::make_unique<Store>(settings.database);
    sinceFailure.invalidate();
    return *store;
}

void StockLookup::Worker::fault(const ShopError &e)
{
    // A connection that failed once is not trusted again: the next use opens a new one.
    store.reset();
    if (!refusedUntried)
        sinceFailure.start();
    refusedUntried = false;
    const QString text = QString::fromStdString(e.what());
    if (text != lastFault)
        qWarning("%s", qPrintable(text));
    lastFault = text;
    quantitiesKnown = false;
    if (!retry->isActive())
        retry->start(kRetryMs);
}

void StockLookup::Worker::refreshQuantities(const std::optional<StockImport> &own)
{
    const QDateTime stamp = own ? own->importedAt : QDateTime();
    if (quantitiesKnown && stamp == quantitiesStamp)
        return;
    QHash<QString, int> fresh = own ? store->quantities(settings.branch) : QHash<QString, int>();
    quantitiesStamp = stamp;
    quantitiesKnown = true;
    QMutexLocker lock(&mutex);
    quantities = std::move(fresh);
}

StockLine StockLookup::Worker::answer(const QString &code)
{
    newestCode = code;
    try {
        Store &s = openStore();
        std::optional<StockImport> own;
        StockLine line = detail::LineOf(s, settings.branch, code, &own);
        refreshQuantities(own);
        QMutexLocker lock(&mutex);
        everImported = line.state == StockLine::State::Known;
        return line;
    } catch (const ShopError &e) {
        fault(e);
    }
    StockLine line;
    line.state = StockLine::State::Unreachable;
    line.code = code;
    return line;
}

StockLookup::StockLookup(ShopSettings settings, QObject *parent) : QObject(parent), m_worker(std::make_unique<Worker>())
{
    qRegisterMetaType<shop::StockLine>();
    Worker *w = m_worker.get();
    w->settings = std::move(settings);
    w->context = new QObject;
    w->retry = new QTimer(w->context);
    w->retry->setSingleShot(true);
    // A coarse timer may fire before the retry time, and its try would then be refused.
    w->retry->setTimerType(Qt::PreciseTimer);
    w->context->moveToThread(&w->thread);
    // Back again: the newest code is answered anew, so the window recovers unasked.
    connect(w->retry, &QTimer::timeout, w->context, [this, w] {
        if (w->closing || w->newestCode.isEmpty() || w->store)
            return;
        const quint64 id = w->newest;
        StockLine line = w->answer(w->newestCode);
        if (line.state == StockLine::State::Unreachable)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, id, line] {
                if (id == m_worker->requested)
                    emit answered(line);
            },
            Qt::QueuedConnection);
    });
    w->overdue.setSingleShot(true);
    connect(&w->overdue, &QTimer::timeout, this, [this, w] {
        if (w->settled >= w->requested || w->checksPending > 0)
            return;
        w->settled = w->requested;
        StockLine line;
        line.state = StockLine::State::Unreachable;
        line.code = w->newestCodeAsked;
        emit answered(line);
    });
    w->thread.start();
}

StockLookup::~StockLookup()
{
    Worker *w = m_worker.get();
    w->closing = true;
    w->newest = ~quint64(0);
    // The connection is closed on the thread that opened it, as Qt SQL requires.
    QMetaObject::invokeMethod(
        w->context,
        [w] {
            w->retry->stop();
            w->store.reset();
        },
        Qt::BlockingQueuedConnection);
    w->thread.quit();
    w->thread.wait();
    delete w->context;
}

void StockLookup::request(const QString &code)
{
    Worker *w = m_worker.get();
    const quint64 id = ++w->requested;
    w->newest = id;
    w->newestCodeAsked = code;
    w->overdue.start(kOverdueMs);
    QMetaObject::invokeMethod(
        w->context,
        [this, w, id, code] {
            if (w->newest != id)
                return;
            StockLine line = w->answer(code);
            QMetaObject::invokeMethod(
                this,
                [this, id, line] {
                    Worker *me = m_worker.get();
                    if (id < me->requested)
                        return;
                    const bool late = me->settled >= id;
                    me->settled = id;
                    me->overdue.stop();
                    // An answer after the overdue one matters only when it says more.
                    if (!late || line.state != StockLine::State::Unreachable)
                        emit answered(line);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

QHash<QString, int> StockLookup::quantities() const
{
    QMutexLocker lock(&m_worker->mutex);
    return m_worker->quantities;
}

bool StockLookup::everImported() const
{
    QMutexLocker lock(&m_worker->mutex);
    return m_worker->everImported;
}

bool StockLookup::settle(int ms)
{
    Worker *w = m_worker.get();
    const auto done = [w] { return w->settled >= w->requested && w->checksPending == 0; };
    QDeadlineTimer deadline(ms);
    // The timer only wakes the wait below when nothing else does.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

void StockLookup::checkStockFile()
{
    Worker *w = m_worker.get();
    if (w->settings.stockFile.isEmpty())
        return;
    ++w->checksPending;
    QMetaObject::invokeMethod(
        w->context,
        [this, w] {
            if (!w->closing) {
                try {
                    Store &s = w->openStore();
                    detail::ImportStockFileIfNew(s, w->settings.branch, w->settings.stockFile, w->stockFileSeen);
                    // Also when this counter imported nothing: another one may have
                    // imported the same file first, and the counts are then its.
                    const std::vector<StockImport> imports = s.imports();
                    std::optional<StockImport> own;
                    for (const StockImport &i : imports)
                        if (i.branch == w->settings.branch)
                            own = i;
                    w->refreshQuantities(own);
                    QMutexLocker lock(&w->mutex);
                    w->everImported = !imports.empty();
                } catch (const ShopError &e) {
                    if (e.code() == ShopErrc::File) {
                        const QString text = QString::fromStdString(e.what());
                        if (text != w->lastFault)
                            qWarning("%s", qPrintable(text));
                        w->lastFault = text;
                    } else
                        w->fault(e);
                }
            }
            QMetaObject::invokeMethod(
                this, [this] { --m_worker->checksPending; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

} // namespace shop
