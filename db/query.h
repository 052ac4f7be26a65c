// A query on a connection, shaped after the ADO query of the design: SQL text set as one
// line (never parsed for parameters), filter, cursor type, open/close/active, an exact
// record count, the fields of the current record, next; and revisiting records, which the
// data-bound grid does when it writes the exchange file.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class Connection;
namespace detail {
struct ResultSet;
}

enum class CursorType { ForwardOnly, Keyset, Dynamic, Static };

// What a field holds, as the data-bound grid distinguishes it.
enum class FieldKind { Text, Number, LongText, Picture };

// One record's values as Query::AsString gives them, with Null as no value.
using RecordTexts = std::vector<std::optional<QString>>;

class Query {
public:
    explicit Query(Connection &connection);
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    // The SQL text: cleared, then one line added. The text is sent as it stands.
    void ClearSQL();
    void AddSQL(const QString &line);
    QString SQLText() const { return m_sql; }

    QString Filter() const { return m_filter; }
    void setFilter(const QString &text) { m_filter = text; }
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool on) { m_filtered = on; }
    // The design's cursor type and cache size, kept so that the data module sets what
    // the design sets; the provider reads neither: every result is fetched whole from the
    // copy, which any cursor or cache would give the same.
    CursorType cursorType() const { return m_cursorType; }
    void setCursorType(CursorType type) { m_cursorType = type; }
    int CacheSize() const { return m_cacheSize; }
    void setCacheSize(int records) { m_cacheSize = records; }
    // Seconds a statement may run before it is stopped.
    int CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds) { m_commandTimeout = seconds; }

    // Runs the SQL text and fetches the whole result; raises DbError with the engine's
    // text on failure (and stays closed).
    void Open();
    // Runs the SQL text as Open does but keeps nothing, for reading a large result once:
    // `onFields` gets the field names, then `onRecord` each record as the engine reads
    // it (it may move the record out). The query stays closed. Raises DbError as Open.
    void Stream(const std::function<void(const QStringList &names)> &onFields,
                const std::function<void(RecordTexts &record)> &onRecord);
    // Discards the result; no error when closed.
    void Close();
    bool Active() const;

    // Exact number of result records (0 when closed).
    int RecordCount() const;
    // Position: 0-based index of the current record; RecordCount() when past the end.
    int RecNo() const { return m_current; }
    bool Eof() const;
    void Next();
    void First();
    // Moves to record `index` (0-based); DbErrc::State outside 0..RecordCount()-1.
    void MoveTo(int index);

    int FieldCount() const;
    QString FieldName(int index) const;
    FieldKind FieldKindOf(int index) const;
    // Index of the field named `name` ignoring letter case; -1 when none.
    int FieldIndex(const QString &name) const;

    // Values of the current record: as text (Null is the empty text) or as a variant
    // (Null is an invalid/null QVariant; integers, doubles, text, byte arrays).
    QString AsString(int index) const;
    QVariant Value(int index) const;
    bool IsNull(int index) const;
    // By name; DbErrc::Sql when there is no such field ("field not found").
    QString FieldAsString(const QString &name) const;
    QVariant FieldValue(const QString &name) const;

private:
    Connection &m_connection;
    QString m_sql;
    QString m_filter;
    bool m_filtered = false;
    CursorType m_cursorType = CursorType::ForwardOnly;
    int m_cacheSize = 1;
    int m_commandTimeout = 30;
    int m_current = 0;
    std::unique_ptr<detail::ResultSet> m_result;
};

// A data source over a query: what a data-bound grid is bound to.
class DataSource {
public:
    DataSource() = default;
    explicit DataSource(Query *query) : m_query(query) {}
    Query *DataSet() const { return m_query; }
    void setDataSet(Query *query) { m_query = query; }

private:
    Query *m_query = nullptr;
};

} // namespace db
