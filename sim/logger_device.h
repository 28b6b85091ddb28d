#pragma once
// The QM41/QM42/QM43 loggers and the VT71/NOD85 boards: identification, session
// registers, clock, flash pages (plain and streamed reads), temporary buffer, and for the
// boards the EEPROM parameter image and the alarm register.

#include "board_commands.h"
#include "calendar.h"
#include "device.h"
#include "display_boards.h"
#include "firmware_upload.h"
#include "flash_upload.h"
#include "inverters.h"
#include "monitor_stream.h"
#include "session.h"

#include <array>
#include <memory>

namespace vx::sim {

constexpr int kBoardImageSize = 41;
using BoardImage = std::array<uint8_t, kBoardImageSize>;

// A plausible VT71 parameter image; `tcm` is the averaging time word at offsets 7-8.
BoardImage defaultBoardImage(uint16_t tcm = 900);

struct LoggerConfig {
    char hw = '0';                       // board-type digit of the version reply
    uint8_t fw = 0x20;                   // firmware byte of the version reply
    bool board = false;                  // VT71/NOD85: answers ATEE and ATSA
    DateTime clock{24, 6, 3, 12, 0, 0};  // logger clock when the first command arrives
    BoardImage eeprom = defaultBoardImage();
    uint8_t alarm = 0x00;              // alarm register
    uint8_t alarmInverter = 0;         // index of the inverter in alarm while bit 0x10 is set
    uint8_t alarmRmin = 0;             // its efficiency, percent
    uint8_t alarmAux = 0;              // auxiliary alarm code
    MonitorConfig monitor;             // the packet stream of monitor mode
    uint8_t opStatus = 0x00;           // operating status at start ("ATOS"): 00 idle, 05 REC, 06 PAUSE
    InverterBusConfig inverters;       // boards: inverters and GSM modem behind the board
    DisplayBoardsConfig displays;      // boards: display boards behind "ATSD"
    BoardCommandConfig boardCommands;  // boards: address, counters, save, defaults, reset
    FirmwareSimConfig firmware;        // boards: faults of the firmware upload
    FlashServiceConfig flashService;   // flash upload and clearing, page pointers, QM address
};

class LoggerDevice : public LineDevice {
  public:
    LoggerDevice(LoggerConfig cfg, std::shared_ptr<const Session> session);

    const Session& session() const { return *session_; }
    const LoggerConfig& config() const { return cfg_; }
    const BoardImage& eeprom() const { return cfg_.eeprom; }
    uint8_t alarm() const { return cfg_.alarm; }
    uint8_t operatingStatus() const { return opStatus_; }
    // The logger's clock at a given time (it starts with the first command).
    DateTime clockAt(int64_t nowNs) const;
    // The packet lines of monitor mode made so far.
    const MonitorCounts& monitorCounts() const { return monitor_.counts(); }
    bool monitoring() const { return monitor_.on(); }
    // The SaTmr set with "ATSTxxxx" (0: the nodes' own).
    uint16_t satmrSet() const { return satmr_; }
    // Boards: the display boards behind the board.
    const DisplayBoards& displays() const { return displays_; }
    // Boards: the address, counters, saved image and reboots of the board commands.
    const BoardCommandState& boardState() const { return boardState_; }
    // Boards: the firmware upload received.
    const FirmwareReceiver& firmware() const { return firmware_; }
    // The flash upload, clearing, page pointers and QM address (flash_upload.h).
    const FlashService& flashService() const { return flash_; }

    void restart(int64_t nowNs) override;
    int64_t nextEventNs() const override { return monitor_.nextEventNs(); }
    void tick(int64_t nowNs, Output& out) override { monitor_.tick(*session_, nowNs, out); }

  protected:
    void onCommand(const std::string& cmd, int64_t nowNs, Output& out) override;
    bool rawByte(uint8_t b, int64_t nowNs, Output& out) override;

  private:
    enum class Source { Flash, Buffer };

    void setPointer(uint32_t value, Output& out);
    void readPiece(Output& out);
    void eeRead(Output& out);
    void eeWrite(const std::string& hexPairs, Output& out);
    void setClock(const std::string& arg, bool date, int64_t nowNs, Output& out);
    void setSatmr(const std::string& arg, Output& out);
    const uint8_t* flashPage(uint16_t page);

    LoggerConfig cfg_;
    std::shared_ptr<const Session> session_;

    // Flash read pointer, and whether reads stream the rest of the page.
    uint16_t page_ = 0;
    int offset_ = 0;
    bool fast_ = false;
    Source source_ = Source::Flash;
    size_t bufPos_ = 0;
    // EEPROM byte pointer; 0xFF asks for the whole image in one reply.
    unsigned eePtr_ = 0;

    uint8_t opStatus_ = 0x00;
    int64_t clockBaseSecs_ = 0;
    int64_t clockBaseNs_ = 0;
    bool clockStarted_ = false;

    MonitorStream monitor_;
    DisplayBoards displays_{cfg_.displays};
    uint16_t satmr_ = 0;
    std::vector<uint8_t> tablePage_;  // the table page with the SaTmr set, while one is
    BoardCommandState boardState_;
    FirmwareReceiver firmware_{cfg_.firmware};
    FlashService flash_{cfg_.flashService, cfg_.fw};
};

// The logger inside a device, unwrapping a fault wrapper; null for other devices.
LoggerDevice* findLogger(Device& d);

}  // namespace vx::sim
