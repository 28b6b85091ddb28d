#include "shell/phone_book.h"

#include <cstdio>
#include <cstring>

#include "link/modem_ini.h"
#include "ui/backend.h"
#include "ui/input_dialogs.h"

namespace {

vx::ui::FileDialogOptions phoneBookDialogOptions() {
    vx::ui::FileDialogOptions o;
    o.filters = {{"*.tel (phone book)", "*.tel"}, {"All Files (*.*)", "*.*"}};
    o.defaultExt = "tel";
    return o;
}

}  // namespace

namespace vx::shell {

bool readPhoneBook(const std::string& path, std::string& number) {
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char key[5];
    bool ok = std::fread(key, 1, sizeof key, f) == sizeof key && std::memcmp(key, "Ntel=", sizeof key) == 0;
    std::string out;
    for (int c; ok && (c = std::fgetc(f)) != EOF;) {
        if (c == '\r' || c == '\n') continue;
        if (out.size() == size_t(DIMNTEL)) ok = false;
        out += char(c);
    }
    std::fclose(f);
    if (ok) number = out;
    return ok;
}

}  // namespace vx::shell

int32_t loadFileRub(vx::ui::WindowHandle owner) {
    vx::ui::FileDialogOptions o = phoneBookDialogOptions();
    o.mustExist = true;
    std::optional<std::string> name = vx::ui::backend().openFileName(owner, o);
    std::string number;
    if (!name || !vx::shell::readPhoneBook(*name, number)) return 0;
    std::snprintf(EditBuf, sizeof EditBuf, "%s", number.c_str());
    return 1;
}

int32_t saveFileRub(vx::ui::WindowHandle owner) {
    vx::ui::FileDialogOptions o = phoneBookDialogOptions();
    o.askOverwrite = true;
    std::optional<std::string> name = vx::ui::backend().saveFileName(owner, o);
    if (!name) return 0;
    return save_ini(name->c_str());
}
