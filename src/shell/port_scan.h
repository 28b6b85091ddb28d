#pragma once
// Finding the port on which the device answers: the automatic scan of the platform's
// serial ports (or of the list in VENDRIX_PORTS), at most NCOM of them, in order.

#include <cstdint>
#include <string>
#include <vector>

#include "link/port_list.h"
#include "link/transaction.h"

constexpr int NCOM = 50;

// The ports that could be opened during the scan, in the order tried.
extern std::vector<vx::link::PortInfo> Porte;
extern int32_t Nport;

namespace vx::shell {

// The ports to try: VENDRIX_PORTS (separated like PATH, in its order) when set, else the
// platform's serial ports in numeric name order; at most NCOM of them.
std::vector<vx::link::PortInfo> scanPortList();

// Tries every port with the short time-out. Returns 1 with hCom and CommPort set when a
// device answered; 0 otherwise, with Porte/Nport listing the ports that could be opened.
// Timeout_rx is set to the long time-out (or -t) afterwards in both cases. Ctrl+C in
// the terminal ends the scan after the port being tried.
int autoScanPorts(const std::vector<vx::link::PortInfo>& ports);

// A manual attempt on one port with the long time-out: 1 when the device answered.
// On failure the port is given back its settings and closed, and the "COM Error" box is
// shown (with the reason when the port could not be opened or set up).
int tryPortManually(const std::string& name, void* owner);
// The same without the box: 1 when the device answered, else 0 with the box's text.
int probePort(const std::string& name, std::string& failureText);

// Opens the named port and gives it the program's line settings: the handle, or null
// with the reason in vx::link::lastPortFailure() (the port is then closed).
PortHandle openConfiguredPort(const char* name);

void setLongTimeout();

// "Device not found !" or "Modem not found !" with the baud rate.
std::string notFoundText();

// The reason of the last failed open or set-up as a line to add to a message ("" if none).
std::string portFailureLine();

}  // namespace vx::shell
