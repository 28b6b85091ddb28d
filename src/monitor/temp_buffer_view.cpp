#include "monitor/temp_buffer_view.h"

#include "link/com.h"
#include "link/transaction.h"
#include "monitor/channel_logic.h"
#include "monitor/monitor_text.h"
#include "session/download.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"
#include "ui/wait_window.h"

namespace vx::monitor {
namespace {

void showRecord(const uint8_t* rec, int k) {
    const datitab& node = InfoFE[k];
    TextLine out;
    out.add("%u>>", unsigned(vx::session::readU32(rec + 1)));
    int16_t vx[2 * MAX_LOGIC_CH];
    const int chanu = node.chanu < 2 * MAX_LOGIC_CH ? node.chanu : 2 * MAX_LOGIC_CH;
    for (int i = 0; i < chanu; ++i)
        vx[i] = int16_t(vx::session::readU16(rec + 5 + 2 * i));
    int32_t found = 0;
    int32_t logic[MAX_LOGIC_CH];
    if (getCHlogic(&found, logic, vx, chanu, node.nodead)) {
        const datitab& n = InfoFE[found];
        char text[ADJ_TEXT_MAX];
        for (int j = 0; j < n.chanu_logic; ++j) {
            adj_value(text, int8_t(vx::session::quantityCode(n, j)), logic[j]);
            out.add(" CH%u_%u= %s", unsigned(n.nodead), unsigned(j + 1), text);
        }
    } else {
        out.add(" NodeAd= %u ", unsigned(node.nodead));
        for (int i = 0; i < chanu; ++i)
            out.add("vx[%u]= %d ", unsigned(i), int(vx[i]));
    }
    out.add("\r\n");
    showText(out.text());
}

}  // namespace

void showBufferRecords(const uint8_t* buf, size_t count) {
    vx::session::walkRecords(buf, count, showRecord);
}

bool showTemporaryBuffer(vx::ui::WindowHandle owner) {
    uint8_t buf[PAGE_SIZE];
    int32_t count;
    {
        vx::link::LinkBusy busy;
        vx::link::clearFailure();
        Show_wait_msg(owner, "Reading data from buffer...");
        count = read_tmp_buffer(hCom, buf);
        Close_wait_msg();
    }
    if (count < 0) {
        std::string why = vx::link::lastFailureText();
        showText("The temporary buffer of the datalogger could not be read" +
                 (why.empty() ? std::string() : " (" + why + ")") + ".\r\n");
        return false;
    }
    showBufferRecords(buf, size_t(count));
    return true;
}

}  // namespace vx::monitor
