// A writer of Jet 4 (Access 2000 format) database files: declare tables, add their rows,
// save. It writes what readers need and nothing more: the system catalogue, tables without
// indexes, rows on data pages, long values on their own pages, usage maps and the header
// with the masked database password. The whole file is built in memory and written once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace jet {

// A value the writer cannot store (too long, out of range, wrong kind) or a failed save.
class JetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Jet's own type codes.
enum class ColumnType : std::uint8_t {
    Bool = 0x01,
    Byte = 0x02,
    Int = 0x03,
    Long = 0x04,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Numeric = 0x10, // Access's "Decimal"
};

struct Column {
    std::u16string name;
    ColumnType type;
    int size = 0;       // Text: characters (1..255); Binary: bytes (1..510); ignored otherwise
    int precision = 18; // Numeric: digits in all (1..28)
    int scale = 0;      // Numeric: digits after the point (0..precision)
};

// One field of a row. Bool, Byte, Int and Long take Integer; Single, Double and DateTime
// take Real (DateTime: days since 1899-12-30, the fraction is the time of day; Single:
// rounded to the nearest float); Text and Memo take Text; Binary and Ole take Bytes.
// Numeric takes Text, a decimal number ("-12.50") with no more digits than its column's
// precision and scale allow; Guid takes Text in the form
// "{8E39276A-BCA8-4AC4-891E-49911D8438DD}". Null is allowed everywhere (a Null Bool is
// false).
struct Value {
    enum class Kind { Null, Integer, Real, Text, Bytes };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::u16string text;
    std::string bytes;

    static Value null() { return {}; }
    static Value ofInteger(std::int64_t v)
    {
        Value x;
        x.kind = Kind::Integer;
        x.integer = v;
        return x;
    }
    static Value ofReal(double v)
    {
        Value x;
        x.kind = Kind::Real;
        x.real = v;
        return x;
    }
    static Value ofText(std::u16string v)
    {
        Value x;
        x.kind = Kind::Text;
        x.text = std::move(v);
        return x;
    }
    static Value ofBytes(std::string v)
    {
        Value x;
        x.kind = Kind::Bytes;
        x.bytes = std::move(v);
        return x;
    }
};

struct DatabaseOptions {
    std::u16string password; // at most 20 characters; empty = none
    double creationDate = 0; // day number as Value::Real for DateTime; also masks the password
};

// The day number of a calendar date and time (proleptic Gregorian), as Jet stores DATETIME.
double dayNumber(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);

class Writer {
public:
    explicit Writer(DatabaseOptions options);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Declares a user table and returns its handle for addRow. Names follow Jet's rules
    // (1..64 characters, none of . ! ` [ ] or control characters, unique ignoring case).
    int addTable(const std::u16string &name, const std::vector<Column> &columns);
    // Adds one row: one value per column, in declaration order. Throws JetError, and
    // leaves the table unchanged, when a value does not fit its column.
    void addRow(int table, const std::vector<Value> &values);
    std::uint32_t rowCount(int table) const;

    // Completes the catalogue and writes the file. The writer is spent afterwards.
    void save(const std::filesystem::path &path);

private:
    struct State;
    std::unique_ptr<State> m;
};

} // namespace jet
