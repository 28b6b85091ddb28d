#include "shell/program_settings.h"

#include <fstream>

#include "platform/atomic_file.h"
#include "state/exe_dir.h"

namespace vx::shell {
namespace {

const char* const kKeepRaw = "KeepRawData=";

std::string settingsFile() {
    return std::string(Exe_dir[0] ? Exe_dir : ".") + "/Vendrix.ini";
}

}  // namespace

bool keepRawData() {
    std::ifstream in(settingsFile(), std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(kKeepRaw, 0) == 0) return line.compare(std::string(kKeepRaw).size(), 1, "1") == 0;
    return false;
}

bool setKeepRawData(bool on) {
    const std::string text = std::string(kKeepRaw) + (on ? "1" : "0") + "\r\n";
    return vx::platform::writeFileAtomically(settingsFile(), text.data(), text.size());
}

vx::session::RawOptions rawOptionsFor(const std::string& dataFile) {
    vx::session::RawOptions raw;
    if (keepRawData()) raw.keepIn = dataFile + ".raw";
    return raw;
}

}  // namespace vx::shell
