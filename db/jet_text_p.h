// Jet's "General" text order: letters compare without regard to case, accented letters
// with their base letters. Used by the SQLite collation, the Like operator and the
// Jet functions; works on UTF-8 as SQLite hands it over.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

namespace db::detail {

// The name the collation is registered under and text columns are declared with.
inline constexpr const char *kJetCollation = "JETGENERAL";

// The code point `c` folded to lower case without accents.
uint32_t foldCodePoint(uint32_t c);

// A fingerprint of the General order as this build computes it: a hash of the folded form
// of every code point the fold can change (the whole Basic Multilingual Plane; others
// stand for themselves). The copy's indexes are laid out in this order, so a copy made
// under another fingerprint (another fold table, another Qt's Unicode tables) is not
// used. Worked out once per process. `fold` is replaceable for the tests.
QString generalOrderFingerprint();
QString orderFingerprintOf(uint32_t (*fold)(uint32_t));

// <0, 0, >0 as `a` sorts before, with, after `b` under the General order.
int compareGeneral(std::string_view a, std::string_view b);

// Jet's Like: `*` any run, `?` one character, `#` one digit, `[abc]`, `[a-z]`, `[!abc]`;
// letters matched by the General order.
bool likeGeneral(std::string_view pattern, std::string_view text);

} // namespace db::detail
