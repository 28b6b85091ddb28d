// Figures of the session download: throughput against the wire-time bound, CPU use, and
// decoding speed.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_util.h"
#include "link/com.h"
#include "platform/atomic_file.h"
#include "session/download.h"
#include "session/memory_model.h"
#include "session/resample.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "shell/defaults.h"
#include "sim/session.h"
#include "state/flags.h"
#include "ui/scripted_backend.h"

using namespace vx::session;

namespace vx::bench {
namespace {

struct ScratchDir {
    std::filesystem::path old, dir;
    ScratchDir() {
        char tmpl[] = "/tmp/vxbenchXXXXXX";
        dir = mkdtemp(tmpl);
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    ~ScratchDir() {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
};

const char* kFullSession = "nodes=30,wrapped=1,satmr=60,tmpbuf=400,seed=21";

// Page walk into the in-memory scratch, then the resampling into the data record file
// (through the atomic writer, as the download does).
void decodeOnce(const vx::sim::Session& s) {
    std::vector<uint8_t> scratch;
    scratch.reserve(s.dataPages.size() * PAGE_SIZE);
    uint32_t first = 0, last = 0;
    bool any = false;
    for (uint16_t pg : s.dataPages) {
        size_t walked = walkRecords(s.page(pg), PAGE_SIZE, [&](const uint8_t* rec, int) {
            last = readU32(rec + 1);
            if (!any) first = last, any = true;
        });
        scratch.insert(scratch.end(), s.page(pg), s.page(pg) + walked);
    }
    vx::platform::AtomicFile out;
    out.open("table");
    out.setBuffer(1 << 16);
    printHeader(out.stream());
    ScratchReader reader(scratch.data(), scratch.size());
    const uint32_t tcf = 10u * Tsample;
    for (uint64_t t = first; t < last; t += tcf) {
        if (!interpData(tcf, uint32_t(t), reader)) break;
        printData(out.stream());
    }
    out.commit();
}

}  // namespace

// One full-memory download; prints the ratio to the wire-time bound, the payload rate
// and the program's CPU share.
void benchDownload(const char* form, const char* pacing, bool ratioFigure) {
    initVAR();
    ScratchDir scratch;
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    std::string settings = std::string("qm41,fw=") + (std::strcmp(form, "fast") == 0 ? "20" : "18") +
                           ",baud=256000," + pacing + kFullSession;
    SimLink link;
    if (!link.start(settings)) return;
    Flag.pages[0] = 0;
    initSession(Flag.pages, nullptr);
    Tsample = 1800;
    int64_t wire0 = link.server->wireTimeNs();
    double t0 = wallSeconds(), c0 = threadCpuSeconds();
    int32_t ok = saveFile(nullptr, DataTimeSS);
    double wall = wallSeconds() - t0, cpu = threadCpuSeconds() - c0;
    double wire = double(link.server->wireTimeNs() - wire0) * 1e-9;
    vx::ui::setBackend(nullptr);
    if (!ok) {
        std::printf("%s download failed\n", form);
        return;
    }
    char name[128];
    if (ratioFigure) {
        std::snprintf(name, sizeof name, "full download, %s form, bytewise 256000: wall / wire", form);
        double limit = std::strcmp(form, "fast") == 0 ? 1.01 : 1.05;
        figure(name, wall / wire, "ratio", std::strcmp(form, "fast") == 0 ? "<= 1.01" : "<= 1.05",
               wall / wire <= limit);
        std::snprintf(name, sizeof name, "full download, %s form: payload throughput", form);
        double payload = double(TotalPagNumDload) * PAGE_SIZE / 1024.0;
        figure(name, payload / wall, "KiB/s", "-", true);
    } else {
        std::snprintf(name, sizeof name, "full download, %s form, 1 ms frames: CPU / wall", form);
        figure(name, 100.0 * cpu / wall, "%", "< 5", cpu / wall < 0.05);
    }
}

// A full download of a full memory against the incremental download of its last 1 %, at
// 115200 baud. The archive is made first, unpaced, with the logger's last page pointer set
// back by 41 pages (1 % of 4095): the session as it was a while before.
void benchIncremental() {
    initVAR();
    ScratchDir scratch;
    vx::ui::ScriptedBackend ui;
    vx::ui::setBackend(&ui);
    const std::string session = "qm41,nodes=30,pages=4095,satmr=60,tmpbuf=400,seed=21";
    const int32_t back = 41;
    auto readSession = [] {
        Flag.pages[0] = 0;
        initSession(Flag.pages, nullptr);
        Tsample = 1800;
        return Flag.pages_error == 0 && Flag.table_error == 0 && Flag.time_error == 0;
    };
    {
        SimLink earlier;
        if (!earlier.start(session) || !readSession()) return (void)std::printf("incremental: no session\n");
        char cmd[16];
        std::snprintf(cmd, sizeof cmd, "ATPL%04X\r", unsigned(pageAdd(PagLast, -back)));
        if (!sendCOMMAND(hCom, cmd, 13) || !readSession())
            return (void)std::printf("incremental: ATPL failed\n");
        vx::session::RawOptions keep;
        keep.keepIn = "archive";
        if (!vx::session::downloadSession(nullptr, "earlier", keep))
            return (void)std::printf("incremental: the archive could not be made\n");
    }
    SimLink link;
    if (!link.start(session + ",baud=115200") || !readSession())
        return (void)std::printf("incremental: no session\n");
    double t0 = wallSeconds();
    int32_t full = saveFile(nullptr, "full");
    double fullWall = wallSeconds() - t0;
    vx::session::RawOptions since;
    since.since = "archive";
    t0 = wallSeconds();
    int32_t incremental = vx::session::downloadSession(nullptr, "since", since);
    double incWall = wallSeconds() - t0;
    vx::ui::setBackend(nullptr);
    auto slurp = [](const char* name) {
        std::ifstream f(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    if (!full || !incremental || slurp("full") != slurp("since"))
        return (void)std::printf("incremental: the downloads failed or differ\n");
    figure("full download of a full memory (4095 pages), 115200 baud", fullWall, "s", "-", true);
    figure("incremental download of its last 1 % (42 pages), 115200 baud", incWall, "s", "-", true);
    figure("full / incremental download time", fullWall / incWall, "ratio", ">= 40",
           fullWall / incWall >= 40);
}

// Page walk into the scratch file and resampling into the data record file, for a full
// memory decoded from the simulated session's flash.
void benchDecode() {
    initVAR();
    ScratchDir scratch;
    vx::sim::SessionParams p;
    p.nodes = 30;
    p.wrapped = true;
    p.satmr = 60;
    p.seed = 21;
    vx::sim::Session s;
    std::string err;
    if (!vx::sim::generateSession(p, s, err)) return (void)std::printf("%s\n", err.c_str());
    std::memcpy(TabAss, s.table.data(), s.table.size());
    if (decodeTabAss() != TableStatus::Ok) return (void)std::printf("table rejected\n");

    for (uint16_t tsample : {uint16_t(60), uint16_t(1800)}) {
        Tsample = tsample;
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {  // the best of five: the machine is shared
            double t0 = wallSeconds();
            decodeOnce(s);
            best = std::min(best, wallSeconds() - t0);
        }
        double mb = double(s.dataPages.size()) * PAGE_SIZE / 1e6;
        char name[96];
        std::snprintf(name, sizeof name, "decode + resample 4095 pages, 30 nodes, Tsample %u",
                      unsigned(tsample));
        figure(name, mb / best, "MB/s", ">= 100", mb / best >= 100);
    }
    long rss = peakRssKiB();
    figure("peak memory of the decoding", double(rss) / 1024.0, "MiB", "< 64", rss < 64 * 1024);
}

}  // namespace vx::bench
