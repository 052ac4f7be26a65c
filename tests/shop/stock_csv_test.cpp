// The reading of tills' exports: one stock written every way tills write it reads the
// same; each kind of bad file stops at its line with its reason.
#include "platform/ansi_codepage.h"
#include "shop/shop_error.h"
#include "shop/stock_csv.h"
#include "tests/common/test_support.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using shop::ReadStockCsv;
using shop::ShopErrc;
using shop::ShopError;
using shop::StockColumns;

namespace {

struct Layout {
    const char *name;
    QString separator;
    QStringList header; // code, quantity, price, shelf
    bool decimalComma;
    bool windows1252;
    QString lineEnd = QStringLiteral("\n");
    StockColumns columns = {};
};

// Three rows of two codes: one code on two shelves, its price on the first row only;
// a negative count; a shelf holding the separator and a non-ASCII letter.
QByteArray render(const Layout &l)
{
    auto price = [&](const char *p) {
        return l.decimalComma ? QString::fromLatin1(p).replace(u'.', u',') : QString::fromLatin1(p);
    };
    auto quote = [](const QString &s) { return u'"' + s + u'"'; };
    const QList<QStringList> rows = {
        {QStringLiteral("KP064"), QStringLiteral("3"), quote(price("89.00")), QStringLiteral("B4")},
        {QStringLiteral(" kp064 "), QStringLiteral("2"), QString(), QStringLiteral("B5")},
        {QStringLiteral("KS044S"), QStringLiteral("-2"), quote(price("120.5")),
         quote(QStringLiteral("Alto%1 però").arg(l.separator))},
    };
    QString text = l.header.join(l.separator) + l.lineEnd;
    for (const QStringList &r : rows)
        text += r.join(l.separator) + l.lineEnd;
    return l.windows1252 ? ToAnsi(text) : text.toUtf8();
}

void PrintTo(const Layout &l, std::ostream *os) { *os << l.name; }

class Layouts : public ::testing::TestWithParam<Layout> {};

TEST_P(Layouts, ReadTheSameStock)
{
    const Layout &l = GetParam();
    const shop::StockCsv csv = ReadStockCsv(render(l), QStringLiteral("till.csv"), l.columns);
    EXPECT_EQ(csv.rowCount, 3);
    ASSERT_EQ(csv.entries.size(), 2u);
    EXPECT_EQ(csv.entries[0].code, "KP064");
    EXPECT_EQ(csv.entries[0].quantity, 5);
    EXPECT_EQ(csv.entries[0].priceCents, 8900);
    EXPECT_EQ(csv.entries[0].shelves, QStringList({"B4", "B5"}));
    EXPECT_EQ(csv.entries[1].code, "KS044S");
    EXPECT_EQ(csv.entries[1].quantity, 0);
    EXPECT_EQ(csv.entries[1].priceCents, 12050);
    // A shelf's blanks, a tab among them, are made single spaces.
    EXPECT_EQ(csv.entries[1].shelves, QStringList{QStringLiteral("Alto%1 però").arg(l.separator).simplified()});
}

const QStringList kItalian = {"Codice", "Giacenza", "Prezzo", "Scaffale"};
const QStringList kEnglish = {"Code", "Qty", "Price", "Bin"};

INSTANTIATE_TEST_SUITE_P(
    Tills, Layouts,
    ::testing::Values(
        Layout{"semicolon_utf8_italian", ";", kItalian, true, false},
        Layout{"comma_utf8_english_point", ",", kEnglish, false, false},
        Layout{"tab_windows1252_accented_header", "\t", {"Articolo", "Quantità", "Prezzo", "Ubicazione"}, true, true},
        Layout{"semicolon_crlf_capitals_dotted", ";", {"CODICE", "Q.TA", "PREZZO", "SCAFFALE"}, true, false, "\r\n"},
        Layout{"tab_english_point_cr", "\t", {"code", "stock", "price", "shelf"}, false, false, "\r"},
        Layout{"columns_option",
               ";",
               {"Cod", "Esist", "Listino", "Pos"},
               true,
               false,
               "\n",
               StockColumns::parse("code=Cod, quantity=Esist,price=listino,shelf=POS")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StockCsv, ByteOrderMarkAndWindows1252CodesAreRead)
{
    const shop::StockCsv bom = ReadStockCsv("\xEF\xBB\xBF"
                                            "codice;qta\nA1;1\n",
                                            "f.csv");
    ASSERT_EQ(bom.entries.size(), 1u);
    EXPECT_EQ(bom.entries[0].code, "A1");
    // 0xC0 is no UTF-8 sequence: the file is Windows-1252, and the code's letter is À.
    const shop::StockCsv ansi = ReadStockCsv("codice;qta\ncas\xe0;1\n", "f.csv");
    ASSERT_EQ(ansi.entries.size(), 1u);
    EXPECT_EQ(ansi.entries[0].code, QStringLiteral("CASÀ"));
}

TEST(StockCsv, PricesAndQuantitiesAsTillsWriteThem)
{
    const struct {
        const char *price;
        qint64 cents;
    } prices[] = {{"89,00", 8900}, {"89.00", 8900}, {"1.234,56", 123456}, {"1,234.56", 123456},    {"€ 89,5", 8950},
                  {"12", 1200},    {"0,005", 1},    {"89,00 EUR", 8900},  {"1.234.567", 123456700}};
    for (const auto &p : prices) {
        const QByteArray csv = QByteArray("codice;qta;prezzo\nA;1;\"") + p.price + "\"\n";
        EXPECT_EQ(ReadStockCsv(csv, "f.csv").entries.at(0).priceCents, p.cents) << p.price;
    }
    const struct {
        const char *quantity;
        int count;
    } quantities[] = {{"3,000", 3}, {"+4", 4}, {"0", 0}, {"-7", 0}, {"12.0", 12}};
    for (const auto &q : quantities) {
        const QByteArray csv = QByteArray("codice;qta\nA;") + q.quantity + "\n";
        EXPECT_EQ(ReadStockCsv(csv, "f.csv").entries.at(0).quantity, q.count) << q.quantity;
    }
}

TEST(StockCsv, BlankLinesArePassedOverAndCountedInLineNumbers)
{
    const QByteArray csv = "\ncodice;qta\n\nA;1\n;\nB;x\n";
    testsupport::expectThrowText<ShopError>([&] { ReadStockCsv(csv, "f.csv"); },
                                            "f.csv:6: the quantity \"x\" is not a whole number");
}

TEST(StockCsv, AQuotedFieldMayHoldLineEndsAndLaterLinesStillCount)
{
    const QByteArray csv = "codice;qta;scaffale\nA;1;\"two\nlines\"\nB;1,5;\n";
    testsupport::expectThrowText<ShopError>([&] { ReadStockCsv(csv, "f.csv"); }, "f.csv:4: the quantity \"1,5\"");
}

struct BadFile {
    const char *name;
    QByteArray bytes;
    const char *message;
    StockColumns columns = {};
};

void PrintTo(const BadFile &b, std::ostream *os) { *os << b.name; }

class BadFiles : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadFiles, StopWithTheFileLineAndReason)
{
    const BadFile &b = GetParam();
    testsupport::expectThrowCode<ShopError>([&] { ReadStockCsv(b.bytes, "till.csv", b.columns); }, ShopErrc::File,
                                            b.message);
}

INSTANTIATE_TEST_SUITE_P(
    Tills, BadFiles,
    ::testing::Values(
        BadFile{"fraction", "codice;qta\nA;1\nB;2,5\n", "till.csv:3: the quantity \"2,5\" is not a whole number"},
        BadFile{"word_quantity", "codice;qta\nA;tre\n", "till.csv:2: the quantity \"tre\" is not a whole number"},
        BadFile{"missing_quantity", "codice;qta\nA;\n", "till.csv:2: the quantity of A is missing"},
        BadFile{"price", "codice;qta;prezzo\nA;1;circa 5\n", "till.csv:2: the price \"circa 5\" is not a number"},
        BadFile{"missing_code", "codice;qta\nA;1\n  ;4\n", "till.csv:3: the code is missing"},
        BadFile{"empty", "", "till.csv: the file is empty"},
        BadFile{"blank", "\n\r\n  \n", "till.csv: the file is empty"},
        BadFile{"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "till.csv: this is not a CSV text file"},
        BadFile{"no_quantity_column", "codice;descrizione\nA;batteria\n",
                "till.csv:1: the header names no quantity column"},
        BadFile{"no_header", "KP064;3\nKS044S;1\n", "till.csv:1: the header names no code column"},
        BadFile{"header_only", "codice;qta\n", "till.csv:1: no stock rows follow the header"},
        BadFile{"open_quote", "codice;qta;scaffale\nA;1;\"B4\nB;2;C\n",
                "till.csv:2: a field opened with a double quote"},
        BadFile{"named_column_missing", "codice;qta\nA;1\n", "till.csv:1: no column \"Esist\" in the header",
                StockColumns::parse("quantity=Esist")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StockCsv, TenMegabytesOfJunkAreRefused)
{
    QRandomGenerator random(34);
    QByteArray binary(10 * 1024 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
    testsupport::expectThrowCode<ShopError>([&] { ReadStockCsv(binary, "junk"); }, ShopErrc::File, "junk");
    // Printable junk with separators and quotes in it, but no header a till writes.
    static constexpr char kJunk[] = " ;,\t\"\nabcXYZ019";
    QByteArray text(10 * 1024 * 1024, ' ');
    for (char &c : text)
        c = kJunk[random.bounded(int(sizeof kJunk) - 1)];
    testsupport::expectThrowCode<ShopError>([&] { ReadStockCsv(text, "junk"); }, ShopErrc::File, "junk");
}

TEST(StockCsv, ColumnsOptionRejectsWhatItCannotRead)
{
    for (const char *text : {"code", "colour=Col", "quantity=", "=Cod"})
        testsupport::expectThrowCode<ShopError>([&] { StockColumns::parse(text); }, ShopErrc::Usage, "--columns");
}

} // namespace
