#pragma once
// The phone book: files of extension "tel", each holding one plant's number in the line
// "Ntel=<number>" and CR LF.

#include <cstdint>
#include <string>

#include "ui/backend.h"

namespace vx::shell {

// Reads a phone book file: it must begin with "Ntel=", and what follows (line ends
// skipped) is the number, at most 15 characters. False when the file cannot be read or
// breaks these rules.
bool readPhoneBook(const std::string& path, std::string& number);

}  // namespace vx::shell

// Lets the user choose a phone book file and reads its number into EditBuf; 1 on success.
int32_t loadFileRub(vx::ui::WindowHandle owner = nullptr);
// Lets the user choose a phone book file name and writes Ntel into it; 1 when written, 0
// when the dialog was cancelled or the file could not be written.
int32_t saveFileRub(vx::ui::WindowHandle owner = nullptr);
