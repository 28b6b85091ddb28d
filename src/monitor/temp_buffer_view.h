#pragma once
// The records still waiting in the logger's temporary buffer, shown first when the
// monitor starts.

#include <cstddef>
#include <cstdint>

#include "ui/backend.h"

namespace vx::monitor {

// Reads the buffer under the wait window "Reading data from buffer..." and shows its
// records in the monitor text; a buffer that cannot be read is said so in the text.
// False when it could not be read.
bool showTemporaryBuffer(vx::ui::WindowHandle owner);

// The text of the records in buf (count bytes): each complete record of a session node
// from the start, up to the first byte that is no node address or a record cut off by
// the end of the count.
void showBufferRecords(const uint8_t* buf, size_t count);

}  // namespace vx::monitor
