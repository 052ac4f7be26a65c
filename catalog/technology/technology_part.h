// The technology guard's part of the catalogue window: the maker's two tables read when
// the window is made, and the information strip's lines for the battery shown and the
// vehicle chosen in the drill-down (LabelTecnologia, LabelRegistrazione). The replacement
// finder and the battery sheet ask it for the same facts.
//
// A vehicle is chosen by the version handler, which names the version it lists batteries
// for; in applications mode no vehicle is chosen (the version list there is the battery's
// vehicles, not the customer's).
#pragma once

#include "catalog/technology/technology.h"

#include <QHash>
#include <QString>
#include <optional>

class QObject;
class Tfrm_main;

class TechnologyPart {
public:
    explicit TechnologyPart(Tfrm_main &form);

    // Reads db/tecnologie.csv and db/registrazione.csv beside the catalogue; the faulty
    // lines of both in one message (once per program for the same files), the rest used.
    void ReadMakerTables();

    // The version handler's vehicle (idVeicolo, and its make's idMarca); empty keys when
    // its list is empty. Refreshes the lines: the battery shown may stay from another one.
    void ChooseVehicle(const QString &vehicleKey, const QString &makeKey);
    // The battery handler's battery, by range and code; refreshes the lines.
    void ShowBattery(const QString &range, const QString &code);
    // The lines again from what is chosen and shown (after the mode or the lists changed).
    void Refresh();

    const catalog::TechnologyRule &Rule() const { return m_rule; }
    catalog::Technology ShownTechnology() const;
    // The chosen vehicle's key and need, when a vehicle is chosen and needs something.
    QString ChosenVehicleKey() const;
    std::optional<catalog::Technology> ChosenVehicleNeed();
    // What the vehicle `vehicleKey` needs; nothing also when its batteries cannot be read.
    std::optional<catalog::Technology> NeedOf(const QString &vehicleKey);
    // The registration text for the make `makeKey`, empty without one.
    catalog::StripText RegistrationOf(const QString &makeKey) const { return m_registration.For(makeKey); }

private:
    void SetLine(const char *name, const catalog::StripText &line);

    Tfrm_main &m_form;
    catalog::TechnologyRule m_rule;
    catalog::RegistrationRule m_registration;
    QString m_vehicleKey;
    QString m_makeKey;
    QString m_range;
    QString m_code;
    // The last vehicle asked about: a click asks for the same one several times.
    QString m_needKey;
    std::optional<catalog::Technology> m_need;
    bool m_needKnown = false;
    QHash<QString, catalog::StripText> m_shown; // what each line was last given
};
