// A catalogue read whole, as the fit reports' resolution rules ask it: the maker's check
// of an export of reports against a catalogue about to ship.
#pragma once

#include "report/catalogue_tables.h"
#include "shop/fit_report_resolution.h"

#include <QHash>
#include <QSet>

class CatalogueReportFacts : public shop::CatalogueFacts {
public:
    // `photoFolder`: where the photos are, or empty when they are not checked.
    CatalogueReportFacts(const catalog::report::Catalogue &catalogue, const QString &photoFolder);

    bool hasVehicle(const QString &idVeicolo) const override;
    QSet<QString> codesFitting(const QStringList &ktypnrs) const override;
    std::optional<QStringList> batteryRow(const QString &priceList, const QString &code) const override;
    std::optional<QString> photoHash(const QString &photo) const override;

private:
    QSet<QString> m_vehicles;
    QMultiHash<QString, QString> m_fitments; // ktypnr → code, upper case
    QHash<QString, QStringList> m_batteries; // "LISTINO\nCODICE", upper case → SnapshotColumns() values
    QString m_photoFolder;
};
