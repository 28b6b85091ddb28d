#include "plot/output_file.h"

#include <filesystem>

#include "platform/atomic_file.h"
#include "plot/wmf_writer.h"

namespace vx::plot {
namespace {

std::string lastWritten;

std::string freeName(const std::string& wanted) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(wanted, ec)) return wanted;
    fs::path p(wanted);
    const std::string stem = (p.parent_path() / p.stem()).string(), ext = p.extension().string();
    for (int n = 1;; ++n) {
        std::string name = stem + "_" + std::to_string(n) + ext;
        if (!fs::exists(name, ec)) return name;
    }
}

}  // namespace

bool writePictureFile(const Library& l) {
    std::string bytes, error;
    const char* defaultName = "plot.wmf";
    if (l.output == Output::Wmf) {
        bytes = wmfBytes(l.scene);
    } else {
        PictureWriter* w = registeredPictureWriter();
        defaultName = l.output == Output::Svg ? "plot.svg" : "plot.png";
        if (!w) return warn("disfin", "this program cannot write SVG or PNG pictures"), false;
        if (!w->render(l.scene, l.output == Output::Svg ? PictureFormat::Svg : PictureFormat::Png, &bytes,
                       &error))
            return warn("disfin", error.c_str()), false;
    }
    std::string target = l.file.empty() ? defaultName : l.file;
    if (!l.replaceFile) target = freeName(target);
    if (!vx::platform::writeFileAtomically(target, bytes.data(), bytes.size(), &error))
        return warn("disfin", error.c_str()), false;
    lastWritten = target;
    return true;
}

const std::string& lastPictureFile() {
    return lastWritten;
}

}  // namespace vx::plot
