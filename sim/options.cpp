#include "options.h"

#include <cstdlib>

namespace vx::sim {

namespace {

bool toInt(const std::string& v, int64_t lo, int64_t hi, int64_t& out, int base = 0) {
    if (v.empty()) return false;
    char* end = nullptr;
    long long x = std::strtoll(v.c_str(), &end, base);
    if (*end != '\0' || x < lo || x > hi) return false;
    out = x;
    return true;
}

bool toProb(const std::string& v, double& out) {
    if (v.empty()) return false;
    char* end = nullptr;
    double x = std::strtod(v.c_str(), &end);
    if (*end != '\0' || !(x >= 0.0 && x <= 1.0)) return false;
    out = x;
    return true;
}

bool toNumber(const std::string& v, double lo, double hi, double& out) {
    if (v.empty()) return false;
    char* end = nullptr;
    double x = std::strtod(v.c_str(), &end);
    if (*end != '\0' || !(x >= lo && x <= hi)) return false;
    out = x;
    return true;
}

bool toFlag(const std::string& v, bool& out) {
    if (v.empty() || v == "1" || v == "yes" || v == "true") return out = true, true;
    if (v == "0" || v == "no" || v == "false") return out = false, true;
    return false;
}

FaultRule& rule(Options& o, FaultKind k) {
    for (FaultRule& r : o.faults.rules)
        if (r.kind == k) return r;
    FaultRule r;
    r.kind = k;
    r.on = o.faultOn;
    if (k == FaultKind::Delay) {
        r.probability = 1.0;  // "--delay-ms D" alone delays every reply
        r.delayMs = 100;
    }
    o.faults.rules.push_back(r);
    return o.faults.rules.back();
}

bool faultKind(const std::string& name, FaultKind& k) {
    if (name == "drop") return k = FaultKind::Drop, true;
    if (name == "err") return k = FaultKind::Err, true;
    if (name == "truncate") return k = FaultKind::Truncate, true;
    if (name == "delay") return k = FaultKind::Delay, true;
    if (name == "vanish") return k = FaultKind::Vanish, true;
    if (name == "lose") return k = FaultKind::Lose, true;
    if (name == "reset") return k = FaultKind::Reset, true;
    if (name == "garble") return k = FaultKind::Garble, true;
    return false;
}

// Addresses separated by '/' ("2/3"), since ',' separates the settings.
bool toAddresses(const std::string& v, std::vector<uint8_t>& out) {
    std::vector<uint8_t> list;
    size_t pos = 0;
    while (pos <= v.size()) {
        size_t slash = v.find('/', pos);
        std::string item = v.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
        int64_t a = 0;
        if (!toInt(item, 0, 255, a)) return false;
        list.push_back(uint8_t(a));
        pos = slash == std::string::npos ? v.size() + 1 : slash + 1;
    }
    out = list;
    return true;
}

// "R/B": the modem's signal strength and bit error rate; "none": no modem.
bool toGsm(const std::string& v, InverterBusConfig& c) {
    if (v == "none") return c.gsm = false, true;
    size_t slash = v.find('/');
    int64_t r = 0, b = 0;
    if (slash == std::string::npos || !toInt(v.substr(0, slash), 0, 99, r) ||
        !toInt(v.substr(slash + 1), 0, 99, b))
        return false;
    c.gsm = true;
    c.gsmRx = unsigned(r);
    c.gsmBer = unsigned(b);
    return true;
}

char profileDigit(const std::string& p) {
    if (p == "qm42") return '7';
    if (p == "qm43") return 'B';
    if (p == "vt71") return '5';
    if (p == "nod85") return '8';
    return '0';
}

}  // namespace

const std::vector<std::string>& profiles() {
    static const std::vector<std::string> k = {"qm41",  "qm42",     "qm43",  "vt71",
                                               "nod85", "qm43boot", "modem", "silent"};
    return k;
}

bool isProfile(const std::string& name) {
    for (const auto& p : profiles())
        if (p == name) return true;
    return false;
}

bool applyOption(Options& o, const std::string& key, const std::string& value, std::string& err) {
    int64_t n = 0;
    double p = 0;
    bool f = false;
    SessionParams& s = o.session;
    auto bad = [&](const char* what) {
        err = "invalid value for " + key + " (" + what + "): '" + value + "'";
        return false;
    };
    if (int r = applyFirmwareOption(o.firmware, key, value, err); r != 0) return r > 0;
    if (key == "baud") return toInt(value, 0, 4000000, n) ? (o.baud = uint32_t(n), true) : bad("0..4000000");
    if (key == "bytewise")
        return toFlag(value, f) ? (o.mode = f ? PaceMode::Bytewise : PaceMode::Frames, true) : bad("flag");
    if (key == "hw")
        return (value.size() == 1 && toInt(value, 0, 15, n, 16))
                   ? (o.hw = value[0] >= 'a' ? value[0] - 32 : value[0], true)
                   : bad("one hex digit");
    if (key == "fw") return toInt(value, 0, 255, n, 16) ? (o.fw = int(n), true) : bad("hex byte");
    if (key == "seed") return toInt(value, 0, INT64_MAX, n) ? (s.seed = uint64_t(n), true) : bad("number");
    if (key == "nodes") return toInt(value, 1, kMaxNodes, n) ? (s.nodes = int(n), true) : bad("1..30");
    if (key == "channels")
        return toInt(value, 1, kMaxChannels, n) ? (s.maxChannels = int(n), true) : bad("1..64");
    if (key == "pairs") return toProb(value, p) ? (s.pairChance = p, true) : bad("probability");
    if (key == "highaddr") return toFlag(value, f) ? (s.highAddresses = f, true) : bad("flag");
    if (key == "broken") return toFlag(value, f) ? (s.brokenTable = f, true) : bad("flag");
    if (key == "satmr") return toInt(value, 0, 65535, n) ? (s.satmr = int(n), true) : bad("0..65535 s");
    if (key == "pages") return toInt(value, 0, 4095, n) ? (s.pages = int(n), true) : bad("0..4095");
    if (key == "wrapped") return toFlag(value, f) ? (s.wrapped = f, true) : bad("flag");
    if (key == "tablepage") return toInt(value, 0, 4095, n) ? (s.tablePage = int(n), true) : bad("0..4095");
    if (key == "tmpbuf") return toInt(value, 0, kPageSize, n) ? (s.tmpBytes = int(n), true) : bad("0..528");
    if (key == "tmpcut") return toFlag(value, f) ? (s.tmpCutRecord = f, true) : bad("flag");
    if (key == "tmpbad") return toFlag(value, f) ? (s.tmpBadNode = f, true) : bad("flag");
    if (key == "oldtables") return toInt(value, 0, 4000, n) ? (s.oldTables = int(n), true) : bad("0..4000");
    if (key == "start") return parseDateTime(value, s.start) ? true : bad("YYMMDD_hhmmss");
    if (key == "status")
        return toInt(value, 0, 255, n, 16) ? (s.statusExtra = uint8_t(n), true) : bad("hex byte");
    if (key == "errors") return toInt(value, 0, 255, n, 16) ? (s.errors = uint8_t(n), true) : bad("hex byte");
    if (key == "clock")
        return parseDateTime(value, o.clock) ? (o.clockSet = true, true) : bad("YYMMDD_hhmmss");
    if (key == "shown")
        return value.size() <= 8 && value.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos
                   ? (o.shown = value, true)
                   : bad("up to 8 hex digits, display 0 first");
    if (key == "tcm") return toInt(value, 0, 65535, n) ? (o.tcm = uint16_t(n), true) : bad("0..65535");
    if (key == "alarm") return toInt(value, 0, 255, n, 16) ? (o.alarm = uint8_t(n), true) : bad("hex byte");
    if (key == "opstatus")
        return toInt(value, 0, 255, n, 16) ? (o.opStatus = uint8_t(n), true) : bad("hex byte");
    if (key == "mon-rate")
        return toNumber(value, 0, 100000, o.monitor.rate) ? true : bad("0..100000 lines/s");
    if (key == "mon-unknown") return toProb(value, o.monitor.unknown) ? true : bad("probability");
    if (key == "mon-badcount") return toProb(value, o.monitor.badCount) ? true : bad("probability");
    if (key == "mon-lower") return toProb(value, o.monitor.lower) ? true : bad("probability");
    if (key == "mon-broadcast") return toProb(value, o.monitor.broadcast) ? true : bad("probability");
    if (key == "mon-test") return toProb(value, o.monitor.test) ? true : bad("probability");
    if (key == "mon-hold") return toInt(value, 0, 600000, n) ? (o.monitor.holdMs = n, true) : bad("ms");
    if (key == "inverters")
        return toInt(value, 0, 255, n) ? (o.inverters.count = unsigned(n), true) : bad("0..255");
    if (key == "inv-badcrc") return toAddresses(value, o.inverters.badCrc) ? true : bad("addresses a/b/...");
    if (key == "inv-silent") return toAddresses(value, o.inverters.silent) ? true : bad("addresses a/b/...");
    if (key == "gsm") return toGsm(value, o.inverters) ? true : bad("R/B or none");
    if (key == "displays")
        return toInt(value, 0, 8, n) ? (o.displays.count = unsigned(n), true) : bad("0..8");
    if (key == "display-family") {
        if (value == "vt71h") return o.displays.family = DisplayFamily::VT71h, true;
        if (value == "vt73h") return o.displays.family = DisplayFamily::VT73h, true;
        if (value == "vt75h") return o.displays.family = DisplayFamily::VT75h, true;
        return bad("vt71h, vt73h or vt75h");
    }
    if (key == "display-fw")
        return toInt(value, 0, 255, n, 16) ? (o.displays.fw = uint8_t(n), true) : bad("hex byte");
    if (key == "clear-ms")
        return toInt(value, 0, 600000, n) ? (o.flashService.clearMs = n, true) : bad("0..600000 ms");
    if (key == "clear-byte") {
        if (value == "none") return o.flashService.clearByte = -1, true;
        return toInt(value, 0, 255, n, 16) ? (o.flashService.clearByte = int(n), true)
                                           : bad("hex byte or none");
    }
    if (key == "energy")
        return toInt(value, 0, 1000000000, n) ? (o.boardCommands.energy = uint32_t(n), true)
                                              : bad("0..1000000000 tenths of a kWh");
    if (key == "days")
        return toInt(value, 0, 99999, n) ? (o.boardCommands.days = uint32_t(n), true) : bad("0..99999");
    if (key == "myaddr")
        return toInt(value, 0, 65535, n, 16) ? (o.flashService.address = uint16_t(n), true)
                                             : bad("4 hex digits");
    if (key == "reboot")
        return toInt(value, 0, 600000, n) ? (o.boardCommands.rebootMs = n, true) : bad("0..600000 ms");
    if (key == "ee-stuck")
        return toInt(value, 0, 40, n) ? (o.boardCommands.eeStuck = int(n), true) : bad("image byte 0..40");
    if (key == "boot")
        return toInt(value, 0, 255, n, 16) ? (o.bootVersion = uint8_t(n), true) : bad("hex byte");
    if (key == "dial-delay") return toInt(value, 0, 600000, n) ? (o.modem.dialDelayMs = n, true) : bad("ms");
    if (key == "dial-result")
        return toInt(value, 0, 99, n) ? (o.modem.resultCode = int(n), true) : bad("0..99");
    if (key == "guard") return toInt(value, 0, 60000, n) ? (o.modem.guardMs = n, true) : bad("0..60000 ms");
    if (key == "line-delay")
        return toInt(value, 0, 60000, n) ? (o.modem.lineDelayMs = n, true) : bad("0..60000 ms");
    if (key == "remote")
        return (value == "none" || (isProfile(value) && value != "modem")) ? (o.remote = value, true)
                                                                           : bad("profile or none");
    if (key == "fault-seed")
        return toInt(value, 0, INT64_MAX, n) ? (o.faults.seed = uint64_t(n), true) : bad("number");
    if (key == "vanish-close") return toFlag(value, f) ? (o.closeOnVanish = f, true) : bad("flag");
    if (key == "reset-ms")
        return toInt(value, 0, 600000, n) ? (o.faults.resetMs = n, true) : bad("0..600000 ms");
    if (key == "delay-ms")
        return toInt(value, 0, 600000, n) ? (rule(o, FaultKind::Delay).delayMs = n, true) : bad("ms");
    if (key == "fault-on") {
        // Every fault rule without a filter of its own, now or later, takes this one.
        for (FaultRule& r : o.faults.rules)
            if (r.on == o.faultOn) r.on = value;
        o.faultOn = value;
        return true;
    }
    FaultKind k;
    auto dash = key.find('-');
    std::string base = key.substr(0, dash);
    std::string suffix = dash == std::string::npos ? "" : key.substr(dash + 1);
    if (faultKind(base, k)) {
        if (suffix.empty()) return toProb(value, p) ? (rule(o, k).probability = p, true) : bad("probability");
        if (suffix == "nth")
            return toInt(value, 1, INT64_MAX, n) ? (rule(o, k).nth = uint64_t(n), true) : bad("count from 1");
        if (suffix == "on") return (rule(o, k).on = value, true);
    }
    err = "unknown setting '" + key + "'";
    return false;
}

}  // namespace vx::sim

