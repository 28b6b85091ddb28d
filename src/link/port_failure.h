#pragma once
// The one-line texts that tell the user why a port could not be opened or set up; every
// backend words its failures through these, so the user reads the same whatever backend runs.

#include <cstdint>
#include <string>

#include "link/serial_port.h"

namespace vx::link {

// `port` is the device as opened ("/dev/ttyUSB0"). `detail` completes the kinds that need
// it: the group that owns the device for Permission (empty when unknown), the system's own
// words for Other.
PortFailure openFailure(PortFailure::Kind kind, const std::string& port, const std::string& detail = {});

// The driver was asked for `wanted` baud and holds `got` (0: it could not be read).
PortFailure rateRefused(const std::string& port, uint32_t wanted, uint32_t got);

// True when `got` is within 2% of `wanted`: what two UARTs tolerate between them, and the
// rounding every adapter's clock divider makes.
bool rateTaken(uint32_t wanted, uint32_t got);

}  // namespace vx::link
