// A query: the statement goes to the connection's engine, the whole result comes back
// at once, and the cursor is only an index into it.
#include "db/query.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/engine_p.h"
#include "db/number_text_p.h"

namespace db {

Query::Query(Connection &connection) : m_connection(connection) {}

Query::~Query() = default;

void Query::ClearSQL() { m_sql.clear(); }

void Query::AddSQL(const QString &line)
{
    if (!m_sql.isEmpty())
        m_sql += u'\n';
    m_sql += line;
}

static detail::Engine &openEngine(const Connection &connection)
{
    detail::Engine *engine = connection.engine();
    if (!engine) {
        // After a failed open the reason is the message: it names the file and what to do,
        // which the messages built around this one then carry first.
        raiseDbError(DbErrc::State, !connection.LastOpenError().isEmpty()
                                        ? connection.LastOpenError()
                                        : QStringLiteral("Operation is not allowed when the connection is closed."));
    }
    return *engine;
}

void Query::Open()
{
    Close();
    m_result = openEngine(m_connection).run(m_sql, m_filtered ? m_filter : QString(), m_commandTimeout);
    m_current = 0;
}

void Query::Stream(const std::function<void(const QStringList &)> &onFields,
                   const std::function<void(RecordTexts &)> &onRecord)
{
    Close();
    openEngine(m_connection).stream(m_sql, m_filtered ? m_filter : QString(), m_commandTimeout, onFields, onRecord);
}

void Query::Close()
{
    m_result.reset();
    m_current = 0;
}

bool Query::Active() const { return m_result != nullptr; }

int Query::RecordCount() const { return m_result ? int(m_result->rows.size()) : 0; }

bool Query::Eof() const { return m_current >= RecordCount(); }

void Query::Next()
{
    if (m_current < RecordCount())
        ++m_current;
}

void Query::First() { m_current = 0; }

void Query::MoveTo(int index)
{
    if (index < 0 || index >= RecordCount())
        raiseDbError(DbErrc::State,
                     QStringLiteral("There is no record %1: the result has %2 records.").arg(index).arg(RecordCount()));
    m_current = index;
}

int Query::FieldCount() const { return m_result ? int(m_result->columns.size()) : 0; }

static const detail::ResultColumn &columnAt(const detail::ResultSet *r, int index)
{
    if (!r)
        raiseDbError(DbErrc::State, QStringLiteral("Operation is not allowed when the query is closed."));
    if (index < 0 || size_t(index) >= r->columns.size())
        raiseDbError(
            DbErrc::State,
            QStringLiteral("There is no field %1: the result has %2 fields.").arg(index).arg(r->columns.size()));
    return r->columns[size_t(index)];
}

QString Query::FieldName(int index) const { return columnAt(m_result.get(), index).name; }

FieldKind Query::FieldKindOf(int index) const { return columnAt(m_result.get(), index).kind; }

int Query::FieldIndex(const QString &name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (m_result->columns[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Query::Value(int index) const
{
    columnAt(m_result.get(), index);
    if (Eof())
        raiseDbError(DbErrc::State, QStringLiteral("Either BOF or EOF is True: there is no current record."));
    return m_result->rows[size_t(m_current)][size_t(index)];
}

bool Query::IsNull(int index) const { return !Value(index).isValid(); }

QString Query::AsString(int index) const
{
    const QVariant v = Value(index);
    switch (v.typeId()) {
    case QMetaType::UnknownType: return QString();
    case QMetaType::Double: return detail::formatNumber(v.toDouble());
    case QMetaType::LongLong: return QString::number(v.toLongLong());
    case QMetaType::QByteArray: return QString::fromLatin1(v.toByteArray().toHex());
    default: return v.toString();
    }
}

static int requireField(const Query &q, const QString &name)
{
    const int i = q.FieldIndex(name);
    if (i < 0)
        raiseDbError(DbErrc::Sql, QStringLiteral("Field not found: the result has no field named \"%1\".").arg(name));
    return i;
}

QString Query::FieldAsString(const QString &name) const { return AsString(requireField(*this, name)); }

QVariant Query::FieldValue(const QString &name) const { return Value(requireField(*this, name)); }

} // namespace db
