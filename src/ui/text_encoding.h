#pragma once
// The one conversion point between the program's single-byte Windows-1252 text (files,
// device replies, its own string tables) and the UTF-8 of terminals and toolkits.

#include <string>

namespace vx::ui {

std::string cp1252ToUtf8(const std::string& s);
// Characters with no Windows-1252 byte become '?'.
std::string utf8ToCp1252(const std::string& s);

}  // namespace vx::ui
