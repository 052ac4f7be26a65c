// shop-data export-reports: the fit reports chosen on the command line, as one file for
// the maker.
#pragma once

#include "shop/fit_report_export.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace shop {
class ReportStore;
}

namespace shopdata {

struct ReportExportRequest {
    bool openOnly = false;
    QDate since; // invalid: from the first
    shop::ExportFormat format = shop::ExportFormat::Csv;
    QString output; // empty: standard output
};

// The request from the option texts; raises ShopError (ShopErrc::Usage) for a date that
// is not YYYY-MM-DD or a format that is neither csv nor json.
ReportExportRequest ReadReportExportRequest(bool openOnly, const QString &since, const QString &format,
                                            const QString &output);

// Writes the reports to the request's file (under a temporary name, renamed once whole)
// and returns nothing, or returns the file's bytes for standard output. `count` is how
// many reports went in.
QByteArray ExportReports(shop::ReportStore &store, const ReportExportRequest &request, int &count);

} // namespace shopdata
