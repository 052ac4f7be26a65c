// The CSV reading of a till's export. The bytes are decoded first (UTF-8 when they are
// valid UTF-8, Windows-1252 otherwise, as tills on Windows write), then split into
// records, quotes aside, each remembering the line it starts on for the messages.
#include "shop/stock_csv.h"

#include "platform/ansi_codepage.h"
#include "shop/shop_error.h"

#include <QCryptographicHash>
#include <QHash>
#include <QLocale>
#include <QStringDecoder>
#include <limits>

namespace shop {

namespace {

[[noreturn]] void fileFault(const QString &file, const QString &why)
{
    raiseShopError(ShopErrc::File, QStringLiteral("%1: %2").arg(file, why));
}

[[noreturn]] void rowFault(const QString &file, int line, const QString &why)
{
    raiseShopError(ShopErrc::File, QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(why));
}

// A header name as compared: letters and digits only, accents removed, lower case, so
// "Quantità", "QTA." and "q.ta" compare alike.
QString headerKey(const QString &name)
{
    QString key;
    for (const QChar c : name.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber())
            key += c.toLower();
    return key;
}

enum Field { Code, Quantity, Price, Shelf, FieldCount };

const char *const kFieldNames[FieldCount] = {"code", "quantity", "price", "shelf"};

const QStringList &usualNames(Field field)
{
    static const QStringList names[FieldCount] = {
        {QStringLiteral("codice"), QStringLiteral("code"), QStringLiteral("articolo")},
        {QStringLiteral("giacenza"), QStringLiteral("quantita"), QStringLiteral("quantity"), QStringLiteral("qta"),
         QStringLiteral("qty"), QStringLiteral("stock")},
        {QStringLiteral("prezzo"), QStringLiteral("price")},
        {QStringLiteral("ubicazione"), QStringLiteral("scaffale"), QStringLiteral("shelf"), QStringLiteral("bin")},
    };
    return names[field];
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return FromAnsi(bytes);
}

struct Record {
    int line = 0;
    QStringList fields;
};

// Splits `text` into records at line ends outside quotes; a field between double quotes
// may hold the separator, line ends and doubled quotes.
class RecordReader {
public:
    RecordReader(const QString &text, QChar separator, const QString &file)
        : m_text(text), m_sep(separator), m_file(file)
    {}

    bool next(Record &record)
    {
        record.fields.clear();
        if (m_pos >= m_text.size())
            return false;
        record.line = m_line;
        QString field;
        bool quoted = false, wasQuoted = false;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (quoted) {
                if (c == u'"') {
                    if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
                        field += u'"';
                        ++m_pos;
                    } else
                        quoted = false;
                } else {
                    if (c == u'\n' || (c == u'\r' && !(m_pos < m_text.size() && m_text[m_pos] == u'\n')))
                        ++m_line;
                    field += c;
                }
            } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
                quoted = wasQuoted = true;
                field.clear();
            } else if (c == m_sep) {
                record.fields << field;
                field.clear();
                wasQuoted = false;
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && m_pos < m_text.size() && m_text[m_pos] == u'\n')
                    ++m_pos;
                ++m_line;
                record.fields << field;
                return true;
            } else
                field += c;
        }
        if (quoted)
            rowFault(m_file, record.line, QStringLiteral("a field opened with a double quote is never closed"));
        record.fields << field;
        return true;
    }

private:
    const QString &m_text;
    QChar m_sep;
    QString m_file;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// The separator the header line uses most, outside quotes: ';', then a tab, then ','
// when they are used as often.
QChar separatorOf(const QString &text)
{
    int semicolons = 0, tabs = 0, commas = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == u';')
            ++semicolons;
        else if (!quoted && c == u'\t')
            ++tabs;
        else if (!quoted && c == u',')
            ++commas;
    }
    if (semicolons >= tabs && semicolons >= commas)
        return u';';
    return tabs >= commas ? QChar(u'\t') : QChar(u',');
}

std::optional<int> wholeNumber(const QString &text)
{
    qsizetype end = text.size();
    // "3,00" and "3.000", as tills that keep quantities as decimals write them: the
    // fraction must be all zeros.
    const qsizetype point = std::max(text.lastIndexOf(u','), text.lastIndexOf(u'.'));
    if (point >= 0) {
        for (qsizetype i = point + 1; i < text.size(); ++i)
            if (text[i] != u'0')
                return std::nullopt;
        end = point;
    }
    bool ok = false;
    const qlonglong value = text.left(end).toLongLong(&ok);
    if (!ok || end == 0 || !(text[0].isDigit() || text[0] == u'-' || text[0] == u'+'))
        return std::nullopt;
    if (value > 1'000'000'000 || value < -1'000'000'000)
        return std::nullopt;
    return int(value);
}

// A price as tills write it: decimal comma or point, thousands grouped by the other one,
// a euro sign or "EUR" around it. Rounded to the cent.
std::optional<qint64> priceCents(QString text)
{
    text.remove(QStringLiteral("EUR"), Qt::CaseInsensitive);
    text.remove(u'€');
    text.remove(u' ');
    text.remove(QChar(0x00a0));
    text.remove(QChar(0x202f));
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype comma = text.lastIndexOf(u','), point = text.lastIndexOf(u'.');
    QChar decimal = comma > point ? u',' : u'.';
    const QChar grouping = decimal == u',' ? u'.' : u',';
    // One kind of mark used more than once groups thousands ("1.234.567").
    if ((comma < 0 || point < 0) && text.count(decimal) > 1)
        decimal = QChar();
    QString digits = text;
    digits.remove(grouping);
    if (decimal.isNull())
        digits.remove(text.contains(u',') ? u',' : u'.');
    const qsizetype at = decimal.isNull() ? -1 : digits.indexOf(decimal);
    QString whole = at < 0 ? digits : digits.left(at), fraction = at < 0 ? QString() : digits.mid(at + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    for (const QString *part : {&whole, &fraction})
        for (const QChar c : *part)
            if (!c.isDigit() || c.unicode() > 127)
                return std::nullopt;
    if (whole.size() > 12)
        return std::nullopt;
    qint64 cents = whole.toLongLong() * 100;
    fraction = (fraction + QStringLiteral("000")).left(3);
    cents += fraction.left(2).toLongLong() + (fraction[2] >= u'5' ? 1 : 0);
    return cents;
}

} // namespace

