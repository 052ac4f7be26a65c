// Header parsing and value conversion of the source tables.
#include "tools/catalogue-build/source_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace catalogue {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

jet::Column parseColumn(const CsvField &field, const std::string &file)
{
    const std::size_t colon = field.text.rfind(':');
    if (colon == std::string::npos)
        throw SourceError(file, 1, "column \"" + field.text + "\" has no type (write name:type)");
    const std::string name = trimmed(std::string_view(field.text).substr(0, colon));
    const std::string type = lower(trimmed(std::string_view(field.text).substr(colon + 1)));
    jet::Column column{decodeUtf8(name, file, 1), jet::ColumnType::Text, 0};
    static const std::pair<const char *, jet::ColumnType> simple[] = {
        {"long", jet::ColumnType::Long}, {"int", jet::ColumnType::Int},         {"byte", jet::ColumnType::Byte},
        {"bool", jet::ColumnType::Bool}, {"double", jet::ColumnType::Double},   {"datetime", jet::ColumnType::DateTime},
        {"memo", jet::ColumnType::Memo}, {"text", jet::ColumnType::Text},       {"single", jet::ColumnType::Single},
        {"guid", jet::ColumnType::Guid}, {"decimal", jet::ColumnType::Numeric},
    };
    for (const auto &[word, t] : simple)
        if (type == word) {
            column.type = t;
            column.size = t == jet::ColumnType::Text ? 255 : 0;
            return column;
        }
    if (type.size() > 6 && type.compare(0, 5, "text(") == 0 && type.back() == ')') {
        const std::string digits = trimmed(std::string_view(type).substr(5, type.size() - 6));
        int size = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
        if (ec == std::errc() && end == digits.data() + digits.size() && size >= 1 && size <= 255) {
            column.size = size;
            return column;
        }
        throw SourceError(file, 1, "column " + name + ": a text size must be 1 to 255, not \"" + digits + "\"");
    }
    if (type.size() > 9 && type.compare(0, 8, "decimal(") == 0 && type.back() == ')') {
        // decimal(P) or decimal(P,S): precision 1..28, scale 0..P.
        const std::string inside = type.substr(8, type.size() - 9);
        const std::size_t comma = inside.find(',');
        auto number = [](const std::string &s, int &out) {
            const std::string d = trimmed(s);
            const auto [end, ec] = std::from_chars(d.data(), d.data() + d.size(), out);
            return !d.empty() && ec == std::errc() && end == d.data() + d.size();
        };
        column.type = jet::ColumnType::Numeric;
        column.scale = 0;
        if (number(inside.substr(0, comma), column.precision)
            && (comma == std::string::npos || number(inside.substr(comma + 1), column.scale)) && column.precision >= 1
            && column.precision <= 28 && column.scale >= 0 && column.scale <= column.precision)
            return column;
        throw SourceError(file, 1,
                          "column " + name
                              + ": a decimal needs a precision of 1 to 28 and a scale of 0 to the precision, not \""
                              + inside + "\"");
    }
    throw SourceError(file, 1,
                      "column " + name + ": unknown type \"" + type
                          + "\" (known: long, int, byte, bool, single, double, decimal(P,S), datetime, guid, text(N), "
                            "text, memo)");
}

bool parseInteger(const std::string &s, std::int64_t &out)
{
    std::string_view v(s);
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    if (v.empty() || v.front() == '+')
        return false;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && end == v.data() + v.size();
}

bool parseDouble(const std::string &s, double &out)
{
    std::string_view v(s);
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    // Only digits, one point, a sign and an exponent: no inf, nan or hexadecimal forms.
    if (v.empty() || v.find_first_not_of("0123456789.-eE+") != std::string_view::npos
        || v.find_first_of("0123456789") == std::string_view::npos)
        return false;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out, std::chars_format::general);
    return ec == std::errc() && end == v.data() + v.size() && std::isfinite(out);
}

