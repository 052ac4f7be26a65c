// The hand-made part of the demo catalogue. Every edge case the catalogue window has to
// get right sits here, at the same keys in every scale, so tests and people trying the
// program know where to look:
//
//   Make "Alvena" (idMarca ALV) is first in the make list; its first model "Arno" is
//   where the window opens.
//   vehicle 1  Arno "1.0 12V", ktypnr 90001: range "Korva Start" fits KS044 (height 175),
//              KS060 and KS062 (both 190): both 190 batteries are listed, KS044 is not;
//              also KP074 and the old code KP072 (no row of its own, never listed); it
//              has batteries in all five price lists (QC060, QC045, BS060, FE060, ZP-60).
//   vehicle 2  Arno "1.3 TD 16V", two relation rows (ktypnr 90002 and 90003): listed
//              twice among the versions; KS060 fits through both and is listed once, with
//              KV012 and KA080 (KA080 has no FOTO: the placeholder photo).
//   vehicle 3  Arno "1.4 GPL", open-ended (Al Null), ktypnr 90004: range "Korva Service"
//              fits KV012 (height "90") and KV035 (height "175"): KV035 is the tallest.
//   vehicle 4  Arno "1.6 Bi-Fuel", no relation row: in no version list.
//   vehicle 5  Arno "1.9 D", ktypnr 90005: fits KS060, QC060 (QUIB only) and KX999 (no
//              TabTechInfo row at all): KORVA lists KS060 alone, QUIB lists QC060 alone.
//   vehicle 6  Arno "Elettrica 40 kWh", Cm3 Null, ktypnr 90006 without fitments: listed,
//              with an empty battery list.
//   vehicles 7, 8  model `Tarvo 5"` (a double quote in the model name); version 7 is
//              `1.2 "City"`, version 8 "1.4 | Van"; 7 fits the QUIB code `QM12"` (a
//              double quote in a battery code) and KS044, 8 fits KS060.
//   vehicle 9  model "Lesina", its only vehicle, no relation row: the model is not listed.
//   vehicles 10, 11  make "Ombrina" (OMB), no relation rows: the make is not listed.
//   ktypnr 90099 fits KS044 but belongs to no vehicle.
//   KS095 (KORVA) fits no vehicle: in applications mode its make list is empty.
//   Old codes: KP072 -> KP074 (Korva Power), KS041 -> "ESAURIMENTO" (run out), and one
//   successor in each other price list: QC044 -> QC045, BS061 -> BS060, FE055 -> FE060,
//   ZP-58 -> ZP-60.
//   Price lists that must not be listed: one row with LISTINO " " (blank), one with Null.
//   Notes with markup: KS060 (<B>), KV012 (<FONT COLOR=clblue>), KP074 (<BR>, <B>),
//   KA080 (<B>, <I>, &amp;); a double quote in the note of QC060. CAPACITA 62.5 on KS062.
//   Technology (with the maker's tables, maker_tables.cpp): model "Volano", four versions.
//   vehicle 12 "1.5 Start&Stop", ktypnr 90012: KE072 (EFB by its range's name), KA068
//              (AGM) and ZP-60 (Zelkar Pro, EFB by the maker's table): needs EFB or better.
//   vehicle 13 "2.0 D Start&Stop", ktypnr 90013: KA068, QA071 (AGM) and BM050 (Brask
//              Marine, GEL by the table, which ranks as AGM): needs AGM. From KA068 the
//              replacement finder ranks KE072, as big and earlier in the catalogue's
//              order, below the AGM batteries: a lower technology.
//   vehicle 14 "1.2", ktypnr 90014: KS060 (Korva Start, flooded by the table) and KA068,
//              an upgrade: needs nothing.
//   vehicle 15 "1.6 Hybrid", ktypnr 90015: KE072 and KV012 (Korva Service, whose name says
//              nothing and which the table leaves out: unknown): needs nothing.
#include "tools/catalogue-demo/brands.h"
#include "tools/catalogue-demo/catalogue.h"

