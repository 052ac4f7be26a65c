// The stock lookup's worker thread: placeholder answering "no stock" until the store is in.
#include "shop/stock_lookup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>

namespace shop {

struct StockLookup::Worker {
    ShopSettings settings;
    int pending = 0;
};

StockLookup::StockLookup(ShopSettings settings, QObject *parent) : QObject(parent), m_worker(std::make_unique<Worker>())
{
    qRegisterMetaType<shop::StockLine>();
    m_worker->settings = std::move(settings);
}

StockLookup::~StockLookup() = default;

void StockLookup::request(const QString &code)
{
    ++m_worker->pending;
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            --m_worker->pending;
            StockLine line;
            line.code = code;
            emit answered(line);
        },
        Qt::QueuedConnection);
}

QHash<QString, int> StockLookup::quantities() const { return {}; }

bool StockLookup::everImported() const { return false; }

bool StockLookup::settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (m_worker->pending > 0 && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return m_worker->pending == 0;
}

void StockLookup::checkStockFile() {}

} // namespace shop
