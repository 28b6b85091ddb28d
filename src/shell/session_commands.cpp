#include "shell/session_commands.h"

#include <filesystem>

#include "boards/vt71_params.h"
#include "postproc/made_files.h"
#include "session/download.h"
#include "session/page_access.h"
#include "session/session_reader.h"
#include "session/session_state.h"
#include "state/flags.h"

namespace vx::shell {
namespace {

constexpr uint16_t TC_DEF_VT71 = 900;  // board averaging time when it cannot be read

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

void status(vx::ui::WindowHandle owner, int part, const std::string& text) {
    vx::ui::backend().setStatus(owner, part, text);
}

// No table, no decoding: a download would give a file without a column.
bool refuseWithoutTable(vx::ui::WindowHandle owner) {
    if (Flag.table_error == 0) return false;
    if (Flag.NOD85 == 1)
        vx::ui::message(owner,
                        "The NOD85 interface board has no assignment table: there is no session to download.",
                        "Warning", Icon::Warning);
    else
        vx::ui::message(owner, "Parsing error in Assignment Table !", "Com Error", Icon::Error);
    return true;
}

std::string absolute(const std::string& name) {
    std::error_code ec;
    auto p = std::filesystem::absolute(name, ec);
    return ec ? name : p.lexically_normal().string();
}

}  // namespace

void openSession(vx::ui::WindowHandle owner) {
    Flag.verbose = 0;
    Flag.skip_refresh = 0;
    vx::session::choosePageReadingMode();
    Flag.pages[0] = 0;
    initSession(Flag.pages, owner);
    if (Flag.VT71 == 1 || Flag.NOD85 == 1) {
        uint32_t tcm = 0;
        // A board that holds 0 (an image never set up) has no averaging time: the sample
        // time is at least 1 s, and a 0 would make the resampling's intervals empty forever.
        Tsample = get_VT71_par(2, 7, &tcm) && tcm != 0 ? uint16_t(tcm) : TC_DEF_VT71;
    }
}

DownloadOutcome startDownload(vx::ui::WindowHandle owner, const std::string& name,
                              const vx::session::RawOptions& raw) {
    DownloadOutcome out;
    status(owner, 0, "Busy...");
    status(owner, 1, "");  // no earlier file may pass for this download's
    for (;;) {
        if (Flag.skip_refresh == 0) {
            if (refuseWithoutTable(owner)) {
                out.kind = DownloadOutcome::Kind::Refused;
                break;
            }
            if (!vx::session::downloadSession(owner, name.c_str(), raw)) {
                std::string text = "Download procedure was not completed !";
                const std::string& why = vx::session::downloadFailure();
                if (!why.empty()) text += "\r\n\r\n" + why;
                vx::ui::message(owner, text, "Warning", Icon::Warning);
                out.kind = DownloadOutcome::Kind::NotCompleted;
                break;
            }
            Flag.skip_refresh = 1;
            out.kind = DownloadOutcome::Kind::Downloaded;
            break;
        }
        if (vx::ui::message(owner, "New data download from the datalogger ?", "Warning", Icon::Question,
                            Buttons::YesNo) == Answer::Yes) {
            Flag.skip_refresh = 0;
            continue;
        }
        // The table already downloaded, at the list position the user left it.
        InfoSES.nItem = InfoSES.nItem_;
        InfoSES.nSubItem = InfoSES.nSubItem_;
        out.kind = DownloadOutcome::Kind::Reused;
        break;
    }
    status(owner, 0, "Ready");
    if (out.kind == DownloadOutcome::Kind::Downloaded || out.kind == DownloadOutcome::Kind::Reused) {
        out.path = absolute(name);
        if (out.kind == DownloadOutcome::Kind::Downloaded) vx::postproc::noteMadeFile(out.path);
        out.rows = InfoSES.nItem_;
        out.columns = InfoSES.nSubItem_;
        status(owner, 1, describeDownload(out));
    }
    return out;
}

std::string describeDownload(const DownloadOutcome& d) {
    std::filesystem::path p(d.path);
    return vx::ui::format("%s: %u rows, %u columns, in %s", p.filename().string().c_str(), unsigned(d.rows),
                          unsigned(d.columns), p.parent_path().string().c_str());
}

}  // namespace vx::shell
