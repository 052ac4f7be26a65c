// Writing and reading the grid exchange file (format in exchange_file.h).
#include "widgets/exchange_file.h"

#include "platform/ansi_codepage.h"
#include "widgets/widget_error.h"

#include <QLocale>
#include <cmath>

namespace {

constexpr char kQuote = '"';
constexpr char kLineBreakMark = 11; // stands for CR LF inside a value
constexpr qsizetype kBufferSize = 64 * 1024;

char separatorByte(QChar separator)
{
    if (separator.unicode() < 0x80) // every value passes here: the common case is quick
        return char(separator.unicode());
    const QByteArray bytes = ToAnsi(QString(separator));
    return bytes.isEmpty() ? '|' : bytes.front();
}

// Pairs of quotes become one and the line-break mark becomes CR LF. A lone quote is
// dropped from an unquoted value and kept in a quoted one.
QString unescape(QByteArrayView raw, bool keepLoneQuotes = false)
{
    if (!raw.contains(kQuote) && !raw.contains(kLineBreakMark))
        return FromAnsi(raw);                          // most values: nothing to undo
    QByteArray out(raw.size() * 2, Qt::Uninitialized); // a mark becomes two bytes
    char *o = out.data();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == kQuote) {
            const bool pair = i + 1 < raw.size() && raw[i + 1] == kQuote;
            if (pair)
                ++i;
            if (pair || keepLoneQuotes)
                *o++ = kQuote;
        } else if (c == kLineBreakMark) {
            *o++ = '\r';
            *o++ = '\n';
        } else {
            *o++ = c;
        }
    }
    out.truncate(o - out.constData());
    return FromAnsi(out);
}

// Index of the closing quote of a quoted value in `rest` (the opening quote already
// dropped): the last quote of the first run of odd length, or a quote ending the rest.
qsizetype closingQuote(QByteArrayView rest)
{
    qsizetype i = 0;
    while (i < rest.size()) {
        if (rest[i] != kQuote) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < rest.size() && rest[end] == kQuote)
            ++end;
        if ((end - i) % 2 == 1 || end == rest.size())
            return end - 1;
        i = end;
    }
    return -1;
}

} // namespace

QString ExchangeValueText(RecordFieldKind kind, const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (kind) {
    case RecordFieldKind::Picture: return QStringLiteral("(GRAPHIC)");
    case RecordFieldKind::Number:
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            QLocale locale;
            locale.setNumberOptions(QLocale::OmitGroupSeparator);
            const double d = value.toDouble();
            // A whole number of up to 15 digits reads the same in 'g' with 15 digits as
            // written as a whole number, which skips the costly shortest-digits search
            // (capacities are mostly whole). Negative zero keeps its sign the 'g' way.
            if (std::fabs(d) < 1e15 && d == std::trunc(d) && !(d == 0 && std::signbit(d)))
                return locale.toString(qlonglong(d));
            return locale.toString(d, 'g', 15);
        }
        if (value.typeId() == QMetaType::QString) // a number kept as its exact decimal text
            return value.toString().replace(u'.', QLocale().decimalPoint());
        return value.toString();
    case RecordFieldKind::Text:
    case RecordFieldKind::LongText: break;
    }
    return value.toString();
}

QByteArray EncodeExchangeValue(const QString &value, QChar separator)
{
    const char sep = separatorByte(separator);
    QByteArray bytes = ToAnsi(value);
    if (bytes.isEmpty())
        return QByteArray(2, kQuote);
    const bool hasQuote = bytes.contains(kQuote);
    const bool hasBreak = bytes.contains('\r') || bytes.contains('\n');
    const bool hasSeparator = bytes.contains(sep);
    if (!hasQuote && !hasBreak && !hasSeparator)
        return bytes;

    QByteArray out;
    out.reserve(bytes.size() + 8);
    out.append(kQuote);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == kQuote) {
            out.append(2, kQuote);
        } else if (c == '\r' || c == '\n') {
            // A CR LF pair and a lone CR or LF all become one mark, so no line break is
            // left to end the record early.
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            out.append(kLineBreakMark);
        } else {
            out.append(c);
        }
    }
    out.append(kQuote);
    return out;
}

// ---------------------------------------------------------------------------- writer

