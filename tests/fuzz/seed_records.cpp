#include "seed_records.h"

#include "loader/eeprom_dump.h"

namespace vx::fuzz {

std::string firmwareRecords(int count, uint8_t fill) {
    std::string out;
    uint8_t data[32];
    for (int r = 0; r < count; ++r) {
        for (int i = 0; i < 32; ++i)
            data[i] = uint8_t(fill + r * 32 + i);
        out += vx::loader::eepromLine(data);
    }
    return out;
}

}  // namespace vx::fuzz
