#pragma once
// Which device a port name stands for.

#include <string>

namespace vx::link {

// A name with a folder in it ("/dev/ttyUSB0", "./lnk", "../x") is a path and is taken as
// given; a bare name is the platform's device of that name ("ttyUSB0" is /dev/ttyUSB0,
// "COM3" stays COM3 on Windows). Empty for an empty name.
std::string portPath(const std::string& name);

}  // namespace vx::link
