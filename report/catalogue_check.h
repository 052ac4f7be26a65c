// The data faults a catalogue maker wants found before shipping: each one becomes a wrong
// or missing answer at every counter. Each finding names its check, its table and the
// row (by the same keys as the diff) and says what is wrong.
#pragma once

#include "report/catalogue_tables.h"
#include "report/maker_tables.h"

#include <QString>
#include <vector>

namespace catalog::report {

enum class Severity { Error, Warning };

struct Finding {
    Severity severity = Severity::Error;
    QString check; // fitment-without-battery, not-a-number, ... (see catalogue-check(1))
    QString table;
    QString key;
    QString detail;
};

struct CheckOptions {
    QString photoFolder; // empty: photos are not checked
    // The maker's tables shipped beside the catalogue (ReadTechnologyTable,
    // ReadRegistrationTable); tables not present are not checked.
    TechnologyTable technologies;
    RegistrationTable registrations;
};

// Findings in the order of the checks, each check's in the order of its keys.
std::vector<Finding> CheckCatalogue(const Catalogue &catalogue, const CheckOptions &options);

// Header severity,check,table,key,detail; one row per finding.
QString CheckCsv(const std::vector<Finding> &findings);
// One line per finding, then a count of errors and warnings.
QString CheckText(const std::vector<Finding> &findings);

} // namespace catalog::report
