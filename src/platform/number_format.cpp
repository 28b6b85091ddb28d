#include "platform/number_format.h"

#include <clocale>

namespace vx::platform {

void keepPointDecimals() {
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace vx::platform
