#include "loader/eeprom_compare.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "loader/eeprom_dump.h"
#include "loader/loader_state.h"

namespace vx::loader {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File openRead(const std::string& path) {
    return File(std::fopen(path.c_str(), "rb"), &std::fclose);
}

// Skips n lines, each up to and including its LF.
void skipLines(std::FILE* f, int n) {
    for (int c; n > 0 && (c = std::fgetc(f)) != EOF;)
        if (c == '\n') --n;
}

}  // namespace

EeCompare compareDump(const std::string& dumpPath, const std::string& fwPath) {
    EeCompare r;
    File ee = openRead(dumpPath), fw = openRead(fwPath);
    if (!ee || !fw) {
        r.why = (ee ? fwPath : dumpPath) + ": the file cannot be read";
        return r;
    }
    skipLines(ee.get(), kEeDumpSkipLines);
    skipLines(fw.get(), kFwSkipLines);
    char a[EE_LINE], b[EE_LINE];
    for (;;) {
        const size_t na = std::fread(a, 1, sizeof a, ee.get());
        const size_t nb = std::fread(b, 1, sizeof b, fw.get());
        if (na < sizeof a || nb < sizeof b) {
            // A firmware record the dump does not reach is not in the EEPROM as far as
            // anyone can tell.
            r.dumpShort = na < sizeof a && nb == sizeof b;
            break;
        }
        if (std::memcmp(a, b, sizeof a) != 0) {
            r.firstDiff = int(r.compared);
            break;
        }
        ++r.compared;
    }
    if (r.firstDiff >= 0)
        r.why = vx::ui::format("record %d of the firmware file differs from line %d of the dump", r.firstDiff,
                               r.firstDiff + kEeDumpSkipLines + 1);
    else if (r.dumpShort)
        r.why = vx::ui::format("the dump ends before record %u of the firmware file", unsigned(r.compared));
    else if (r.compared == 0)
        r.why = "no record to compare";
    r.equal = r.why.empty();
    return r;
}

int verifyDump(vx::ui::WindowHandle owner) {
    using vx::ui::Icon;
    if (File_fw.empty() || File_ee.empty()) {
        vx::ui::message(
            owner, "Per il eseguire la verifica occorre che siano definiti sia il file .fw che il file .ee !",
            "Error", Icon::Error);
        return 0;
    }
    const std::string question = vx::ui::format(
        "%s\r\n\r\n- %s\r\n- %s", "Compare the data between the files", File_fw.c_str(), File_ee.c_str());
    if (vx::ui::message(owner, question, "Question", Icon::Question, vx::ui::Buttons::YesNo) !=
        vx::ui::Answer::Yes)
        return 0;
    const EeCompare c = compareDump(File_ee, File_fw);
    if (c.equal) {
        vx::ui::message(owner, "Data are identical !", "Info", Icon::Information);
        return 1;
    }
    vx::ui::message(owner, "Files are different !\r\n(" + c.why + ")", "Error", Icon::Error);
    return 0;
}

}  // namespace vx::loader

int fileCompare() {
    return vx::loader::compareDump(File_ee, File_fw).equal ? 1 : 0;
}
