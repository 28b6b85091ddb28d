// Writes a few realistic inputs for every fuzz target into OUTDIR/<target>/: the device
// targets get conversations recorded from the simulated devices while the program's own
// procedures run, the file targets files made by the program's own writers (or, for files
// other programs make, in their documented layout).
//
//   make-fuzz-seeds OUTDIR

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/gsm_field.h"
#include "boards/inverter_report.h"
#include "boards/vt1_file.h"
#include "fuzz_env.h"
#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "monitor/packet_batch.h"
#include "postproc/table.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "seed_records.h"
#include "session/download.h"
#include "session/session_state.h"
#include "shell/session_commands.h"
#include "sim/fake_serial_port.h"
#include "sim/options.h"
#include "state/flags.h"

namespace fs = std::filesystem;

namespace {

fs::path gOut;
int gCount = 0;

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "make-fuzz-seeds: %s\n", why.c_str());
    std::exit(1);
}

void seed(const std::string& target, const std::string& label, const std::string& bytes) {
    std::string name = label;  // settings strings make file names: no separators
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ',' || c == '=' || c == ' ') c = '_';
    fs::create_directories(gOut / target);
    std::ofstream f(gOut / target / name, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    if (!f) die("cannot write " + (gOut / target / name).string());
    ++gCount;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) die("cannot read " + path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string bytes(const uint8_t* p, size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

std::unique_ptr<vx::sim::Device> device(const std::string& settings,
                                        std::shared_ptr<const vx::sim::Session>* session = nullptr) {
    vx::sim::Options o;
    std::string err;
    if (!vx::sim::parseSimSettings(settings, o, err)) die(settings + ": " + err);
    auto d = vx::sim::makeDevice(o, err, session);
    if (!d) die(settings + ": " + err);
    return d;
}

// Runs `procedure` with the program's port on the simulated device of `settings`; the
// device's side of the conversation, as ReplyPort plays it back.
std::string converse(const std::string& settings, const std::function<void()>& procedure) {
    vx::sim::FakeSerialPort fake(device(settings));
    vx::fuzz::RecordingPort rec(fake);
    hCom = &rec;
    procedure();
    hCom = nullptr;
    return rec.recording();
}

vx::sim::Session session(const std::string& settings) {
    std::shared_ptr<const vx::sim::Session> s;
    device(settings, &s);
    if (!s) die(settings + ": no session");
    return *s;
}

void identifySeeds() {
    for (const char* settings : {"qm41", "qm42,fw=16", "qm43", "vt71", "nod85", "qm43boot"}) {
        vx::fuzz::freshProgram();
        seed("identify", settings, std::string(1, '\0') + converse(settings, [] { test_hCom(hCom); }));
    }
    vx::fuzz::freshProgram();
    Flag.modem = 1;
    seed("identify", "modem",
         std::string(1, '\1') + converse("modem,remote=qm41", [] {
             if (test_hCom(hCom) == 1 && vx::link::dialRemote(hCom, "0123456789", 90000) == 1) {
                 vx::link::identifyRemote(hCom);
                 vx::link::hangUp(hCom);
             }
         }));
}

// The flags the download target sets from its mode byte.
void downloadMode(uint8_t mode) {
    Flag.VT71 = mode & 1;
    Flag.NOD85 = (mode >> 1) & 1;
    Datalogger.hw = Flag.VT71 ? '5' : Flag.NOD85 ? '8' : '0';
    Datalogger.fw = (mode & 4) ? 0x20 : 0x10;
}

// A download of the session of `settings`; its data record file is left in `file`.
std::string download(const std::string& settings, uint8_t mode, const std::string& file,
                     bool verbose = false) {
    vx::fuzz::FuzzBackend& ui = vx::fuzz::freshProgram();
    downloadMode(mode);
    return std::string(1, char(mode)) + converse(settings, [&] {
               vx::shell::openSession(nullptr);
               Flag.verbose = verbose ? 1 : 0;
               ui.yesAnswers = 1;
               vx::shell::startDownload(nullptr, file);
           });
}

void sessionSeeds() {
    seed("download", "qm41-plain", download("qm41,nodes=2,pages=2,tmpbuf=60", 0, "a.txt"));
    seed("download", "qm41-streamed", download("qm41,nodes=3,channels=3,pages=1,pairs=0.5", 4, "a.txt"));
    seed("download", "vt71", download("vt71,pages=1,tmpbuf=40", 5, "a.txt"));
    seed("download", "vt71-tcm-0", download("vt71,pages=1,tmpbuf=40,tcm=0", 5, "a.txt"));
    seed("download", "tmp-only", download("qm41,nodes=2,pages=0,tmpcut=1", 4, "a.txt"));

    const struct {
        const char* name;
        const char* settings;
        uint8_t mode;
    } tables[] = {
        {"qm41", "qm41,nodes=5,channels=8,pairs=0.3", 0},
        {"vt71", "vt71", 1},
        {"broken", "qm41,nodes=3,broken=1", 2},
        {"full", "qm41,nodes=30,channels=64", 3},
    };
    for (const auto& t : tables) {
        vx::sim::Session s = session(t.settings);
        seed("table_page", t.name, std::string(1, char(t.mode)) + bytes(s.table.data(), s.table.size()));
    }

    // The monitor: the table, then what the logger streams for a while in monitor mode.
    for (const char* settings : {"qm41,nodes=3", "qm41,nodes=2,mon-broadcast=1,mon-test=1,mon-unknown=1"}) {
        vx::fuzz::freshProgram();
        vx::sim::Session s = session(settings);
        const std::string stream = converse(settings, [] {
            sendCOMMAND(hCom, "ATCM07\r", 13);
            for (int i = 0; i < 4; ++i) {
                hCom->sleepMs(1000);
                vx::monitor::runPacketBatch();
            }
        });
        seed("monitor", settings,
             bytes(s.table.data(), s.table.size()) + std::string(vx::fuzz::kPause) + stream);
    }
}

// Raw archives kept by downloads from the simulator, framed as the raw_archive target reads
// them: the members byte (all six members; the manifest as written, or made again), the
// sample time byte, then the members.
void archiveSeeds() {
    const struct {
        const char* name;
        const char* settings;
        uint8_t mode, members, sample;
    } archives[] = {
        {"qm41", "qm41,nodes=2,pages=2,tmpbuf=60", 0, 0x3F, 3},
        {"qm41-streamed-remade", "qm41,nodes=3,channels=3,pages=1,pairs=0.5", 4, 0x7F, 0},
        {"vt71", "vt71,pages=1,tmpbuf=40", 5, 0x3F, 4},
        {"tmp-only-remade", "qm41,nodes=2,pages=0,tmpcut=1", 4, 0x7F, 1},
    };
    for (const auto& a : archives) {
        vx::fuzz::FuzzBackend& ui = vx::fuzz::freshProgram();
        downloadMode(a.mode);
        vx::session::RawOptions raw;
        raw.keepIn = (fs::path(vx::fuzz::scratchDir()) / "raw").string();
        converse(a.settings, [&] {
            vx::shell::openSession(nullptr);
            ui.yesAnswers = 1;
            vx::shell::startDownload(nullptr, "a.txt", raw);
        });
        std::string input{char(a.members), char(a.sample)};
        const char* members[] = {"manifest.txt", "table.bin",     "pages.bin",
                                 "tmpbuf.bin",   "registers.txt", "clocks.txt"};
        for (const char* m : members) {
            const std::string bytes = slurp(raw.keepIn + "/" + m);
            if (bytes.find(vx::fuzz::kPause) != std::string::npos)
                die(std::string(a.name) + ": " + m + " holds the separator");
            input += (m == members[0] ? "" : std::string(vx::fuzz::kPause)) + bytes;
        }
        seed("raw_archive", a.name, input);
    }
}

void tableSeeds() {
    // A data record file behind the start line, as the command line loads one.
    download("qm41,nodes=2,pages=2", 0, "qm41.txt");
    const std::string start = std::string("Start: ") + DataTimeSS + "\r\n";
    seed("table_load", "record-file", start + slurp("qm41.txt"));
    // A saved table in format A.
    vx::postproc::Table& table = vx::postproc::theTable();
    if (loadLV(&table, "qm41.txt"))
        seed("table_load", "format-a", vx::postproc::tableFileText(&table, InfoSES, FORMAT_A, 0));
    table.clear();
    // A board's session: its table page first, for the computed columns.
    download("vt71,pages=2", 5, "vt71.txt");
    vx::sim::Session s = session("vt71,pages=2");
    seed("table_load", "vt71",
         bytes(s.table.data(), s.table.size()) + std::string(vx::fuzz::kPause) + std::string("Start: ") +
             DataTimeSS + "\r\n" + slurp("vt71.txt"));
}

void quickSeeds() {
    // A verbose download leaves the dump and the image; the seed holds the dump's index and
    // session part and the image's first pages, where the table page was put.
    download("qm41,nodes=2,pages=3,tablepage=0,oldtables=1", 4, "q.txt", true);
    std::string dump = slurp(DUMP_FILE);
    const std::string image = slurp(IMAGE_FILE);
    if (dump.size() > 3000) dump.resize(3000);
    seed("quick", "qm41", dump + std::string(vx::fuzz::kPause) + image.substr(0, 6 * PAGE_SIZE));
}

void boardSeeds() {
    for (const char* settings : {"vt71", "nod85"}) {
        vx::fuzz::freshProgram();
        const std::string replies = converse(settings, [] {
            loadParcfg();
            uint32_t value;
            read_EE_par(4, 37, &value);
            read_EE_par(2, 1, &value);
        });
        seed("board_image", settings, replies);
        const std::string path = (fs::path(vx::fuzz::scratchDir()) / "board.vt1").string();
        if (!vx::boards::writeParameterFile(path)) die("cannot write " + path);
        seed("vt1", settings, slurp(path));
    }

    for (const char* settings :
         {"vt71,inverters=3", "vt71,inverters=2,inv-badcrc=2", "nod85,inverters=1,inv-silent=1"}) {
        vx::fuzz::freshProgram();
        converse(settings, [] { loadParcfg(); });
        const uint16_t comReg2 = EE.ram.ComReg2;
        vx::fuzz::freshProgram();
        const std::string replies = converse(settings, [comReg2] { refresh_dati_inv({}, comReg2); });
        seed("inverters", settings, std::string{char(comReg2 & 0xFF), char(comReg2 >> 8)} + replies);
    }

    for (const char* settings : {"vt71,gsm=15/0", "vt71,gsm=31/99", "nod85"}) {
        vx::fuzz::freshProgram();
        seed("gsm", settings, converse(settings, [] {
                 for (int i = 0; i < 3; ++i)
                     vx::boards::gsmPoll(nullptr);
             }));
    }
}

using vx::fuzz::firmwareRecords;

void loaderSeeds() {
    const std::string fw = "FW5x21\r\n" + firmwareRecords(4, 0);
    seed("firmware", "vt71", fw);
    seed("firmware", "qm43", "FWBx12\r\n" + firmwareRecords(2, 0x40));
    seed("firmware", "odd", "FW0x10\r\n" + firmwareRecords(3, 7));

    const std::string head = firmwareRecords(8, 0xE0);  // the 256 bytes before the firmware
    seed("eeprom_file", "equal",
         head + firmwareRecords(4, 0) + firmwareRecords(2, 0x80) + std::string(vx::fuzz::kPause) + fw);
    seed("eeprom_file", "differ", head + firmwareRecords(4, 1) + std::string(vx::fuzz::kPause) + fw);

    vx::sim::Session s = session("qm41,nodes=2,pages=3,tablepage=0");
    seed("bin_file", "one-page", bytes(s.page(0), PAGE_SIZE));
    seed("bin_file", "three-pages", bytes(s.page(0), 3 * PAGE_SIZE));
}

void settingsSeeds() {
    for (const char* number : {"0612345678", "+39061234567", ""}) {
        vx::fuzz::freshProgram();
        std::snprintf(reinterpret_cast<char*>(Ntel), sizeof Ntel, "%s", number);
        const std::string path = (fs::path(vx::fuzz::scratchDir()) / "plant.tel").string();
        if (!save_ini(path.c_str())) die("cannot write " + path);
        seed("phone_book", std::string("n") + number, slurp(path));
        seed("farlinks", std::string("n") + number, slurp(path));
    }
    seed("modem_ini", "usual", "ATZ\r\nATE0\r\nATS0=0\r\n");
    seed("modem_ini", "no-last-end", "AT&F\nATX3\r\n\r\nATM0");

    for (const char* s : {"qm41,fw=19,seed=7,nodes=5,baud=256000", "vt71,inverters=3,gsm=15/0,displays=2",
                          "modem,remote=qm43,dial-delay=2000", "qm41,pages=20,tmpbuf=100,start=240517_083000",
                          "nod85,tcm=900,alarm=0x41,bytewise", "qm41,fault-on=ATRD,delay-ms=50,fault-seed=3"})
        seed("sim_settings", std::to_string(gCount), s);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) die("usage: make-fuzz-seeds OUTDIR");
    gOut = fs::absolute(argv[1]);
    fs::create_directories(gOut);
    identifySeeds();
    sessionSeeds();
    archiveSeeds();
    tableSeeds();
    quickSeeds();
    boardSeeds();
    loaderSeeds();
    settingsSeeds();
    std::printf("%d seeds in %s\n", gCount, gOut.string().c_str());
    return 0;
}
