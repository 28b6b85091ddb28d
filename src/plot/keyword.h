#pragma once
// Keywords of the plotting routines: case-insensitive and recognised by their first four
// characters, so "ticks" is TICK and "Arrow" is ARRO. Shorter words are padded with
// blanks: "get" is "GET ".

#include <initializer_list>

namespace vx::plot {

// The position of `word` among `keys` (each four characters, blank-padded), or -1.
int keywordIndex(const char* word, std::initializer_list<const char*> keys);

}  // namespace vx::plot
