#include "faults/fault_runs.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "sim/faults.h"
#include "sim/logger_device.h"
#include "sim/options.h"
#include "sim/pty_server.h"
#include "support/crc_x25.h"
#include "support/process.h"

namespace vx::faults {
namespace fs = std::filesystem;

namespace {

// The inactivity time-out the commands run with: short, so that a lost reply costs little.
constexpr const char* kTimeoutMs = "200";
// A late reply comes this long after its command, well past the time-out.
constexpr const char* kLateMs = "700";
// A reset device is deaf this long.
constexpr const char* kResetMs = "300";

struct OperationSpec {
    Operation op;
    const char* name;
    const char* device;  // simulator settings
    std::vector<std::string> args;
    std::vector<std::string> outputs;  // files the command writes
    double boundSeconds;
};

// clang-format off
const OperationSpec kOperations[] = {
    {Operation::Download, "download", "qm41,seed=3,nodes=3,pages=8",
     {"download", "--sample", "60", "--out", "data.txt", "-q"}, {"data.txt"}, 40},
    {Operation::Monitor, "monitor", "qm41,seed=3,nodes=3,mon-rate=20",
     {"monitor", "--duration", "2", "--export", "export.txt", "--period", "1"}, {"export.txt"}, 30},
    {Operation::FlashUpload, "flash upload", "qm41", {"flash", "upload", "image.bin", "--yes"}, {}, 40},
    {Operation::FirmwareUpload, "firmware upload", "vt71",
     {"firmware", "upload", "new.fw", "--yes", "--no-reset"}, {}, 40},
    {Operation::FastFirmwareUpload, "FAST firmware", "vt71",
     {"firmware", "upload", "new.fw", "--fast", "--yes", "--no-reset"}, {}, 40},
    {Operation::EepromDump, "EEPROM dump", "vt71", {"eeprom", "dump", "dump.ee"}, {"dump.ee"}, 40},
    // One request and one stream: the faults strike only the dump's own exchanges, not the
    // identification before it, which the other operations cover.
    {Operation::FastEepromDump, "FAST EEPROM dump", "vt71,fault-on=ATRD",
     {"eeprom", "dump", "dump.ee", "--fast"}, {"dump.ee"}, 40},
    {Operation::BoardWrite, "board write", "vt71", {"board", "write", "new.vt1", "--yes"}, {}, 40},
};
// clang-format on

const OperationSpec& operationSpec(Operation op) {
    for (const OperationSpec& s : kOperations)
        if (s.op == op) return s;
    return kOperations[0];
}

// The simulator's settings for a fault at a rate.
std::string faultSettings(Fault f, double rate) {
    char p[32];
    std::snprintf(p, sizeof p, "%.6g", rate);
    switch (f) {
        case Fault::LostCommand:
            return std::string("lose=") + p;
        case Fault::DroppedReply:
            return std::string("drop=") + p;
        case Fault::TruncatedReply:
            return std::string("truncate=") + p;
        case Fault::LateReply:
            return std::string("delay=") + p + ",delay-ms=" + kLateMs;
        case Fault::ErrReply:
            return std::string("err=") + p;
        case Fault::PortVanished:
            return std::string("vanish=") + p + ",vanish-close";
        case Fault::DeviceReset:
            return std::string("reset=") + p + ",reset-ms=" + kResetMs;
        case Fault::Garbled:
            return std::string("garble=") + p;
    }
    return {};
}

void put(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// A flash image of 20 pages; no packet of it begins "ATCM15\r".
std::string flashImage() {
    std::string s(20 * 528, '\0');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = char((i * 131 + i / 528 * 7) & 0xFF);
    return s;
}

// A VT71 firmware file of 32 records, each 32 bytes and their CRC, low byte first.
std::string firmwareFile() {
    std::string s = "FW5x21\r\n";
    char h[3];
    for (int k = 0; k < 32; ++k) {
        uint8_t rec[34];
        for (int j = 0; j < 32; ++j)
            rec[j] = uint8_t(k * 37 + j * 11);
        const uint16_t crc = vx::test::crcX25(rec, 32);
        rec[32] = uint8_t(crc);
        rec[33] = uint8_t(crc >> 8);
        for (uint8_t b : rec)
            s += (std::snprintf(h, sizeof h, "%02X", b), h);
        s += "\r\n";
    }
    return s;
}

}  // namespace

// The board's own image with another averaging time and TCA.
std::string boardParameterFile() {
    vx::sim::BoardImage img = vx::sim::defaultBoardImage(600);
    img[3] = 30;  // TCA, s
    img[4] = 0;
    return std::string("VT71A_10", 9) + std::string(img.begin(), img.end());
}

namespace {

void writeInputs(Operation op, const fs::path& dir) {
    if (op == Operation::FlashUpload) put(dir / "image.bin", flashImage());
    if (op == Operation::FirmwareUpload || op == Operation::FastFirmwareUpload)
        put(dir / "new.fw", firmwareFile());
    if (op == Operation::BoardWrite) put(dir / "new.vt1", boardParameterFile());
}

// Every row of an export file has as many fields as its header, and there is a row.
bool wellFormedExport(const std::string& text) {
    std::istringstream in(text);
    std::string line, header;
    size_t rows = 0;
    auto fields = [](const std::string& l) {
        size_t n = 1;
        for (char c : l)
            n += c == '\t' || c == ';';
        return n;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (header.empty()) {
            header = line;
            continue;
        }
        if (fields(line) != fields(header)) return false;
        ++rows;
    }
    return rows > 0;
}

}  // namespace

const std::vector<Operation>& allOperations() {
    static const std::vector<Operation> k = {Operation::Download,           Operation::Monitor,
                                             Operation::FlashUpload,        Operation::FirmwareUpload,
                                             Operation::FastFirmwareUpload, Operation::EepromDump,
                                             Operation::FastEepromDump,     Operation::BoardWrite};
    return k;
}

const std::vector<Fault>& allFaults() {
    static const std::vector<Fault> k = {Fault::LostCommand, Fault::DroppedReply, Fault::TruncatedReply,
                                         Fault::LateReply,   Fault::ErrReply,     Fault::PortVanished,
                                         Fault::DeviceReset, Fault::Garbled};
    return k;
}

const char* name(Operation op) {
    return operationSpec(op).name;
}

const char* name(Fault f) {
    switch (f) {
        case Fault::LostCommand:
            return "lost command";
        case Fault::DroppedReply:
            return "dropped reply";
        case Fault::TruncatedReply:
            return "truncated reply";
        case Fault::LateReply:
            return "late reply";
        case Fault::ErrReply:
            return "ERR reply";
        case Fault::PortVanished:
            return "port vanished";
        case Fault::DeviceReset:
            return "device reset";
        case Fault::Garbled:
            return "garbled reply";
    }
    return "?";
}

const char* name(Verdict v) {
    switch (v) {
        case Verdict::Identical:
            return "identical";
        case Verdict::FailedCleanly:
            return "failed cleanly";
        case Verdict::Corrupted:
            return "silent corruption";
        case Verdict::Hung:
            return "hang";
        case Verdict::LeftInMode:
            return "left in mode";
        case Verdict::Broken:
            return "broken";
    }
    return "?";
}

double FaultRunner::boundSeconds(Operation op) {
    return operationSpec(op).boundSeconds;
}

FaultRunner::FaultRunner(fs::path work) : work_(std::move(work)) {
    fs::create_directories(work_);
}

FaultRunner::~FaultRunner() = default;

FaultRunner::Outputs FaultRunner::execute(Operation op, const std::string& faults, uint64_t faultSeed,
                                          bool hangUp) {
    const OperationSpec& s = operationSpec(op);
    Outputs o;
    const fs::path dir = work_ / ("run" + std::to_string(++runs_));
    fs::remove_all(dir);
    fs::create_directories(dir);
    writeInputs(op, dir);
    std::set<std::string> inputs;
    for (const auto& e : fs::directory_iterator(dir))
        inputs.insert(e.path().filename().string());

    vx::sim::Options so;
    std::string err, settings = std::string(s.device) + ",fault-seed=" + std::to_string(faultSeed);
    if (!faults.empty()) settings += "," + faults;
    if (!vx::sim::parseSimSettings(settings, so, err)) return o.err = settings + ": " + err, o;
    auto device = vx::sim::makeDevice(so, err);
    if (!device) return o.err = err, o;
    vx::sim::PtyServerConfig cfg;
    cfg.closeOnVanish = hangUp;
    vx::sim::PtyServer server(std::move(device), cfg);
    if (!server.start(&err)) return o.err = err, o;

    std::vector<std::string> args = s.args;
    for (const char* a : {"-p", server.path().c_str(), "-t", kTimeoutMs})
        args.push_back(a);
    vx::test::ProcessOptions po;
    po.cwd = dir.string();
    po.hangGuard = std::chrono::milliseconds(int64_t(s.boundSeconds * 2000));
    const auto t0 = std::chrono::steady_clock::now();
    vx::test::ProcessResult r = vx::test::runProgram(vx::test::programPath("vendrix-cli"), args, po);
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    o.exitCode = r.exitCode;
    o.signal = r.signal;
    o.out = r.out;
    o.err = r.err;

    // The server thread may still be taking the command's last bytes ("ATCM10\r" as it ends).
    for (uint64_t seen = ~0ull; seen != server.bytesIn();) {
        seen = server.bytesIn();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    server.withDevice([&](vx::sim::Device& d) {
        o.vanished = d.vanished();
        if (auto* f = dynamic_cast<vx::sim::FaultyDevice*>(&d)) {
            const auto& st = f->stats();
            o.faults = st.dropped + st.delayed + st.truncated + st.errs + st.lost + st.resets + st.garbled +
                       (o.vanished ? 1 : 0);
        }
        vx::sim::LoggerDevice* lg = vx::sim::findLogger(d);
        if (!lg) return;
        o.inMode = lg->monitoring() || lg->flashService().uploading() || lg->firmware().receiving();
        if (op == Operation::FlashUpload) {
            const vx::sim::Session& ses = lg->session();
            for (uint16_t p = 0; p < 20; ++p) {
                const uint8_t* page = lg->flashService().page(p);
                if (!page) page = ses.page(p);
                o.device.append(reinterpret_cast<const char*>(page), 528);
            }
        } else if (op == Operation::FirmwareUpload || op == Operation::FastFirmwareUpload) {
            for (const auto& rec : lg->firmware().records())
                o.device.append(reinterpret_cast<const char*>(rec.data()), rec.size());
        } else if (op == Operation::BoardWrite) {
            o.device.assign(lg->eeprom().begin(), lg->eeprom().end());
        }
    });
    server.stop();
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (!inputs.count(n)) o.files[n] = slurp(e.path());
    }
    fs::remove_all(dir);
    return o;
}

const FaultRunner::Outputs& FaultRunner::clean(Operation op) {
    auto it = clean_.find(op);
    if (it == clean_.end()) it = clean_.emplace(op, execute(op, "", 1, false)).first;
    return it->second;
}

RunResult FaultRunner::run(Operation op, Fault fault, double rate, uint64_t seed) {
    RunResult res;
    const OperationSpec& s = operationSpec(op);
    const Outputs& ref = clean(op);
    if (ref.exitCode != 0) {
        res.detail = std::string("the clean run failed: ") + ref.err;
        return res;
    }
    const Outputs o = execute(op, faultSettings(fault, rate), seed, fault == Fault::PortVanished);
    res.seconds = o.seconds;
    res.faultsFired = o.faults;
    res.exitCode = o.exitCode;
    auto verdict = [&](Verdict v, std::string why) {
        res.verdict = v;
        res.detail = std::move(why);
        if (v != Verdict::Identical && v != Verdict::FailedCleanly)
            res.detail += " [exit " + std::to_string(o.exitCode) + "; stderr: " + o.err.substr(0, 400) + "]";
        return res;
    };
    if (o.signal != 0 || o.seconds > s.boundSeconds)
        return verdict(Verdict::Hung, "took " + std::to_string(o.seconds) + " s");
    if (o.exitCode != 0 && o.exitCode != 1) return verdict(Verdict::Broken, "unexpected exit status");
    if (o.inMode && !o.vanished)
        return verdict(Verdict::LeftInMode, "the device was left in monitor or upload mode");

    if (o.exitCode == 0) {
        if (op == Operation::Monitor) {
            // A live stream: lines lost are lost. The run must still end with an export file
            // of the clean run's columns whose rows are whole.
            auto f = o.files.find("export.txt");
            const std::string head =
                ref.files.at("export.txt").substr(0, ref.files.at("export.txt").find('\n'));
            if (f == o.files.end() || f->second.rfind(head, 0) != 0 || !wellFormedExport(f->second))
                return verdict(Verdict::Corrupted, "exit 0 without a whole export file");
            return verdict(Verdict::Identical, "");
        }
        if (o.files != ref.files)
            return verdict(Verdict::Corrupted, "exit 0 but the files differ from the clean run");
        if (o.device != ref.device)
            return verdict(Verdict::Corrupted,
                           "exit 0 but the device holds other data than after the clean run");
        return verdict(Verdict::Identical, "");
    }
    // Exit status 1: said so, and left nothing that looks complete.
    if (o.err.empty()) return verdict(Verdict::Broken, "exit 1 without a message");
    for (const std::string& out : s.outputs) {
        auto f = o.files.find(out);
        if (f == o.files.end()) continue;
        const std::string& full = ref.files.at(out);
        // A failed dump keeps the blocks received and says the file is incomplete.
        const bool dump = op == Operation::EepromDump || op == Operation::FastEepromDump;
        const bool partialDump =
            dump && f->second.size() < full.size() && o.err.find("incomplete") != std::string::npos;
        // The monitor's export file is a live log: the rows written before the end stay.
        if (op != Operation::Monitor && !partialDump)
            return verdict(Verdict::Corrupted, "exit 1 but " + out + " looks complete");
    }
    return verdict(Verdict::FailedCleanly, o.err.substr(0, o.err.find('\n')));
}

}  // namespace vx::faults
