// The conversion of a raw archive, as `convert --archive DIR` runs it: the archive read and
// checked against its manifest, then decoded again into the data record file named after
// its session start. Input: one byte of members (bits 0 to 5: manifest.txt, table.bin,
// pages.bin, tmpbuf.bin, registers.txt, clocks.txt exist; bit 6: the manifest is made
// again from the other members, so that most inputs get past the checksums), one byte
// choosing the sample time, then the six members in that order, separated by kPause.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_env.h"
#include "platform/sha256.h"
#include "session/download.h"
#include "session/raw_archive.h"
#include "session/session_state.h"

namespace {

namespace fs = std::filesystem;

const char* const kMembers[] = {"manifest.txt", "table.bin",     "pages.bin",
                                "tmpbuf.bin",   "registers.txt", "clocks.txt"};
constexpr size_t kCount = std::size(kMembers);
// Short and long sample times: the row count, and so the resampling's work, depends on them.
const uint16_t kSampleTimes[] = {1, 2, 10, 60, 900, 3600, 65535};

std::string manifestOf(const std::string (&member)[kCount], unsigned present) {
    std::string text = "Vendrix raw archive\r\n";
    for (size_t i = 1; i < kCount; ++i)
        if (present & (1u << i))
            text += std::string(kMembers[i]) + " " + std::to_string(member[i].size()) + " " +
                    vx::platform::sha256Hex(member[i].data(), member[i].size()) + "\r\n";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    vx::fuzz::FuzzBackend& ui = vx::fuzz::freshProgram();
    vx::fuzz::clearScratch();

    std::string member[kCount];
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    for (size_t i = 0; i < kCount; ++i) {
        const size_t at = i + 1 < kCount ? rest.find(vx::fuzz::kPause) : std::string_view::npos;
        member[i] = std::string(rest.substr(0, at));
        rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + vx::fuzz::kPause.size());
    }
    const unsigned present = data[0];
    if (present & 0x40) member[0] = manifestOf(member, present);

    const fs::path dir = fs::path(vx::fuzz::scratchDir()) / "raw";
    fs::create_directories(dir);
    for (size_t i = 0; i < kCount; ++i)
        if (present & (1u << i)) vx::fuzz::inputFile(std::string("raw/") + kMembers[i], member[i]);

    vx::session::RawArchive archive;
    if (!vx::session::loadArchive(dir.string(), archive).empty()) return 0;
    // The data record file is written in the current folder under the session start: an
    // archive that names a file elsewhere is refused when it is read.
    if (archive.sessionStart.find_first_of(std::string("/\\:\0", 4)) != std::string::npos) std::abort();
    Tsample = kSampleTimes[data[1] % std::size(kSampleTimes)];
    // The pages, then a few thousand rows, then Stop (a far-off time marker means very many).
    ui.pollBudget = ui.polls + int(archive.pagesRead) + 2;
    // A conversion that reports success has written its file.
    if (vx::session::convertArchive(nullptr, archive.sessionStart.c_str(), archive) == 1 &&
        !fs::is_regular_file(fs::path(vx::fuzz::scratchDir()) / archive.sessionStart))
        std::abort();
    return 0;
}
