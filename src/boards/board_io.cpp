#include "boards/board_io.h"

#include <cstdio>
#include <cstring>

#include "boards/board_exchange.h"
#include "boards/board_image.h"
#include "boards/board_params.h"
#include "link/com.h"

namespace {

using vx::boards::hexPair;
using vx::boards::withRetries;
using vx::link::TxError;

// One "ATEE\r" with its byte.
bool readNextByte(uint8_t* b) {
    if (!vx::link::request("ATEE\r")) return false;
    if (!vx::boards::decodeByteReply(Rx_buf, iRx, b)) return vx::link::markReply(TxError::BadReply), false;
    return true;
}

bool pointTo(int offset) {
    char cmd[16];
    std::snprintf(cmd, sizeof cmd, "ATRD00%02X\r", unsigned(offset) & 0xFFu);
    return vx::link::requestOk(cmd);
}

bool inImage(int nbyte, int start) {
    return nbyte >= 1 && nbyte <= 4 && start >= 0 && start + nbyte <= EE_SIZE;
}

bool readWholeImage(uint8_t image[EE_SIZE]) {
    return withRetries([&] {
        if (!vx::link::request("ATRD00FF\r") || !vx::link::request("ATEE\r")) return false;
        if (!vx::boards::decodeImageReply(Rx_buf, iRx, image))
            return vx::link::markReply(TxError::BadReply), false;
        return true;
    });
}

bool readBytes(int start, int nbyte, uint8_t* out) {
    return withRetries([&] {
        if (!pointTo(start)) return false;
        for (int i = 0; i < nbyte; ++i)
            if (!readNextByte(&out[i])) return false;
        return true;
    });
}

}  // namespace

namespace vx::boards {

bool readBoardImage(uint8_t image[41]) {
    vx::link::LinkBusy busy;
    return readWholeImage(image);
}

bool decodeImageReply(const uint8_t* reply, int n, uint8_t image[41]) {
    if (!reply || n != 2 * EE_SIZE) return false;
    uint8_t tmp[EE_SIZE];
    for (int k = 0; k < EE_SIZE; ++k)
        if (!hexPair(reply + 2 * k, &tmp[k])) return false;
    std::memcpy(image, tmp, sizeof tmp);
    return true;
}

bool decodeByteReply(const uint8_t* reply, int n, uint8_t* byte) {
    return reply && n == 2 && hexPair(reply, byte);
}

}  // namespace vx::boards

int loadParcfg() {
    vx::link::LinkBusy busy;
    uint8_t image[EE_SIZE];
    if (!readWholeImage(image)) return 1;
    std::memcpy(EE.buf, image, sizeof image);
    valuesFromImage();
    for (int i = 0; i < PARCFG_N; ++i)
        testValue(i);
    uint8_t state = 0;
    const bool stateRead = withRetries([&] {
        if (!vx::link::request("ATOS\r")) return false;
        if (iRx < 2 || !hexPair(Rx_buf, &state)) return vx::link::markReply(TxError::BadReply), false;
        return true;
    });
    if (!stateRead) return 1;
    Stato_OP = state;
    return 0;
}

int write_to_VT71a() {
    vx::link::LinkBusy busy;
    // Two commands: the whole image in hex does not fit one command line of the board.
    constexpr int kFirstPart = 29;
    auto hexOf = [](int from, int to) {
        std::string s = "ATEE";
        char pair[3];
        for (int k = from; k < to; ++k) {
            std::snprintf(pair, sizeof pair, "%02X", unsigned(EE.buf[k]));
            s += pair;
        }
        return s + "\r";
    };
    const std::string first = hexOf(0, kFirstPart), second = hexOf(kFirstPart, EE_SIZE);
    const bool written = withRetries([&] {
        return vx::link::request("ATRD0000\r") && vx::link::requestOk(first.c_str()) &&
               vx::link::requestOk(second.c_str());
    });
    if (!written) return 1;
    // "OK" says the board took the lines, not that it holds the image: read it back.
    uint8_t back[EE_SIZE];
    if (!readWholeImage(back)) return 1;
    if (std::memcmp(back, EE.buf, EE_SIZE) != 0) return vx::link::markReply(TxError::BadReply), 1;
    return 0;
}

int read_EE_par(int nbyte, int startadd, uint32_t* pval) {
    if (!pval || !inImage(nbyte, startadd)) return 0;
    vx::link::LinkBusy busy;
    uint8_t bytes[4] = {};
    if (!readBytes(startadd, nbyte, bytes)) return 0;
    uint32_t v = 0;
    for (int i = 0; i < nbyte; ++i)
        v |= uint32_t(bytes[i]) << (8 * i);
    *pval = v;
    return 1;
}

int write_EE_par(int nbyte, int startadd, uint32_t val) {
    if (!inImage(nbyte, startadd)) return 0;
    vx::link::LinkBusy busy;
    const bool written = withRetries([&] {
        if (!pointTo(startadd)) return false;
        for (int i = 0; i < nbyte; ++i) {
            char cmd[16];
            std::snprintf(cmd, sizeof cmd, "ATEE%02X\r", unsigned(val >> (8 * i)) & 0xFFu);
            if (!vx::link::request(cmd)) return false;
        }
        return true;
    });
    if (!written) return 0;
    uint32_t back = 0;
    if (!read_EE_par(nbyte, startadd, &back)) return 0;
    const uint32_t mask = nbyte == 4 ? 0xFFFFFFFFu : (1u << (8 * nbyte)) - 1;
    if (back != (val & mask)) return vx::link::markReply(TxError::BadReply), 0;
    return 1;
}
