#include "session/session_reader.h"

#include <cstdio>
#include <cstring>
#include <functional>

#include "boards/alarms.h"
#include "link/com.h"
#include "link/parsers.h"
#include "session/calendar.h"
#include "session/memory_model.h"
#include "session/page_access.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "ui/wait_window.h"

using namespace vx::session;

namespace {

using vx::ui::Answer;

// A hex field of the last reply; digits beyond the reply count as 0 rather than as
// whatever an older reply left in the buffer.
int32_t replyHex(int offset, int digits) {
    char field[8] = {};
    for (int i = 0; i < digits && i < 8; ++i)
        field[i] = offset + i < iRx ? char(Rx_buf[offset + i]) : '0';
    return str16_to_num(field, digits);
}

// The reply text, at most n characters, into a buffer of size.
void copyReply(char* out, size_t size, size_t n) {
    size_t len = size_t(iRx) < n ? size_t(iRx) : n;
    if (len >= size) len = size - 1;
    std::memcpy(out, Rx_buf, len);
    out[len] = 0;
}

bool command(const char* text) {
    return vx::link::request(text);
}

bool commandOk(const char* text) {
    return vx::link::requestOk(text);
}

// Runs a step until it succeeds or the user declines another try; true on success.
bool withRetry(const std::function<int32_t()>& step, const char* question, const char* caption,
               vx::ui::WindowHandle owner) {
    for (;;) {
        if (step()) return true;
        if (vx::ui::message(owner, question, caption, vx::ui::Icon::Error, vx::ui::Buttons::YesNo) !=
            Answer::Yes)
            return false;
    }
}

void reopenWait(vx::ui::WindowHandle owner, const char* text) {
    Close_wait_msg();
    Show_wait_msg(owner, text);
}

}  // namespace

int32_t initPages(char*) {
    clearRxBuf(hCom);
    if (!command("ATSR\r")) return 0;
    StatusReg = uint8_t(replyHex(0, 2));
    if (!command("ATER\r")) return 0;
    ErrorsReg = uint8_t(replyHex(0, 2));
    if (!command("ATPT\r")) return 0;
    copyReply(PageTab, sizeof PageTab, 4);
    PagTab = uint16_t(replyHex(0, 4));
    if (!command("ATPL\r")) return 0;
    copyReply(PageLast, sizeof PageLast, 4);
    PagLast = uint16_t(replyHex(0, 4));

    if (StatusReg & 0x08) {  // the memory has wrapped round
        PagFirst = pageAdd(PagLast, 1);
        TotalPagNum = 0x0FFF;
    } else {
        PagFirst = PagLast != PagTab ? pageAdd(PagTab, 1) : PagTab;
        TotalPagNum = uint16_t(((PagLast - PagFirst) & PAGE_MASK) + 1);
    }
    std::snprintf(PageFirst, sizeof PageFirst, "%04X", unsigned(PagFirst));
    if (PagTab == PagLast) TotalPagNum = 0;
    TotalPagNumDload = TotalPagNum;
    if ((Flag.VT71 || Flag.modem || Flag.NOD85) && TotalPagNumDload > 4) TotalPagNumDload = 4;
    return 1;
}

int32_t initTabAss() {
    // Whatever happens, no node of an older or half-read table stays in use.
    TotalNodeNum = 0;
    TotalLogicCh = 0;
    clearRxBuf(hCom);
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD%s\r", PageTab);
    if (!commandOk(cmd)) return 0;
    int length = PAGE_SIZE;
    for (int off = 0; off < length; off += CHUNK_SIZE) {
        if (!vx::link::readChunk()) return 0;
        std::memcpy(TabAss + off, Rx_buf, CHUNK_SIZE);
        if (off == 0) {
            length = tableLength(TabAss);
            if (length < 0) return vx::link::markReply(vx::link::TxError::BadReply), 0;
        }
    }
    switch (decodeTabAss()) {
        case TableStatus::Ok:
            return 1;
        case TableStatus::TwoHighWords:
            vx::ui::message(nullptr,
                            "Error: two consecutive physical channels are encoded with Conf&0x1F==0 !",
                            "Setup Error", vx::ui::Icon::Error);
            return 0;
        default:
            vx::link::markReply(vx::link::TxError::BadReply);
            return 0;
    }
}

