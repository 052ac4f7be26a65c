// The stock line of the battery shown. Each battery shown asks the store again, so a
// counter sees another counter's import at its next click. An answer usually comes
// within a few milliseconds; the line of the battery shown before stays until then, and
// is emptied only when the answer is late, so the strip does not flicker on every click
// and never tells one battery's stock beside another for longer than a blink.
//
// The lookup (a thread and a store connection) is made only once the shop has a store
// to ask: a [shop] setting, or the embedded store that a first import made. A counter
// that never imported stock has no store file made for it and sees no line.
#include "catalog/stock/stock_part.h"

#include "catalog/info_strip/info_strip.h"
#include "catalog/stock/stock_text.h"
#include "catalog/window/main_form.h"
#include "platform/error_guard.h"
#include "platform/user_settings.h"
#include "shop/stock_lookup.h"
#include "shop/store.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

namespace {

const QString kLine = QStringLiteral("LabelGiacenza");
constexpr int kBlankAfterMs = 250;
// How often the till's stock_file is looked at, at most: on a battery shown.
constexpr qint64 kFileCheckMs = 30 * 1000;

} // namespace

StockPart::StockPart(Tfrm_main &form) : m_form(form), m_settings(shop::ShopSettings::read(UserSettings()))
{
    // Made at once, so that the line is always there to read, empty while it says nothing.
    form.StripInfo->line(kLine);
    m_blank = new QTimer(&form);
    m_blank->setSingleShot(true);
    QObject::connect(m_blank, &QTimer::timeout, &form, [&form] { form.StripInfo->setLine(kLine, QString()); });
}

StockPart::~StockPart() = default;

shop::StockLookup *StockPart::Lookup()
{
    if (m_lookup)
        return m_lookup.get();
    // Qt's file query, not an operating-system call of ours: a stat of a local file.
    if (!m_settings.configured && m_settings.stockFile.isEmpty() && !QFileInfo::exists(m_settings.database))
        return nullptr;
    m_lookup = std::make_unique<shop::StockLookup>(m_settings);
    Tfrm_main *window = &m_form;
    QObject::connect(m_lookup.get(), &shop::StockLookup::answered, window,
                     [this](const shop::StockLine &line) { Guarded([&] { Answered(line); }); });
    return m_lookup.get();
}

void StockPart::BatteryShown(const QString &code)
{
    m_code = shop::NormalCode(code);
    m_shownPrice.reset();
    shop::StockLookup *lookup = m_code.isEmpty() ? nullptr : Lookup();
    if (!lookup) {
        m_blank->stop();
        m_form.StripInfo->setLine(kLine, QString());
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_settings.stockFile.isEmpty() && (m_lastFileCheck < 0 || now - m_lastFileCheck >= kFileCheckMs)) {
        m_lastFileCheck = now;
        // Queued before the request, so the answer already counts a new file.
        lookup->checkStockFile();
    }
    lookup->request(code);
    m_blank->start(kBlankAfterMs);
}

void StockPart::Answered(const shop::StockLine &line)
{
    if (shop::NormalCode(line.code) != m_code)
        return;
    m_blank->stop();
    const catalog::StockText text = catalog::StockLineText(line, QDateTime::currentDateTime());
    m_form.StripInfo->setLine(kLine, text.text, text.warning);
    if (line.state == shop::StockLine::State::Known)
        m_shownPrice = line.priceCents;
}

std::optional<QHash<QString, int>> StockPart::Quantities() const
{
    if (!m_lookup || !m_lookup->everImported())
        return std::nullopt;
    return m_lookup->quantities();
}

bool StockPart::Settle(int ms) { return !m_lookup || m_lookup->settle(ms); }

std::optional<qint64> StockPart::ShownPrice() const { return m_shownPrice; }
