// The firmware upload's figures against the simulated board: the acknowledged (slow) upload
// of 1024 records at 19200 baud against the time its bytes need on the line, and the
// streamed (FAST) upload against the slow one over a line whose replies come back 200 ms
// late, as over a long-distance modem call.

#include <cstdio>
#include <random>
#include <string>

#include "bench_util.h"
#include "boards/powerone_crc.h"
#include "link/com.h"
#include "loader/firmware_file.h"
#include "loader/firmware_upload.h"
#include "loader/loader_state.h"
#include "shell/defaults.h"
#include "ui/scripted_backend.h"

namespace vx::bench {
namespace {

// A firmware image of `records` random records with their checksums, loaded into FW.
bool loadImage(int records) {
    std::mt19937 rng(7);
    std::string s = "FW5x21\r\n";
    char h[3];
    for (int k = 0; k < records; ++k) {
        uint8_t rec[34];
        for (int j = 0; j < 32; ++j)
            rec[j] = uint8_t(rng());
        crc_powerone(rec, 32);
        for (uint8_t b : rec)
            s += (std::snprintf(h, sizeof h, "%02X", b), h);
        s += "\r\n";
    }
    return vx::loader::parseFirmware(reinterpret_cast<const uint8_t*>(s.data()), s.size(), FW) ==
           vx::loader::FwFileError::None;
}

// One upload over a fresh simulated board: wall seconds and the line's wire seconds.
bool upload(const std::string& settings, int records, bool fast, double* wall, double* wire) {
    initVAR();
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    bool ok = false;
    {
        SimLink link;
        if (link.start(settings) && loadImage(records)) {
            ui.answer(fast ? vx::ui::Answer::Yes : vx::ui::Answer::No);  // the FAST mode question
            const int64_t wire0 = link.server->wireTimeNs();
            const double t0 = wallSeconds();
            ok = uploadFW(nullptr) == 1;
            *wall = wallSeconds() - t0;
            *wire = double(link.server->wireTimeNs() - wire0) * 1e-9;
        }
    }
    vx::ui::setBackend(nullptr);
    if (!ok)
        std::fprintf(stderr, "the upload did not go through (%s)\n", vx::loader::lastUpload().why.c_str());
    return ok;
}

}  // namespace

void benchLoader() {
    double wall = 0, wire = 0;
    const bool slowOk = upload("vt71,baud=19200", 1024, false, &wall, &wire);
    figure("Slow firmware upload, 1024 records at 19200: wall / wire", wire > 0 ? wall / wire : 0, "ratio",
           "<= 1.1", slowOk && wall <= 1.1 * wire);

    // 64 records keep the slow run over the late line to about 15 s.
    constexpr int kRecords = 64;
    const std::string late = "vt71,baud=19200,delay-ms=200";
    double slowWall = 0, fastWall = 0, unused = 0;
    const bool lateOk = upload(late, kRecords, false, &slowWall, &unused);
    for (uint16_t interval : {uint16_t(T_UPDFW_FAST_DEFAULT), uint16_t(50)}) {
        T_updfw_fast = interval;
        const bool fastOk = upload(late, kRecords, true, &fastWall, &unused);
        char name[96];
        std::snprintf(name, sizeof name, "FAST vs slow, replies 200 ms late, %u ms interval: speed-up",
                      unsigned(interval));
        const double ratio = fastWall > 0 ? slowWall / fastWall : 0;
        figure(name, ratio, "x", ">= 3", lateOk && fastOk && ratio >= 3);
    }
    T_updfw_fast = T_UPDFW_FAST_DEFAULT;
}

}  // namespace vx::bench
