#pragma once
// Settings of a simulated device, from the vendrix-devsim command line or from one
// string ("qm41,fw=19,seed=7,nodes=5,baud=256000") that other programs take with
// --simulate=... . Both forms use the same keys; see usageText().

#include "calendar.h"
#include "device.h"
#include "faults.h"
#include "firmware_upload.h"
#include "logger_device.h"
#include "modem_device.h"
#include "pacer.h"
#include "session.h"

#include <memory>
#include <string>
#include <vector>

namespace vx::sim {

struct Options {
    std::string profile = "qm41";  // qm41 qm42 qm43 vt71 nod85 qm43boot modem silent
    uint32_t baud = 0;
    PaceMode mode = PaceMode::Frames;
    int hw = -1;  // board digit override, -1: the profile's
    int fw = 0x20;
    SessionParams session;
    bool clockSet = false;  // false: the clock starts one hour after the last record
    DateTime clock;
    uint16_t tcm = 900;
    std::string shown;  // boards: the quantity each display shows, hex digits from display 0
    uint8_t alarm = 0x00;
    uint8_t opStatus = 0x00;
    InverterBusConfig inverters;       // boards: inverters and GSM modem
    DisplayBoardsConfig displays;      // boards: display boards behind "ATSD"
    BoardCommandConfig boardCommands;  // boards: reboot pause, counters
    MonitorConfig monitor;
    uint8_t bootVersion = 0x12;
    FirmwareSimConfig firmware;       // boards and boot loader: faults of a firmware upload
    FlashServiceConfig flashService;  // flash clearing, QM address
    ModemConfig modem;
    std::string remote = "qm41";  // the device behind the modem ("none" for none)
    FaultConfig faults;
    std::string faultOn;  // command filter for fault rules without their own
    bool closeOnVanish = false;
};

// Known profile names.
const std::vector<std::string>& profiles();
bool isProfile(const std::string& name);

// Applies one setting ("nodes", "5"); flags take an empty value or 0/1.
bool applyOption(Options& o, const std::string& key, const std::string& value, std::string& err);

// "profile[,key=value]..." ; the profile may be left out ("fw=19" keeps qm41).
bool parseSimSettings(const std::string& settings, Options& o, std::string& err);

// vendrix-devsim's command line: PROFILE [--key value | --key=value | --flag]...
// Returns false with err set; sets help when --help was given.
bool parseArgs(int argc, const char* const* argv, Options& o, bool& help, std::string& err);

std::string usageText();

// The device an option set describes (fault wrapper included). session receives the
// generated session for logger profiles (null otherwise).
std::unique_ptr<Device> makeDevice(const Options& o, std::string& err,
                                   std::shared_ptr<const Session>* session = nullptr);

}  // namespace vx::sim
