// The open catalogue as the fit reports ask it, through the window's connection: what a
// report keeps of the vehicle and battery shown, and what a resolution asks of a new
// catalogue. The snapshot and the later comparison read the same statements, so a value
// compares equal exactly when the catalogue kept it.
#pragma once

#include "shop/fit_report_resolution.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace catalog {

class ConnectionFacts : public shop::CatalogueFacts {
public:
    // `photoFolder`: the folder the program finds battery photos in.
    explicit ConnectionFacts(QString photoFolder);

    bool hasVehicle(const QString &idVeicolo) const override;
    QSet<QString> codesFitting(const QStringList &ktypnrs) const override;
    std::optional<QStringList> batteryRow(const QString &priceList, const QString &code) const override;
    std::optional<QString> photoHash(const QString &photo) const override;

    // The type numbers of the vehicle, in order.
    QStringList typeNumbers(const QString &idVeicolo) const;
    // Whether `code` is a battery of `priceList`.
    bool hasBattery(const QString &priceList, const QString &code) const;

private:
    QString m_photoFolder;
    // Answers kept for the life of the object: the open reports of a shop ask about the
    // same few vehicles and batteries again and again.
    mutable QHash<QString, bool> m_vehicles;
    mutable QHash<QString, QSet<QString>> m_fitting;
    mutable QHash<QString, std::optional<QStringList>> m_rows;
};

} // namespace catalog