namespace demo {

namespace {

Battery battery(const char *list, const char *range, const char *code, double ah, double cca, const char *polarity,
                const char *l, const char *w, const char *h, const char *fittings, const char *container, Text photo,
                Text note)
{
    Battery b;
    b.priceList = list;
    b.range = range;
    b.code = code;
    b.capacity = ah;
    b.discharge = cca;
    b.polarity = polarity;
    b.length = l;
    b.width = w;
    b.height = h;
    b.fittings = fittings;
    b.container = container;
    b.photo = std::move(photo);
    b.note = std::move(note);
    return b;
}

// An old-code row: the former code, the successor (or the run-out mark) and its range;
// every other column Null.
Battery oldCode(const char *list, const char *former, const char *successor, const char *range)
{
    Battery b;
    b.priceList = list;
    b.range = range;
    b.code = successor;
    b.oldCode = former;
    return b;
}

Vehicle alvena(long id, const char *model, Text version, Text fuel, const char *from, Text to, Number cm3, int cv,
               int kw)
{
    return Vehicle{id, "ALV", "Alvena", model, std::move(version), std::move(fuel), from, std::move(to), cm3, cv, kw};
}

} // namespace

void addFixedCases(Catalogue &c)
{
    const Text none;
    c.vehicles = {
        alvena(1, "Arno", "1.0 12V", "Benzina", "199903", "200512", 999, 60, 44),
        alvena(2, "Arno", "1.3 TD 16V", "Diesel", "200309", "201012", 1248, 75, 55),
        alvena(3, "Arno", "1.4 GPL", "GPL", "200601", none, 1368, 77, 57),
        alvena(4, "Arno", "1.6 Bi-Fuel", "Metano", "200702", "201306", 1598, 94, 69),
        alvena(5, "Arno", "1.9 D", "Diesel", "199801", "200406", 1910, 80, 59),
        alvena(6, "Arno", "Elettrica 40 kWh", "Elettrica", "202103", none, std::nullopt, 136, 100),
        alvena(7, "Tarvo 5\"", "1.2 \"City\"", "Benzina", "200105", "200708", 1242, 60, 44),
        alvena(8, "Tarvo 5\"", "1.4 | Van", "Diesel", "200301", "200912", 1398, 68, 50),
        alvena(9, "Lesina", "1.1", "Benzina", "199205", "199812", 1108, 54, 40),
        alvena(12, "Volano", "1.5 Start&Stop", "Benzina", "201603", none, 1498, 131, 96),
        alvena(13, "Volano", "2.0 D Start&Stop", "Diesel", "201709", none, 1968, 150, 110),
        alvena(14, "Volano", "1.2", "Benzina", "201201", "201512", 1242, 69, 51),
        alvena(15, "Volano", "1.6 Hybrid", "Ibrida", "201905", none, 1598, 141, 104),
        Vehicle{10, "OMB", "Ombrina", "Brezza", "1.0", "Benzina", "198803", "199410", 998, 45, 33},
        Vehicle{11, "OMB", "Ombrina", "Brezza", "1.2", "Benzina", "199004", "199410", 1196, 57, 42},
    };
    c.relations = {{1, 90001}, {2, 90002}, {2, 90003},  {3, 90004},  {5, 90005},  {6, 90006},
                   {7, 90007}, {8, 90008}, {12, 90012}, {13, 90013}, {14, 90014}, {15, 90015}};
    c.fitments = {
        {90001, "KS044"}, {90001, "KS060"}, {90001, "KS062"}, {90001, "KP074"},  {90001, "KP072"}, {90001, "QC060"},
        {90001, "QC045"}, {90001, "BS060"}, {90001, "FE060"}, {90001, "ZP-60"},  {90002, "KS060"}, {90002, "KV012"},
        {90003, "KS060"}, {90003, "KA080"}, {90004, "KV012"}, {90004, "KV035"},  {90004, "KS044"}, {90005, "KS060"},
        {90005, "QC060"}, {90005, "KX999"}, {90007, "KS044"}, {90007, "QM12\""}, {90008, "KS060"}, {90099, "KS044"},
        {90012, "KE072"}, {90012, "KA068"}, {90012, "ZP-60"}, {90013, "KA068"},  {90013, "QA071"}, {90013, "BM050"},
        {90014, "KS060"}, {90014, "KA068"}, {90015, "KE072"}, {90015, "KV012"},
    };
    c.batteries = {
        battery("KORVA", "Korva Start", "KS044", 44, 360, "DX", "207", "175", "175", "B13", "L1", "korva_start", none),
        battery("KORVA", "Korva Start", "KS060", 60, 540, "DX", "242", "175", "190", "B13", "L2", "korva_start",
                "<B>Più venduta</B>"),
        battery("KORVA", "Korva Start", "KS062", 62.5, 560, "SX", "242", "175", "190", "B13", "L2", "korva_start",
                none),
        battery("KORVA", "Korva Start", "KS095", 95, 800, "DX", "353", "175", "190", "B13", "L5", "korva_start", none),
        battery("KORVA", "Korva Power", "KP074", 74, 680, "DX", "278", "175", "190", "B13", "L3", "korva_power",
                "Batteria già carica:<BR><B>pronta all'uso</B>."),
        battery("KORVA", "Korva AGM", "KA080", 80, 800, "DX", "315", "175", "190", "B13", "L4", none,
                "<B>AGM</B> per <I>Start&amp;Stop</I>"),
        battery("KORVA", "Korva Service", "KV012", 12, 200, "SX", "150", "87", "90", "B0", "B19", "korva_service",
                "<FONT COLOR=clblue>Batteria ausiliaria</FONT>"),
        battery("KORVA", "Korva Service", "KV035", 35, 300, "DX", "187", "127", "175", "B0", "B19", "korva_service",
                none),
        battery("KORVA", "Korva EFB", "KE072", 72, 700, "DX", "278", "175", "190", "B13", "L3", "korva_efb",
                "Per veicoli con <B>Start&amp;Stop</B>"),
        battery("KORVA", "Korva AGM", "KA068", 68, 680, "DX", "278", "175", "190", "B13", "L3", "korva_agm",
                "<B>AGM</B> per Start&amp;Stop"),
        oldCode("KORVA", "KP072", "KP074", "Korva Power"),
        oldCode("KORVA", "KS041", "ESAURIMENTO", "Korva Start"),
        battery("QUIB", "Quib Classic", "QC045", 45, 330, "DX", "207", "175", "175", "B13", "L1", "quib_classic", none),
        battery("QUIB", "Quib Classic", "QC060", 60, 510, "DX", "242", "175", "190", "B13", "L2", "quib_classic",
                "<B>Nuovo</B> formato \"Classic\""),
        battery("QUIB", "Quib Moto", "QM12\"", 12, 180, "SX", "150", "87", "145", "B0", "B9", "quib_moto", none),
        battery("QUIB", "Quib AGM", "QA071", 71, 710, "DX", "278", "175", "190", "B13", "L3", "quib_agm", none),
        oldCode("QUIB", "QC044", "QC045", "Quib Classic"),
        battery("BRASK", "Brask Silver", "BS060", 60, 560, "DX", "242", "175", "190", "B13", "L2", "brask_silver",
                none),
        battery("BRASK", "Brask Marine", "BM050", 50, 500, "DX", "242", "175", "190", "B13", "L2", "brask_marine",
                none),
        oldCode("BRASK", "BS061", "BS060", "Brask Silver"),
        battery("FENU", "Fenu Eco", "FE060", 60, 480, "DX", "242", "175", "175", "B13", "L2", "fenu_eco", none),
        oldCode("FENU", "FE055", "FE060", "Fenu Eco"),
        battery("ZELKAR", "Zelkar Pro", "ZP-60", 60, 540, "DX", "242", "175", "190", "B13", "L2", "zelkar_pro", none),
        oldCode("ZELKAR", "ZP-58", "ZP-60", "Zelkar Pro"),
        battery(" ", "Korva Start", "KS000", 40, 320, "DX", "207", "175", "175", "B13", "L1", none, none),
    };
    Battery unlisted =
        battery("KORVA", "Korva Start", "KS001", 41, 330, "DX", "207", "175", "175", "B13", "L1", none, none);
    unlisted.priceList = std::nullopt;
    c.batteries.push_back(unlisted);
}

} // namespace demo
