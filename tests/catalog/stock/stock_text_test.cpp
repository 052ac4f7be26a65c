// The stock line's words from the store's answers: each part where the counter reads it,
// Italian numbers and prices, and the date shown exactly when the stock is old.
#include "catalog/stock/stock_text.h"

#include <gtest/gtest.h>

using catalog::StockLineText;
using shop::StockLine;

namespace {

const QString kEuro = QStringLiteral("\u00a0\u20ac"); // Qt's Italian locale puts a no-break space before it
const QDateTime kNow(QDate(2026, 12, 11), QTime(10, 30));

StockLine known(int quantity, std::optional<qint64> cents = std::nullopt, QStringList shelves = {},
                QList<shop::BranchStock> others = {}, QDateTime asOf = kNow.addSecs(-3600))
{
    StockLine line;
    line.state = StockLine::State::Known;
    line.code = QStringLiteral("KS060");
    line.quantity = quantity;
    line.priceCents = cents;
    line.shelves = std::move(shelves);
    line.otherBranches = std::move(others);
    line.asOf = std::move(asOf);
    return line;
}

struct LineCase {
    const char *name;
    StockLine line;
    QString text;
    bool warning;
};

} // namespace

TEST(StockText, EachAnswerReadsAsTheCounterSaysIt)
{
    StockLine never;
    StockLine gone;
    gone.state = StockLine::State::Unreachable;
    const LineCase cases[] = {
        {"never imported: nothing at all", never, QString(), false},
        {"out of reach", gone, QStringLiteral("Giacenze non raggiungibili"), true},
        {"in stock with price and shelf", known(3, 8900, {"B4"}),
         QStringLiteral("Disponibili: 3 · 89,00") + kEuro + QStringLiteral(" · Scaffale B4"), false},
        {"thousands as the Italian locale writes them", known(1204, 120450),
         QStringLiteral("Disponibili: 1.204 · 1.204,50") + kEuro, false},
        {"a few cents", known(1, 5), QStringLiteral("Disponibili: 1 · 0,05") + kEuro, false},
        {"several shelves, blank ones left out", known(5, std::nullopt, {"B4", " ", "C1 "}),
         QStringLiteral("Disponibili: 5 · Scaffali B4, C1"), false},
        {"none here, the other branches named", known(0, std::nullopt, {}, {{"Filiale Nord", 2}, {"Centro", 1204}}),
         QStringLiteral("Non disponibile · Anche in: Filiale Nord (2), Centro (1.204)"), false},
        {"none here: the price still, no shelf", known(0, 8900, {"B4"}),
         QStringLiteral("Non disponibile · 89,00") + kEuro, false},
        {"in stock here and elsewhere", known(3, std::nullopt, {"B4"}, {{"Centro", 1}}),
         QStringLiteral("Disponibili: 3 · Scaffale B4 · Anche in: Centro (1)"), false},
    };
    for (const LineCase &c : cases) {
        const catalog::StockText text = StockLineText(c.line, kNow);
        EXPECT_EQ(text.text, c.text) << c.name;
        EXPECT_EQ(text.warning, c.warning) << c.name;
    }
}

TEST(StockText, StockOlderThanTwoDaysIsDatedRightAfterTheQuantity)
{
    const QDateTime old = kNow.addDays(-3);
    const catalog::StockText dated = StockLineText(known(3, 8900, {"B4"}, {}, old), kNow);
    EXPECT_EQ(dated.text, QStringLiteral("Disponibili: 3 · giacenze del 08/12/2026 · 89,00") + kEuro
                              + QStringLiteral(" · Scaffale B4"));
    EXPECT_TRUE(dated.warning);

    const struct {
        const char *name;
        QDateTime asOf;
        bool dated;
    } ages[] = {
        {"a minute short of two days", kNow.addSecs(-catalog::kStaleStockSecs + 60), false},
        {"a minute past two days", kNow.addSecs(-catalog::kStaleStockSecs - 60), true},
        {"ahead of the counter's clock", kNow.addDays(1), false},
        {"no time known", QDateTime(), false},
    };
    for (const auto &a : ages) {
        const catalog::StockText text = StockLineText(known(0, std::nullopt, {}, {}, a.asOf), kNow);
        EXPECT_EQ(text.text.contains(QStringLiteral("giacenze del")), a.dated) << a.name;
        EXPECT_EQ(text.warning, a.dated) << a.name;
    }
}

TEST(StockText, TheQuickFindsCountsSayWhatTheShopHas)
{
    EXPECT_EQ(catalog::FindRowStockText(std::nullopt), QString());
    EXPECT_EQ(catalog::FindRowStockText(0), QStringLiteral("non disponibile"));
    EXPECT_EQ(catalog::FindRowStockText(1), QStringLiteral("1 disponibile"));
    EXPECT_EQ(catalog::FindRowStockText(1204), QStringLiteral("1.204 disponibili"));
}
