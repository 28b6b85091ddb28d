#include "boards/vt1_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "boards/board_image.h"
#include "platform/atomic_file.h"

namespace {

vx::ui::FileDialogOptions fileOptions(bool save) {
    vx::ui::FileDialogOptions o;
    o.filters = {{"VT71a Data Files (*.vt1)", "*.vt1"}, {"All Files (*.*)", "*.*"}};
    o.defaultExt = "vt1";
    o.mustExist = !save;
    o.askOverwrite = save;
    return o;
}

}  // namespace

namespace vx::boards {

bool writeParameterFile(const std::string& path, std::string* error) {
    uint8_t bytes[VT1_SIZE];
    std::memcpy(bytes, VT1_MAGIC, sizeof VT1_MAGIC);
    std::memcpy(bytes + sizeof VT1_MAGIC, EE.buf, EE_SIZE);
    return vx::platform::writeFileAtomically(path, bytes, sizeof bytes, error);
}

int8_t readParameterFile(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return VT1_CANNOT_OPEN;
    // One byte more than a valid file holds tells a longer file from a complete one.
    uint8_t bytes[VT1_SIZE + 1];
    const size_t n = std::fread(bytes, 1, sizeof bytes, f.get());
    if (std::ferror(f.get())) return VT1_CANNOT_OPEN;
    if (n != size_t(VT1_SIZE) || std::memcmp(bytes, VT1_MAGIC, sizeof VT1_MAGIC) != 0) return VT1_NOT_VALID;
    std::memcpy(EE.buf, bytes + sizeof VT1_MAGIC, EE_SIZE);
    return VT1_LOADED;
}

}  // namespace vx::boards

int save_VT71a_dati(vx::ui::WindowHandle hwnd) {
    const auto name = vx::ui::backend().saveFileName(hwnd, fileOptions(true));
    if (!name) return 0;
    return vx::boards::writeParameterFile(*name) ? 1 : 0;
}

int8_t read_VT71a_dati(vx::ui::WindowHandle hwnd) {
    const auto name = vx::ui::backend().openFileName(hwnd, fileOptions(false));
    if (!name) return VT1_CANCELLED;
    return vx::boards::readParameterFile(*name);
}
