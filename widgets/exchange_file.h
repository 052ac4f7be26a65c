// The grid exchange file: how a query result crosses from the data-bound grid to a data
// grid. Plain Windows-1252 text, no signature; every line, the last included, ends in
// CR LF; line 1 holds the column labels, then one line per record (one line of empty
// values when there are none); values are separated by the field separator, never before
// the first or after the last.
//
// A value is encoded thus: double quotes are doubled; a value holding a quote but neither
// the separator nor a line break is enclosed in quotes; an empty value is written as two
// quotes; a value holding the separator, CR or LF has each CR LF pair and each lone CR or
// LF replaced by byte 11 and is enclosed in quotes, so a line break never splits a record.
// The reader turns byte 11 back into CR LF.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QFile>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

#include "widgets/record_source.h"

// The text a field's value is written as: text as stored, memo as its text, whole numbers
// as plain digits, decimals in the user's locale form (up to 15 significant digits, no
// grouping; a number held as its exact decimal text keeps every digit, with the locale's
// decimal point), Null as empty, pictures and other binary values "(GRAPHIC)".
QString ExchangeValueText(RecordFieldKind kind, const QVariant &value);

// One value encoded for the file, as Windows-1252 bytes.
QByteArray EncodeExchangeValue(const QString &value, QChar separator);

// Writes the file value by value through a buffer. The constructor raises
// "Cannot Create file <path>" when the file cannot be created or emptied.
class ExchangeWriter {
public:
    ExchangeWriter(const QString &path, QChar separator);
    ~ExchangeWriter();
    ExchangeWriter(const ExchangeWriter &) = delete;
    ExchangeWriter &operator=(const ExchangeWriter &) = delete;

    // Appends a value to the current line, the separator before all but the first.
    void WriteValue(const QString &value);
    // Ends the line with CR LF.
    void EndLine();
    // Flushes and closes; raises "Cannot write file <path>" when the disk refuses.
    void Close();

private:
    void flush();

    QFile m_file;
    QString m_path;
    char m_separator;
    bool m_lineStarted = false;
    QByteArray m_buffer;
};

// The values of one line as the reader splits them. An empty last value after a final
// separator counts as a value but stores nothing: it is std::nullopt.
using ExchangeLine = std::vector<std::optional<QString>>;

// Splits one line (without its line end) by the reader's quote rules. Malformed input
// never fails.
ExchangeLine SplitExchangeLine(QByteArrayView line, char separator);

// Reads a file or any device line by line, never holding it whole; CR LF, CR and LF all
// end a line.
class ExchangeReader {
public:
    // Raises "Cannot open file <path>" when the file cannot be opened.
    ExchangeReader(const QString &path, QChar separator);
    // Reads from an open device (not owned), e.g. a buffer.
    ExchangeReader(QIODevice *device, QChar separator);
    ~ExchangeReader();
    ExchangeReader(const ExchangeReader &) = delete;
    ExchangeReader &operator=(const ExchangeReader &) = delete;

    // The next line's values; false at the end of the input.
    bool ReadLine(ExchangeLine &values);

private:
    bool nextRawLine(QByteArray &line);

    std::unique_ptr<QFile> m_file;
    QIODevice *m_device;
    char m_separator;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    bool m_skipLf = false; // the previous line ended in CR: a following LF belongs to it
    bool m_eof = false;
};
