#pragma once
// The name pattern of the search: the whole name must match the whole
// pattern. "*" matches any run of characters (the empty run too), "?" one
// letter or digit, "!" one letter, "%" one digit; any other character matches
// itself without regard to case. Letters, digits and case follow the "C"
// locale: bytes of 0x80 and above are neither letters nor digits, so they
// match only themselves (or a "*").

#include <string_view>

namespace pellidor {

// Time is bounded by name length times pattern length, whatever the number
// of stars: a search over long names never stalls on a pattern.
bool MatchWildcard(std::string_view name, std::string_view pattern);

} // namespace pellidor
