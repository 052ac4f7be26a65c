// Whether a later catalogue has fixed what an open report says, worked out from the
// report's own snapshot (the type numbers, the battery row, the photo's hash) and what
// the new catalogue says of them. The catalogue is asked through CatalogueFacts, which
// the program answers from its connection and catalogue-check from a catalogue read whole.
#pragma once

#include "shop/fit_report.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace shop {

// What a resolution needs to know of a catalogue.
class CatalogueFacts {
public:
    virtual ~CatalogueFacts() = default;
    // Whether the catalogue lists a vehicle with this idVeicolo.
    virtual bool hasVehicle(const QString &idVeicolo) const = 0;
    // The codes (trimmed, upper case) of the batteries fitted to any of these type numbers.
    virtual QSet<QString> codesFitting(const QStringList &ktypnrs) const = 0;
    // The battery row of `code` in `priceList`, SnapshotColumns() in order; nothing when
    // the price list no longer holds the code.
    virtual std::optional<QStringList> batteryRow(const QString &priceList, const QString &code) const = 0;
    // The hash of the photo file the catalogue's FOTO value `photo` names (as
    // PhotoFileHash makes it; empty when there is no such file), or nothing when the
    // photos are not known here.
    virtual std::optional<QString> photoHash(const QString &photo) const = 0;
};

// What resolved the report in the catalogue `facts` describes ("Veicolo tolto dal
// catalogo", "Il codice KS060 non è più indicato per il veicolo", ...), or nothing while
// it stays open. Reports that are not open, and "Altro" ones, are never resolved here.
std::optional<QString> Resolution(const FitReport &report, const CatalogueFacts &facts);

// `report` marked resolved by the catalogue `catalogue` with `why`, at `at`.
FitReport MarkedResolved(FitReport report, const CatalogueIdentity &catalogue, const QString &why, const QDateTime &at);

// The hash a report keeps of a photo file (hex); empty when the file cannot be read.
QString PhotoFileHash(const QString &path);

} // namespace shop
