// The file a shop sends its maker: every report chosen, with everything it was filed with
// and the catalogue's identity, so the maker can find the row without asking. CSV with a
// fixed header, or JSON with a format version, which catalogue-check reads back.
#pragma once

#include "shop/fit_report.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <vector>

namespace shop {

enum class ExportFormat { Csv, Json };

// The JSON file's format name and the version this program writes and reads.
inline constexpr const char *kExportFormatName = "dazozizizavuv-fit-reports";
inline constexpr int kExportFormatVersion = 1;

// The CSV header, field by field.
const QStringList &ExportCsvHeader();

// The reports to export: all of them, or only the open ones, filed on `since` or later
// when it is valid; newest first as given.
std::vector<FitReport> ReportsToExport(const std::vector<FitReport> &reports, bool openOnly, const QDate &since);

// The file's bytes (UTF-8).
QByteArray ExportText(const std::vector<FitReport> &reports, ExportFormat format);

// Writes the file under a temporary name beside `path` and renames it once complete, so a
// reader never finds half a file. Raises ShopError (ShopErrc::File) naming the file when
// it cannot be written.
void WriteExportFile(const std::vector<FitReport> &reports, ExportFormat format, const QString &path);

// The reports of a JSON export. Raises ShopError (ShopErrc::File) naming `source` when
// the bytes are not such a file or come from a newer format version.
std::vector<FitReport> ReadExportJson(const QByteArray &bytes, const QString &source);

} // namespace shop