int32_t initTimeMark() {
    getDataTimePC(DataTimePC);
    clearRxBuf(hCom);
    if (!command("ATDT\r")) return 0;
    char date[8], time[8];
    copyReply(date, sizeof date, 6);
    if (!command("ATTM\r")) return 0;
    copyReply(time, sizeof time, 6);
    std::snprintf(DataTimeDL, sizeof DataTimeDL, "%.6s_%.6s", date, time);
    sessionStartText(TabAss, DataTimeSS);
    FirstTimeMarker = LastTimeMarker = 0;

    if (PagLast != PagTab) {
        clearRxBuf(hCom);
        char cmd[16];
        std::snprintf(cmd, sizeof cmd, "ATRD%s\r", PageFirst);
        if (!commandOk(cmd)) return 0;
        // A piece that did not come fails the step: it is not a page without records.
        if (!vx::link::readChunk()) return 0;
        if (findNode(Rx_buf[0]) != 0) FirstTimeMarker = readU32(Rx_buf + 1);
        if (!setPageAdd(PagLast)) return 0;
        uint8_t page[PAGE_SIZE] = {};
        if (!getPageFlash(page)) return 0;
        walkRecords(page, PAGE_SIZE, [](const uint8_t* rec, int) { LastTimeMarker = readU32(rec + 1); });
    }
    sessionLength(FirstTimeMarker, LastTimeMarker, DurataSessione);
    return 1;
}

void initSession(char* szP, vx::ui::WindowHandle hwndDlg) {
    vx::link::LinkBusy busy;
    auto& ui = vx::ui::backend();
    ui.setStatus(hwndDlg, 0, " Lettura dati...");
    Show_wait_msg(hwndDlg, "Init data pages...");
    if (!withRetry([szP] { return initPages(szP); }, "Pages reading error !\r\nTry again ?", "COM Error",
                   hwndDlg)) {
        Flag.pages_error = Flag.table_error = Flag.time_error = 1;
        ui.setStatus(hwndDlg, 0, " Ready");
        Close_wait_msg();
        return;
    }
    Flag.pages_error = 0;

    reopenWait(hwndDlg, "Init assignment table...");
    if (Flag.NOD85) {
        Flag.table_error = 1;
    } else {
        Flag.table_error =
            withRetry(initTabAss, "Parsing error in Assignment Table !\r\nTry again ?", "Com Error", hwndDlg)
                ? 0
                : 1;
    }

    reopenWait(hwndDlg, "Init time strings...");
    Flag.time_error =
        withRetry(initTimeMark, "Parsing error in time strings !\r\nTry again ?", "Com Error", hwndDlg) ? 0
                                                                                                        : 1;

    if (Flag.VT71 || Flag.NOD85) {
        reopenWait(hwndDlg, "Reading alarm register...");
        Flag.alarm_error = withRetry([hwndDlg] { return int32_t(upd_Alarm(hwndDlg)); },
                                     "Alarm register reading error !\r\nTry again ?", "Com Error", hwndDlg)
                               ? 0
                               : 1;
    }
    Close_wait_msg();
    ui.setStatus(hwndDlg, 0, " Ready");
}

int32_t clockSync() {
    vx::link::LinkBusy busy;
    getDataTimePC(DataTimePC);
    char cmd[24];
    clearRxBuf(hCom);
    std::snprintf(cmd, sizeof cmd, "ATDT%.6s\r", DataTimePC);
    if (!commandOk(cmd)) return 0;
    std::snprintf(cmd, sizeof cmd, "ATTM%.6s\r", DataTimePC + 7);
    if (!commandOk(cmd)) return 0;
    return 1;
}
