// The technology guard in the catalogue window: the maker's tables, the vehicle's need
// read from the catalogue, and the strip's two lines.
//
// The need of a vehicle is one statement over the relation, fitment and battery tables
// (every price list), asked once per vehicle: a click's cascade asks for it from the
// version handler and again from the battery handler and the make-list refill.
#include "catalog/technology/technology_part.h"

#include "catalog/info_strip/info_strip.h"
#include "catalog/technology/technology_source.h"
#include "catalog/window/main_form.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "report/maker_tables.h"

#include <QFileInfo>
#include <QLabel>
#include <QSet>

namespace {

using catalog::StripText;
using catalog::Technology;

// The tables' problems are told once per program for the same files: every visit to the
// brand screen makes a new catalogue window, and the maker's mistake does not change.
bool toldBefore(const QStringList &paths)
{
    static QSet<QString> told;
    QString key;
    for (const QString &path : paths) {
        const QFileInfo file(path);
        key += path + u'|' + QString::number(file.size()) + u'|'
               + QString::number(file.lastModified().toMSecsSinceEpoch()) + u'\n';
    }
    if (told.contains(key))
        return true;
    told.insert(key);
    return false;
}

template <class Table>
void collect(const Table &table, QStringList &lines, QStringList &paths)
{
    if (table.problems.empty())
        return;
    paths << table.path;
    for (const catalog::report::TableProblem &p : table.problems)
        lines << catalog::report::ProblemText(table.path, p);
}

} // namespace

TechnologyPart::TechnologyPart(Tfrm_main &form) : m_form(form) {}

void TechnologyPart::ReadMakerTables()
{
    const QString folder = AppDir + QStringLiteral("db/");
    const catalog::report::TechnologyTable technologies = catalog::report::ReadTechnologyTable(folder);
    const catalog::report::RegistrationTable registrations = catalog::report::ReadRegistrationTable(folder);
    m_rule = catalog::TechnologyRule(technologies.entries);
    m_registration = catalog::RegistrationRule(registrations.entries);
    m_needKnown = false;
    QStringList lines, paths;
    collect(technologies, lines, paths);
    collect(registrations, lines, paths);
    if (lines.isEmpty() || toldBefore(paths))
        return;
    messages().MessageBox(QStringLiteral("Righe delle tabelle del produttore non usate:\r") + lines.join(u'\r'),
                          QStringLiteral("Attenzione"), kMbIconExclamation);
}

void TechnologyPart::ChooseVehicle(const QString &vehicleKey, const QString &makeKey)
{
    m_vehicleKey = vehicleKey.trimmed();
    m_makeKey = makeKey;
    Refresh();
}

void TechnologyPart::ShowBattery(const QString &range, const QString &code)
{
    m_range = range;
    m_code = code;
    Refresh();
}

Technology TechnologyPart::ShownTechnology() const { return m_rule.Of(m_range, m_code); }

QString TechnologyPart::ChosenVehicleKey() const { return m_form.ApplicationsMode() ? QString() : m_vehicleKey; }

std::optional<Technology> TechnologyPart::ChosenVehicleNeed() { return NeedOf(ChosenVehicleKey()); }

std::optional<Technology> TechnologyPart::NeedOf(const QString &vehicleKey)
{
    if (vehicleKey.isEmpty())
        return std::nullopt;
    if (!m_needKnown || m_needKey != vehicleKey) {
        m_need.reset();
        if (const auto listed = catalog::loadVehicleBatteries(vehicleKey)) {
            std::vector<Technology> technologies;
            technologies.reserve(listed->size());
            for (const auto &[range, code] : *listed)
                technologies.push_back(m_rule.Of(range, code));
            m_need = catalog::VehicleNeed(technologies);
        }
        m_needKey = vehicleKey;
        m_needKnown = true;
    }
    return m_need;
}

void TechnologyPart::Refresh()
{
    const bool battery = !m_code.trimmed().isEmpty();
    SetLine("LabelTecnologia", battery ? catalog::TechnologyLine(ShownTechnology(), ChosenVehicleNeed()) : StripText{});
    const QString vehicle = ChosenVehicleKey();
    SetLine("LabelRegistrazione", vehicle.isEmpty() ? StripText{} : m_registration.For(m_makeKey));
}

// The strip lays itself out again on every change; a click's cascade sets the same lines
// several times, so only a change goes to it.
void TechnologyPart::SetLine(const char *name, const StripText &line)
{
    // A line never set is not made, so hidden, as an empty one is.
    StripText &shown = m_shown[QLatin1String(name)];
    if (shown == line)
        return;
    shown = line;
    m_form.StripInfo->setLine(QLatin1String(name), line.text, line.warning);
}
