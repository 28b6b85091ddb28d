// Quick mode: the session index of the dump "QM41data.txt", then each session of the flash
// image "QM41data.bin" (its table, page range, time markers, report, page viewer and data
// record file). Input: the dump, kPause, then the first pages of the image (the rest of
// the image is erased memory, 0xFF).

#include <cstring>
#include <fstream>
#include <vector>

#include "fuzz_env.h"
#include "quick/flash_image.h"
#include "quick/quick_mode.h"
#include "quick/quick_session.h"
#include "session/download.h"
#include "session/session_state.h"

namespace {

// Writes `n` bytes at the start of the image, which is made once, erased, at its full size.
void writeImageStart(const uint8_t* bytes, size_t n) {
    static bool made = false;
    if (!made) {
        const std::vector<char> erased(vx::quick::kImageSize, char(0xFF));
        std::ofstream(IMAGE_FILE, std::ios::binary | std::ios::trunc)
            .write(erased.data(), std::streamsize(erased.size()));
        made = true;
    }
    std::fstream f(IMAGE_FILE, std::ios::binary | std::ios::in | std::ios::out);
    f.write(reinterpret_cast<const char*>(bytes), std::streamsize(n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::FuzzBackend& ui = vx::fuzz::freshProgram();
    const vx::fuzz::TwoParts parts = vx::fuzz::splitAtPause(data, size);
    const size_t imageBytes =
        parts.secondSize < vx::quick::kImageSize ? parts.secondSize : vx::quick::kImageSize;
    writeImageStart(parts.second, imageBytes);
    ui.fileToOpen = vx::fuzz::inputFile("QM41data.txt", parts.first, parts.firstSize);

    static int report;
    if (vx::quick::loadTable(nullptr)) {
        // Two sessions of the index; the conversion (which reads the whole 2 MB image) for
        // the first that can be converted.
        bool converted = false;
        for (int32_t i = 0; i < vx::quick::IndTab && i < 2; ++i) {
            vx::quick::openQuickMode();
            vx::quick::chooseSession(i, &report);
            vx::quick::pageText(PagFirst);
            vx::quick::pageText(PagLast);
            if (converted || !vx::quick::applySampleTime("60") || !vx::quick::startAllowed()) continue;
            ui.pollBudget = ui.polls + int(TotalPagNum) + 2;  // the pages, a few thousand rows, Stop
            saveFileBin(nullptr, "quick.txt");
            converted = true;
        }
    }
    const std::vector<uint8_t> erased(imageBytes, 0xFF);
    writeImageStart(erased.data(), erased.size());
    return 0;
}
