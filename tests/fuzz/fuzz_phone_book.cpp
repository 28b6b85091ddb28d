// A phone book file (*.tel).

#include "fuzz_env.h"
#include "shell/phone_book.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    std::string number;
    (void)vx::shell::readPhoneBook(vx::fuzz::inputFile("plant.tel", data, size), number);
    return 0;
}
