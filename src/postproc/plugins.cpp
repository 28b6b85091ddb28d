#include "postproc/plugins.h"

#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/process.h"
#include "state/exe_dir.h"
#include "ui/backend.h"

const char* const Lista_plugin[PLUGIN_COUNT] = {"Tallo", "Lumeview"};
int8_t plug_idx[PLUG_IDX_SIZE];

namespace {

namespace fs = std::filesystem;

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool executable(const fs::directory_entry& e) {
    std::error_code ec;
    const fs::perms p = e.status(ec).permissions();
    return !ec &&
           (p & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) != fs::perms::none;
}

// The regular files of `dir` with extension `ext` (letter case aside; "" = none, and then
// executable), by name.
std::vector<std::string> programFiles(const std::string& dir, const std::string& ext) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir.empty() ? "." : dir, ec)) {
        std::error_code fec;
        if (!e.is_regular_file(fec)) continue;
        const std::string name = e.path().filename().string();
        const size_t dot = name.find_last_of('.');
        if (ext.empty()) {
            if (dot == std::string::npos && executable(e)) names.push_back(name);
        } else if (dot != std::string::npos && sameText(name.substr(dot + 1), ext)) {
            names.push_back(name);
        }
    }
    return names;
}

std::string programName(int index, const std::string& ext) {
    return ext.empty() ? std::string(Lista_plugin[index]) : std::string(Lista_plugin[index]) + "." + ext;
}

}  // namespace

const char* pluginExtension() {
#ifdef _WIN32
    return "exe";
#else
    return "";
#endif
}

int32_t findFile(const char* szDir, const char* szExt, int8_t* plug_index) {
    const std::string ext = szExt ? szExt : "";
    const std::vector<std::string> files = programFiles(szDir ? szDir : "", ext);
    if (files.empty()) return 0;
    int32_t count = 0;
    for (int i = 0; i < PLUGIN_COUNT && count < PLUG_IDX_SIZE; ++i) {
        for (const std::string& f : files) {
            if (sameText(f, programName(i, ext))) {
                plug_index[count++] = int8_t(i);
                break;
            }
        }
    }
    return count;
}

namespace vx::postproc {

std::string pluginPath(const std::string& folder, int index) {
    const std::string ext = pluginExtension();
    for (const std::string& f : programFiles(folder, ext))
        if (sameText(f, programName(index, ext))) return (fs::path(folder) / f).string();
    return (fs::path(folder) / programName(index, ext)).string();
}

bool runPlugin(int index, const std::function<void()>& whileWaiting) {
    if (index < 0 || index >= PLUGIN_COUNT) return false;
    const std::string program = pluginPath(Exe_dir, index);
    std::string error;
    if (vx::platform::runProgramAndWait(program, Data_file, Exe_dir, whileWaiting, &error)) return true;
    vx::ui::message(nullptr, program + " could not be started.\r\n(" + error + ")", "File Error",
                    vx::ui::Icon::Error);
    return false;
}

}  // namespace vx::postproc
