#pragma once
// Numbers in files, reports and commands are written with a decimal point whatever the
// user's locale: Qt's application objects take the locale from the environment, so the
// programs put the number format back after creating one.

namespace vx::platform {

void keepPointDecimals();

}  // namespace vx::platform
