// Page 0 of a Jet file: the format version and the database password kept there.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace db::detail {

enum class JetVersion { Jet3, Jet4 };

struct JetHeader {
    JetVersion version = JetVersion::Jet4;
    QString password;  // empty when the file has none
    QDateTime created; // Jet 4 only; invalid for Jet 3 or a date out of any calendar
};

// The date and time of a day number (days since 1899-12-30, the fraction the time of
// day, local time as Access keeps it); invalid outside the years 100 to 9999.
QDateTime dateOfDayNumber(double days);

// Decodes the header of a whole file's bytes. Raises DbError(Open) naming `path` when the
// bytes are not a Jet 3 or Jet 4 database (too short, wrong signature, other version).
JetHeader readJetHeader(const QByteArray &file, const QString &path);

// Whether the bytes start like any Jet database (used for the workgroup file).
bool looksLikeJetFile(const QByteArray &head);

} // namespace db::detail
