// The battery sheet's texts: captions, units and the formatting of dates, measures and
// years, and how many fitted vehicles the page lists.
#include "catalog/sheet/battery_sheet.h"

#include "catalog/stock/stock_text.h"
#include "report/schema.h"

#include <QRegularExpression>

namespace catalog {

namespace {

using enum catalog::schema::BatteryColumn;

const QString kMissing = QStringLiteral("\u2014"); // a dash where the catalogue has no value

QString orMissing(const QString &value) { return value.trimmed().isEmpty() ? kMissing : value.trimmed(); }

QString withUnit(const QString &value, const char *unit)
{
    return value.trimmed().isEmpty() ? kMissing : value.trimmed() + QLatin1Char(' ') + QString::fromUtf8(unit);
}

QString measures(const QString &length, const QString &width, const QString &height)
{
    if (length.trimmed().isEmpty() && width.trimmed().isEmpty() && height.trimmed().isEmpty())
        return kMissing;
    return orMissing(length) + QStringLiteral(" \u00d7 ") + orMissing(width) + QStringLiteral(" \u00d7 ")
           + orMissing(height) + QStringLiteral(" mm");
}

QString date(const QDateTime &when) { return when.date().toString(QStringLiteral("dd/MM/yyyy")); }

std::vector<SheetLine> vehicleLines(const SheetVehicle &v)
{
    QString power;
    if (!v.cv.trimmed().isEmpty() || !v.kw.trimmed().isEmpty())
        power = withUnit(v.cv, "CV") + QStringLiteral(" / ") + withUnit(v.kw, "kW");
    return {
        {QStringLiteral("Marca"), orMissing(v.make)},
        {QStringLiteral("Modello"), orMissing(v.model)},
        {QStringLiteral("Versione"), orMissing(v.version)},
        {QStringLiteral("Alimentazione"), orMissing(v.fuel)},
        {QStringLiteral("Anni"), SheetYears(v)},
        {QStringLiteral("Cilindrata"), withUnit(v.cm3, "cm\u00b3")},
        {QStringLiteral("Potenza"), orMissing(power)},
    };
}

} // namespace

QString SheetYears(const SheetVehicle &vehicle)
{
    const QString from = vehicle.yearFrom.trimmed(), to = vehicle.yearTo.trimmed();
    if (!from.isEmpty() && !to.isEmpty())
        return from + QStringLiteral(" \u2013 ") + to;
    if (!from.isEmpty())
        return QStringLiteral("dal ") + from;
    if (!to.isEmpty())
        return QStringLiteral("fino al ") + to;
    return kMissing;
}

QString SheetFileName(const QString &batteryCode)
{
    static const QRegularExpression unsafe(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])"));
    QString name = batteryCode.trimmed();
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("scheda");
    return name + QStringLiteral(".pdf");
}

BatterySheet MakeBatterySheet(const SheetState &state, int vehicleRows)
{
    const auto cell = [&](int col) { return state.batteryRow.value(col); };
    BatterySheet sheet;
    sheet.program = state.program;
    sheet.brand = cell(kListino).trimmed();
    sheet.catalogueDate = state.catalogueDate.isValid() ? QStringLiteral("Catalogo del ") + date(state.catalogueDate)
                                                        : QStringLiteral("Catalogo senza data");
    sheet.printedAt = QStringLiteral("Stampato il ") + date(state.printedAt) + QStringLiteral(" alle ")
                      + state.printedAt.time().toString(QStringLiteral("HH:mm"));

    sheet.title = (cell(kGamma).trimmed() + QLatin1Char(' ') + cell(kCodice).trimmed()).trimmed();
    sheet.data = {
        {QStringLiteral("Gamma"), orMissing(cell(kGamma))},
        {QStringLiteral("Codice"), orMissing(cell(kCodice))},
        {QStringLiteral("Capacit\u00e0"), withUnit(cell(kCapacita), "Ah")},
        {QStringLiteral("Scarica (EN)"), withUnit(cell(kScarica), "A")},
        {QStringLiteral("Polarit\u00e0"), orMissing(cell(kPolarita))},
        {QStringLiteral("Dimensioni (L \u00d7 l \u00d7 h)"),
         measures(cell(kLunghezza), cell(kLarghezza), cell(kAltezza))},
        {QStringLiteral("Fissaggio (attacchi)"), orMissing(cell(kAttacchi))},
        {QStringLiteral("Monoblocco"), orMissing(cell(kMonoblocco))},
    };
    // Whenever the shop has priced the battery: the customer asks "how much?" next.
    if (state.priceCents)
        sheet.data.push_back({QStringLiteral("Prezzo"), PriceText(*state.priceCents)});
    sheet.photo = state.photo;
    sheet.noteMarkup = cell(kNote);

    if (state.chosenVehicle) {
        sheet.vehicleTitle = QStringLiteral("Veicolo");
        sheet.vehicle = vehicleLines(*state.chosenVehicle);
    } else {
        sheet.vehicleTitle = QStringLiteral("Veicoli compatibili");
        const std::size_t all = state.fittedVehicles.size();
        const std::size_t rows = std::size_t(qMax(1, vehicleRows));
        // The last line tells how many are missing rather than showing one more vehicle.
        const std::size_t shown = all <= rows ? all : rows - 1;
        sheet.vehicles.assign(state.fittedVehicles.begin(), state.fittedVehicles.begin() + qsizetype(shown));
        if (all == 0)
            sheet.moreVehicles = QStringLiteral("Nessun veicolo del catalogo monta questa batteria.");
        else if (shown < all)
            sheet.moreVehicles = QStringLiteral("\u2026 e altri %1 veicoli").arg(all - shown); // always two or more
    }

    sheet.notesCaption = QStringLiteral("Note del banco");
    sheet.footer = QStringLiteral("Scheda della batteria scelta per il veicolo del cliente: dati del catalogo "
                                  "alla data indicata, da conservare con il lavoro.");
    return sheet;
}

} // namespace catalog
