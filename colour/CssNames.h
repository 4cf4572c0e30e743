#pragma once
// The colour names of the web, from a table of our own, and the name nearest
// to any colour.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace CssNames {

struct Named {
    std::string_view name; // lower case
    int32_t rrggbb;        // 0xRRGGBB
};

// All 148 names, in alphabetical order.
std::span<const Named> All();

// The packed colour (red + 256 * green + 65536 * blue) of a name, in either
// letter case.
std::optional<int32_t> Find(std::string_view name);

struct Nearest {
    std::string_view name;
    bool exact = false; // the colour is this name's own
};

// The colour's own name where it has one (of two names for one colour, the
// first in alphabetical order: "aqua", not "cyan"), otherwise the name at
// the least OKLab distance.
Nearest NearestName(int32_t packed);
// "tomato", or "≈ tomato" for a name that is only near.
std::string NearestText(int32_t packed);

} // namespace CssNames
