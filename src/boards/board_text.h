#pragma once
// The board image as readable Italian text, line by line as the text description window
// shows it.

#include <string>

#include "boards/board_image.h"

namespace vx::boards {
// Every line ends with "\r\n"; the groups are parted by an empty line. A field value that
// has no entry in its list is printed as "? (N)" with the value.
std::string boardTextDescription(const ee_buf& image);
}  // namespace vx::boards