StockColumns StockColumns::parse(const QString &text)
{
    StockColumns columns;
    QString *targets[FieldCount] = {&columns.code, &columns.quantity, &columns.price, &columns.shelf};
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        const QString key = part.left(eq).trimmed().toLower(), name = part.mid(eq + 1).trimmed();
        int field = -1;
        for (int f = 0; f < FieldCount; ++f)
            if (key == QLatin1String(kFieldNames[f]))
                field = f;
        if (eq < 0 || field < 0 || name.isEmpty())
            raiseShopError(ShopErrc::Usage,
                           QStringLiteral("--columns: \"%1\" is not FIELD=HEADER with FIELD one of code, "
                                          "quantity, price, shelf")
                               .arg(part.trimmed()));
        *targets[field] = name;
    }
    return columns;
}

QByteArray ContentHash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

StockCsv ReadStockCsv(const QByteArray &bytes, const QString &fileName, const StockColumns &columns)
{
    if (bytes.contains('\0'))
        fileFault(fileName, QStringLiteral("this is not a CSV text file (it holds binary data)"));
    const QString text = decode(bytes);
    if (text.trimmed().isEmpty())
        fileFault(fileName, QStringLiteral("the file is empty: a header line naming the columns comes first"));

    RecordReader reader(text, separatorOf(text), fileName);
    Record record;
    // Blank lines before the header are passed over.
    do {
        reader.next(record);
    } while (record.fields.join(QString()).trimmed().isEmpty());
    const int headerLine = record.line;

    QStringList keys;
    for (const QString &name : record.fields)
        keys << headerKey(name);
    const QString given[FieldCount] = {columns.code, columns.quantity, columns.price, columns.shelf};
    int at[FieldCount];
    for (int f = 0; f < FieldCount; ++f) {
        at[f] = -1;
        if (!given[f].isEmpty()) {
            at[f] = int(keys.indexOf(headerKey(given[f])));
            if (at[f] < 0)
                rowFault(
                    fileName, headerLine,
                    QStringLiteral("no column \"%1\" in the header (--columns %2=%1)").arg(given[f], kFieldNames[f]));
            continue;
        }
        for (const QString &usual : usualNames(Field(f)))
            if (at[f] < 0)
                at[f] = int(keys.indexOf(usual));
        if (at[f] < 0 && (f == Code || f == Quantity))
            rowFault(fileName, headerLine,
                     QStringLiteral("the header names no %1 column (%2; or --columns %3=NAME)")
                         .arg(f == Code ? QStringLiteral("code") : QStringLiteral("quantity"),
                              usualNames(Field(f)).join(QStringLiteral(", ")), kFieldNames[f]));
    }

    StockCsv result;
    QHash<QString, size_t> index;
    std::vector<qint64> sums;
    auto cell = [&](int f) { return at[f] >= 0 ? record.fields.value(at[f]).trimmed() : QString(); };
    while (reader.next(record)) {
        if (record.fields.join(QString()).trimmed().isEmpty())
            continue;
        ++result.rowCount;
        const QString code = NormalCode(cell(Code));
        if (code.isEmpty())
            rowFault(fileName, record.line, QStringLiteral("the code is missing"));
        const QString quantityText = cell(Quantity);
        if (quantityText.isEmpty())
            rowFault(fileName, record.line, QStringLiteral("the quantity of %1 is missing").arg(code));
        const std::optional<int> quantity = wholeNumber(quantityText);
        if (!quantity)
            rowFault(fileName, record.line,
                     QStringLiteral("the quantity \"%1\" is not a whole number").arg(quantityText));
        std::optional<qint64> price;
        const QString priceText = cell(Price);
        if (!priceText.isEmpty()) {
            price = priceCents(priceText);
            if (!price)
                rowFault(fileName, record.line, QStringLiteral("the price \"%1\" is not a number").arg(priceText));
        }
        const QString shelf = cell(Shelf).simplified();

        auto found = index.find(code);
        if (found == index.end()) {
            found = index.insert(code, result.entries.size());
            result.entries.push_back({code, 0, std::nullopt, {}});
            sums.push_back(0);
        }
        StockEntry &entry = result.entries[*found];
        qint64 &sum = sums[*found];
        sum += std::max(0, *quantity);
        if (sum > std::numeric_limits<int>::max())
            rowFault(fileName, record.line,
                     QStringLiteral("the quantities of %1 add up to more than can be kept").arg(code));
        entry.quantity = int(sum);
        if (!entry.priceCents)
            entry.priceCents = price;
        if (!shelf.isEmpty() && !entry.shelves.contains(shelf))
            entry.shelves << shelf;
    }
    // A header alone is far more often a till's export cut short than a shop with
    // nothing on its shelves; taking it would empty the branch's stock.
    if (result.rowCount == 0)
        rowFault(fileName, headerLine, QStringLiteral("no stock rows follow the header; nothing was imported"));
    return result;
}

} // namespace shop
