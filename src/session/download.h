#pragma once
// Downloading the session: the most recent data pages and the temporary buffer into the
// scratch file, resampled into the data record file; in verbose mode also the dump and
// the flash image.

#include <cstdint>

#include "link/serial_port.h"
#include "ui/backend.h"

constexpr const char* SCRATCH_FILE = "QM41data.hex";
constexpr const char* DUMP_FILE = "QM41data.txt";
constexpr const char* IMAGE_FILE = "QM41data.bin";

int32_t saveFile(vx::ui::WindowHandle hwndDlg, const char* namefile);

// Reads the logger's temporary buffer into buf (room for 528 bytes); the byte count.
int32_t read_tmp_buffer(vx::link::SerialPort* hCom, uint8_t* buf);
