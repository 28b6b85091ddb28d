#pragma once
// The board parameter file (*.vt1): the 9-byte magic "VT71A_10" with its NUL, then the
// 41 bytes of the image; 50 bytes in all and nothing after them.

#include <cstdint>
#include <string>

#include "ui/backend.h"

constexpr char VT1_MAGIC[9] = "VT71A_10";  // the NUL is part of it
constexpr int VT1_SIZE = 9 + 41;

// What reading a parameter file came to.
constexpr int8_t VT1_CANCELLED = 0, VT1_CANNOT_OPEN = 1, VT1_NOT_VALID = 2, VT1_LOADED = 3;

namespace vx::boards {
// Writes EE into a parameter file at path, through the atomic writer. False (with the
// reason in *error) when the file could not be written whole; an older file stays.
bool writeParameterFile(const std::string& path, std::string* error = nullptr);
// Reads a parameter file into EE: VT1_CANNOT_OPEN, VT1_NOT_VALID (wrong magic, fewer or
// more than 41 image bytes) or VT1_LOADED. EE changes only when the file is valid; the
// image is taken as it is (no range check, Parcfg not updated, nothing sent).
int8_t readParameterFile(const std::string& path);
}  // namespace vx::boards

// With the file dialogs: 1 when a file was written, 0 when cancelled or not written.
int save_VT71a_dati(vx::ui::WindowHandle hwnd);
// VT1_CANCELLED when the dialog was cancelled, else readParameterFile's outcome.
int8_t read_VT71a_dati(vx::ui::WindowHandle hwnd);
