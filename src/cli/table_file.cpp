#include "cli/table_file.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/atomic_file.h"
#include "postproc/set_file_rules.h"
#include "postproc/table.h"
#include "postproc/table_load.h"
#include "postproc/table_save.h"
#include "session/session_state.h"
#include "state/exe_dir.h"
#include "state/flags.h"

namespace vx::cli {
namespace {

namespace fs = std::filesystem;

// A folder of our own for the copy loadFileTxt makes under the table's start time, so a
// data record file of that name in the user's folder is neither replaced nor removed. It
// is the current folder while it exists.
class WorkFolder {
  public:
    bool create(std::string* error) {
        std::error_code ec;
        back_ = fs::current_path(ec);
        std::string tmpl = (fs::temp_directory_path(ec) / "vendrix-cli-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            return *error = std::string("no temporary folder: ") + std::strerror(errno), false;
        dir_ = tmpl;
        fs::current_path(dir_, ec);
        if (ec) return *error = "no temporary folder: " + ec.message(), false;
        return true;
    }
    ~WorkFolder() {
        std::error_code ec;
        if (dir_.empty()) return;
        fs::current_path(back_, ec);
        fs::remove_all(dir_, ec);
    }
    const fs::path& path() const { return dir_; }

  private:
    fs::path back_, dir_;
};

}  // namespace

bool isTimeStamp(const std::string& s) {
    if (s.size() != 13 || s[6] != '_') return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (i != 6 && (s[i] < '0' || s[i] > '9')) return false;
    auto two = [&](size_t at) { return (s[at] - '0') * 10 + (s[at + 1] - '0'); };
    return two(2) >= 1 && two(2) <= 12 && two(4) >= 1 && two(4) <= 31 && two(7) < 24 && two(9) < 60 &&
           two(11) < 60;
}

int32_t parseFormat(const std::string& s) {
    if (s == "A" || s == "a") return FORMAT_A;
    if (s == "B" || s == "b") return FORMAT_B;
    return -1;
}

std::string loadTableFile(const std::string& file, const std::string& start, bool* usage) {
    *usage = false;
    std::error_code ec;
    std::ifstream in(file, std::ios::binary);
    if (!in) return file + " can not be read ! (" + std::strerror(errno) + ")";
    char head[7] = {};
    const bool saved = in.read(head, 7) && std::memcmp(head, "Start: ", 7) == 0;
    std::string first = start;
    if (saved && !first.empty()) {
        *usage = true;
        return "--start: " + file + " is a saved table, whose first line gives its start";
    }
    if (!saved && first.empty()) {
        first = fs::path(file).filename().string();
        if (!isTimeStamp(first)) {
            *usage = true;
            return file +
                   ": the time of its first row is not in its name; give it with --start YYMMDD_hhmmss";
        }
    }
    const fs::path source = fs::absolute(file, ec);
    WorkFolder work;
    std::string error;
    if (!work.create(&error)) return error;
    std::string table = source.string();
    if (!saved) {
        // A data record file behind a start line is a saved table in format A.
        in.clear();
        in.seekg(0);
        vx::platform::AtomicFile copy;
        table = (work.path() / "table.txt").string();
        bool ok = copy.open(table) && copy.print("Start: %s\r\n", first.c_str());
        char buf[65536];
        while (ok) {
            in.read(buf, sizeof buf);
            if (in.gcount() <= 0) break;
            ok = copy.write(buf, size_t(in.gcount()));
        }
        if (!ok || in.bad() || !copy.commit())
            return file + " can not be read ! (" + (copy.error().empty() ? "read error" : copy.error()) + ")";
    }
    std::snprintf(Data_file, sizeof Data_file, "%s", table.c_str());
    Flag.VT71 = 0;  // no session behind the file: no computed columns
    if (!loadFileTxt())
        return file + ": File not valid ! (not a data record file or a table saved in format A)";
    if (!vx::postproc::openSetFile(&vx::postproc::theTable(), nullptr).loaded)
        return file + ": File not valid ! (a column name or a value longer than 300 characters)";
    return {};
}

std::string saveTableFile(const std::string& out, int32_t format, bool comma) {
    const std::string dropped = vx::postproc::droppedColumnsText(&vx::postproc::theTable());
    if (!dropped.empty()) std::fprintf(stderr, "warning: %s\n", dropped.c_str());
    const std::string text =
        vx::postproc::tableFileText(&vx::postproc::theTable(), InfoSES, format, comma ? 1 : 0);
    std::string error;
    if (!vx::platform::writeFileAtomically(out, text.data(), text.size(), &error))
        return out + " can not be written !\n(" + error + ")";
    vx::postproc::theTable().clearUndo();  // the edits are saved
    return {};
}

}  // namespace vx::cli