namespace vx::sim {

bool parseSimSettings(const std::string& settings, Options& o, std::string& err) {
    size_t pos = 0;
    bool first = true;
    while (pos <= settings.size()) {
        size_t comma = settings.find(',', pos);
        std::string item = settings.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        pos = comma == std::string::npos ? settings.size() + 1 : comma + 1;
        if (item.empty()) {
            first = false;
            continue;
        }
        size_t eq = item.find('=');
        if (first && eq == std::string::npos && isProfile(item)) {
            o.profile = item;
            first = false;
            continue;
        }
        first = false;
        std::string key = item.substr(0, eq);
        std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        if (!applyOption(o, key, value, err)) return false;
    }
    return true;
}

bool parseArgs(int argc, const char* const* argv, Options& o, bool& help, std::string& err) {
    help = false;
    bool haveProfile = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            help = true;
            return true;
        }
        if (a.rfind("--", 0) != 0) {
            if (haveProfile || !isProfile(a)) {
                err = "unknown profile or argument '" + a + "'";
                return false;
            }
            o.profile = a;
            haveProfile = true;
            continue;
        }
        std::string key = a.substr(2), value;
        size_t eq = key.find('=');
        if (eq != std::string::npos) {
            value = key.substr(eq + 1);
            key = key.substr(0, eq);
        } else {
            // Flags take no value; every other key takes the next word.
            static const char* const kFlags[] = {"bytewise", "broken", "wrapped",
                                                 "tmpcut",   "tmpbad", "vanish-close"};
            bool isFlag = false;
            for (const char* f : kFlags)
                isFlag = isFlag || key == f;
            if (!isFlag) {
                if (i + 1 >= argc) {
                    err = "missing value for --" + key;
                    return false;
                }
                value = argv[++i];
            }
        }
        if (key == "simulate") {
            if (!parseSimSettings(value, o, err)) return false;
            haveProfile = true;
            continue;
        }
        if (!applyOption(o, key, value, err)) return false;
    }
    if (!haveProfile) {
        err = "no profile given";
        return false;
    }
    return true;
}

