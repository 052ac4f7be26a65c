// Jet's functions as SQLite functions. Text functions count characters, not bytes, so
// they work on QString; a Null argument gives Null as in Jet, except where Jet's own
// function exists to handle Null (Nz, IsNull, IIf).
#include "db/db_error.h"
#include "db/jet_functions_p.h"
#include "db/jet_text_p.h"

#include <QString>
#include <cmath>
#include <sqlite3.h>
#include <string_view>

namespace db::detail {

namespace {

bool isNull(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }

QString textOf(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

std::string_view viewOf(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return p ? std::string_view(p, size_t(sqlite3_value_bytes(v))) : std::string_view();
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

qsizetype countArg(sqlite3_context *ctx, sqlite3_value *v)
{
    const double n = sqlite3_value_double(v);
    if (n < 0 || std::isnan(n)) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument (a negative length).", -1);
        return -1;
    }
    return n > 1e9 ? qsizetype(1e9) : qsizetype(n);
}

void fnLeft(sqlite3_context *ctx, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1]))
        return sqlite3_result_null(ctx);
    const qsizetype n = countArg(ctx, a[1]);
    if (n >= 0)
        resultText(ctx, textOf(a[0]).left(n));
}

void fnRight(sqlite3_context *ctx, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1]))
        return sqlite3_result_null(ctx);
    const qsizetype n = countArg(ctx, a[1]);
    if (n >= 0)
        resultText(ctx, textOf(a[0]).right(n));
}

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1]) || (argc > 2 && isNull(a[2])))
        return sqlite3_result_null(ctx);
    const double start = sqlite3_value_double(a[1]);
    if (!(start >= 1)) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument (Mid starts at 1).", -1);
        return;
    }
    const qsizetype from = start > 1e9 ? qsizetype(1e9) : qsizetype(start) - 1;
    qsizetype len = -1;
    if (argc > 2 && (len = countArg(ctx, a[2])) < 0)
        return;
    resultText(ctx, textOf(a[0]).mid(from, len));
}

void fnLen(sqlite3_context *ctx, int, sqlite3_value **a)
{
    if (isNull(a[0]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, textOf(a[0]).size());
}

// Val reads the longest number at the start of the text, skipping blanks anywhere in it.
void fnVal(sqlite3_context *ctx, int, sqlite3_value **a)
{
    if (isNull(a[0]))
        return sqlite3_result_null(ctx);
    const QString s = textOf(a[0]);
    QString digits;
    bool dot = false, exp = false, any = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            any = true;
        } else if ((c == u'-' || c == u'+') && (digits.isEmpty() || digits.back() == u'e')) {
            digits += c;
        } else if (c == u'.' && !dot && !exp) {
            digits += c;
            dot = true;
        } else if ((c == u'e' || c == u'E' || c == u'd' || c == u'D') && any && !exp) {
            digits += u'e';
            exp = true;
        } else {
            break;
        }
    }
    while (!digits.isEmpty() && !digits.back().isDigit() && digits.back() != u'.')
        digits.chop(1);
    bool ok = false;
    const double v = digits.toDouble(&ok);
    sqlite3_result_double(ctx, ok ? v : 0.0);
}

template <int Mode>
void fnTrim(sqlite3_context *ctx, int, sqlite3_value **a)
{
    if (isNull(a[0]))
        return sqlite3_result_null(ctx);
    QString s = textOf(a[0]);
    qsizetype b = 0, e = s.size();
    if (Mode != 2)
        while (b < e && s[b] == u' ')
            ++b;
    if (Mode != 1)
        while (e > b && s[e - 1] == u' ')
            --e;
    resultText(ctx, s.mid(b, e - b));
}

template <bool Upper>
void fnCase(sqlite3_context *ctx, int, sqlite3_value **a)
{
    if (isNull(a[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, Upper ? textOf(a[0]).toUpper() : textOf(a[0]).toLower());
}

bool truthy(sqlite3_value *v) { return !isNull(v) && sqlite3_value_double(v) != 0.0; }

void fnIIf(sqlite3_context *ctx, int, sqlite3_value **a) { sqlite3_result_value(ctx, truthy(a[0]) ? a[1] : a[2]); }

void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **a)
{
    if (!isNull(a[0]))
        sqlite3_result_value(ctx, a[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, a[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void fnIsNull(sqlite3_context *ctx, int, sqlite3_value **a) { sqlite3_result_int(ctx, isNull(a[0]) ? -1 : 0); }

// InStr([start,] text, sought): 1-based position, 0 when absent, letters by General order.
void fnInStr(sqlite3_context *ctx, int argc, sqlite3_value **a)
{
    const int base = argc == 3 ? 1 : 0;
    if (isNull(a[base]) || isNull(a[base + 1]) || (base && isNull(a[0])))
        return sqlite3_result_null(ctx);
    const qsizetype start = base ? qsizetype(sqlite3_value_double(a[0])) - 1 : 0;
    if (start < 0) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument (InStr starts at 1).", -1);
        return;
    }
    const QString hay = textOf(a[base]), needle = textOf(a[base + 1]);
    const qsizetype at = hay.indexOf(needle, start, Qt::CaseInsensitive);
    sqlite3_result_int64(ctx, at < 0 ? 0 : at + 1);
}

// SQLite calls like(pattern, text) for "text LIKE pattern".
void fnLike(sqlite3_context *ctx, int argc, sqlite3_value **a)
{
    if (argc > 2) {
        sqlite3_result_error(ctx, "Jet's Like takes no ESCAPE clause.", -1);
        return;
    }
    if (isNull(a[0]) || isNull(a[1]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, likeGeneral(viewOf(a[0]), viewOf(a[1])) ? 1 : 0);
}

int collate(void *, int na, const void *a, int nb, const void *b)
{
    return compareGeneral(std::string_view(static_cast<const char *>(a), size_t(na)),
                          std::string_view(static_cast<const char *>(b), size_t(nb)));
}

struct FunctionDef {
    const char *name;
    int args;
    void (*fn)(sqlite3_context *, int, sqlite3_value **);
};

const FunctionDef kFunctions[] = {
    {"jet_left", 2, fnLeft},
    {"jet_right", 2, fnRight},
    {"jet_mid", 2, fnMid},
    {"jet_mid", 3, fnMid},
    {"jet_len", 1, fnLen},
    {"jet_val", 1, fnVal},
    {"jet_trim", 1, fnTrim<0>},
    {"jet_ltrim", 1, fnTrim<1>},
    {"jet_rtrim", 1, fnTrim<2>},
    {"jet_ucase", 1, fnCase<true>},
    {"jet_lcase", 1, fnCase<false>},
    {"jet_iif", 3, fnIIf},
    {"jet_nz", 1, fnNz},
    {"jet_nz", 2, fnNz},
    {"jet_isnull", 1, fnIsNull},
    {"jet_instr", 2, fnInStr},
    {"jet_instr", 3, fnInStr},
    {"like", 2, fnLike},
    {"like", 3, fnLike},
};

} // namespace

void registerJetFunctions(sqlite3 *db)
{
    int rc = sqlite3_create_collation(db, kJetCollation, SQLITE_UTF8, nullptr, collate);
    for (const FunctionDef &f : kFunctions) {
        if (rc != SQLITE_OK)
            break;
        rc = sqlite3_create_function(db, f.name, f.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, f.fn, nullptr,
                                     nullptr);
    }
    if (rc != SQLITE_OK)
        raiseDbError(
            DbErrc::Open,
            QStringLiteral("The SQL engine could not be prepared: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace db::detail
