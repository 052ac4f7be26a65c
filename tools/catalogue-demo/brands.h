// The five price lists and their product ranges: names, code prefixes, photo names and
// the kind of battery each range holds. Shared by the hand-made and generated rows.
#pragma once

#include <array>
#include <string>

namespace demo {

enum class RangeKind { Start, Power, Efb, Agm, Heavy, Service };

struct Range {
    const char *name;
    const char *prefix; // code prefix; the capacity follows
    const char *photo;
    RangeKind kind;
};

struct PriceList {
    const char *name;
    bool dashedCodes; // codes written "ZP-60" rather than "KS060"
    std::array<Range, 6> ranges;
};

inline const std::array<PriceList, 5> kPriceLists{{
    {"KORVA",
     false,
     {{{"Korva Start", "KS", "korva_start", RangeKind::Start},
       {"Korva Power", "KP", "korva_power", RangeKind::Power},
       {"Korva EFB", "KE", "korva_efb", RangeKind::Efb},
       {"Korva AGM", "KA", "korva_agm", RangeKind::Agm},
       {"Korva Heavy", "KH", "korva_heavy", RangeKind::Heavy},
       {"Korva Service", "KV", "korva_service", RangeKind::Service}}}},
    {"QUIB",
     false,
     {{{"Quib Classic", "QC", "quib_classic", RangeKind::Start},
       {"Quib Plus", "QP", "quib_plus", RangeKind::Power},
       {"Quib EFB", "QE", "quib_efb", RangeKind::Efb},
       {"Quib AGM", "QA", "quib_agm", RangeKind::Agm},
       {"Quib Truck", "QT", "quib_truck", RangeKind::Heavy},
       {"Quib Moto", "QM", "quib_moto", RangeKind::Service}}}},
    {"BRASK",
     false,
     {{{"Brask Silver", "BS", "brask_silver", RangeKind::Start},
       {"Brask Gold", "BG", "brask_gold", RangeKind::Power},
       {"Brask EFB", "BE", "brask_efb", RangeKind::Efb},
       {"Brask AGM", "BA", "brask_agm", RangeKind::Agm},
       {"Brask Heavy", "BH", "brask_heavy", RangeKind::Heavy},
       {"Brask Marine", "BM", "brask_marine", RangeKind::Service}}}},
    {"FENU",
     false,
     {{{"Fenu Eco", "FE", "fenu_eco", RangeKind::Start},
       {"Fenu Plus", "FP", "fenu_plus", RangeKind::Power},
       {"Fenu EFB", "FB", "fenu_efb", RangeKind::Efb},
       {"Fenu AGM", "FA", "fenu_agm", RangeKind::Agm},
       {"Fenu Cargo", "FC", "fenu_cargo", RangeKind::Heavy},
       {"Fenu Aux", "FX", "fenu_aux", RangeKind::Service}}}},
    {"ZELKAR",
     true,
     {{{"Zelkar Base", "ZB", "zelkar_base", RangeKind::Start},
       {"Zelkar Pro", "ZP", "zelkar_pro", RangeKind::Power},
       {"Zelkar EFB", "ZE", "zelkar_efb", RangeKind::Efb},
       {"Zelkar AGM", "ZA", "zelkar_agm", RangeKind::Agm},
       {"Zelkar Heavy", "ZH", "zelkar_heavy", RangeKind::Heavy},
       {"Zelkar Mini", "ZM", "zelkar_mini", RangeKind::Service}}}},
}};

} // namespace demo
