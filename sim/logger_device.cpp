#include "logger_device.h"

#include <algorithm>

#include "faults.h"

namespace vx::sim {

BoardImage defaultBoardImage(uint16_t tcm) {
    BoardImage e{};
    auto put16 = [&](int at, unsigned v) {
        e[size_t(at)] = uint8_t(v);
        e[size_t(at) + 1] = uint8_t(v >> 8);
    };
    e[0] = 0x5A;    // Token
    put16(1, 1);    // MYadd
    put16(3, 60);   // TCA, s
    put16(5, 15);   // NTCA
    put16(7, tcm);  // TCM, s
    put16(9, 100);  // Ki: 1000 Imp/kWh
    e[11] = 53;     // Kco2 0.53 kg/kWh
    e[12] = 40;     // Keur 0.40 euro/kWh
    uint32_t pnom = 19800;
    for (int i = 0; i < 4; ++i)
        e[size_t(13 + i)] = uint8_t(pnom >> (8 * i));
    put16(17, 0x0000);  // ComReg
    put16(19, 0x0102);  // ComReg2: 2 inverters from address 1
    put16(21, 0x0000);  // Option
    put16(23, 0x0000);  // Option2
    for (int i = 0; i < 8; ++i)
        e[size_t(25 + i)] = 0;
    // SMS number +39123 packed two digits a byte, then 0xF nibbles.
    const uint8_t tel[8] = {0xA3, 0x91, 0x23, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 8; ++i)
        e[size_t(33 + i)] = tel[i];
    return e;
}

LoggerDevice::LoggerDevice(LoggerConfig cfg, std::shared_ptr<const Session> session)
    : cfg_(cfg), session_(std::move(session)), monitor_(cfg_.monitor, session_->params.seed) {
    opStatus_ = cfg_.opStatus;
}

LoggerDevice* findLogger(Device& d) {
    if (auto* f = dynamic_cast<FaultyDevice*>(&d)) return findLogger(f->inner());
    return dynamic_cast<LoggerDevice*>(&d);
}

DateTime LoggerDevice::clockAt(int64_t nowNs) const {
    if (!clockStarted_) return cfg_.clock;
    return fromSeconds(clockBaseSecs_ + (nowNs - clockBaseNs_) / 1000000000);
}

void LoggerDevice::onCommand(const std::string& cmd, int64_t nowNs, Output& out) {
    if (!clockStarted_) {
        clockStarted_ = true;
        clockBaseSecs_ = toSeconds(cfg_.clock);
        clockBaseNs_ = nowNs;
    }
    monitor_.command(nowNs);  // the packet stream holds while commands come
    const Session& s = *session_;
    const std::string op = cmd.substr(0, std::min<size_t>(4, cmd.size()));
    const std::string arg = cmd.size() > 4 ? cmd.substr(4) : std::string();

    if (cfg_.board &&
        answerBoardCommand(cfg_.boardCommands, boardState_, cfg_.eeprom, opStatus_, cmd, nowNs, out))
        return;  // before ATCM: the board has ATCM commands of its own
    if (cfg_.board && firmware_.command(cmd, out)) return;  // firmware upload (firmware_upload.h)
    if (flash_.command(cmd, s, !cfg_.board, out)) return;   // flash_upload.h
    if (cmd == "***") return out.line("OK");
    if (op == "ATCM") {
        if (arg == "05") opStatus_ = 0x00;  // enter the idle state
        if (arg == "06") opStatus_ = 0x01;  // leave it
        if (arg == "07") monitor_.start(nowNs);
        if (arg == "08") monitor_.stop();
        if (arg == "00" || arg == "05" || arg == "06" || arg == "07" || arg == "08") return out.line("OK");
        return out.line("ERR");
    }
    if (cmd == "ATVR") return out.line(std::string(1, cfg_.hw) + "0" + hex2(cfg_.fw));
    if (cmd == "ATSR") return out.line(hex2(s.status));
    if (cmd == "ATER") return out.line(hex2(s.errors));
    if (cmd == "ATPT") return out.line(hex4(s.pageTab));
    if (cmd == "ATPL") return out.line(hex4(s.pageLast));
    if (cmd == "ATOS") return out.line(hex2(opStatus_));
    if (cmd == "ATDT") return out.line(formatDate6(clockAt(nowNs)));
    if (cmd == "ATTM") return out.line(formatTime6(clockAt(nowNs)));
    if (op == "ATDT") return setClock(arg, true, nowNs, out);
    if (op == "ATTM") return setClock(arg, false, nowNs, out);
    if (cmd == "ATRD") return readPiece(out);
    if (op == "ATRD") {
        uint32_t v;
        if (arg.size() != 4 || !parseHex(arg, v)) return out.line("ERR");
        return setPointer(v, out);
    }
    if (op == "ATST") return setSatmr(arg, out);
    if (cmd == "ATRB") {
        source_ = Source::Buffer;
        bufPos_ = 0;
        return out.line(hex4(unsigned(s.tmpBuffer.size())));
    }
    if (cfg_.board) {
        if (answerInverterBus(cfg_.inverters, cmd, out)) return;
        if (displays_.answer(cmd, out)) return;  // the rest of "ATSD"
        if (cmd == "ATEE") return eeRead(out);
        if (op == "ATEE") return eeWrite(arg, out);
        if (cmd == "ATSA") {
            // An inverter is in alarm exactly while the register's inverter bit is set.
            const bool inverter = (cfg_.alarm & 0x10) != 0;
            return out.line(hex2(cfg_.alarm) + hex2(inverter ? cfg_.alarmInverter : 0) +
                            hex2(inverter ? cfg_.alarmRmin : 0) + hex2(cfg_.alarmAux));
        }
        if (op == "ATSA") {
            uint32_t v;
            if (arg.size() != 2 || !parseHex(arg, v)) return out.line("ERR");
            cfg_.alarm = uint8_t(v);
            return out.line("OK");
        }
    }
    out.line("ERR");
}

void LoggerDevice::restart(int64_t nowNs) {
    LineDevice::restart(nowNs);
    monitor_.stop();
    flash_.restart();
    firmware_.restart();
    page_ = 0;
    offset_ = 0;
    fast_ = false;
    source_ = Source::Flash;
    bufPos_ = 0;
    eePtr_ = 0;
    opStatus_ = 0x00;
    // A board's working image is lost with the power: it starts from the saved copy.
    if (cfg_.board && boardState_.started) cfg_.eeprom = boardState_.saved;
}

bool LoggerDevice::rawByte(uint8_t b, int64_t, Output& out) {
    if (flash_.uploading()) return flash_.feed(b, out), true;
    if (!firmware_.receiving()) return false;
    firmware_.feed(b, out);
    return true;
}

void LoggerDevice::setPointer(uint32_t value, Output& out) {
    page_ = uint16_t(value & 0x0FFF);
    offset_ = 0;
    fast_ = (value & 0x8000) != 0;
    source_ = Source::Flash;
    if (value < 0x0100) eePtr_ = value;
    out.line("OK");
}

void LoggerDevice::readPiece(Output& out) {
    if (source_ == Source::Buffer) {
        // The buffer goes out in 48-byte pieces; past its end the piece is 0xFF padded.
        const auto& tb = session_->tmpBuffer;
        std::vector<uint8_t> piece(kPieceSize, 0xFF);
        for (size_t i = 0; i < size_t(kPieceSize) && bufPos_ + i < tb.size(); ++i)
            piece[i] = tb[bufPos_ + i];
        bufPos_ += kPieceSize;
        return out.raw(std::move(piece));
    }
    const uint8_t* pg = flashPage(page_);
    const int len = fast_ ? kPageSize - offset_ : kPieceSize;
    out.raw(pg + offset_, size_t(len));
    offset_ += len;
    if (offset_ >= kPageSize) {
        offset_ = 0;
        page_ = nextPage(page_);
    }
}

const uint8_t* LoggerDevice::flashPage(uint16_t page) {
    if (const uint8_t* changed = flash_.page(page)) return changed;  // cleared or written
    return page == session_->pageTab && !tablePage_.empty() ? tablePage_.data() : session_->page(page);
}

void LoggerDevice::setSatmr(const std::string& arg, Output& out) {
    uint32_t v;
    if (arg.size() != 4 || !parseHex(arg, v)) return out.line("ERR");
    satmr_ = uint16_t(v);
    monitor_.setSatmr(satmr_);
    // The table reports the new timer of every node (0 puts the nodes' own back).
    tablePage_.clear();
    if (satmr_ != 0) {
        const uint8_t* tab = session_->page(session_->pageTab);
        tablePage_.assign(tab, tab + kPageSize);
        size_t off = kTableHeader;
        for (const Node& n : session_->nodes) {
            tablePage_[off + 2] = uint8_t(satmr_);
            tablePage_[off + 3] = uint8_t(satmr_ >> 8);
            off += size_t(6 + 2 * n.chanu());
        }
    }
    out.line("OK");
}

void LoggerDevice::eeRead(Output& out) {
    if (eePtr_ == 0xFF) {
        std::string all;
        for (uint8_t b : cfg_.eeprom)
            all += hex2(b);
        return out.line(all);
    }
    uint8_t b = eePtr_ < unsigned(kBoardImageSize) ? cfg_.eeprom[eePtr_] : 0xFF;
    eePtr_ = (eePtr_ + 1) & 0xFF;
    if (eePtr_ == 0xFF) eePtr_ = 0;  // stepping never lands on the whole-image marker
    out.line(hex2(b));
}

void LoggerDevice::eeWrite(const std::string& hexPairs, Output& out) {
    if (hexPairs.size() % 2 != 0) return out.line("ERR");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hexPairs.size(); i += 2) {
        uint32_t v;
        if (!parseHex(std::string_view(hexPairs).substr(i, 2), v)) return out.line("ERR");
        bytes.push_back(uint8_t(v));
    }
    if (eePtr_ == 0xFF) eePtr_ = 0;
    for (uint8_t b : bytes) {
        if (eePtr_ < unsigned(kBoardImageSize) && int(eePtr_) != cfg_.boardCommands.eeStuck)
            cfg_.eeprom[eePtr_] = b;
        eePtr_ = (eePtr_ + 1) % 0xFF;
    }
    out.line("OK");
}

void LoggerDevice::setClock(const std::string& arg, bool date, int64_t nowNs, Output& out) {
    DateTime t = clockAt(nowNs);
    if (!(date ? parseDate6(arg, t) : parseTime6(arg, t))) return out.line("ERR");
    clockBaseSecs_ = toSeconds(t);
    clockBaseNs_ = nowNs;
    out.line("OK");
}

}  // namespace vx::sim
