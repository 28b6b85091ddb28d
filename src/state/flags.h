#pragma once
// The process-wide flag record: identity of the device, session state, switches.

#include <cstdint>

struct FlagRecord {
    int32_t verbose;
    char pages[13];
    int32_t pages_error;
    int32_t table_error;
    int32_t pagefirst_error;
    int32_t pagelast_error;
    int32_t time_error;
    int32_t sample_error;
    int32_t sample_error_exp;
    int32_t skip_refresh;
    int32_t comma;
    int32_t stato_idle;
    int32_t file_format;
    int32_t page_type;
    int32_t VT71;
    int32_t QM42;
    int32_t QM43;
    int32_t NOD85;
    int32_t CH_etaG;
    int32_t CH_eneD;
    int32_t alarm_error;
    int32_t COM_ext;
    int32_t modem;
    int32_t fast_read;
    int32_t quaterna;
    int32_t config_key;
    int8_t comflow;
    int32_t logfile;
    int32_t QM43BOOT;
    char bootvers[16];  // "Boot v.15.15" and its NUL
};

extern FlagRecord Flag;
