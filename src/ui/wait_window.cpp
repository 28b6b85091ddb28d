#include "ui/wait_window.h"

namespace {
// The open window's token in the core; the desktop backend keeps the real window.
int gWaitToken;
std::string gUnit;
}  // namespace

vx::ui::WindowHandle hDlgWait;

void Show_wait_msg(vx::ui::WindowHandle hDlg, const char* szTxt) {
    if (hDlgWait) return;
    hDlgWait = &gWaitToken;
    gUnit.clear();
    vx::ui::backend().showWait(hDlg, szTxt ? szTxt : "");
}

int32_t Test_wait_msg() {
    if (!hDlgWait) return 0;
    vx::ui::backend().pollWait();
    return 1;
}

void Setbar_wait_msg(uint32_t cur, uint32_t end) {
    if (end == 0 || !hDlgWait) return;
    vx::ui::backend().setWaitProgress(int(vx::ui::waitPercent(cur, end)), cur, end, gUnit);
}

void Print_wait_msg(const char* szTxt) {
    if (hDlgWait) vx::ui::backend().setWaitText(szTxt ? szTxt : "");
}

void Close_wait_msg() {
    if (!hDlgWait) return;
    hDlgWait = nullptr;
    vx::ui::backend().closeWait();
}

namespace vx::ui {

void setWaitUnit(const char* unit) {
    gUnit = unit ? unit : "";
}

void waitStopClicked() {
    if (!hDlgWait) return;
    if (message(nullptr, "Abandon the current operation ?", "Warning", Icon::Warning, Buttons::YesNo) ==
        Answer::Yes)
        Close_wait_msg();
}

}  // namespace vx::ui
