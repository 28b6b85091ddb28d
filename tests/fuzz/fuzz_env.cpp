#include "fuzz_env.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "link/com.h"
#include "link/transaction.h"
#include "shell/defaults.h"
#include "state/exe_dir.h"
#include "ui/wait_window.h"

namespace vx::fuzz {

namespace fs = std::filesystem;

namespace {

// The scratch folder of this process, removed when it ends normally.
struct Scratch {
    fs::path dir;
    std::string text;
    Scratch() {
        std::random_device rd;
        // A file system in memory where there is one: input files are written for every
        // input, which costs milliseconds on a disk.
        std::error_code ec;
        const char* tmpdir = std::getenv("TMPDIR");
        fs::path base =
            !tmpdir && fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        dir = base / ("vendrix-fuzz-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
        fs::current_path(dir);
        text = dir.string();
    }
    ~Scratch() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(dir, ec);
    }
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

FuzzBackend gBackend;

}  // namespace

vx::ui::Answer FuzzBackend::message(vx::ui::WindowHandle, const std::string&, const std::string&,
                                    vx::ui::Icon, vx::ui::Buttons buttons) {
    if (buttons == vx::ui::Buttons::Ok) return vx::ui::Answer::Ok;
    if (stopping_) return vx::ui::Answer::Yes;  // "Abandon the current operation ?"
    if (yesAnswers > 0) {
        --yesAnswers;
        return buttons == vx::ui::Buttons::AbortRetryIgnore ? vx::ui::Answer::Retry : vx::ui::Answer::Yes;
    }
    return vx::ui::closeAnswer(buttons);
}

std::optional<std::string> FuzzBackend::openFileName(vx::ui::WindowHandle, const vx::ui::FileDialogOptions&) {
    if (fileToOpen.empty()) return std::nullopt;
    return fileToOpen;
}

std::optional<std::string> FuzzBackend::saveFileName(vx::ui::WindowHandle, const vx::ui::FileDialogOptions&) {
    return std::nullopt;
}

void FuzzBackend::pollWait() {
    if (++polls <= pollBudget || stopping_) return;
    stopping_ = true;
    vx::ui::waitStopClicked();
    stopping_ = false;
}

FuzzBackend& freshProgram() {
    scratch();
    vx::ui::setBackend(&gBackend);
    if (hDlgWait) Close_wait_msg();
    initVAR();
    std::snprintf(Exe_dir, sizeof Exe_dir, "%s", scratch().text.c_str());
    vx::link::clearFailure();
    gBackend = FuzzBackend();
    vx::ui::setBackend(&gBackend);
    return gBackend;
}

std::string inputFile(const std::string& name, const uint8_t* data, size_t size) {
    fs::path p = scratch().dir / name;
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return p.string();
}

std::string inputFile(const std::string& name, const std::string& text) {
    return inputFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

const std::string& scratchDir() {
    return scratch().text;
}

}  // namespace vx::fuzz

namespace vx::fuzz {

void clearScratch() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(scratch().dir, ec))
        fs::remove_all(e.path(), ec);
}

DeviceOnPort::DeviceOnPort(const uint8_t* data, size_t size) : port_(data, size) {
    hCom = &port_;
}

DeviceOnPort::~DeviceOnPort() {
    hCom = nullptr;
}

TwoParts splitAtPause(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t at = all.find(kPause);
    if (at == std::string_view::npos) return {data, size, data + size, 0};
    size_t rest = at + kPause.size();
    return {data, at, data + rest, size - rest};
}

}  // namespace vx::fuzz