ExchangeWriter::ExchangeWriter(const QString &path, QChar separator)
    : m_file(path), m_path(path), m_separator(separatorByte(separator))
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseWidgetError(WidgetErrc::ExchangeFile, QStringLiteral("Cannot Create file ") + path);
    m_buffer.reserve(kBufferSize + 1024);
}

// Reached without Close() only while an error travels: the file is closed as it stands.
ExchangeWriter::~ExchangeWriter() = default;

void ExchangeWriter::WriteValue(const QString &value)
{
    if (m_lineStarted)
        m_buffer.append(m_separator);
    m_lineStarted = true;
    m_buffer.append(EncodeExchangeValue(value, QChar::fromLatin1(m_separator)));
    if (m_buffer.size() >= kBufferSize)
        flush();
}

void ExchangeWriter::EndLine()
{
    m_buffer.append("\r\n");
    m_lineStarted = false;
    if (m_buffer.size() >= kBufferSize)
        flush();
}

void ExchangeWriter::flush()
{
    if (m_file.write(m_buffer) != m_buffer.size())
        raiseWidgetError(WidgetErrc::ExchangeFile, QStringLiteral("Cannot write file ") + m_path);
    m_buffer.clear();
}

void ExchangeWriter::Close()
{
    flush();
    if (!m_file.flush())
        raiseWidgetError(WidgetErrc::ExchangeFile, QStringLiteral("Cannot write file ") + m_path);
    m_file.close();
}

// ---------------------------------------------------------------------------- reader

ExchangeLine SplitExchangeLine(QByteArrayView line, char separator)
{
    ExchangeLine values;
    QByteArrayView rest = line;
    bool valuePending = true; // a separator was just passed: one more value follows
    while (rest.contains(separator)) {
        if (rest.front() == kQuote) {
            rest = rest.sliced(1);
            const qsizetype close = closingQuote(rest);
            if (close < 0) {
                values.emplace_back(QString());
                rest = rest.sliced(rest.indexOf(separator) + 1);
                continue;
            }
            values.emplace_back(unescape(rest.first(close), true));
            const qsizetype next = rest.sliced(close).indexOf(separator);
            if (next < 0) {
                rest = {};
                valuePending = false;
                break;
            }
            rest = rest.sliced(close + next + 1);
            continue;
        }
        const qsizetype next = rest.indexOf(separator);
        values.emplace_back(unescape(rest.first(next)));
        rest = rest.sliced(next + 1);
    }
    if (!rest.isEmpty()) {
        QByteArrayView last = rest;
        if (last.front() == kQuote)
            last = last.sliced(1);
        if (!last.isEmpty() && last.back() == kQuote)
            last.chop(1);
        values.emplace_back(unescape(last));
    } else if (valuePending) {
        values.emplace_back(std::nullopt); // counts as a column, stores nothing
    }
    return values;
}

ExchangeReader::ExchangeReader(const QString &path, QChar separator)
    : m_file(std::make_unique<QFile>(path)), m_device(m_file.get()), m_separator(separatorByte(separator))
{
    if (!m_file->open(QIODevice::ReadOnly))
        raiseWidgetError(WidgetErrc::ExchangeFile, QStringLiteral("Cannot open file ") + path);
}

ExchangeReader::ExchangeReader(QIODevice *device, QChar separator)
    : m_device(device), m_separator(separatorByte(separator))
{}

ExchangeReader::~ExchangeReader() = default;

bool ExchangeReader::nextRawLine(QByteArray &line)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (m_pos >= m_chunk.size()) {
            if (m_eof)
                return any;
            m_chunk = m_device->read(kBufferSize);
            m_pos = 0;
            if (m_chunk.isEmpty()) {
                m_eof = true;
                return any;
            }
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_chunk[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char *begin = m_chunk.constData() + m_pos;
        const char *end = m_chunk.constData() + m_chunk.size();
        const char *p = begin;
        while (p != end && *p != '\r' && *p != '\n')
            ++p;
        line.append(begin, p - begin);
        any = true;
        m_pos += p - begin;
        if (p == end)
            continue; // the line goes on in the next chunk
        m_skipLf = *p == '\r';
        ++m_pos;
        return true;
    }
}

bool ExchangeReader::ReadLine(ExchangeLine &values)
{
    QByteArray line;
    if (!nextRawLine(line))
        return false;
    values = SplitExchangeLine(line, m_separator);
    return true;
}
