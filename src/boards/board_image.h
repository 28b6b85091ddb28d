#pragma once
// The energy-monitoring board's parameter image: the 41 bytes its EEPROM keeps, laid out
// exactly as the board sends and takes them, and the small registers read beside it.

#include <bit>
#include <cstddef>
#include <cstdint>

constexpr int EE_SIZE = 41;

#pragma pack(push, 1)
struct ee_ram {
    uint8_t Token;           // carried along, never interpreted
    uint16_t MYadd;          // board address (the NOD85 keeps its own in Option2)
    uint16_t TCA;            // data sampling time, s
    uint16_t NTCA;           // one stored mean every NTCA samples
    uint16_t TCM;            // mean sampling time, s
    uint16_t Ki;             // energy meter constant / 10 (shown x10, Imp/kWh)
    uint8_t Kco2;            // kg/kWh x100
    uint8_t Keur;            // euro/kWh x100
    uint32_t Pnom;           // nominal plant power, Wp
    uint16_t ComReg;         // 0-3 protocol, 6-7 baud rate, 8-15 aux node address
    uint16_t ComReg2;        // low byte: inverters; high byte: first inverter address
    uint16_t Option;         // option bits (EE_OPT_*)
    uint16_t Option2;        // low byte: NOD85 board address
    uint8_t Display_gra[8];  // low nibble: quantity shown on display i
    uint8_t N_telefono[8];   // SMS number, two characters a byte (phone_number.h)
};
#pragma pack(pop)

union ee_buf {
    ee_ram ram;
    uint8_t buf[EE_SIZE];
};

// The board's words are little-endian; the image is used in place, so the host must be too.
static_assert(std::endian::native == std::endian::little, "the board image is little-endian");
static_assert(sizeof(ee_ram) == EE_SIZE && sizeof(ee_buf) == EE_SIZE);

// The program's one working copy of the image.
extern ee_buf EE;

// Option bit fields.
constexpr uint16_t EE_OPT_SOURCE = 0x0007;       // power/energy data source
constexpr uint16_t EE_OPT_AUTOOFF = 0x0008;      // displays off while the AC power is 0
constexpr uint16_t EE_OPT_ALAETAG = 0x0030;      // overall-efficiency alarm threshold
constexpr uint16_t EE_OPT_ALAINV = 0x00C0;       // single-inverter alarm threshold
constexpr uint16_t EE_OPT_SMETEO = 0x0300;       // meteo station data source
constexpr uint16_t EE_OPT_NODEADD = 0x0C00;      // meteo station address
constexpr uint16_t EE_OPT_ALAUX = 0x1000;        // auxiliary-device alarm
constexpr uint16_t EE_OPT_ENERGY100 = 0x2000;    // "Energy = Energy/100"
constexpr uint16_t EE_OPT_AUXWIRELESS = 0x8000;  // cleared when the aux data box is toggled
// ComReg bit fields.
constexpr uint16_t EE_COM_PROTO = 0x000F;
constexpr uint16_t EE_COM_BAUD = 0x00C0;
constexpr uint16_t EE_COM_AUXADDR = 0xFF00;

// The value of a bit field (mask of contiguous bits) and a word with it replaced.
constexpr unsigned fieldGet(unsigned word, unsigned mask) {
    return (word & mask) >> std::countr_zero(mask);
}
constexpr uint16_t fieldSet(unsigned word, unsigned mask, unsigned value) {
    return uint16_t((word & ~mask) | ((value << std::countr_zero(mask)) & mask));
}

// Digits (high nibble) and decimal point position (low nibble) of a display board for
// each displayed quantity 0..15.
extern const uint8_t Display_cnt[16];

// The board's operating state, read after every image read; its low 4 bits name it.
extern uint8_t Stato_OP;
extern const char* const Nome_stato_operativo[16];
const char* stateName(uint8_t state);

// The alarm register: a state bit and an "SMS sent" bit per alarm.
union AlarmReg {
    uint8_t reg;
    struct {
        uint8_t eff : 1, sms_eff : 1, etag : 1, sms_etag : 1, inv : 1, sms_inv : 1, aux : 1, sms_aux : 1;
    } ala_reg;
};
static_assert(sizeof(AlarmReg) == 1);

// Register classes of a transaction forwarded to a display board; the low 5 bits carry
// the register number.
constexpr uint8_t R_DISPLAY = 0x00, R_PAR = 0x20, R_COM = 0x60;
constexpr uint8_t W_DISPLAY = 0x80, W_PAR = 0xA0, W_COM = 0xE0;

// Back to the state at start-up: an all-zero image, state 0.
void resetBoardImage();
