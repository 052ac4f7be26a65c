// Where the shop's store is and which branch this counter belongs to, read from the
// [shop] group of the settings files.
#pragma once

#include <QString>

class UserSettings;

namespace shop {

struct ShopSettings {
    QString database;        // a file path, or postgresql://user@host:port/dbname[?host=/socket/dir]
    QString branch;          // this shop's name in a chain; default the machine name
    QString stockFile;       // optional till export re-imported when its content changes
    bool configured = false; // false when no [shop] database= is set (the embedded default is used)
    // [shop] of the settings files; the embedded default is ~/.local/share/dazozizizavuv/shop.sqlite
    static ShopSettings read(const UserSettings &settings);
};

} // namespace shop