std::string usageText() {
    return R"(usage: vendrix-devsim PROFILE [options]

Serves a simulated device on a pseudo-terminal. The first line on stdout is
"PORT <path>"; the device is served until SIGTERM or SIGINT.

Profiles: qm41 qm42 qm43 vt71 nod85 (loggers and boards), qm43boot (QM43 in its
boot loader), modem (dial-up modem with a logger behind it), silent.

Options (also usable as key=value in a --simulate=PROFILE,key=value,... string):
  --baud N          pace output at N baud (N/10 bytes/s); 0 = unpaced (default)
  --bytewise        hand over each byte at its own time (default: 1 ms frames)
  --hw DIGIT        board-type digit of the version reply (default per profile)
  --fw HEX          firmware byte (default 20)
  --clock YYMMDD_hhmmss  logger clock at the first command
                    (default: one hour after the last record)
 session:
  --seed N          generator seed (default 1)
  --nodes N         1..30 nodes (default 4)
  --channels N      up to N physical channels per node, 1..64 (default 6)
  --pairs P         chance of a 32-bit channel pair per channel (default 0.2)
  --highaddr 0|1    at least one node address above 127 (default 1)
  --broken          two code-0 channels in a row (a faulty table)
  --satmr S         every node's sampling timer in seconds (default: drawn)
  --pages N         data pages 0..4095 (default 20)
  --wrapped         the session wrapped round the memory (4095 data pages)
  --tablepage N     page of the table (default: drawn)
  --tmpbuf BYTES    temporary buffer filled with whole records up to BYTES (200)
  --tmpcut          end the temporary buffer in the middle of a record
  --tmpbad          put a record of an unknown node into the temporary buffer
  --oldtables N     older sessions' table pages elsewhere in the memory
  --start YYMMDD_hhmmss  session start (default 240517_083000)
  --status HEX      status register bits besides the wrap bit (default 10 READY)
  --errors HEX      errors register (default 00)
 boards and others:
  --shown HEX      VT71/NOD85: the quantity each display shows in the image, display 0 first
  --tcm N           VT71/NOD85 averaging time in the EEPROM image (default 900)
  --alarm HEX       VT71/NOD85 alarm register (default 00)
  --opstatus HEX    operating status at start (default 00 idle; 05 REC, 06 PAUSE)
  --inverters N     VT71/NOD85: Aurora inverters at addresses 1..N, also the
                    image's ComReg2 (default 2)
  --inv-badcrc A/B  inverters that answer with a wrong CRC
  --inv-silent A/B  inverters that never answer
  --gsm R/B         modem signal strength and bit error rate (default 15/0);
                    none: no modem on display port 2
  --displays N      VT71/NOD85: display boards at codes 0..N-1 behind ATSD (default 0)
  --display-family F  vt71h, vt73h or vt75h (default vt71h)
  --display-fw HEX  the display boards' version byte (default 13: v1.3)
  --ee-stuck N      VT71/NOD85: image byte N keeps its value when written
  --clear-ms MS     ATCM09 (clear the flash): time until the end byte (default 3000)
  --clear-byte HEX  the byte that ends the clearing, or none (default 0D)
  --myaddr HEX      QM loggers: the network address ATMY answers (default 0001)
  --energy N        VT71/NOD85: energy counter in tenths of a kWh (default 123456)
  --days N          VT71/NOD85: days counter (default 42)
  --reboot MS       VT71/NOD85: silence after ATCM0F (reset) and ATCM13
                    (defaults), default 1500
 monitor mode (between ATCM07 and ATCM08):
  --mon-rate N      packet lines per second (default 20; 0 = none)
  --mon-broadcast P share of ATBC broadcast lines (default 0.05)
  --mon-test P      share of ATNA test lines (default 0.01)
  --mon-unknown P   share of data lines from an address outside the session (0)
  --mon-badcount P  share of data lines with a wrong channel count (0)
  --mon-lower P     share of lines with lower-case hex digits (0)
  --mon-hold MS     no line starts within MS of a command (default 250)
  --boot HEX        boot loader version byte (default 12: v1.2)
 firmware upload (sim/README.md):
  --fw-err A/B      VT71/NOD85: records (from 0) answered ERR the first time
  --fw-reject N     VT71/NOD85: a record answered ERR every time
  --boot-nak A/B    qm43boot: blocks (from 0) answered 0x00 the first time
  --boot-silent N   qm43boot: a block never answered
  --ee-silent N     VT71/NOD85: the EEPROM dump sends nothing from block N (0..511) on
  --dial-delay MS   modem: time from ATDT to the result code (default 1500)
  --dial-result N   modem: the result code (default 1, connect)
  --guard MS        modem: pause before and after the "+++" escape (default 1000)
  --line-delay MS   modem: round trip of the line, added to each reply of the far end
  --remote PROFILE  modem: the device at the far end, or none (default qm41)
 faults (KIND: drop, truncate, delay, vanish, garble on replies; err (refused),
 lose, reset on the host's commands):
  --KIND P          spoil each reply (or command) with probability P
  --KIND-nth N      spoil the Nth reply (or command)
  --KIND-on PREFIX  only replies to commands beginning PREFIX ("ATRD"; "ATRD$" exact)
  --fault-on PREFIX the same for every rule without its own filter
  --delay-ms D      delay of the delay fault (default 100; alone: every reply)
  --reset-ms MS     after a reset the device hears nothing this long (default 1500)
  --fault-seed N    seed of the fault draws (default 1)
  --vanish-close    close the pty when the device vanishes (default: just silent)
)";
}