bool parseDateTime(const std::string &s, double &out)
{
    int y, mo, d, h = 0, mi = 0, sec = 0;
    char sep = 0;
    int used = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3 || used != 10)
        return false;
    if (s.size() > 10) {
        int more = 0;
        const char *rest = s.c_str() + 10;
        sep = rest[0];
        if (sep != ' ' && sep != 'T')
            return false;
        if (std::sscanf(rest + 1, "%2d:%2d%n", &h, &mi, &more) != 2 || more != 5)
            return false;
        const std::size_t after = 11 + std::size_t(more);
        if (s.size() > after) {
            int secUsed = 0;
            if (s[after] != ':' || std::sscanf(s.c_str() + after + 1, "%2d%n", &sec, &secUsed) != 1 || secUsed != 2
                || s.size() != after + 3)
                return false;
        }
    }
    static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 100 || mo < 1 || mo > 12 || d < 1 || d > monthDays[mo - 1] || (mo == 2 && d == 29 && !leap) || h > 23
        || mi > 59 || sec > 59 || h < 0 || mi < 0 || sec < 0)
        return false;
    out = jet::dayNumber(y, mo, d, h, mi, sec);
    return true;
}

} // namespace

const char *typeWord(jet::ColumnType type)
{
    switch (type) {
    case jet::ColumnType::Long: return "long";
    case jet::ColumnType::Int: return "int";
    case jet::ColumnType::Byte: return "byte";
    case jet::ColumnType::Bool: return "bool";
    case jet::ColumnType::Single: return "single";
    case jet::ColumnType::Double: return "double";
    case jet::ColumnType::Numeric: return "decimal";
    case jet::ColumnType::DateTime: return "datetime";
    case jet::ColumnType::Guid: return "guid";
    case jet::ColumnType::Memo: return "memo";
    default: return "text";
    }
}

SourceTable readSourceTable(const std::filesystem::path &path)
{
    SourceTable table;
    table.file = path.string();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SourceError(table.file, 1, "cannot open the file");
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string data = buffer.str();
    table.records = parseCsv(data, table.file);
    if (table.records.empty())
        throw SourceError(table.file, 1, "the file has no header line");
    table.name = decodeUtf8(path.stem().string(), table.file, 1);
    for (const CsvField &f : table.records.front().fields) {
        table.columns.push_back(parseColumn(f, table.file));
        table.names.push_back(trimmed(std::string_view(f.text).substr(0, f.text.rfind(':'))));
    }
    table.records.erase(table.records.begin());
    return table;
}

std::vector<jet::Value> convertRecord(const SourceTable &table, const CsvRecord &record)
{
    if (record.fields.size() != table.columns.size())
        throw SourceError(table.file, record.line,
                          std::to_string(record.fields.size()) + " fields where the header has "
                              + std::to_string(table.columns.size()));
    std::vector<jet::Value> values;
    values.reserve(record.fields.size());
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
        const CsvField &f = record.fields[i];
        const jet::Column &c = table.columns[i];
        if (f.text.empty() && !f.quoted) {
            values.push_back(jet::Value::null());
            continue;
        }
        auto refuse = [&](const char *what) {
            std::string shown = f.text.size() > 40 ? f.text.substr(0, 40) + "..." : f.text;
            return SourceError(table.file, record.line,
                               "column " + table.names[i] + ": \"" + shown + "\" is not " + what);
        };
        switch (c.type) {
        case jet::ColumnType::Bool: {
            const std::string v = lower(f.text);
            if (v == "true" || v == "1" || v == "-1")
                values.push_back(jet::Value::ofInteger(1));
            else if (v == "false" || v == "0")
                values.push_back(jet::Value::ofInteger(0));
            else
                throw refuse("a bool (true/false, 1/0 or -1/0)");
            break;
        }
        case jet::ColumnType::Byte:
        case jet::ColumnType::Int:
        case jet::ColumnType::Long: {
            std::int64_t v;
            if (!parseInteger(f.text, v))
                throw refuse(c.type == jet::ColumnType::Long  ? "a whole number (long)"
                             : c.type == jet::ColumnType::Int ? "a whole number (int)"
                                                              : "a whole number (byte)");
            values.push_back(jet::Value::ofInteger(v));
            break;
        }
        case jet::ColumnType::Single:
        case jet::ColumnType::Double: {
            double v;
            if (!parseDouble(f.text, v))
                throw refuse(c.type == jet::ColumnType::Single ? "a number (single, with a decimal point)"
                                                               : "a number (double, with a decimal point)");
            values.push_back(jet::Value::ofReal(v));
            break;
        }
        case jet::ColumnType::DateTime: {
            double v;
            if (!parseDateTime(f.text, v))
                throw refuse("a date (YYYY-MM-DD or YYYY-MM-DD HH:MM:SS)");
            values.push_back(jet::Value::ofReal(v));
            break;
        }
        default: values.push_back(jet::Value::ofText(decodeUtf8(f.text, table.file, record.line))); break;
        }
    }
    return values;
}

} // namespace catalogue
