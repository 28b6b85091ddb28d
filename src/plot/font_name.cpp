#include "plot/font_name.h"

#include <cctype>

namespace vx::plot {
namespace {

bool endsWithWord(std::string_view s, std::string_view word) {
    if (s.size() <= word.size() || s[s.size() - word.size() - 1] != ' ') return false;
    std::string_view tail = s.substr(s.size() - word.size());
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != word[i]) return false;
    return true;
}

}  // namespace

FontFace parseFontName(std::string_view name) {
    FontFace f;
    for (bool more = true; more;) {
        more = false;
        if (endsWithWord(name, "bold")) {
            f.bold = more = true;
            name.remove_suffix(5);
        } else if (endsWithWord(name, "italic")) {
            f.italic = more = true;
            name.remove_suffix(7);
        }
    }
    f.family = std::string(name.empty() ? std::string_view("Arial") : name);
    return f;
}

}  // namespace vx::plot