std::unique_ptr<Device> makeDevice(const Options& o, std::string& err,
                                   std::shared_ptr<const Session>* sessionOut) {
    std::unique_ptr<Device> dev;
    if (sessionOut) sessionOut->reset();
    if (o.profile == "silent") {
        dev = std::make_unique<SilentDevice>();
    } else if (o.profile == "qm43boot") {
        dev = std::make_unique<BootFlasherDevice>(o.bootVersion, o.firmware);
    } else if (o.profile == "modem") {
        std::unique_ptr<Device> remote;
        if (o.remote != "none") {
            Options r = o;
            r.profile = o.remote;
            r.faults = FaultConfig{};
            remote = makeDevice(r, err, sessionOut);
            if (!remote) return nullptr;
        }
        dev = std::make_unique<ModemDevice>(o.modem, std::move(remote));
    } else if (isProfile(o.profile)) {
        auto session = std::make_shared<Session>();
        if (!generateSession(o.session, *session, err)) return nullptr;
        LoggerConfig cfg;
        cfg.hw = o.hw >= 0 ? char(o.hw) : profileDigit(o.profile);
        cfg.fw = uint8_t(o.fw);
        cfg.board = o.profile == "vt71" || o.profile == "nod85";
        cfg.eeprom = defaultBoardImage(o.tcm);
        cfg.alarm = o.alarm;
        cfg.opStatus = o.opStatus;
        cfg.monitor = o.monitor;
        cfg.inverters = o.inverters;
        cfg.displays = o.displays;
        cfg.boardCommands = o.boardCommands;
        cfg.firmware = o.firmware;
        cfg.flashService = o.flashService;
        // The image's ComReg2 names the inverters that are there: count, then first address.
        cfg.eeprom[19] = uint8_t(o.inverters.count);
        cfg.eeprom[20] = uint8_t(o.inverters.first);
        for (size_t i = 0; i < o.shown.size(); ++i)  // Display_gra, low nibble
            cfg.eeprom[25 + i] = uint8_t(std::stoi(o.shown.substr(i, 1), nullptr, 16));
        cfg.alarmInverter = 2;  // reported while the register's inverter bit is set
        cfg.alarmRmin = 85;
        if (o.clockSet) {
            cfg.clock = o.clock;
        } else {
            uint32_t last = session->records.empty() ? 0 : session->records.back().timeMarker;
            cfg.clock = fromSeconds(toSeconds(o.session.start) + last / 10 + 3600);
        }
        if (sessionOut) *sessionOut = session;
        dev = std::make_unique<LoggerDevice>(cfg, session);
    } else {
        err = "unknown profile '" + o.profile + "'";
        return nullptr;
    }
    if (!o.faults.empty()) dev = std::make_unique<FaultyDevice>(std::move(dev), o.faults);
    return dev;
}

}  // namespace vx::sim
