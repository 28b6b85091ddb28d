#pragma once
// A Windows font name as winfnt takes it ("Arial Bold", "Times New Roman Italic"): the
// family with the style words at its end taken off.

#include <string>
#include <string_view>

namespace vx::plot {

struct FontFace {
    std::string family;
    bool bold = false, italic = false;
};

FontFace parseFontName(std::string_view name);

}  // namespace vx::plot
