#pragma once
// Finding the port on which the device answers: the automatic scan of the platform's
// serial ports (or of the list in VENDRIX_PORTS), at most NCOM of them, in order.

#include <cstdint>
#include <string>
#include <vector>

constexpr int NCOM = 50;

// Names of the ports that could be opened during the scan, in the order tried.
extern std::vector<std::string> Porte;
extern int32_t Nport;

namespace vx::shell {

// The ports to try: VENDRIX_PORTS (separated like PATH) when set, else the platform's
// serial ports in name order; at most NCOM names.
std::vector<std::string> scanPortNames();

// Tries every port with the short time-out. Returns 1 with hCom and CommPort set when a
// device answered; 0 otherwise, with Porte/Nport listing the ports that could be opened.
// Timeout_rx is set to the long time-out (or -t) afterwards in both cases.
int autoScanPorts(const std::vector<std::string>& names);

// A manual attempt on one port with the long time-out: 1 when the device answered.
// On failure the port is given back its settings and closed, and the "COM Error" box is shown.
int tryPortManually(const std::string& name, void* owner);

void setLongTimeout();

// "Device not found !" or "Modem not found !" with the baud rate.
std::string notFoundText();

}  // namespace vx::shell
