// The options read strictly (a date that does not parse is an error, never "no date"),
// the reports read once, chosen and written in one go.
#include "tools/shop-data/report_export.h"

#include "shop/report_store.h"
#include "shop/shop_error.h"

namespace shopdata {

ReportExportRequest ReadReportExportRequest(bool openOnly, const QString &since, const QString &format,
                                            const QString &output)
{
    ReportExportRequest request;
    request.openOnly = openOnly;
    if (!since.isEmpty()) {
        request.since = QDate::fromString(since, QStringLiteral("yyyy-MM-dd"));
        if (!request.since.isValid())
            shop::raiseShopError(shop::ShopErrc::Usage,
                                 QStringLiteral("--since takes a date as YYYY-MM-DD, not \"%1\"").arg(since));
    }
    if (format == QLatin1String("json"))
        request.format = shop::ExportFormat::Json;
    else if (!format.isEmpty() && format != QLatin1String("csv"))
        shop::raiseShopError(shop::ShopErrc::Usage, QStringLiteral("--format is csv or json, not \"%1\"").arg(format));
    request.output = output;
    return request;
}

QByteArray ExportReports(shop::ReportStore &store, const ReportExportRequest &request, int &count)
{
    const std::vector<shop::FitReport> chosen = shop::ReportsToExport(store.reports(), request.openOnly, request.since);
    count = int(chosen.size());
    if (request.output.isEmpty())
        return shop::ExportText(chosen, request.format);
    shop::WriteExportFile(chosen, request.format, request.output);
    return QByteArray();
}

} // namespace shopdata
