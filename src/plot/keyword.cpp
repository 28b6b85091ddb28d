#include "plot/keyword.h"

#include <cctype>
#include <cstring>

namespace vx::plot {

int keywordIndex(const char* word, std::initializer_list<const char*> keys) {
    if (!word) return -1;
    char head[4];
    size_t i = 0;
    for (; i < 4 && word[i]; ++i)
        head[i] = char(std::toupper(static_cast<unsigned char>(word[i])));
    for (; i < 4; ++i)
        head[i] = ' ';
    int index = 0;
    for (const char* key : keys) {
        if (std::memcmp(head, key, 4) == 0) return index;
        ++index;
    }
    return -1;
}

}  // namespace vx::plot
