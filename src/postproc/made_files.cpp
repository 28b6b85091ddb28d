#include "postproc/made_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vx::postproc {
namespace {

namespace fs = std::filesystem;

struct MadeFile {
    std::string path;
    bool saved = false;
};

std::vector<MadeFile>& made() {
    static std::vector<MadeFile> files;
    return files;
}
std::string& loadedFrom() {
    static std::string path;
    return path;
}

std::string fullName(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path : p.string();
}

}  // namespace

void noteMadeFile(const std::string& path) {
    const std::string full = fullName(path);
    for (MadeFile& f : made())
        if (f.path == full) return void(f.saved = false);  // made again: its new data is not saved yet
    made().push_back({full, false});
}

void noteTableLoadedFrom(const std::string& path) {
    loadedFrom() = fullName(path);
}

void noteTableSaved() {
    for (MadeFile& f : made())
        if (f.path == loadedFrom()) f.saved = true;
}

std::vector<std::string> settleMadeFiles() {
    std::vector<std::string> kept;
    for (const MadeFile& f : made()) {
        std::error_code ec;
        if (!fs::exists(f.path, ec)) continue;
        if (f.saved && fs::remove(f.path, ec)) continue;
        kept.push_back(f.path);
    }
    made().clear();
    loadedFrom().clear();
    return kept;
}

std::string keptFileText(const std::string& path) {
    const fs::path p(path);
    return "The data record file " + p.filename().string() + " stays in " + p.parent_path().string() +
           " (its table was not saved).";
}

}  // namespace vx::postproc
