// The demo catalogue in memory: the rows of the five tables as the generator makes them,
// before they are written out as CSV sources for the catalogue builder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace demo {

using Text = std::optional<std::string>; // std::nullopt is Null
using Number = std::optional<double>;

struct Vehicle {
    long id;
    std::string makeKey;
    std::string make;
    std::string model;
    Text version;
    Text fuel;
    std::string from; // YYYYMM
    Text to;          // YYYYMM, Null while still built
    Number cm3;       // Null for electric vehicles
    int cv;
    int kw;
};

struct Relation {
    long vehicle;
    long ktypnr;
};

struct Fitment {
    long ktypnr;
    std::string code;
};

struct Battery {
    Text priceList;
    Text range;
    std::string code;
    Text oldCode;
    Number capacity;  // Ah
    Number discharge; // cold-cranking A
    Text polarity;
    Text length; // mm, as text
    Text width;
    Text height;
    Text fittings;
    Text container;
    Text photo; // base name of foto/<FOTO>.JPG
    Text note;  // note label markup
    long order = 0;
};

struct Catalogue {
    std::vector<Vehicle> vehicles;
    std::vector<Relation> relations;
    std::vector<Fitment> fitments;
    std::vector<Battery> batteries;
};

struct Scale {
    int vehicles;
    int relationRows;
    int fitments;
    int batteriesPerList;
    int makes;          // generated makes, the named ones first (at most 999)
    int modelsPerMake;  // the most models one make has
    bool ownPhotos;     // each battery "<range photo>_<n>" (n its place in the range), not the range's photo
    int fittedVariants; // how many batteries of one range and capacity fitments go to
};

inline constexpr Scale kDemoScale{2000, 2150, 16000, 150, 24, 60, false, 1};
inline constexpr Scale kLargeScale{40000, 80000, 250000, 600, 24, 60, false, 1};
// Ten times the large scale, grown as makers' catalogues grow when they take in light
// commercial and heavy vehicles: more makes, each with as many models and versions as at
// the large scale, so what one click lists stays as long and only the catalogue grows;
// the fitments spread over every battery of a capacity, so one battery fits no more
// vehicles than at the large scale; and a photo for each battery, so that clicks bring
// new photos as often as on the large benchmark catalogue.
inline constexpr Scale kHugeScale{400000, 800000, 2500000, 6000, 240, 60, true, 100};

// The hand-made rows that hold every edge case at a known place (fixed_cases.cpp).
void addFixedCases(Catalogue &catalogue);
// The generated bulk up to the scale's totals (generated_rows.cpp); runs after the fixed
// cases and never reuses their keys or codes.
void addGeneratedRows(Catalogue &catalogue, const Scale &scale);
// Display orders, price list by price list (generated_rows.cpp).
void numberDisplayOrders(Catalogue &catalogue);

// Writes one CSV file per table into `folder`; throws std::runtime_error on failure.
void writeCsvSources(const Catalogue &catalogue, const std::string &folder);
// Writes the maker's tables that go beside the catalogue (tecnologie.csv and
// registrazione.csv) into `folder`; throws std::runtime_error on failure.
void writeMakerTables(const std::string &folder);

} // namespace demo
